#include "app/forms/ProgramSetupScreen.h"

#include "base/MicrCharacters.h"
#include "db/ServerDatabases.h"
#include "widgets/ScreenButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

// clang-format off
constexpr const char* kProductTypesHelp = "In the field below, you may enter the different types of products you wish to appearr in the \"Product Type\" drop down box. This is useful if you export the database and wish to sort sales based on the different types of products sold. Enter one product type per record - press new to add a record. Use the arrow buttons below to move through the entries.";
constexpr const char* kTranCodePrompt = "If your bank uses tran codes on deposit slips,  enter it here:";
constexpr const char* kBackupCaption = "  Create Backup Copy of Database upon Program Exit";
constexpr const char* kBackupHelp = "Creates a complete copy of the current database when choosing File - Exit from the menu.  This will give you an extra copy of the database in case your current database gets corrupted.  This will take additional time when exiting the program and consume additional disk space.  You should still backup all files in the Program directory in case of a hard drive crash.";
constexpr const char* kAmountHeading = "The amount on printed checks and drafts (blank stock keeps its lines to write it by hand):";
constexpr const char* kAmountInWordsCaption = "Print the amount in &words";
constexpr const char* kAmountWithCentsCaption = "Print amounts with cents and t&housands separators";
constexpr const char* kServerCaption = "Database se&rver of the shared check databases (a service name or connection string):";
constexpr const char* kRequireTlsCaption = "Refuse a connection that is not encrypted (require &TLS)";
constexpr const char* kTestConnectionCaption = "Test co&nnection";
constexpr const char* kServerBackupNote = "Check databases kept on the database server are not copied on exit: their backups are the server's own.";
constexpr const char* kFirstRecordRefusal = "You CANNOT delete the first record - you can only change it.";
constexpr const char* kEffectiveAfterRestart = "Changes will be effective in the drop down box after program exit and restart.";
// clang-format on

QLabel* wrappedLabel(const char* objectName, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    return label;
}

// A button of the record navigator, with the keys that do the same from anywhere on the screen.
QPushButton* navigatorButton(QWidget* screen, const char* caption, const char* objectName, const char* what,
                             const QKeySequence& keys) {
    auto* button = new QPushButton(caption, screen);
    button->setObjectName(objectName);
    button->setAccessibleName(what);
    button->setToolTip(QString("%1 (%2)").arg(what, keys.toString(QKeySequence::NativeText)));
    const int width = button->fontMetrics().horizontalAdvance(QStringLiteral("  >|  ")) + 16;
    button->setFixedWidth(width);
    auto* shortcut = new QShortcut(keys, screen);
    QObject::connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    return button;
}

// The characters of a tran code that the MICR line of a deposit ticket cannot show, each once.
QString unprintableOnMicrLine(const QString& tranCode) {
    QString unprintable;
    for (const char32_t c : tranCode.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (!micrHasSymbol(c) && !unprintable.contains(character))
            unprintable += character;
    }
    return unprintable;
}

} // namespace

ProgramSetupScreen::ProgramSetupScreen(Session& session, QWidget* parent)
    : widgets::ScreenDialog(parent)
    , session_(session) {
    setObjectName("ProgramSetup");
    setWindowTitle("Program Setup and Options");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel("ProductTypesHelp", kProductTypesHelp, this));
    layout->addSpacing(6);
    std::vector<QWidget*> tabOrder = addProductTypeRows(*layout);
    layout->addSpacing(6);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    layout->addSpacing(6);
    for (QWidget* option : addOptions(*layout))
        tabOrder.push_back(option);
    layout->addSpacing(6);
    auto* doneButton =
        widgets::screenButton(this, "Done", "Done", widgets::ButtonRole::Default, [this] { finish(); });
    auto* doneRow = new QHBoxLayout;
    doneRow->addStretch();
    doneRow->addWidget(doneButton);
    layout->addLayout(doneRow);
    tabOrder.push_back(doneButton);

    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    setMinimumWidth(560);
    productType_->setFocus();
    // Nothing to cancel here: Escape closes the screen as its window frame does, storing what was typed.
    setEscapeAction([this] { close(); });
}

