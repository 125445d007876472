#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

class QLineEdit;
class QRadioButton;

namespace velmora::db {

// The creation screen: a new check database from the template file, of the chosen type and name.
// Escape goes back to the selection screen without creating anything.
class CreateNewDatabaseScreen : public widgets::ScreenDialog {
public:
    CreateNewDatabaseScreen(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    static const char* const kFailureText;

private:
    void create();

    Session& session_;
    Navigator& navigator_;
    QRadioButton* draft_ = nullptr;
    QRadioButton* check_ = nullptr;
    QLineEdit* name_ = nullptr;
};

} // namespace velmora::db
