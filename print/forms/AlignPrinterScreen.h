#pragma once

#include "app/SettingsStore.h"
#include "base/Navigator.h"
#include "base/Session.h"
#include "print/PrintSurface.h"

#include <QWidget>
#include <optional>
#include <utility>

class QCheckBox;
class QLineEdit;

namespace velmora::print {

// Printer Alignment Options: the vertical and horizontal start of the check layouts and the 88mm
// stock option, stored in the settings record.
class AlignPrinterScreen : public QWidget {
public:
    // `surface` is where the test page goes; null is the program's printer.
    AlignPrinterScreen(Session& session, Navigator& navigator, PrintSurface* surface = nullptr,
                       QWidget* parent = nullptr);

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
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Outcome { Saved, Refused, NotSaved };
    // Refused: a box holds no valid offset; NotSaved: the settings could not be written. The user
    // has been told either way.
    Outcome ok();
    // The two offsets typed; std::nullopt (after telling the user which is wrong) when either is not one.
    std::optional<std::pair<int, int>> typedOffsets();
    // One page on the stock and offsets on the screen, to hold against check stock; nothing is stored.
    void printTestPage();

    Session& session_;
    Navigator& navigator_;
    PrintSurface* surface_;
    std::optional<app::SettingsStore> settings_;
    QLineEdit* vertical_ = nullptr;
    QLineEdit* horizontal_ = nullptr;
    QCheckBox* stock88mm_ = nullptr;
    bool leaving_ = false;
};

} // namespace velmora::print
