#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

class QLineEdit;

namespace velmora::app {

// The change-password screen: the new password typed twice. Either way it leads back to the password
// screen, where the (new or old) password is entered; Escape goes back to it with nothing changed.
class ChangePassScreen : public widgets::ScreenDialog {
public:
    ChangePassScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

private:
    void change();

    Session& session_;
    Navigator& navigator_;
    QLineEdit* password1_ = nullptr;
    QLineEdit* password2_ = nullptr;
};

} // namespace velmora::app
