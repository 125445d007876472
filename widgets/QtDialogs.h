#pragma once

#include "base/Dialogs.h"

class QWidget;

namespace velmora::widgets {

// The message and input boxes of the screens: QMessageBox and QInputDialog, modal over the active window.
class QtDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override;
    std::optional<std::string> input(const InputBox& box) override;
};

} // namespace velmora::widgets
