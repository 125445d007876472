#include "entry/forms/CheckScreen.h"

#include "db/CheckRecord.h"
#include "entry/EntryWarnings.h"
#include "entry/OrderImporter.h"
#include "widgets/HelpMenu.h"
#include "widgets/KeyboardAccess.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace velmora::entry {

namespace f = db::field;

namespace {

// The window's client area, in twips.
constexpr int kClientWidth = 9660;
constexpr int kClientHeight = 6225;
constexpr int kBoxHeight = 285;
constexpr int kCaptionHeight = 195;
constexpr int kButtonTop = 5895;
constexpr int kButtonHeight = 330;

// A text box bound to a field, with its caption under it.
struct CaptionedBox {
    const char* name;
    const char* field;
    int left, top, width;
    const char* caption;
};

// The order Tab visits the controls: block by block as a person fills in a check. The account
// holder, the payee and amount, the bank, the memo with the product type beside it, the MICR numbers;
// then what does not print as typed: the comments, the print options, the number and the date; last
// the buttons.
// clang-format off
constexpr const char* kTabOrder[] = {
    "Text3", "Text1", "Text2", "Address", "City", "State", "Zip", "Phone",
    "PayToOrderOf", "CheckAmount",
    "Bank", "BankCity", "BankState",
    "Draft", "Combo2",
    "ABA", "Account",
    "OptComts", "Combo1", "PrintLabel", "CheckNumber", "CheckDate",
    "Command5", "Save", "Previous", "Next", "New", "Delete",
};
// clang-format on

// The background of a box that has something to say, and of the lines under the check that say it.
const QColor kWarningTint(0xFF, 0xE8, 0xA3);
constexpr int kWarningLines = 2;
// clang-format off
const char* const kShowAllAgain = " Search - View All Checks in Database (Alt+S, A) shows every check again.";
// clang-format on

constexpr CaptionedBox kCaptionedBoxes[] = {
    {"Text3", f::kBusinessName, 120, 345, 4215, "Business Name (if applicable)"},
    {"Text1", f::kFirstName, 120, 825, 2175, "First Name"},
    {"Text2", f::kLastName, 2400, 825, 1935, "Last Name"},
    {"Address", f::kAddress, 120, 1305, 4215, "Address"},
    {"City", f::kCity, 120, 1770, 2175, "City"},
    {"State", f::kState, 2400, 1770, 555, "State"},
    {"Zip", f::kZip, 3060, 1770, 1275, "Zip"},
    {"Phone", f::kPhone, 120, 2220, 2175, "Phone #"},
    {"CheckNumber", f::kCheck, 7800, 465, 1455, "Check #"},
    {"CheckDate", f::kDate, 7800, 1185, 1455, "Date"},
    {"Bank", f::kBank, 60, 3405, 3735, "Charge To Bank Name"},
    {"BankCity", f::kBankCity, 60, 3945, 2835, "Bank City"},
    {"BankState", f::kBankState, 3000, 3945, 795, "State"},
};

QFont captionFont(int points = 8, bool bold = false) {
    QFont font("Times New Roman");
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QFont micrFont() {
    QFont font("MICR65");
    font.setPointSize(11);
    font.setBold(false);
    return font;
}

// Text boxes, lists and buttons: the desktop's own face, never the bold of a frame's title.
QFont boxFont() {
    QFont font;
    font.setPointSize(8);
    font.setBold(false);
    return font;
}

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// The amount and the check number are checked when handed over; other boxes take any text.
bool isTypedNumber(std::string_view field) {
    return field == f::kAmount || field == f::kCheck;
}

void tint(QWidget* box, bool warned) {
    if (!warned) {
        box->setPalette(QPalette()); // the window's own colours again
        return;
    }
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, kWarningTint);
    box->setPalette(palette);
}

// Comments keep CR LF line ends (the print run puts its history lines in front with them); the box
// works with LF.
QString commentsForBox(const std::string& stored) {
    return fromStd(stored).replace("\r\n", "\n");
}
std::string commentsForRecord(const QString& shown) {
    return QString(shown).replace("\n", "\r\n").toStdString();
}

} // namespace

