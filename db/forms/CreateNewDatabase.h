#pragma once

#include "app/Session.h"
#include "app/forms/Navigator.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace velmora {

// The creation screen: a new check database from the template file, of the chosen type and name.
class CreateNewDatabase : public QDialog {
public:
    CreateNewDatabase(Session& session, Navigator& navigator, QWidget* parent = nullptr);

    static const char* const kFailureText;

private:
    void create();

    Session& session_;
    Navigator& navigator_;
    QRadioButton* draft_ = nullptr;
    QRadioButton* check_ = nullptr;
    QLineEdit* name_ = nullptr;
};

} // namespace velmora
