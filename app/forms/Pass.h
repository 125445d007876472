#pragma once

#include "app/Session.h"
#include "app/Settings.h"
#include "app/forms/Navigator.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmora {

// The password screen: the program's name, version and terms of use, the program password, and at
// every opening the test for the MICR font.
class Pass : public QDialog {
public:
    // The face names the printer offers, scanned by the font test.
    using FaceList = std::function<std::vector<std::string>()>;

    Pass(Session& session, Navigator& navigator, FaceList faces, QWidget* parent = nullptr);

    // What follows once the screen is shown: a settings file that cannot be used is reported, and the
    // font notice opens beside this screen when no face is named exactly "MICR65".
    void start();

    static const char* const kLicenseOpening;

private:
    void agree();
    void askToChangePassword();
    // Compares the typed password with the stored one; a password that cannot be checked is
    // reported here and counts as not matching.
    enum class Check { Matches, Wrong, Unavailable };
    Check checkTyped();

    Session& session_;
    Navigator& navigator_;
    FaceList faces_;
    std::optional<SettingsStore> settings_;
    std::string settingsProblem_;

    QLineEdit* password_ = nullptr;
};

// True when a face of exactly this name (case-sensitive) is in the list; the whole list is scanned.
bool micrFontOffered(const std::vector<std::string>& faces);

} // namespace velmora
