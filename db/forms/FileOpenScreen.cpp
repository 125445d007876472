#include "db/forms/FileOpenScreen.h"

#include "base/Product.h"
#include "db/DatabaseFiles.h"
#include "db/JetHeader.h"
#include "db/ServerDatabases.h"
#include "db/forms/ConversionProgress.h"
#include "widgets/HelpMenu.h"
#include "widgets/KeyboardAccess.h"
#include "widgets/ScreenButton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora::db {

namespace {
// Each entry of the list keeps the database's own name and whether it is on the server: the text
// shown for a shared one is not a name.
constexpr int kNameRole = Qt::UserRole;
constexpr int kSharedRole = Qt::UserRole + 1;
} // namespace

QString FileOpenScreen::sharedEntry(const std::string& name) {
    return QString::fromStdString(name) + " (shared)";
}

std::string FileOpenScreen::noDatabaseExplanation() {
    const std::string name = product::kName;
    const std::string paragraph = "\n\n";
    return "Before you can use " + name +
           ", you must create a database. Each database is a separate set of checks that are not related in any way to any other database. " +
           paragraph + name +
           " has two different types of databases - DRAFT and CHECK databases. A draft database allows you to print drafts for deposit in your bank account and a check database allows you to print checks from your bank account. We strongly suggest you create a few different databases for your needs. " +
           paragraph +
           "For example, you may wish to create a separate database file for monthly draft accounts (these will be printed every month), another for normal drafts (that are printed one time), another for employee payroll checks and another for your business checking account so you can print your own checks.  " +
           paragraph + "Choose the Create New Database button to create the database.";
}

FileOpenScreen::FileOpenScreen(Session& session, Navigator& navigator, QWidget* parent)
    : widgets::ScreenDialog(parent)
    , session_(session)
    , navigator_(navigator) {
    setObjectName("FileOpen");
    setWindowTitle("Choose a Database to Use");

    files_ = new QListWidget(this);
    files_->setObjectName("File1");
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(files_, &QListWidget::itemDoubleClicked, this, [this] { fileOk(); });
    files_->installEventFilter(this);

    auto* instruction = new QLabel(
        "Choose a database file from the list and press OK to use it. You may create a new database by choosing the \"Create New Database\" button. You can create as many databases as you need. For additional information, refer to the \"choosing a database\" section of the online manual.",
        this);
    instruction->setObjectName("Label1");
    instruction->setWordWrap(true);
    serverLine_ = new QLabel(this);
    serverLine_->setObjectName("ServerLine");
    serverLine_->setWordWrap(true);
    serverLine_->setTextInteractionFlags(Qt::TextSelectableByMouse); // the cause can be copied for help
    serverLine_->hide();
    listDatabases();

    auto* ok =
        widgets::screenButton(this, "OK", "FileOK", widgets::ButtonRole::Default, [this] { fileOk(); });
    auto* create = widgets::screenButton(this, "Create New Database", "CreateNewDatabase",
                                         widgets::ButtonRole::Normal, [this] {
                                             navigator_.show("CreateNewDatabase");
                                             close();
                                         });
    auto* exitButton = widgets::screenButton(this, "Exit", "Exit", widgets::ButtonRole::Normal,
                                             [this] { navigator_.endProgram(); });

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName("FileOpenMenuBar");
    widgets::enableMenuBarKeys(*menuBar);
    // H clashes with nothing on this screen, whose buttons have no access keys.
    QMenu* help = menuBar->addMenu("&Help");
    help->setObjectName("Help");
    widgets::addHelpEntries(
        *help, *session_.dialogs,
        {{"HelpChoosingDatabase", "Choosing or Creating a Database", app::HelpTopic::ChoosingADatabase},
         {"HelpRestoringDatabase", "Restoring a Corrupt Database", app::HelpTopic::RestoringADatabase},
         {"HelpAbout", "About", [this] { navigator_.show("HelpAbout"); }}});

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(create);
    buttons->addWidget(exitButton);
    buttons->addStretch();
    auto* body = new QHBoxLayout;
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(files_, 1);
    listColumn->addWidget(serverLine_);
    body->addLayout(listColumn, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(body, 1);
    layout->addWidget(instruction);
    resize(520, 340);
    files_->setFocus();
}

void FileOpenScreen::listDatabases() {
    const auto add = [this](const std::string& name, bool shared) {
        auto* item = new QListWidgetItem(shared ? sharedEntry(name) : QString::fromStdString(name), files_);
        item->setData(kNameRole, QString::fromStdString(name));
        item->setData(kSharedRole, shared);
        if (shared)
            item->setToolTip("Kept on the database server, shared by the desks of the office");
    };
    for (const std::string& name : db::listDatabases(session_.programDir))
        add(name, false);
    if (session_.server.empty())
        return;
    // A server far away answers within the connection's time limit: the cursor says the desk waits.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<std::vector<std::string>> shared = db::listServerDatabases(session_.server);
    QApplication::restoreOverrideCursor();
    if (!shared) {
        // The files stay usable: one line says why the server's databases are missing, no message box.
        serverLine_->setText(
            QString::fromStdString("Only this desk's files are listed. " + shared.message()));
        serverLine_->show();
        return;
    }
    for (const std::string& name : *shared)
        add(name, true);
}

void FileOpenScreen::start() {
    if (files_->count() == 0)
        session_.dialogs->inform(noDatabaseExplanation());
}

bool FileOpenScreen::eventFilter(QObject* watched, QEvent* event) {
    // The list gets a current file with the focus but selects none, and OK wants a selected one: the
    // first arrow key selects the current file (or the first) instead of moving past it. Return
    // presses OK, the default button, for the file the list shows as current.
    if (watched == files_ && event->type() == QEvent::KeyPress && files_->count() > 0 &&
        files_->selectedItems().isEmpty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            files_->setCurrentRow(std::max(files_->currentRow(), 0), QItemSelectionModel::ClearAndSelect);
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && files_->currentRow() >= 0)
            files_->setCurrentRow(files_->currentRow(), QItemSelectionModel::ClearAndSelect);
    }
    return widgets::ScreenDialog::eventFilter(watched, event);
}

void FileOpenScreen::fileOk() {
    const auto selected = files_->selectedItems();
    if (selected.isEmpty()) {
        session_.dialogs->inform("Please select a file from the list and then choose OK",
                                 "No File Selected!");
        return;
    }
    const std::string name = selected.front()->data(kNameRole).toString().toStdString();
    if (selected.front()->data(kSharedRole).toBool()) {
        session_.currentDatabase = name;
        session_.currentServer = session_.server;
        navigator_.show("Check");
        close();
        return;
    }
    // Told by its first bytes, not by its name: an Access file is opened once it has been converted.
    const auto file = session_.programDir / name;
    if (db::isJetFile(file) && offerConversion(*session_.dialogs, file, jet::FileKind::CheckDatabase,
                                               conversionOptions_, {}, this) != ConversionOutcome::Converted)
        return; // declined, or told why not: the screen stays
    session_.currentDatabase = name;
    session_.currentServer.reset();
    navigator_.show("Check");
    close();
}

} // namespace velmora::db
