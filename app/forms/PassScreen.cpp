#include "app/forms/PassScreen.h"

#include "app/Password.h"
#include "app/forms/PasswordBox.h"
#include "base/FaceNames.h"
#include "base/Product.h"
#include "widgets/ScreenButton.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::app {

const char* const PassScreen::kLicenseOpening =
    "By typing the program password and choosing AGREE, you agree to the following terms and conditions: ";

namespace {

// The terms of use after the opening sentence: headed paragraphs, each heading after a blank line.
QString licenseText() {
    const char* const sections[][2] = {
        {"GRANT OF LICENSE",
         "You may install and use this program on the computers of one business or household, for printing checks and drafts drawn on accounts that you own or that you are authorized to draw on."},
        {"AUTHORIZATION",
         "You are solely responsible for holding a written authorization from each account holder before you print a draft on that account, and for keeping that authorization for as long as your bank or the law requires."},
        {"YOUR RESPONSIBILITY FOR PRINTED ITEMS",
         "Check the routing number, account number, check number and amount of every item before you deposit or mail it. Keep check stock and printed items locked away, and keep the program password secret."},
        {"NO WARRANTY",
         "The program is provided as is, without warranty of any kind. Whether a bank accepts an item printed with it depends on the bank, the printer, the toner and the paper; test your set-up with your bank before you rely on it."},
        {"LIMITATION OF LIABILITY",
         "In no event shall the authors be liable for any loss arising from the use of the program, including rejected, returned, altered or fraudulent items, lost profits or lost data. Keep backup copies of your databases."},
        {"TERMINATION",
         "This license ends when you fail to comply with it. You must then stop using the program and remove it from your computers."},
    };
    QString text = QString::fromLatin1(PassScreen::kLicenseOpening);
    for (const auto& [heading, body] : sections)
        text += QStringLiteral("\r\n\r\n") + QString::fromLatin1(heading) + QStringLiteral("\r\n") +
                QString::fromLatin1(body);
    return text;
}

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

PassScreen::PassScreen(Session& session, Navigator& navigator, FaceList faces, QWidget* parent)
    : widgets::ScreenDialog(parent)
    , session_(session)
    , navigator_(navigator)
    , faces_(std::move(faces)) {
    setObjectName("Pass");
    setWindowTitle("Password");
    openSettings();

    auto* layout = new QVBoxLayout(this);
    addTitle(*layout);
    layout->addSpacing(8);
    addLicense(*layout);
    layout->addSpacing(8);
    addPasswordRows(*layout);
    resize(560, 560);
    password_->setFocus();
}

void PassScreen::openSettings() {
    if (auto store = SettingsStore::open(session_.programDir)) {
        settings_.emplace(std::move(store.value()));
        if (const Result<db::SettingsRecord> record = settings_->read()) {
            session_.aboutLines = record->aboutLines();
            session_.server = record->server();
        } else {
            settingsProblem_ = "The settings record cannot be read: " + record.message();
        }
    } else {
        settingsProblem_ = store.message();
    }
}

void PassScreen::addTitle(QVBoxLayout& layout) {
    auto* programName = new QLabel(product::kName, this);
    programName->setObjectName("ProgramName");
    QFont nameFont = programName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2.2);
    nameFont.setBold(true);
    programName->setFont(nameFont);
    auto* mark = new QLabel("TM", this);
    mark->setObjectName("TradeMark");
    mark->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont markFont = mark->font();
    markFont.setPointSizeF(markFont.pointSizeF() * 0.75);
    mark->setFont(markFont);
    auto* version = new QLabel(product::kVersion, this);
    version->setObjectName("Version");
    auto* copyright = new QLabel(product::kCopyright, this);
    copyright->setObjectName("CopyrightLabel");

    auto* title = new QHBoxLayout;
    title->setSpacing(2);
    title->addWidget(programName);
    title->addWidget(mark, 0, Qt::AlignTop);
    title->addStretch();
    layout.addLayout(title);
    layout.addWidget(version);
    layout.addWidget(copyright);
}

void PassScreen::addLicense(QVBoxLayout& layout) {
    auto* heading = new QLabel("License Agreement:", this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto* license = new QPlainTextEdit(this);
    license->setObjectName("LicenseMessage");
    license->setReadOnly(true);
    license->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    license->setPlainText(licenseText());
    license->setMinimumHeight(180);
    auto* warning = wrappedLabel(
        "WARNING: By typing the program password and choosing AGREE, you agree to the terms and conditions in the License Agreement. If you disagree with the License Agreement, do not use this software.",
        this);
    warning->setObjectName("Warning");
    layout.addWidget(heading);
    layout.addWidget(license, 1);
    layout.addWidget(warning);
}

void PassScreen::addPasswordRows(QVBoxLayout& layout) {
    auto* prompt = new QLabel("Enter Program Password:", this);
    password_ = new PasswordBox(this);
    password_->setObjectName("Password");
    prompt->setBuddy(password_);

    auto* agreeButton = widgets::screenButton(this, "&Agree", "Agree", widgets::ButtonRole::Default, [this] {
        proceedWithPassword("FileOpen", "Invalid password! Please enter the correct password");
    });
    auto* disagreeButton = widgets::screenButton(this, "&Disagree", "Disagree", widgets::ButtonRole::Normal,
                                                 [this] { navigator_.endProgram(); });
    auto* changeButton = widgets::screenButton(
        this, "&Change Password", "ChangePassword", widgets::ButtonRole::Normal, [this] {
            proceedWithPassword(
                "ChangePass",
                "Invalid password! You must first enter the correct password to change the password.");
        });

    auto* entry = new QHBoxLayout;
    entry->addWidget(prompt);
    entry->addWidget(password_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(agreeButton);
    buttons->addWidget(disagreeButton);
    buttons->addWidget(changeButton);
    layout.addLayout(entry);
    layout.addLayout(buttons);
}

void PassScreen::start() {
    if (!settingsProblem_.empty())
        session_.dialogs->show(
            {settingsProblem_ +
                 "\n\nThe program password cannot be checked until the settings file is restored from a backup copy or the program is installed again.",
             {},
             DialogButtons::Ok,
             DialogIcon::Critical});
    if (!isFaceOffered(faces_(), product::kMicrFontName))
        navigator_.show("FontFailure");
}

void PassScreen::proceedWithPassword(std::string_view next, const char* wrongPasswordText) {
    if (!settings_) {
        session_.dialogs->show({settingsProblem_, {}, DialogButtons::Ok, DialogIcon::Critical});
        return;
    }
    auto result = checkPassword(settings_->connection(), password_->text().toStdString());
    if (!result) {
        session_.dialogs->show({result.message() + "\n\nThe program password cannot be checked.",
                                {},
                                DialogButtons::Ok,
                                DialogIcon::Critical});
        return;
    }
    if (*result != PasswordCheck::Matches) {
        session_.dialogs->inform(wrongPasswordText); // the typed text stays for correcting
        return;
    }
    navigator_.show(next);
    close();
}

} // namespace velmora::app
