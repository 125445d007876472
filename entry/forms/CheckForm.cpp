#include "entry/forms/CheckForm.h"

#include "db/CheckRecord.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
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

// Comments keep CR LF line ends (the print run puts its history lines in front with them); the box
// works with LF.
QString commentsForBox(const std::string& stored) {
    return fromStd(stored).replace("\r\n", "\n");
}
std::string commentsForRecord(const QString& shown) {
    return QString(shown).replace("\n", "\r\n").toStdString();
}

} // namespace

CheckForm::CheckForm(Session& session, Navigator& navigator, Dialogs& dialogs, QWidget* parent)
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
    setCentralWidget(canvas_);
    buildControls();
    buildMenus();
    orderTabsAcrossTheCheck();
    // The buttons' access keys win over the menu bar's: "&Previous <<" and the Print menu's "&Print"
    // share Alt+P, and a key that cycles between moving back and leaving the screen is no use.
    for (QPushButton* push : canvas_->findChildren<QPushButton*>())
        buttonKeys_.emplace_back(QKeySequence::mnemonic(push->text()), push);
    canvas_->installEventFilter(this);
    for (QWidget* widget : canvas_->findChildren<QWidget*>())
        widget->installEventFilter(this);
}

bool CheckForm::eventFilter(QObject* watched, QEvent* event) {
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

CheckForm::~CheckForm() {
    // The boxes outlive this class's members while QWidget takes them down, and losing the focus
    // then would hand their text to a record that is gone.
    for (const auto& binding : bindings_)
        binding.box->disconnect(this);
    printOptions_->disconnect(this);
    productTypes_->disconnect(this);
    printLabel_->disconnect(this);
}

int CheckForm::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * pixelsPerTwip_));
}

