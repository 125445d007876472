#pragma once

#include "app/SettingsStore.h"
#include "base/Navigator.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QVBoxLayout;
class QPlainTextEdit;
class QPushButton;

namespace velmora::app {

// The password screen: the program's name, version and terms of use, the program password, and at
// every opening the test for the MICR font. Escape does nothing: Disagree is the way out.
class PassScreen : public widgets::ScreenDialog {
public:
    // The face names the printer offers, scanned by the font test.
    using FaceList = std::function<std::vector<std::string>()>;

    PassScreen(Session& session, Navigator& navigator, FaceList faces, QWidget* parent = nullptr);

    // What follows once the screen is shown: a settings file that cannot be used is reported, and the
    // font notice opens beside this screen when no face is named exactly "MICR65".
    void start();

    static const char* const kLicenseOpening;

private:
    // The settings file, read for the password and the About box; what cannot be read is told once
    // the screen has started, and again when a password is tried.
    void openSettings();
    // The program's name and version, the license agreement, and the password with the buttons.
    void addTitle(QVBoxLayout& layout);
    void addLicense(QVBoxLayout& layout);
    void addPasswordRows(QVBoxLayout& layout);
    // Agree and Change Password: the typed password, compared in lower case with the stored one,
    // leads to the next screen; a wrong one is reported with the button's own text. A password that
    // cannot be checked (settings file or password record unreadable) is reported as such.
    void proceedWithPassword(std::string_view next, const char* wrongPasswordText);

    Session& session_;
    Navigator& navigator_;
    FaceList faces_;
    std::optional<SettingsStore> settings_;
    std::string settingsProblem_;

    QLineEdit* password_ = nullptr;
};

} // namespace velmora::app
