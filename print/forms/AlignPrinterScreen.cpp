#include "print/forms/AlignPrinterScreen.h"

#include "print/PdfOutput.h"
#include "print/PrintJob.h"
#include "print/StockRun.h"
#include "print/TestPage.h"
#include "print/forms/PrintableAreaQuestion.h"
#include "print/printer/ProgramPrinter.h"
#include "widgets/KeyboardAccess.h"
#include "widgets/ScreenButton.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

namespace velmora::print {

namespace {

const QString kParagraphBreak = "\r\n\r\n";
// clang-format off
const char* const kPrintAnyway = "\n\nPrint the test page anyway? Choose Yes to print it now, or No to change the starting positions first.";
// clang-format on

QPlainTextEdit* helpText(QWidget* parent, const char* objectName, const QString& text) {
    auto* box = new QPlainTextEdit(text, parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    // Read by the keyboard too: a cursor to move through the text, and a frame while it has the focus.
    box->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    widgets::showFocusFrame(*box);
    return box;
}

QLineEdit* offsetBox(QWidget* parent, const char* objectName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    return box;
}

QString offsetText(const std::optional<std::int64_t>& value) {
    return value ? QString::number(*value) : QString();
}

} // namespace

QString AlignPrinterScreen::stockHelp() {
    return QStringList{
        "About The Standard Printing Method Check Box:",
        "Select the standard printing method for check stock that is 88mm in length; This is the check length of most standard letter size 3up check stock. Deselect this check box if you are printing on check stock that is 92mm in length or checks on plain paper and you want to print exactly 3 checks per page. ",
        "By printing exactly 3 checks per page, you only need to make two cuts in the paper for every 3 checks printed. ",
        "NOTE: If your printer has problems printing the last check you will have to use the standard printing method. Some printers do not have a printable area large enough to print the last check if using the 92mm check length; Most laserjet printers can print the last check while most ink jet and bubble jet printers cannot."}
        .join(kParagraphBreak);
}

QString AlignPrinterScreen::alignmentHelp() {
    return QStringList{
        "Before aligning your printer, be sure your printer options are setup to print on Letter Size Paper and Portrait Orientation.",
        "To adjust the printed information on the checks down, increase the Vertical Starting Position number. To adjust the printed information on the checks up you must decrease this number. ",
        "The default number is 200. This number works fine for most laserjet printers, however, on most ink jet printers a value of 350 to 450 works better. Adjust this number so that the bottom of the MICR line is 3/16 of an inch from the bottom of your checks. Unit of measure: 75 = about 1/16th of an inch. ",
        "For horizontal alignment; the Routing Number and the symbols surrounding it should be centered between the area of 5 11/16 and 4 5/16 of an inch measured from the right side of the check. The default horizontal starting position for laserjet printers is 525."}
        .join(kParagraphBreak);
}

std::optional<int> AlignPrinterScreen::parseOffset(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    // toInt takes an optional sign and digits only: no blanks inside, decimals or separators.
    if (!ok || value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return value;
}

AlignPrinterScreen::AlignPrinterScreen(Session& session, Navigator& navigator, PrintSurface* surface,
                                       QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , navigator_(navigator)
    , surface_(surface) {
    setObjectName("AlignPrinter");
    setWindowTitle("Printer Alignment Options");

    auto* title = new QLabel("Printer Alignment Options", this);
    QFont titleFont("Times New Roman");
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);

    vertical_ = offsetBox(this, "Text3");
    horizontal_ = offsetBox(this, "Text2");
    stock88mm_ = new QCheckBox("Use the standard printing method for printing checks 88mm in length.", this);
    stock88mm_->setObjectName("QCS");

    auto* offsets = new QFormLayout;
    offsets->addRow("Vertical Starting Position:", vertical_);
    offsets->addRow("Horizontal Starting Position:", horizontal_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(offsets);
    layout->addWidget(helpText(this, "Text1", alignmentHelp()), 1);
    layout->addWidget(stock88mm_);
    layout->addWidget(helpText(this, "TEXT4", stockHelp()), 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(widgets::screenButton(this, "Print &Test Page", "TestPage",
                                             widgets::ButtonRole::Normal, [this] { printTestPage(); }));
    buttons->addStretch(1);
    buttons->addWidget(
        widgets::screenButton(this, "OK", "Command1", widgets::ButtonRole::Default, [this] { (void)ok(); }));
    layout->addLayout(buttons);
    resize(560, 600);
}

bool AlignPrinterScreen::load() {
    auto settings = app::SettingsStore::open(session_.programDir);
    if (!settings) {
        session_.dialogs->show(
            {settings.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    settings_.emplace(std::move(settings.value()));
    const Result<db::SettingsRecord> record = settings_->read();
    if (!record) {
        session_.dialogs->show(
            {record.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    vertical_->setText(offsetText(record->verticalStart));
    horizontal_->setText(offsetText(record->horizontalStart));
    stock88mm_->setChecked(record->quickenCheckStock.value_or(false));
    return true;
}

void AlignPrinterScreen::closeEvent(QCloseEvent* event) {
    if (!leaving_) {
        const Outcome outcome = ok();
        if (outcome == Outcome::Refused) {
            event->ignore(); // the entry is to be corrected first, as after OK
            return;
        }
        if (outcome == Outcome::NotSaved) {
            // Told already; a store that cannot be written must not keep the user here.
            leaving_ = true;
            navigator_.show("PrinterControl");
        }
    }
    QWidget::closeEvent(event);
}

std::optional<std::pair<int, int>> AlignPrinterScreen::typedOffsets() {
    const std::optional<int> vertical = parseOffset(vertical_->text());
    const std::optional<int> horizontal = parseOffset(horizontal_->text());
    if (!vertical || !horizontal) {
        QLineEdit* wrong = vertical ? horizontal_ : vertical_;
        const std::string name = vertical ? "Horizontal Starting Position" : "Vertical Starting Position";
        session_.dialogs->show(
            {"The " + name +
                 " must be a whole number from -32768 to 32767 (in twips: 75 = about 1/16th of an inch). \"" +
                 wrong->text().toStdString() + "\" was not stored; please correct it.",
             "Printer Alignment Options", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
        wrong->setFocus();
        wrong->selectAll();
        return std::nullopt;
    }
    return std::pair(*vertical, *horizontal);
}

void AlignPrinterScreen::printTestPage() {
    const std::optional<std::pair<int, int>> offsets = typedOffsets();
    if (!offsets)
        return;
    // The page shows the positions as typed, before they are stored, so they can be tried first.
    const Result<db::SettingsRecord> record = settings_->read();
    if (!record) {
        session_.dialogs->show({"The settings could not be read: " + record.message(), "", DialogButtons::Ok,
                                DialogIcon::Critical, DialogAnswer::Ok});
        return;
    }
    CheckPageSetup setup = CheckPageSetup::fromSettings(*record);
    setup.verticalStart = offsets->first;
    setup.horizontalStart = offsets->second;
    setup.stock88mm = stock88mm_->isChecked();
    // A printer set to print to a file writes the page there, after asking before it replaces one.
    RunOutputs outputs(surface_ ? *surface_ : programPrinter());
    PrintSurface& on = outputs.checks();
    Status printed = outputs.prepare(session_.programDir, std::nullopt, true, false,
                                     askBeforeReplacing(*session_.dialogs));
    if (printed)
        printed = on.ready();
    if (printed) {
        TestPage page(setup, on.printableArea(), chooseTextFont(on));
        if (const std::optional<ItemOutside> outside = itemOutside(page, on);
            outside && !askPrintAnyway(*session_.dialogs, *outside, on, kPrintAnyway))
            return;
        printed = print::printTestPage(on, setup);
    }
    if (!printed)
        session_.dialogs->show({"The test page could not be printed: " + sentence(printed.message()),
                                "Nothing printed", DialogButtons::Ok, DialogIcon::Critical,
                                DialogAnswer::Ok});
}

void AlignPrinterScreen::keyPressEvent(QKeyEvent* event) {
    // Return is OK, as on a dialog, also on the check box; on a push button it presses that button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->animateClick();
        else
            (void)ok();
        return;
    }
    QWidget::keyPressEvent(event);
}

AlignPrinterScreen::Outcome AlignPrinterScreen::ok() {
    const std::optional<std::pair<int, int>> offsets = typedOffsets();
    if (!offsets)
        return Outcome::Refused;
    db::SettingsRecord alignment;
    alignment.verticalStart = offsets->first;
    alignment.horizontalStart = offsets->second;
    alignment.quickenCheckStock = stock88mm_->isChecked();
    namespace setting = db::setting;
    if (Status saved = settings_->write(
            alignment, {setting::kVerticalStart, setting::kHorizontalStart, setting::kQuickenCheckStock});
        !saved) {
        session_.dialogs->show({"The alignment could not be saved: " + saved.message(), "", DialogButtons::Ok,
                                DialogIcon::Critical, DialogAnswer::Ok});
        return Outcome::NotSaved;
    }
    leaving_ = true;
    navigator_.show("PrinterControl");
    close();
    return Outcome::Saved;
}

} // namespace velmora::print