void CheckForm::place(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

QLabel* CheckForm::caption(const QString& text, int left, int top, QWidget* buddy, int width) {
    auto* label = new QLabel(text, canvas_);
    label->setFont(captionFont());
    label->setBuddy(buddy);
    if (width == 0)
        width = label->sizeHint().width() * 1440 / std::max(1, logicalDpiX()) + 30;
    place(label, left, top, width, kCaptionHeight);
    return label;
}

QLineEdit* CheckForm::textBox(const char* name, const char* field, int left, int top, int width) {
    auto* box = new QLineEdit(canvas_);
    box->setObjectName(name);
    box->setFont(boxFont());
    place(box, left, top, width, kBoxHeight);
    bindings_.push_back({box, field, {}});
    connect(box, &QLineEdit::textEdited, this, [this, box] {
        // Text fields take every keystroke; the amount and the check number are checked when the
        // user leaves the box.
        Binding* binding = bindingOf(box);
        if (binding->field != std::string_view(f::kAmount) && binding->field != std::string_view(f::kCheck))
            takeTyped(*binding);
        if (binding->field == std::string_view(f::kAba))
            showWarnings();
    });
    connect(box, &QLineEdit::editingFinished, this, [this, box] {
        Binding* binding = bindingOf(box);
        if (takeTyped(*binding) && binding->field == std::string_view(f::kCheck))
            showWarnings();
    });
    return box;
}

QPushButton* CheckForm::button(const char* name, const QString& text, int left, int width) {
    auto* push = new QPushButton(text, canvas_);
    push->setObjectName(name);
    push->setFont(boxFont());
    place(push, left, kButtonTop, width, kButtonHeight - 15);
    return push;
}

void CheckForm::buildControls() {
    auto* heading = new QLabel("Charge To Account Of:", canvas_);
    heading->setFont(captionFont(9, true));
    place(heading, 120, 90, 3000, 240);

    // The plain text boxes, each caption under its box as on a printed form: the account holder
    // top left, number and date top right, the bank bottom left.
    for (const auto& box : kCaptionedBoxes)
        caption(box.caption, box.left, box.top + kBoxHeight,
                textBox(box.name, box.field, box.left, box.top, box.width));

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
    question->setBuddy(printOptions_);
    printLabel_ = new QCheckBox("Print label for this check", frame);
    printLabel_->setObjectName("PrintLabel");
    printLabel_->setFont(captionFont());
    printLabel_->setGeometry(pixels(150), pixels(1080), pixels(2910), pixels(300));
    connect(printOptions_, &QComboBox::activated, this, [this](int index) {
        run([&] { entry_.choosePrintOption(printOptions_->itemText(index).toStdString()); });
    });
    connect(printLabel_, &QCheckBox::clicked, this, [this](bool checked) {
        printLabel_->setTristate(false);
        entry_.setLabelPrint(checked);
    });

    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    checkNumberWarning_ = new QLabel(canvas_);
    checkNumberWarning_->setObjectName("CheckNumberWarning");
    checkNumberWarning_->setPixmap(warning.pixmap(pixels(240)));
    place(checkNumberWarning_, 9300, 490, 240, 240);
    checkNumberWarning_->hide();

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
    place(comments, 4275, 3720, 5235, 1500);
    caption("Comments (optional - will not print on check)", 4275, 3480, comments);
    bindings_.push_back({comments, f::kComments, {}});
    connect(comments, &QPlainTextEdit::textChanged, this, [this, comments] {
        if (!takingTyped_)
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
    auto* memo = textBox("Draft", f::kFor, 60, 4920, 3735);
    caption("For (memo)", 60, 4650, memo, 1150);

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
    routingWarning_ = new QLabel(canvas_);
    routingWarning_->setObjectName("AbaWarning");
    routingWarning_->setPixmap(warning.pixmap(pixels(240)));
    place(routingWarning_, 3840, 5540, 240, 240);
    routingWarning_->hide();
    auto* account = textBox("Account", f::kAccount, 4260, 5520, 3390);
    account->setFont(micrFont());
    symbol("C", 7650)->setObjectName("OnUsSymbol");
    caption("Account Number (enter uppercase D for dash)", 4260, 5280, account, 3400);

    // The buttons along the bottom.
    connect(button("Command5", "Print", 510, 1215), &QPushButton::clicked, this,
            [this] { leaveTo(&Navigator::showPrinterControl); });
    connect(button("Save", "Exit", 1845, 1215), &QPushButton::clicked, this, [this] { exitProgram(); });
    connect(button("Previous", "&Previous <<", 3090, 1575), &QPushButton::clicked, this,
            [this] { run([&] { entry_.previous(); }); });
    connect(button("Next", ">>     &Next", 4830, 1215), &QPushButton::clicked, this,
            [this] { run([&] { entry_.next(); }); });
    connect(button("New", "N&ew", 6180, 1215), &QPushButton::clicked, this,
            [this] { run([&] { entry_.newCheck(); }); });
    connect(button("Delete", "&Delete", 7560, 1035), &QPushButton::clicked, this,
            [this] { run([&] { entry_.deleteCheck(); }); });

    recordId_ = new QLabel(canvas_);
    recordId_->setObjectName("Label11");
    recordId_->setFont(boxFont());
    recordId_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(recordId_, 8685, 5940, 795, 240);
}

QAction* CheckForm::menuEntry(QMenu* menu, const char* name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}

void CheckForm::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMenu");
    connect(menuEntry(file, "ExportMenu", "&Export"), &QAction::triggered, this,
            [this] { notAvailable("Export", true); });
    connect(menuEntry(file, "MProperties", "&Goto First Check in this Account"), &QAction::triggered, this,
            [this] { run([&] { entry_.gotoFirstCheck(); }); });
    connect(menuEntry(file, "Open", "&Open Another Database"), &QAction::triggered, this,
            [this] { leaveTo(&Navigator::showFileOpen); });
    QAction* paste = menuEntry(file, "Paste", "&Paste Order Form (Order Importer)");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(paste, &QAction::triggered, this, [this] { notAvailable("The order importer", false); });
    connect(menuEntry(file, "MPrint", "Print"), &QAction::triggered, this,
            [this] { leaveTo(&Navigator::showPrinterControl); });
    connect(menuEntry(file, "Setup", "Program Setup"), &QAction::triggered, this,
            [this] { notAvailable("Program setup", true); });
    connect(menuEntry(file, "FileSave", "&Save"), &QAction::triggered, this,
            [this] { run([&] { entry_.save(); }); });
    connect(menuEntry(file, "MExit", "E&xit"), &QAction::triggered, this, [this] { exitProgram(); });

    // A menu without entries that acts when chosen.
    QAction* print = menuBar()->addAction("&Print");
    print->setObjectName("FilePrint");
    connect(print, &QAction::triggered, this, [this] { leaveTo(&Navigator::showPrinterControl); });

    QMenu* search = menuBar()->addMenu("&Search");
    search->setObjectName("SearchMenu");
    const std::pair<const char*, const char*> searches[] = {
        {"AllInAccount", "View &All Checks in Database (default)"},
        {"ViewByName", "By &Business Name"},
        {"LastName", "By &Last Name"},
        {"FirstName", "By First &Name"},
        {"CheckNum", "By &Check Number"},
        {"AccountNumber", "By A&ccount Number"},
        {"ByMemoField", "By Memo Field"},
        {"ByComments", "By Comments"},
    };
    for (const auto& [name, text] : searches)
        connect(menuEntry(search, name, text), &QAction::triggered, this,
                [this] { notAvailable("Search", true); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("HelpMenu");
    // The MICR screen and the About box open over this screen: the record is saved first.
    const std::tuple<const char*, const char*, bool> helps[] = {
        {"HelpMicr", "&Help With MICR Routing Information", true},
        {"HelpAccountNumber", "Bank Account Number", false},
        {"HelpRoutingNumber", "&Bank Routing Number", false},
        {"hcns", "Check Numbers", false},
        {"HelpEnteringChecks", "Entering Check &Information", false},
        {"HelpPrintOption", "How Will This Check Print Option", false},
        {"HelpPrinting", "How to Print Checks", false},
        {"HelpCheckStock", "Ordering &Check Stock", true},
        {"HelpProductType", "Product Type Drop Down Box", false},
        {"HelpAbout", "&About", true},
    };
    for (const auto& [name, text, saveFirst] : helps) {
        const bool save = saveFirst;
        connect(menuEntry(help, name, text), &QAction::triggered, this,
                [this, save] { notAvailable("Help", save); });
    }
}

void CheckForm::orderTabsAcrossTheCheck() {
    // From the top left of the check to the bottom right, row by row as the eye reads it.
    std::vector<QWidget*> focusable;
    for (QWidget* child : canvas_->findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) && !qobject_cast<QLabel*>(child) && child->parent() &&
            !child->objectName().isEmpty())
            focusable.push_back(child);
    }
    auto position = [this](QWidget* widget) { return widget->mapTo(canvas_, QPoint(0, 0)); };
    std::stable_sort(focusable.begin(), focusable.end(), [&](QWidget* a, QWidget* b) {
        const QPoint pa = position(a), pb = position(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        setTabOrder(focusable[i - 1], focusable[i]);
}

CheckForm::Binding* CheckForm::bindingOf(const QWidget* box) {
    for (auto& binding : bindings_) {
        if (binding.box == box)
            return &binding;
    }
    return nullptr;
}

QString CheckForm::boxText(const Binding& binding) const {
    if (auto* edit = qobject_cast<QLineEdit*>(binding.box))
        return edit->text();
    return static_cast<QPlainTextEdit*>(binding.box)->toPlainText();
}

bool CheckForm::takeTyped(Binding& binding) {
    const QString typed = boxText(binding);
    if (typed == binding.shown || takingTyped_)
        return true;
    const std::string value =
        binding.field == std::string_view(f::kComments) ? commentsForRecord(typed) : typed.toStdString();
    if (Status status = entry_.setFieldText(binding.field, value); !status) {
        // Refused: the box goes back to its last good value before the message shows.
        takingTyped_ = true;
        if (auto* edit = qobject_cast<QLineEdit*>(binding.box))
            edit->setText(binding.shown);
        else
            static_cast<QPlainTextEdit*>(binding.box)->setPlainText(binding.shown);
        takingTyped_ = false;
        dialogs_.show({status.message(), {}, DialogButtons::Ok, DialogIcon::Exclamation});
        return false;
    }
    binding.shown = typed;
    return true;
}

bool CheckForm::takeAllTyped() {
    bool all = true;
    for (auto& binding : bindings_)
        all = takeTyped(binding) && all;
    return all;
}

template <typename Command> void CheckForm::run(Command&& command) {
    takeAllTyped();
    command();
    showRecord();
}

void CheckForm::showRecord() {
    takingTyped_ = true;
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
    }
    takingTyped_ = false;

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
    showWarnings();
}

void CheckForm::showWarnings() {
    auto show = [](QLabel* label, const std::string& warning) {
        label->setToolTip(fromStd(warning));
        label->setAccessibleName(fromStd(warning));
        label->setVisible(!warning.empty());
    };
    show(routingWarning_, entry_.routingWarning());
    show(checkNumberWarning_, entry_.checkNumberWarning());
}

bool CheckForm::load() {
    if (!entry_.open(session_.currentDatabase)) {
        navigator_.showFileOpen();
        return false;
    }
    productTypes_->clear();
    for (const auto& type : entry_.productTypes().entries)
        productTypes_->addItem(fromStd(type));
    productTypes_->setVisible(entry_.productTypes().visible);
    showRecord();
    return true;
}

void CheckForm::leaveTo(void (Navigator::*next)()) {
    takeAllTyped();
    if (!entry_.save())
        return; // the message said why; the user's changes stay on the screen
    entry_.close();
    leaving_ = true;
    close();
    (navigator_.*next)();
}

void CheckForm::exitProgram() {
    takeAllTyped();
    entry_.save();
    entry_.close();
    leaving_ = true;
    close();
    navigator_.exitProgram();
}

void CheckForm::notAvailable(const char* what, bool saveFirst) {
    if (saveFirst) {
        takeAllTyped();
        entry_.save();
    }
    dialogs_.informNotAvailable(what);
}

void CheckForm::closeEvent(QCloseEvent* event) {
    // Closing the window from its frame leaves the program the way Exit does.
    if (!leaving_) {
        event->ignore();
        exitProgram();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace velmora::entry
