#pragma once

#include <QDialog>
#include <functional>
#include <utility>

namespace velmora::widgets {

// A screen of the program shown as a dialog window. Escape never closes it: on these screens closing
// the window ends the program, which only their own buttons (Disagree, Exit) do. A screen with a way
// back gives Escape to it; the others ignore the key.
class ScreenDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    // What Escape does on this screen; without it Escape does nothing.
    void setEscapeAction(std::function<void()> action) { escape_ = std::move(action); }
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> escape_;
};

} // namespace velmora::widgets
