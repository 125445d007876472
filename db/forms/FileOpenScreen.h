#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

class QListWidget;

namespace velmora::db {

// The database selection screen: the check databases of the program directory, one of which becomes
// the current database. Escape does nothing: Exit is the way out.
class FileOpenScreen : public widgets::ScreenDialog {
public:
    FileOpenScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    // What follows once the screen is shown: with no database to choose, the explanation of how to
    // make one (the screen stays open).
    void start();

    // The explanation shown when the program directory holds no database.
    static std::string noDatabaseExplanation();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fileOk();

    Session& session_;
    Navigator& navigator_;
    QListWidget* files_ = nullptr;
};

} // namespace velmora::db
