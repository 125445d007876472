#pragma once

#include "app/SettingsStore.h"
#include "base/Navigator.h"
#include "base/Session.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QLineEdit;

namespace velmora::print {

// Printer Alignment Options: the vertical and horizontal start of the check layouts and the 88mm
// stock option, stored in the settings record.
class AlignPrinterScreen : public QWidget {
public:
    AlignPrinterScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    // Loads the settings record into the boxes; false (after telling the user) when it cannot be read.
    bool load();

    // The offsets are 16-bit whole numbers of twips; std::nullopt for anything else.
    static std::optional<int> parseOffset(const QString& text);

    static QString alignmentHelp();
    static QString stockHelp();

protected:
    // The window's close button is OK: a valid entry is saved and the Printer Control Menu returns;
    // an invalid one keeps the screen open, as OK does.
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Outcome { Saved, Refused, NotSaved };
    // Refused: a box holds no valid offset; NotSaved: the settings could not be written. The user
    // has been told either way.
    Outcome ok();

    Session& session_;
    Navigator& navigator_;
    std::optional<app::SettingsStore> settings_;
    QLineEdit* vertical_ = nullptr;
    QLineEdit* horizontal_ = nullptr;
    QCheckBox* stock88mm_ = nullptr;
    bool leaving_ = false;
};

} // namespace velmora::print
