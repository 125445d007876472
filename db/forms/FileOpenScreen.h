#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "jet/Converter.h"
#include "widgets/ScreenDialog.h"

class QListWidget;

namespace velmora::db {

// The database selection screen: the check databases of the program directory, one of which becomes
// the current database; one still in the Access (Jet) form is offered for conversion when chosen.
// Escape does nothing: Exit is the way out.
class FileOpenScreen : public widgets::ScreenDialog {
public:
    FileOpenScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    // What follows once the screen is shown: with no database to choose, the explanation of how to
    // make one (the screen stays open).
    void start();

    // The explanation shown when the program directory holds no database.
    static std::string noDatabaseExplanation();

    // How a chosen Jet file is converted (the reader program, its time limit).
    void setConversionOptions(jet::ConvertOptions options) { conversionOptions_ = std::move(options); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fileOk();

    Session& session_;
    Navigator& navigator_;
    QListWidget* files_ = nullptr;
    jet::ConvertOptions conversionOptions_;
};

} // namespace velmora::db
