#pragma once

#include "base/Dialogs.h"

class QWidget;

namespace velmora::widgets {

// The message and input boxes of the screens: QMessageBox and QInputDialog, modal over the active window.
// A list to tick is a table with a box in front of each row: Space ticks or clears the selected rows
// (Shift and the arrow keys select several), Return takes the ticks, Escape cancels.
class QtDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override;
    std::optional<std::string> input(const InputBox& box) override;
    std::optional<std::vector<bool>> choose(const ChoiceList& list) override;
};

} // namespace velmora::widgets
