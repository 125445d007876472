#pragma once

#include "app/HelpTexts.h"
#include "base/Dialogs.h"

#include <functional>
#include <initializer_list>
#include <variant>

class QMenu;

namespace velmora::widgets {

// One entry of a screen's Help menu: its action's object name and caption, and what it shows: a
// help text, or something the screen does itself (the About box, the MICR information screen).
struct HelpEntry {
    const char* objectName;
    const char* caption;
    std::variant<app::HelpTopic, std::function<void()>> shows;
};

// Adds the entries to the menu in order; their help texts are shown through `dialogs`.
void addHelpEntries(QMenu& menu, Dialogs& dialogs, std::initializer_list<HelpEntry> entries);

} // namespace velmora::widgets