std::vector<QWidget*> ProgramSetupScreen::addProductTypeRows(QVBoxLayout& layout) {
    productType_ = new QLineEdit(this);
    productType_->setObjectName("ProductType");
    auto* prompt = new QLabel("Product Type:", this);
    prompt->setObjectName("ProductTypePrompt");
    prompt->setBuddy(productType_);
    recordNumber_ = new QLabel(this);
    recordNumber_->setObjectName("RecordNumber");
    recordNumber_->setMinimumWidth(recordNumber_->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    recordNumber_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    recordNumber_->setFrameShape(QFrame::StyledPanel);
    // Enter in the product type box stores the name without leaving the screen.
    connect(productType_, &QLineEdit::returnPressed, this, [this] {
        perform(setup_->storeProductType(productType_->text().toStdString()),
                "The product type could not be saved");
    });

    using Move = ProgramSetup::Move;
    auto* first =
        navigatorButton(this, "|<", "First", "First product type", QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    auto* previous =
        navigatorButton(this, "<", "Previous", "Previous product type", QKeySequence(Qt::Key_PageUp));
    auto* next = navigatorButton(this, ">", "Next", "Next product type", QKeySequence(Qt::Key_PageDown));
    auto* last =
        navigatorButton(this, ">|", "Last", "Last product type", QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    connect(first, &QPushButton::clicked, this, [this] { moveTo(Move::First); });
    connect(previous, &QPushButton::clicked, this, [this] { moveTo(Move::Previous); });
    connect(next, &QPushButton::clicked, this, [this] { moveTo(Move::Next); });
    connect(last, &QPushButton::clicked, this, [this] { moveTo(Move::Last); });

    using widgets::ButtonRole;
    auto* newButton = widgets::screenButton(this, "New", "New", ButtonRole::Normal, [this] {
        if (perform(setup_->addProductType(productType_->text().toStdString()),
                    "The product type could not be added"))
            productType_->setFocus();
    });
    auto* deleteButton =
        widgets::screenButton(this, "&Delete", "Delete", ButtonRole::Normal, [this] { deleteProductType(); });
    auto* okButton = widgets::screenButton(this, "OK", "OK", ButtonRole::Normal, [this] { ok(); });

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(prompt);
    typeRow->addWidget(productType_, 1);
    typeRow->addWidget(recordNumber_);
    auto* arrowBar = new QHBoxLayout;
    arrowBar->setSpacing(0);
    for (QPushButton* button : {first, previous, next, last})
        arrowBar->addWidget(button);
    auto* commandRow = new QHBoxLayout;
    commandRow->addLayout(arrowBar);
    commandRow->addSpacing(16);
    commandRow->addWidget(newButton);
    commandRow->addWidget(deleteButton);
    commandRow->addStretch();
    commandRow->addWidget(okButton);
    layout.addLayout(typeRow);
    layout.addLayout(commandRow);
    return {productType_, first, previous, next, last, newButton, deleteButton, okButton};
}

std::vector<QWidget*> ProgramSetupScreen::addOptions(QVBoxLayout& layout) {
    tranCode_ = new QLineEdit(this);
    tranCode_->setObjectName("TranCode");
    auto* tranPrompt = new QLabel(kTranCodePrompt, this);
    tranPrompt->setObjectName("TranCodePrompt");
    tranPrompt->setBuddy(tranCode_);
    // The tran code is printed in the MICR font: a character it cannot draw is pointed out, not refused.
    auto* tranNote = new QLabel(this);
    tranNote->setObjectName("TranCodeNote");
    tranNote->setWordWrap(true);
    tranNote->hide();
    connect(tranCode_, &QLineEdit::textChanged, tranNote, [tranNote](const QString& text) {
        const QString unprintable = unprintableOnMicrLine(text);
        tranNote->setText(
            QString(
                "The MICR line of a deposit ticket cannot show \"%1\": use digits, spaces and D for a dash.")
                .arg(unprintable));
        tranNote->setVisible(!unprintable.isEmpty());
    });
    backup_ = new QCheckBox(kBackupCaption, this);
    backup_->setObjectName("Backup");
    amountInWords_ = new QCheckBox(kAmountInWordsCaption, this);
    amountInWords_->setObjectName("AmountInWords");
    amountWithCents_ = new QCheckBox(kAmountWithCentsCaption, this);
    amountWithCents_->setObjectName("AmountWithCents");

    auto* tranRow = new QHBoxLayout;
    tranRow->addWidget(tranPrompt);
    tranRow->addWidget(tranCode_, 1);
    layout.addLayout(tranRow);
    layout.addWidget(tranNote);
    layout.addSpacing(6);
    layout.addWidget(backup_);
    auto* backupHelp = wrappedLabel("BackupHelp", kBackupHelp, this);
    layout.addWidget(backupHelp);
    layout.addSpacing(6);
    layout.addWidget(wrappedLabel("AmountHeading", kAmountHeading, this));
    layout.addWidget(amountInWords_);
    layout.addWidget(amountWithCents_);
    layout.addSpacing(6);

    server_ = new QLineEdit(this);
    server_->setObjectName("DatabaseServer");
    server_->setPlaceholderText("none: every check database is a file of this desk");
    auto* serverPrompt = wrappedLabel("DatabaseServerPrompt", kServerCaption, this);
    serverPrompt->setBuddy(server_);
    requireTls_ = new QCheckBox(kRequireTlsCaption, this);
    requireTls_->setObjectName("ServerRequiresTls");
    auto* test = widgets::screenButton(this, kTestConnectionCaption, "TestConnection",
                                       widgets::ButtonRole::Normal, [this] { testConnection(); });
    // The backup on exit copies files only: with a server named, say so beside the box.
    auto* serverBackup = wrappedLabel("ServerBackupNote", kServerBackupNote, this);
    serverBackup->hide();
    connect(server_, &QLineEdit::textChanged, serverBackup,
            [serverBackup](const QString& text) { serverBackup->setVisible(!text.trimmed().isEmpty()); });
    layout.insertWidget(layout.indexOf(backupHelp) + 1, serverBackup);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(requireTls_, 1);
    serverRow->addWidget(test);
    layout.addWidget(serverPrompt);
    layout.addWidget(server_);
    layout.addLayout(serverRow);
    return {tranCode_, backup_, amountInWords_, amountWithCents_, server_, requireTls_, test};
}

bool ProgramSetupScreen::load() {
    Result<ProgramSetup> setup = ProgramSetup::open(session_.programDir);
    if (!setup) {
        session_.dialogs->show({setup.message(), {}, DialogButtons::Ok, DialogIcon::Critical});
        return false;
    }
    setup_.emplace(std::move(setup.value()));
    tranCode_->setText(QString::fromStdString(setup_->settings().tranCode.value_or(std::string())));
    backup_->setChecked(setup_->settings().backupOnExit);
    amountInWords_->setChecked(setup_->settings().amountInWords);
    amountWithCents_->setChecked(setup_->settings().amountWithCents);
    server_->setText(QString::fromStdString(setup_->settings().databaseServer.value_or(std::string())));
    requireTls_->setChecked(setup_->settings().serverRequiresTls);
    showProductType();
    return true;
}

void ProgramSetupScreen::showProductType() {
    const auto& current = setup_->current();
    productType_->setEnabled(current.has_value()); // a table without product types waits for New
    productType_->setText(current ? QString::fromStdString(current->name.value_or(std::string()))
                                  : QString());
    recordNumber_->setText(current ? QString::number(current->id) : QString());
}

bool ProgramSetupScreen::perform(const Status& outcome, const char* what) {
    if (!outcome) {
        session_.dialogs->show(
            {std::string(what) + ": " + outcome.message(), {}, DialogButtons::Ok, DialogIcon::Exclamation});
        return false;
    }
    showProductType();
    return true;
}

void ProgramSetupScreen::moveTo(ProgramSetup::Move to) {
    perform(setup_->move(to, productType_->text().toStdString()), "The product type could not be saved");
}

void ProgramSetupScreen::deleteProductType() {
    if (!setup_->current())
        return;
    if (!setup_->canDeleteCurrent()) {
        session_.dialogs->inform(kFirstRecordRefusal);
        return;
    }
    perform(setup_->deleteCurrent(), "The product type could not be deleted");
}

void ProgramSetupScreen::ok() {
    if (!perform(setup_->storeProductType(productType_->text().toStdString()),
                 "The product type could not be saved"))
        return;
    session_.dialogs->inform(kEffectiveAfterRestart);
    close();
}

void ProgramSetupScreen::finish() {
    if (perform(setup_->storeProductType(productType_->text().toStdString()),
                "The product type could not be saved"))
        close();
}

ServerAddress ProgramSetupScreen::typedServer() const {
    return {server_->text().trimmed().toStdString(), requireTls_->isChecked()};
}

void ProgramSetupScreen::testConnection() {
    const ServerAddress server = typedServer();
    if (server.empty()) {
        session_.dialogs->inform("Enter the database server first: a service name of your service file or "
                                 "a connection string such as \"host=office dbname=checks\".",
                                 "Test connection");
        return;
    }
    // Up to the connection's time limit the program waits for the server: say so with the cursor.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<std::string> described = db::describeServer(server);
    QApplication::restoreOverrideCursor();
    if (described)
        session_.dialogs->show({*described, "Test connection", DialogButtons::Ok, DialogIcon::Information});
    else
        session_.dialogs->show(
            {described.message(), "Test connection", DialogButtons::Ok, DialogIcon::Exclamation});
}

void ProgramSetupScreen::keyPressEvent(QKeyEvent* event) {
    // Enter in the product type box has stored the name (returnPressed); it closes nothing.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == productType_) {
        event->accept();
        return;
    }
    widgets::ScreenDialog::keyPressEvent(event);
}

void ProgramSetupScreen::closeForExit() {
    closing_ = true;
    close();
}

void ProgramSetupScreen::closeEvent(QCloseEvent* event) {
    if (!setup_) { // never loaded: nothing to store
        widgets::ScreenDialog::closeEvent(event);
        return;
    }
    std::string failures;
    if (Status stored = setup_->storeProductType(productType_->text().toStdString()); !stored)
        failures += "The product type could not be saved: " + stored.message() + "\n\n";
    const ProgramSetup::Options options{tranCode_->text().toStdString(), backup_->isChecked(),
                                        amountInWords_->isChecked(), amountWithCents_->isChecked(),
                                        typedServer()};
    if (Status stored = setup_->storeOptions(options); !stored)
        failures += "The tran code, the backup setting, the amount options and the database server could "
                    "not be saved: " +
                    stored.message() + "\n\n";
    else
        session_.server = options.server; // the selection screen lists its databases from now on
    if (!failures.empty()) {
        if (closing_) {
            session_.dialogs->show(
                {failures + "These changes are lost.", {}, DialogButtons::Ok, DialogIcon::Exclamation});
        } else if (!session_.dialogs->askYesNo(failures +
                                                   "Close Program Setup anyway and lose these changes?",
                                               {}, DialogIcon::Exclamation, DialogAnswer::No)) {
            event->ignore();
            return;
        }
    }
    widgets::ScreenDialog::closeEvent(event);
}

} // namespace velmora::app
