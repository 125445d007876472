#include "app/forms/ChangePassScreen.h"

#include "app/Password.h"
#include "app/SettingsStore.h"
#include "app/forms/PasswordBox.h"
#include "widgets/ScreenButton.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::app {

ChangePassScreen::ChangePassScreen(Session& session, Navigator& navigator, QWidget* parent)
    : widgets::ScreenDialog(parent)
    , session_(session)
    , navigator_(navigator) {
    setObjectName("ChangePass");
    setWindowTitle("ChangePass");

    auto* instruction =
        new QLabel("To change your password - enter it twice below and choose Change Password", this);
    instruction->setWordWrap(true);
    password1_ = new PasswordBox(this);
    password1_->setObjectName("Password1");
    password2_ = new PasswordBox(this);
    password2_->setObjectName("Password2");

    auto* changeButton = widgets::screenButton(this, "Change Password", "ChangePassword",
                                               widgets::ButtonRole::Default, [this] { change(); });
    auto* exitButton = widgets::screenButton(this, "Exit", "Exit", widgets::ButtonRole::Normal,
                                             [this] { navigator_.endProgram(); });

    auto* fields = new QFormLayout;
    fields->addRow("Enter NEW Program Password Here:", password1_);
    fields->addRow("And Here:", password2_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(changeButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addSpacing(6);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(460, 170);
    password1_->setFocus();
    setEscapeAction([this] {
        navigator_.show("Pass");
        close();
    });
}

void ChangePassScreen::change() {
    if (password1_->text() != password2_->text()) {
        session_.dialogs->inform("Passwords do not match!");
        navigator_.show("Pass");
        close();
        return;
    }
    Status saved;
    if (auto settings = SettingsStore::open(session_.programDir))
        saved = changePassword(settings->connection(), password2_->text().toStdString());
    else
        saved = settings.status();
    if (!saved) {
        // The old password still holds; the user may try again or leave with Exit.
        session_.dialogs->show({saved.message() + "\n\nYour password has not been changed.",
                                {},
                                DialogButtons::Ok,
                                DialogIcon::Critical});
        return;
    }
    session_.dialogs->inform(
        "Your password has been changed! Be sure to remember your new password. If you forget it, you will need to reinstall this program to use it again.");
    navigator_.show("Pass");
    close();
}

} // namespace velmora::app