CheckScreen::CheckScreen(Session& session, Navigator& navigator, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , session_(session)
    , navigator_(navigator)
    , dialogs_(dialogs)
    , entry_(dialogs, session.programDir) {
    setObjectName("Check");
    setWindowTitle("Data Entry: ");
    pixelsPerTwip_ = logicalDpiX() / 1440.0;
    canvas_ = new QWidget(this);
    canvas_->setObjectName("CheckCanvas");
    canvas_->setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    buildControls();
    buildMenus();
    buildWarningLine();
    orderTabsByBlocks();
    // The screen is a picture of the check at a fixed scale: the window keeps the size of its content
    // rather than growing empty margins.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The buttons' access keys win over the menu bar's: "&Previous <<" and the Print menu's "&Print"
    // share Alt+P, and a key that cycles between moving back and leaving the screen is no use.
    for (QPushButton* push : canvas_->findChildren<QPushButton*>())
        buttonKeys_.emplace_back(QKeySequence::mnemonic(push->text()), push);
    canvas_->installEventFilter(this);
    for (QWidget* widget : canvas_->findChildren<QWidget*>())
        widget->installEventFilter(this);
}

bool CheckScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && bindingOf(watched))
        showWarnings(); // the box now typed in comes first
    if (event->type() == QEvent::FocusOut && !refusing_) {
        // Leaving the amount or the check number box hands its text over. Losing the focus to a
        // message box, a menu or another window is not leaving it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        Binding* binding = bindingOf(watched);
        if (binding && isTypedNumber(binding->field) && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason && !takeTyped(*binding))
            return true; // refused: the box has the focus back, and keeps its selection
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const auto& [sequence, push] : buttonKeys_) {
            if (sequence.isEmpty() || pressed != sequence)
                continue;
            // Taking the override turns the key into an ordinary key press, which clicks the button.
            event->accept();
            if (event->type() == QEvent::KeyPress && push->isEnabled())
                push->animateClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

CheckScreen::~CheckScreen() {
    // The boxes outlive this class's members while QWidget takes them down, and losing the focus
    // then would hand their text to a record that is gone.
    for (const auto& binding : bindings_)
        binding.box->disconnect(this);
    printOptions_->disconnect(this);
    productTypes_->disconnect(this);
    printLabel_->disconnect(this);
}

int CheckScreen::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * pixelsPerTwip_));
}

