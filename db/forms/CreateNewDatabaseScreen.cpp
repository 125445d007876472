#include "db/forms/CreateNewDatabaseScreen.h"

#include "db/DatabaseFiles.h"
#include "db/ServerDatabases.h"
#include "widgets/ScreenButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora::db {

const char* const CreateNewDatabaseScreen::kFailureText =
    "The database cannot be created. Make sure you have: 1. Not entered the filename of a file that already exists, 2. Have at least 1 MB disk space available to create the file, 3. Entered only letters, spaces and numbers for the file name.";

CreateNewDatabaseScreen::CreateNewDatabaseScreen(Session& session, Navigator& navigator, QWidget* parent)
    : widgets::ScreenDialog(parent)
    , session_(session)
    , navigator_(navigator) {
    setObjectName("CreateNewDatabase");
    setWindowTitle("Create New Database");

    auto* step1 = new QLabel("1. Select the type of database to create:", this);
    draft_ = new QRadioButton("Draft Database  (prints draft checks for deposit into your account)", this);
    draft_->setObjectName("DraftOption");
    check_ = new QRadioButton("Check Database  (Prints checks from your bank account)", this);
    check_->setObjectName("CheckOption");
    auto* step2 =
        new QLabel("2. Enter up to 36  letters, numbers or spaces for the name of the new Database:", this);
    step2->setWordWrap(true);
    auto* prompt = new QLabel("Enter a name for the Database:", this);
    name_ = new QLineEdit(this);
    name_->setObjectName("DatabaseName");
    name_->setMaxLength(static_cast<int>(db::kMaxDatabaseNameLength));
    prompt->setBuddy(name_);
    onServer_ = new QCheckBox("&On the database server, shared by the desks of the office", this);
    onServer_->setObjectName("OnServer");
    onServer_->setVisible(!session_.server.empty());

    auto* createButton = widgets::screenButton(this, "&Create Database", "CreateDatabase",
                                               widgets::ButtonRole::Default, [this] { create(); });
    auto* exitButton = widgets::screenButton(this, "&Exit", "Exit", widgets::ButtonRole::Normal,
                                             [this] { navigator_.endProgram(); });

    auto* options = new QVBoxLayout;
    options->setContentsMargins(16, 0, 0, 0);
    options->addWidget(draft_);
    options->addWidget(check_);
    auto* nameRow = new QHBoxLayout;
    nameRow->setContentsMargins(16, 0, 0, 0);
    nameRow->addWidget(prompt);
    nameRow->addWidget(name_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(createButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(step1);
    layout->addLayout(options);
    layout->addSpacing(10);
    layout->addWidget(step2);
    layout->addLayout(nameRow);
    auto* whereRow = new QHBoxLayout;
    whereRow->setContentsMargins(16, 0, 0, 0);
    whereRow->addWidget(onServer_);
    layout->addLayout(whereRow);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    resize(560, 230);
    draft_->setFocus(); // the first step; the focus chooses nothing, Space does
    setEscapeAction([this] {
        navigator_.show("FileOpen");
        close();
    });
}

void CreateNewDatabaseScreen::create() {
    std::optional<db::DatabaseType> type;
    if (draft_->isChecked())
        type = db::DatabaseType::Draft;
    else if (check_->isChecked())
        type = db::DatabaseType::Check;
    const std::string name = name_->text().toStdString();
    if (!session_.server.empty() && onServer_->isChecked()) {
        // Made all at once on the server; its refusals (a name taken in any letter case, a character
        // the server cannot keep) say what to change, where the file's one message would not.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const Status created = db::createServerDatabase(session_.server, name, type);
        QApplication::restoreOverrideCursor();
        if (!created) {
            session_.dialogs->show(
                {"The database cannot be created on the database server. " + created.message(),
                 {},
                 DialogButtons::Ok,
                 DialogIcon::Exclamation});
            return;
        }
    } else if (Status created = db::createDatabase(session_.programDir, name, type); !created) {
        // The file appears only once its properties are written, so the notice follows the whole creation.
        session_.dialogs->inform(kFailureText);
        return;
    }
    session_.dialogs->inform("Your new database has been created", "Notice");
    navigator_.show("FileOpen");
    close();
}

} // namespace velmora::db
