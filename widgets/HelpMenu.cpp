#include "widgets/HelpMenu.h"

#include <QAction>
#include <QMenu>

namespace velmora::widgets {

void addHelpEntries(QMenu& menu, Dialogs& dialogs, std::initializer_list<HelpEntry> entries) {
    for (const HelpEntry& entry : entries) {
        QAction* action = menu.addAction(entry.caption);
        action->setObjectName(entry.objectName);
        if (const auto* topic = std::get_if<app::HelpTopic>(&entry.shows)) {
            QObject::connect(action, &QAction::triggered, action,
                             [&dialogs, topic = *topic] { app::showHelp(dialogs, topic); });
        } else {
            QObject::connect(action, &QAction::triggered, action,
                             std::get<std::function<void()>>(entry.shows));
        }
    }
}

} // namespace velmora::widgets