void CheckScreen::place(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

QLabel* CheckScreen::caption(const QString& text, int left, int top, QWidget* buddy, int width) {
    auto* label = new QLabel(text, canvas_);
    label->setFont(captionFont());
    label->setBuddy(buddy);
    if (width == 0)
        width = label->sizeHint().width() * 1440 / std::max(1, logicalDpiX()) + 30;
    place(label, left, top, width, kCaptionHeight);
    return label;
}

QLineEdit* CheckScreen::textBox(const char* name, const char* field, int left, int top, int width) {
    auto* box = new QLineEdit(canvas_);
    box->setObjectName(name);
    box->setFont(boxFont());
    place(box, left, top, width, kBoxHeight);
    bindings_.push_back({box, field, {}, {}});
    auto take = [this, box] { takeTyped(*bindingOf(box)); };
    if (isTypedNumber(field))
        connect(box, &QLineEdit::returnPressed, this, take); // leaving the box: see eventFilter
    else
        connect(box, &QLineEdit::textEdited, this, take);
    return box;
}

QPushButton* CheckScreen::button(const char* name, const QString& text, int left, int width) {
    auto* push = new QPushButton(text, canvas_);
    push->setObjectName(name);
    push->setFont(boxFont());
    place(push, left, kButtonTop, width, kButtonHeight - 15);
    // A click leaves the focus where it is: the command hands over the box being typed in, and a
    // refusal is reported once, by the command, not first by the box losing the focus to the button.
    push->setFocusPolicy(Qt::TabFocus);
    return push;
}

void CheckScreen::buildControls() {
    auto* heading = new QLabel("Charge To Account Of:", canvas_);
    heading->setFont(captionFont(9, true));
    place(heading, 120, 90, 3000, 240);

    // The plain text boxes, each caption under its box as on a printed form: the account holder
    // top left, number and date top right, the bank bottom left.
    for (const auto& box : kCaptionedBoxes)
        caption(box.caption, box.left, box.top + kBoxHeight,
                textBox(box.name, box.field, box.left, box.top, box.width));

    buildPrintOptions();

    // Payee and amount.
    auto* payTo = textBox("PayToOrderOf", f::kPayTo, 2400, 2775, 4995);
    auto* payCaption = caption("Pay To The Order Of:", 120, 2805, payTo, 2250);
    payCaption->setFont(captionFont(9, true));
    auto* dollar = new QLabel("$", canvas_);
    dollar->setFont(captionFont(10, true));
    place(dollar, 7620, 2790, 180, 255);
    auto* amount = textBox("CheckAmount", f::kAmount, 7800, 2775, 1590);
    amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption("Amount", 7800, 3060, amount);

    // Comments, bottom right; never printed.
    auto* comments = new QPlainTextEdit(canvas_);
    comments->setObjectName("OptComts");
    comments->setFont(boxFont());
    // Tab moves on across the check as from every other box; it never types into the notes.
    comments->setTabChangesFocus(true);
    widgets::showFocusFrame(*comments);
    place(comments, 4275, 3720, 5235, 1500);
    caption("Comments (optional - will not print on check)", 4275, 3480, comments);
    bindings_.push_back({comments, f::kComments, {}, {}});
    connect(comments, &QPlainTextEdit::textChanged, this, [this, comments] {
        if (!showingRecord_)
            takeTyped(*bindingOf(comments));
    });

    // Product type and memo.
    productTypes_ = new QComboBox(canvas_);
    productTypes_->setObjectName("Combo2");
    productTypes_->setFont(boxFont());
    productTypes_->setEditable(true);
    productTypes_->setInsertPolicy(QComboBox::NoInsert);
    place(productTypes_, 1260, 4590, 2535, 315);
    connect(productTypes_, &QComboBox::activated, this, [this](int index) {
        run([&] { entry_.chooseProductType(productTypes_->itemText(index).toStdString()); });
    });
    // The memo's caption under its box as every other caption, clear of the product type list above.
    auto* memo = textBox("Draft", f::kFor, 60, 4920, 3735);
    caption("For (memo)", 60, 4920 + kBoxHeight, memo, 1150)->setObjectName("MemoCaption");

    buildMicrLine();
    buildButtons();
}

void CheckScreen::buildPrintOptions() {
    // Print options, top middle.
    auto* frame = new QGroupBox("Print Options", canvas_);
    frame->setObjectName("PrintOptionsFrame");
    frame->setFont(captionFont(8, true));
    place(frame, 4455, 360, 3210, 1755);
    auto* question = new QLabel("How will this check print?", frame);
    question->setFont(captionFont());
    question->setGeometry(pixels(150), pixels(300), pixels(2900), pixels(kCaptionHeight));
    printOptions_ = new QComboBox(frame);
    printOptions_->setObjectName("Combo1");
    printOptions_->setFont(boxFont());
    for (const char* option : kPrintOptionEntries)
        printOptions_->addItem(option);
    printOptions_->setGeometry(pixels(150), pixels(540), pixels(2910), pixels(315));
    printOptions_->setFocusPolicy(Qt::TabFocus); // as the buttons
    question->setBuddy(printOptions_);
    printLabel_ = new QCheckBox("Print label for this check", frame);
    printLabel_->setObjectName("PrintLabel");
    printLabel_->setFont(captionFont());
    printLabel_->setGeometry(pixels(150), pixels(1080), pixels(2910), pixels(300));
    printLabel_->setFocusPolicy(Qt::TabFocus);
    connect(printOptions_, &QComboBox::activated, this, [this](int index) {
        run([&] { entry_.choosePrintOption(printOptions_->itemText(index).toStdString()); });
    });
    connect(printLabel_, &QCheckBox::clicked, this, [this](bool checked) {
        printLabel_->setTristate(false);
        entry_.setLabelPrint(checked);
    });
}

void CheckScreen::buildMicrLine() {
    // The MICR line: routing number between two transit symbols, account number before the on-us symbol.
    auto symbol = [this](const char* text, int left) {
        auto* label = new QLabel(text, canvas_);
        label->setFont(micrFont());
        label->setAlignment(Qt::AlignCenter);
        place(label, left, 5520, 240, kBoxHeight);
        return label;
    };
    auto* aba = textBox("ABA", f::kAba, 1635, 5520, 1905);
    aba->setFont(micrFont());
    symbol("A", 1395)->setObjectName("TransitSymbolLeft");
    symbol("A", 3540)->setObjectName("TransitSymbolRight");
    caption("Bank Routing or Transit #", 1635, 5280, aba, 2300);
    auto* account = textBox("Account", f::kAccount, 4260, 5520, 3390);
    account->setFont(micrFont());
    symbol("C", 7650)->setObjectName("OnUsSymbol");
    caption("Account Number (enter uppercase D for dash)", 4260, 5280, account, 3400);
}

void CheckScreen::buildButtons() {
    // The buttons along the bottom.
    connect(button("Command5", "Print", 510, 1215), &QPushButton::clicked, this,
            [this] { leaveTo("PrinterControl"); });
    // Narrower than the others, so that it keeps a gap before "Previous <<" at 3090.
    connect(button("Save", "Exit", 1845, 1095), &QPushButton::clicked, this, [this] { exitProgram(); });
    connect(button("Previous", "&Previous <<", 3090, 1575), &QPushButton::clicked, this,
            [this] { run([&] { entry_.previous(); }); });
    connect(button("Next", ">>     &Next", 4830, 1215), &QPushButton::clicked, this,
            [this] { run([&] { entry_.next(); }); });
    connect(button("New", "N&ew", 6180, 1215), &QPushButton::clicked, this, [this] {
        run([&] {
            // The new check is filled in from its first box, wherever the focus was.
            if (entry_.newCheck())
                canvas_->findChild<QWidget*>(kTabOrder[0])->setFocus(Qt::OtherFocusReason);
        });
    });
    connect(button("Delete", "&Delete", 7560, 1035), &QPushButton::clicked, this,
            [this] { run([&] { entry_.deleteCheck(); }); });

    recordId_ = new QLabel(canvas_);
    recordId_->setObjectName("Label11");
    recordId_->setFont(boxFont());
    recordId_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(recordId_, 8685, 5940, 795, 240);
}

QAction* CheckScreen::menuEntry(QMenu* menu, const char* name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

void CheckScreen::buildMenus() {
    // The screens that open over this one (export, program setup, the MICR screen, the About box):
    // the record is saved first.
    const auto savedThen = [this](std::string_view next) {
        return [this, next] {
            if (saveShown())
                navigator_.show(next);
        };
    };
    widgets::enableMenuBarKeys(*menuBar());
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMenu");
    connect(menuEntry(file, "ExportMenu", "&Export"), &QAction::triggered, this, savedThen("ExportFile"));
    connect(menuEntry(file, "RegisterMenu", "&Register of Printed Checks"), &QAction::triggered, this,
            savedThen("Register"));
    connect(menuEntry(file, "VoidMenu", "&Void a Printed Check..."), &QAction::triggered, this,
            [this] { run([&] { entry_.voidPrintedCheck(); }); });
    connect(menuEntry(file, "MProperties", "&Goto First Check in this Account"), &QAction::triggered, this,
            [this] { run([&] { entry_.gotoFirstCheck(); }); });
    connect(menuEntry(file, "Open", "&Open Another Database"), &QAction::triggered, this,
            [this] { leaveTo("FileOpen"); });
    QAction* paste = menuEntry(file, "Paste", "&Paste Order Form (Order Importer)");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(paste, &QAction::triggered, this, [this] {
        // The importer's own messages say how it went; the screen shows the record it filled before
        // the verification is told.
        run([&] {
            (void)importOrderForm(entry_, QGuiApplication::clipboard()->text().toStdString(),
                                  OrderTarget::CurrentOrNew, [this] { showRecord(); });
        });
    });
    connect(menuEntry(file, "MPrint", "Print"), &QAction::triggered, this,
            [this] { leaveTo("PrinterControl"); });
    connect(menuEntry(file, "Setup", "Program Setup"), &QAction::triggered, this, savedThen("ProgramSetup"));
    connect(menuEntry(file, "FileSave", "&Save"), &QAction::triggered, this,
            [this] { run([&] { entry_.save(); }); });
    connect(menuEntry(file, "MExit", "E&xit"), &QAction::triggered, this, [this] { exitProgram(); });

    // A menu without entries that acts when chosen.
    QAction* print = menuBar()->addAction("&Print");
    print->setObjectName("FilePrint");
    connect(print, &QAction::triggered, this, [this] { leaveTo("PrinterControl"); });

    QMenu* search = menuBar()->addMenu("&Search");
    search->setObjectName("SearchMenu");
    for (const SearchEntry& entry : searchEntries())
        connect(menuEntry(search, entry.control, entry.caption), &QAction::triggered, this,
                [this, &entry] { run([&] { entry_.search(entry); }); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("HelpMenu");
    widgets::addHelpEntries(
        *help, dialogs_,
        {{"HelpMicr", "&Help With MICR Routing Information", savedThen("MicrForm")},
         {"HelpAccountNumber", "Bank Account Number", app::HelpTopic::BankAccountNumber},
         {"HelpRoutingNumber", "&Bank Routing Number", app::HelpTopic::BankRoutingNumber},
         {"hcns", "Check Numbers", app::HelpTopic::CheckNumbers},
         {"HelpEnteringChecks", "Entering Check &Information", app::HelpTopic::EnteringCheckInformation},
         {"HelpPrintOption", "How Will This Check Print Option", app::HelpTopic::PrintOption},
         {"HelpPrinting", "How to Print Checks", app::HelpTopic::HowToPrintChecks},
         {"HelpCheckStock", "Ordering &Check Stock", savedThen("HelpAbout")},
         {"HelpProductType", "Product Type Drop Down Box", app::HelpTopic::ProductType},
         {"HelpAbout", "&About", savedThen("HelpAbout")}});
}

void CheckScreen::buildWarningLine() {
    // Under the check, in the window's client area: what the tinted boxes have to say.
    warningLine_ = new QLabel;
    warningLine_->setObjectName("WarningLine");
    QFont font = boxFont();
    font.setPointSize(9);
    warningLine_->setFont(font);
    warningLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    warningLine_->setWordWrap(true);
    warningLine_->setContentsMargins(pixels(120), pixels(45), pixels(120), pixels(45));
    warningLine_->setFixedSize(canvas_->width(),
                               QFontMetrics(font).lineSpacing() * kWarningLines + pixels(90));
    QPalette palette = warningLine_->palette();
    palette.setColor(QPalette::Window, kWarningTint);
    warningLine_->setPalette(palette);

    // Above it, while a search is in force: which checks Next and Previous walk, and the way back to all.
    searchLine_ = new QLabel;
    searchLine_->setObjectName("SearchLine");
    searchLine_->setFont(font);
    searchLine_->setWordWrap(true);
    searchLine_->setContentsMargins(pixels(120), pixels(45), pixels(120), pixels(45));
    searchLine_->setFixedWidth(canvas_->width());
    searchLine_->setAutoFillBackground(true);
    QPalette searchPalette = searchLine_->palette();
    searchPalette.setColor(QPalette::Window, searchPalette.color(QPalette::AlternateBase));
    searchLine_->setPalette(searchPalette);
    searchLine_->hide();

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(canvas_);
    layout->addWidget(searchLine_);
    layout->addWidget(warningLine_);
    setCentralWidget(client);
}

void CheckScreen::orderTabsByBlocks() {
    QWidget* previous = nullptr;
    for (const char* name : kTabOrder) {
        auto* widget = canvas_->findChild<QWidget*>(name);
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

CheckScreen::Binding* CheckScreen::bindingOf(const QObject* box) {
    for (auto& binding : bindings_) {
        if (binding.box == box)
            return &binding;
    }
    return nullptr;
}

CheckScreen::Binding* CheckScreen::bindingOf(std::string_view field) {
    for (auto& binding : bindings_) {
        if (binding.field == field)
            return &binding;
    }
    return nullptr;
}

QString CheckScreen::boxText(const Binding& binding) const {
    if (auto* edit = qobject_cast<QLineEdit*>(binding.box))
        return edit->text();
    return static_cast<QPlainTextEdit*>(binding.box)->toPlainText();
}

bool CheckScreen::takeTyped(Binding& binding) {
    if (refusing_)
        return false;
    const QString typed = boxText(binding);
    if (typed == binding.shown) {
        if (!binding.refusal.isEmpty()) { // typed back to what the record holds
            binding.refusal.clear();
            showWarnings();
        }
        return true;
    }
    const std::string value =
        binding.field == std::string_view(f::kComments) ? commentsForRecord(typed) : typed.toStdString();
    if (Status status = entry_.setFieldText(binding.field, value); !status) {
        // Refused: the typed text stays in the box, selected, for the user to correct.
        binding.refusal = fromStd(status.message());
        showWarnings();
        // Until the box has the focus back, other boxes losing it hand nothing over.
        refusing_ = true;
        dialogs_.show({status.message(), {}, DialogButtons::Ok, DialogIcon::Exclamation});
        binding.box->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(binding.box))
            edit->selectAll();
        else
            static_cast<QPlainTextEdit*>(binding.box)->selectAll();
        refusing_ = false;
        return false;
    }
    binding.shown = typed;
    binding.refusal.clear();
    showWarnings();
    return true;
}

bool CheckScreen::takeAllTyped() {
    return std::all_of(bindings_.begin(), bindings_.end(),
                       [this](Binding& binding) { return takeTyped(binding); });
}

template <typename Command> void CheckScreen::run(Command&& command) {
    if (!takeAllTyped())
        return; // the refused box says why and has the focus
    command();
    showRecord();
}

void CheckScreen::showRecord() {
    showingRecord_ = true;
    for (auto& binding : bindings_) {
        const db::Value value = entry_.field(binding.field);
        QString text;
        if (binding.field == std::string_view(f::kAmount))
            text = value.money() ? fromStd(value.money()->toFixedText()) : fromStd(value.textOrEmpty());
        else if (binding.field == std::string_view(f::kComments))
            text = commentsForBox(value.textOrEmpty());
        else
            text = fromStd(value.textOrEmpty());
        if (auto* edit = qobject_cast<QLineEdit*>(binding.box)) {
            edit->setText(text);
            edit->setCursorPosition(0);
        } else {
            static_cast<QPlainTextEdit*>(binding.box)->setPlainText(text);
        }
        binding.shown = text;
        binding.refusal.clear();
    }
    showingRecord_ = false;

    const RecordOptions& options = entry_.options();
    const int option = printOptions_->findText(fromStd(options.printOption));
    printOptions_->setCurrentIndex(options.printOption.empty() ? -1 : option);
    productTypes_->setEditText(fromStd(options.productType));
    printLabel_->setTristate(options.label == LabelBox::Greyed);
    printLabel_->setCheckState(options.label == LabelBox::Checked  ? Qt::Checked
                               : options.label == LabelBox::Greyed ? Qt::PartiallyChecked
                                                                   : Qt::Unchecked);
    recordId_->setText(fromStd(entry_.field(f::kId).textOrEmpty()));
    setWindowTitle(fromStd(entry_.windowTitle()));
    const std::string& search = entry_.searchInForce();
    searchLine_->setText(fromStd(search) + kShowAllAgain);
    searchLine_->setVisible(!search.empty());
    showWarnings();
}

void CheckScreen::showWarnings() {
    // Refusals first, as they hold the commands back; then what the box being typed in has to say;
    // then the rest in the order of the boxes.
    QStringList refusals, typedIn, rest;
    QHash<QWidget*, QStringList> about;
    const QWidget* focus = QApplication::focusWidget();
    for (const Binding& binding : bindings_) {
        if (!binding.refusal.isEmpty()) {
            refusals << binding.refusal;
            about[binding.box] << binding.refusal;
        }
    }
    for (const EntryWarning& warning : entryWarnings(entry_)) {
        const QString text = fromStd(warning.text);
        bool aboutFocus = false;
        for (const std::string& field : warning.fields) {
            if (Binding* binding = bindingOf(field)) {
                about[binding->box] << text;
                aboutFocus = aboutFocus || binding->box == focus;
            }
        }
        (aboutFocus ? typedIn : rest) << text;
    }
    for (const Binding& binding : bindings_) {
        const QStringList own = about.value(binding.box);
        tint(binding.box, !own.isEmpty());
        binding.box->setToolTip(own.join('\n'));
    }
    sayWarnings(refusals + typedIn + rest);
}

void CheckScreen::sayWarnings(const QStringList& warnings) {
    // Every warning in full, one to a line (a long one wraps): the lines grow with them, never
    // shrinking below the room of two, so that the window does not jump for every warning.
    warningLine_->setText(warnings.join('\n'));
    const QMargins margins = warningLine_->contentsMargins();
    const int textHeight =
        warningLine_->heightForWidth(warningLine_->width()) - margins.top() - margins.bottom();
    const int room = QFontMetrics(warningLine_->font()).lineSpacing() * kWarningLines;
    warningLine_->setFixedHeight(std::max(room, textHeight) + margins.top() + margins.bottom());
    warningLine_->setToolTip(warnings.join('\n'));
    warningLine_->setAutoFillBackground(!warnings.isEmpty()); // tinted while it says something
}

bool CheckScreen::load() {
    if (!entry_.open(session_.currentLocation())) {
        navigator_.show("FileOpen");
        return false;
    }
    fillProductTypes();
    showRecord();
    return true;
}

void CheckScreen::fillProductTypes() {
    productTypes_->clear();
    for (const auto& type : entry_.productTypes().entries)
        productTypes_->addItem(fromStd(type));
    productTypes_->setVisible(entry_.productTypes().visible);
}

void CheckScreen::reloadSettings() {
    if (!entry_.isOpen())
        return;
    if (entry_.reloadSettings()) { // otherwise the list as it was: nothing the user typed depends on it
        const QString shown = productTypes_->currentText();
        fillProductTypes();
        productTypes_->setEditText(shown);
    }
    showWarnings();
}

void CheckScreen::readRecordAgain() {
    entry_.readCurrentAgain();
    showRecord();
}

bool CheckScreen::saveShown() {
    return takeAllTyped() && entry_.save();
}

void CheckScreen::leaveTo(std::string_view next) {
    if (!saveShown())
        return; // the message said why; the user's changes stay on the screen
    entry_.close();
    leaving_ = true;
    navigator_.show(next);
    close();
}

void CheckScreen::exitProgram() {
    if (leaving_)
        return;
    // Handing over what was typed and saving it both report their own failures; what they could not
    // keep is given up only when the user says so.
    const bool taken = takeAllTyped();
    const bool saved = entry_.save();
    if (!(taken && saved) &&
        !dialogs_.askYesNo("Not all of your changes to this check could be saved. Exit anyway and lose them?",
                           {}, DialogIcon::Exclamation, DialogAnswer::No))
        return;
    entry_.close();
    leaving_ = true;
    // The exit routine runs once this event has returned; its wait screen stands over this one, and
    // its end closes every window.
    setEnabled(false);
    navigator_.exitProgram();
}

void CheckScreen::closeEvent(QCloseEvent* event) {
    // Closing the window from its frame leaves the program the way Exit does; the exit routine closes
    // it in the end.
    if (!leaving_) {
        event->ignore();
        exitProgram();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace velmora::entry
