#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "jet/Converter.h"
#include "widgets/ScreenDialog.h"

class QLabel;
class QListWidget;
class QString;

namespace velmora::db {

// The database selection screen: the check databases of the program directory and, when the settings
// name the office's database server, the shared ones kept there, one of which becomes the current
// database; a file still in the Access (Jet) form is offered for conversion when chosen. A server that
// cannot be reached leaves the files listed and is told in one line under the list.
// Escape does nothing: Exit is the way out.
class FileOpenScreen : public widgets::ScreenDialog {
public:
    FileOpenScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    // What follows once the screen is shown: with no database to choose, the explanation of how to
    // make one (the screen stays open).
    void start();

    // How the list shows a check database of the server.
    static QString sharedEntry(const std::string& name);

    // The explanation shown when the program directory holds no database.
    static std::string noDatabaseExplanation();

    // How a chosen Jet file is converted (the reader program, its time limit).
    void setConversionOptions(jet::ConvertOptions options) { conversionOptions_ = std::move(options); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listDatabases();
    void fileOk();

    Session& session_;
    Navigator& navigator_;
    QListWidget* files_ = nullptr;
    QLabel* serverLine_ = nullptr; // why the server's databases are missing from the list
    jet::ConvertOptions conversionOptions_;
};

} // namespace velmora::db
