#pragma once

#include "base/Navigator.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace velmora::db {

// The creation screen: a new check database of the chosen type and name, a file made from the template
// file or, when the settings name the office's database server and the user asks for it, a shared
// check database on that server. Escape goes back to the selection screen without creating anything.
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
    QCheckBox* onServer_ = nullptr; // shown only while a server is named
};

} // namespace velmora::db
