#include "print/forms/PrinterControlScreen.h"

#include "db/CheckQueries.h"
#include "print/PdfOutput.h"
#include "print/StockProducts.h"
#include "print/forms/PreviewWindow.h"
#include "print/forms/PrintableAreaQuestion.h"
#include "print/printer/PrinterSurface.h"
#include "print/printer/ProgramPrinter.h"
#include "widgets/HelpMenu.h"
#include "widgets/KeyboardAccess.h"
#include "widgets/ScreenButton.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QVBoxLayout>
#include <vector>

namespace velmora::print {

namespace {

// clang-format off
const char* const kPrintAnyway = "\n\nPrint anyway? Choose Yes to print now, or No to go to Align Printer.";
const char* const kOptionsNotStored = "Nothing was printed, because the print options on the screen could not be stored for the run. Try again, or close the other programs that use PC.OVL.";
// clang-format on
const char* const kPlainPaperNote =
    "When printing on paper instead of check stock you should use paper that has a light pattern on both sides of it. The checks must also be cut out of the paper so that the bottom of the check is completely straight. Be sure to cut checks where the dashes ( - ) are placed.";

QLabel* textLabel(QWidget* parent, const QString& text, bool heading = false) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    // As tall as its text wrapped at the width it is given, whatever the height of the window.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    if (heading) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QCheckBox* checkBox(QWidget* parent, const char* objectName, const char* caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    return box;
}

QLabel* countLabel(QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(48);
    return label;
}

// Shows the progress of a long run in a modal progress box with the page being printed; a short run
// finishes before the box appears.
class RunProgressBox {
public:
    explicit RunProgressBox(QWidget* parent)
        : box_("", QString(), 0, 1, parent) {
        box_.setWindowTitle("Printer Control Menu");
        box_.setWindowModality(Qt::WindowModal);
        box_.setMinimumDuration(700);
        box_.setCancelButton(nullptr);
        box_.setAutoReset(true);
        box_.reset();
    }
    void update(const print::RunProgress& progress) {
        QString text;
        switch (progress.stage) {
        case print::RunProgress::Stage::Checks:
            text = QString("Printing checks: page %1 of %2").arg(progress.page).arg(progress.pages);
            break;
        case print::RunProgress::Stage::Labels:
            text = QString("Printing labels: page %1 of %2").arg(progress.page).arg(progress.pages);
            break;
        case print::RunProgress::Stage::Saving:
            text = QString("Saving the changes: %1 of %2 records").arg(progress.done).arg(progress.total);
            break;
        }
        if (progress.done == 1 || box_.maximum() != progress.total)
            box_.setMaximum(static_cast<int>(progress.total));
        box_.setLabelText(text);
        box_.setValue(static_cast<int>(progress.done)); // hides itself at the last record
    }

private:
    QProgressDialog box_;
};

} // namespace

PrinterControlScreen::PrinterControlScreen(Session& session, Navigator& navigator,
                                           print::PrintSurface* surface, QWidget* parent)
    : QMainWindow(parent)
    , session_(session)
    , navigator_(navigator)
    , dialogs_(*session.dialogs)
    , surface_(surface) {
    setObjectName("PrinterControl");
    setWindowTitle("Printer Control Menu");

    buildMenuBar();

    auto* body = new QWidget(this);
    setCentralWidget(body);
    QLayout* selections = buildSelections(*body);
    plainPaper_ = checkBox(body, "Check1",
                           "Print checks on p&lain paper.  Deselect this check box if using check stock.");
    stock88mm_ = checkBox(
        body, "QCS",
        "Use 88mm check stock.  Deselect this check box only if you are printing on 92mm check stock.");
    twoPerPage_ = checkBox(
        body, "Print2Checks",
        "Print only 2 checks per page. Check this box only if your printer is having a problem printing the last check on each page. ");
    connect(plainPaper_, &QCheckBox::clicked, this, [this](bool ticked) { plainPaperClicked(ticked); });
    QLayout* buttons = buildButtons(*body);

    auto* layout = new QVBoxLayout(body);
    layout->addWidget(textLabel(
        body,
        "To print checks from information you have entered into the database, select which checks and / or labels you want to print below and choose the Print button."));
    layout->addLayout(selections);
    layout->addSpacing(layout->spacing() * 2);
    layout->addWidget(textLabel(body, "Print Options:", true));
    layout->addWidget(textLabel(
        body, "If you are not printing on check stock, select I am printing checks on plain paper."));
    layout->addWidget(plainPaper_);
    layout->addWidget(stock88mm_);
    layout->addWidget(twoPerPage_);
    layout->addSpacing(layout->spacing() * 2);
    layout->addWidget(textLabel(
        body,
        "The bottom of the MICR line must be positioned 3/16 of an inch from the bottom of the check or draft you are printing. If it is not, choose Align Printer to adjust."));
    layout->addWidget(textLabel(
        body,
        "To print several blank checks or checks for Quicken(tm) or Quickbooks(tm), choose Print Blank Checks from the top menu bar."));
    // Room to spare goes below the notes, above the buttons, never between a heading and its text.
    layout->addStretch(1);
    layout->addLayout(buttons);
    // No fixed size: the screen takes the size its contents need. The two boxes of "ONE TIME" (and of
    // "MULTIPLE TIMES") share their letter: Qt takes such a key as ambiguous, and each press moves
    // the focus to the next of them without ticking either.
}

void PrinterControlScreen::buildMenuBar() {
    // Access keys added to the menu bar's captions, clear of the letters of the screen below it (O,
    // M, L, P, V, A, D, C): Printer Setup S, Print Blank Checks B, Print Deposit Tickets E, Help H.
    QMenuBar* bar = menuBar();
    widgets::enableMenuBarKeys(*bar);
    QAction* setup = bar->addAction("Printer &Setup", this, [this] { printerSetup(); });
    setup->setObjectName("PrintSetup");
    addStockMenu(*bar, "PrintBlankChecksMenu", "Print &Blank Checks", print::StockMenu::BlankChecks);
    addStockMenu(*bar, "PrintDepositTicketsMenu", "Print D&eposit Tickets", print::StockMenu::DepositTickets);
    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("hpc");
    help->menuAction()->setObjectName("hpcAction");
    widgets::addHelpEntries(
        *help, dialogs_,
        {{"canpp", "Checks Are Not Printing Properly", app::HelpTopic::ChecksNotPrintingProperly},
         {"hpl", "Printing Labels", app::HelpTopic::PrintingLabels},
         {"hpbsc", "Printing Blank Checks", app::HelpTopic::PrintingBlankChecks},
         {"pcfqoqb", "Printing Quicken(tm) Compatible Checks", app::HelpTopic::QuickenCompatibleChecks},
         {"pcmth", "Printing Checks Multiple Times", app::HelpTopic::PrintingMultipleTimes},
         {"PurchasingCheckStock", "Purchasing Check Stock", [this] { navigator_.show("HelpAbout"); }},
         {"atpcm", "Selecting What You Want to Print", app::HelpTopic::SelectingWhatToPrint},
         {"spmcb", "About Check Stock", app::HelpTopic::AboutCheckStock},
         {"PrintControlAbout", "About", [this] { navigator_.show("HelpAbout"); }}});
}

// What to print: the four selections, each with the count of the records it would print.
QLayout* PrinterControlScreen::buildSelections(QWidget& body) {
    once_ = checkBox(&body, "Once", "Print all checks selected to print &ONE TIME");
    monthly_ = checkBox(&body, "Monthly", "Print all checks selected to print &MULTIPLE TIMES");
    onceLabels_ = checkBox(&body, "OLabel", "Print labels for checks selected to print &ONE TIME");
    monthlyLabels_ = checkBox(&body, "MLabel", "Print labels for checks selected to print &MULTIPLE TIMES");
    onceCount_ = countLabel(&body, "OTNumber");
    monthlyCount_ = countLabel(&body, "MNumber");
    onceLabelCount_ = countLabel(&body, "OLNumber");
    monthlyLabelCount_ = countLabel(&body, "MLNumber");
    auto* selections = new QGridLayout;
    selections->addWidget(textLabel(&body, "# to print:"), 0, 0);
    int row = 1;
    auto addSelection = [&](QLabel* count, QCheckBox* box) {
        selections->addWidget(count, row, 0);
        selections->addWidget(box, row, 1);
        ++row;
    };
    selections->addWidget(textLabel(&body, "Select what CHECKS you want to print from the database:", true),
                          row++, 1);
    addSelection(onceCount_, once_);
    addSelection(monthlyCount_, monthly_);
    selections->addWidget(textLabel(&body, "Select what LABELS you want to print from the database:", true),
                          row++, 1);
    addSelection(onceLabelCount_, onceLabels_);
    addSelection(monthlyLabelCount_, monthlyLabels_);
    selections->setColumnStretch(1, 1);
    return selections;
}

QLayout* PrinterControlScreen::buildButtons(QWidget& body) {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(widgets::screenButton(&body, "&Print", "PrintButton", widgets::ButtonRole::Default,
                                             [this] { print(); }));
    buttons->addWidget(widgets::screenButton(&body, "Pre&view", "PreviewButton", widgets::ButtonRole::Normal,
                                             [this] { preview(); }));
    buttons->addWidget(widgets::screenButton(&body, "&Align Printer", "Align", widgets::ButtonRole::Normal,
                                             [this] { leave(true); }));
    buttons->addWidget(widgets::screenButton(&body, "&Done", "Command3", widgets::ButtonRole::Normal,
                                             [this] { leave(false); }));
    buttons->addWidget(widgets::screenButton(&body, "&Cancel", "Cancelpc", widgets::ButtonRole::Normal,
                                             [this] { leave(false); }));
    return buttons;
}

bool PrinterControlScreen::load() {
    auto database = db::CheckDatabase::open(session_.currentLocation());
    if (!database) {
        dialogs_.show({database.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    auto settings = app::SettingsStore::open(session_.programDir);
    if (!settings) {
        dialogs_.show({settings.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    database_.emplace(std::move(database.value()));
    settings_.emplace(std::move(settings.value()));
    const Result<db::SettingsRecord> record = settings_->read();
    if (!record) {
        dialogs_.show({record.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    // The printer chosen in Printer Setup at an earlier start, unless another was chosen since.
    if (auto* printer = dynamic_cast<print::PrinterSurface*>(&surface()))
        printer->remember(record->printer);
    plainPaper_->setChecked(record->plainPaper.value_or(false));
    stock88mm_->setChecked(record->quickenCheckStock.value_or(false));
    twoPerPage_->setChecked(record->print2Checks.value_or(false));
    const Result<db::SelectionCounts> counts = db::countSelections(database_->connection());
    if (!counts) {
        dialogs_.show({counts.message(), "", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    onceCount_->setText(QString::number(counts->once));
    monthlyCount_->setText(QString::number(counts->monthly));
    onceLabelCount_->setText(QString::number(counts->onceLabels));
    monthlyLabelCount_->setText(QString::number(counts->monthlyLabels));
    return true;
}

print::PrintSurface& PrinterControlScreen::surface() {
    return surface_ ? *surface_ : print::programPrinter();
}

void PrinterControlScreen::plainPaperClicked(bool ticked) {
    if (ticked)
        dialogs_.show({kPlainPaperNote, "NOTE", DialogButtons::Ok, DialogIcon::None, DialogAnswer::Ok});
}

print::PrintSelection PrinterControlScreen::selection() const {
    return {once_->isChecked(), monthly_->isChecked(), onceLabels_->isChecked(), monthlyLabels_->isChecked()};
}

bool PrinterControlScreen::saveSettings() {
    db::SettingsRecord options;
    options.plainPaper = plainPaper_->isChecked();
    options.quickenCheckStock = stock88mm_->isChecked();
    options.print2Checks = twoPerPage_->isChecked();
    namespace setting = db::setting;
    if (Status saved = settings_->write(
            options, {setting::kPlainPaper, setting::kQuickenCheckStock, setting::kPrint2Checks});
        !saved) {
        dialogs_.show({"The print options could not be saved: " + saved.message(), "", DialogButtons::Ok,
                       DialogIcon::Exclamation, DialogAnswer::Ok});
        return false;
    }
    return true;
}

std::optional<print::CheckPageSetup> PrinterControlScreen::pageSetup() {
    const Result<db::SettingsRecord> record = settings_->read();
    if (!record) {
        dialogs_.show({"The settings could not be read: " + record.message(), "", DialogButtons::Ok,
                       DialogIcon::Critical, DialogAnswer::Ok});
        return std::nullopt;
    }
    return print::CheckPageSetup::fromSettings(*record);
}

void PrinterControlScreen::print() {
    // The run prints with the options on the screen, or not at all.
    if (!saveSettings()) {
        dialogs_.show({kOptionsNotStored, "Nothing printed", DialogButtons::Ok, DialogIcon::Exclamation,
                       DialogAnswer::Ok});
        return;
    }
    const std::optional<print::CheckPageSetup> setup = pageSetup();
    if (!setup)
        return;
    const print::PrintSelection wanted = selection();
    // A printer set to print to a file writes the checks there and the labels beside them.
    print::RunOutputs outputs(surface());
    if (Status usable = outputs.prepare(session_.programDir, database_->ownFile(), wanted.checks(),
                                        wanted.labels(), print::askBeforeReplacing(dialogs_));
        !usable) {
        dialogs_.show({usable.message() + ". Nothing was printed; choose another file in Printer Setup.",
                       "Nothing printed", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return;
    }
    print::PrintRun run(*database_, *setup, dialogs_);
    if (!printableAreaAccepted(run, wanted, outputs.checks()))
        return;
    RunProgressBox progress(this);
    run.setProgress([&progress](const print::RunProgress& p) { progress.update(p); });
    const print::RunReport report = run.run(wanted, outputs.checks(), outputs.labels());
    // Nothing selected, no printer or another run printing: the menu stays, to try again.
    if (report.nothingSelected || report.noPrinter || report.busy)
        return;
    leaving_ = true;
    navigator_.show("Check");
    close();
}

void PrinterControlScreen::preview() {
    saveSettings();
    const std::optional<print::CheckPageSetup> setup = pageSetup();
    if (!setup)
        return;
    print::PrintRun run(*database_, *setup, dialogs_);
    std::unique_ptr<print::RunPages> pages = run.preview(selection(), surface());
    if (!pages)
        return; // nothing selected, or the records cannot be read: the user has been told
    if (showPreview(*pages))
        print();
}

bool PrinterControlScreen::showPreview(print::PageSource& pages) {
    // The pages sit on the paper where the printer puts them.
    print::PaperLayout paper{{print::PainterSurface::pdfMarginInches, print::PainterSurface::pdfMarginInches},
                             {}};
    if (auto* printer = dynamic_cast<print::PrinterSurface*>(&surface()); printer && printer->queue()) {
        const QMarginsF margins = printer->margins() / 72.0;
        paper.origin = {margins.left(), margins.top()};
        paper.printable = QRectF(QPointF(margins.left(), margins.top()),
                                 QPointF(8.5 - margins.right(), 11 - margins.bottom()));
    }
    print::PreviewWindow window(pages, paper, this);
    window.exec();
    return window.printRequested();
}

void PrinterControlScreen::printerSetup() {
    if (Status shown = surface().ShowPrinterSetup(); !shown) {
        dialogs_.show(
            {shown.message(), "Printer Setup", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
        return;
    }
    auto* printer = dynamic_cast<print::PrinterSurface*>(&surface());
    // A file is for this session only; a printer (or the system's default) is kept for the next start.
    if (!printer || printer->choice().kind == print::PrinterChoice::Kind::PdfFile)
        return;
    const bool named = printer->choice().kind == print::PrinterChoice::Kind::Printer;
    db::SettingsRecord chosen;
    chosen.printer = named ? std::optional(printer->choice().name) : std::nullopt;
    if (Status saved = settings_->write(chosen, {db::setting::kPrinter}); !saved)
        dialogs_.show(
            {saved.message(), "Printer Setup", DialogButtons::Ok, DialogIcon::Exclamation, DialogAnswer::Ok});
}

bool PrinterControlScreen::printableAreaAccepted(print::PrintRun& run, const print::PrintSelection& wanted,
                                                 const print::PrintSurface& target) {
    if (!wanted.checks() || !target.ready())
        return true; // the run tells that there is no printer
    // Every check of the run is laid out once: a second or so for tens of thousands.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<print::ItemOutside> outside = run.checkItemsOutside(wanted, target);
    QGuiApplication::restoreOverrideCursor();
    return !outside || printAnyway(*outside, target);
}

bool PrinterControlScreen::printAnyway(const print::ItemOutside& outside, const print::PrintSurface& target) {
    if (askPrintAnyway(dialogs_, outside, target, kPrintAnyway))
        return true;
    leave(true);
    return false;
}

std::optional<db::SettingsRecord> PrinterControlScreen::stockSettings() {
    // The products read the options on the screen, through the settings record they are bound to.
    if (!saveSettings()) {
        dialogs_.show({kOptionsNotStored, "Nothing printed", DialogButtons::Ok, DialogIcon::Exclamation,
                       DialogAnswer::Ok});
        return std::nullopt;
    }
    Result<db::SettingsRecord> record = settings_->read();
    if (!record) {
        dialogs_.show({"The settings could not be read: " + record.message(), "", DialogButtons::Ok,
                       DialogIcon::Critical, DialogAnswer::Ok});
        return std::nullopt;
    }
    return std::move(record.value());
}

void PrinterControlScreen::addStockMenu(QMenuBar& bar, const char* objectName, const char* title,
                                        print::StockMenu which) {
    QMenu* menu = bar.addMenu(title);
    menu->setObjectName(objectName);
    menu->menuAction()->setObjectName(QString(objectName) + "Action");
    std::vector<const print::StockProduct*> entries;
    for (const print::StockProduct& product : print::stockProducts()) {
        if (product.menu == which)
            entries.push_back(&product);
    }
    // Each entry prints its product; below them, the same products previewed. Within a menu the
    // entries are reached with the arrow keys; those that print have a letter too.
    for (const print::StockProduct* product : entries)
        menu->addAction(QString::fromStdString(product->caption), this,
                        [this, product] { printStock(*product); })
            ->setObjectName(QString::fromStdString(product->objectName));
    menu->addSeparator();
    for (const print::StockProduct* product : entries)
        menu->addAction("Preview " + QString::fromStdString(product->caption).remove('&'), this,
                        [this, product] { previewStock(*product); })
            ->setObjectName(QString::fromStdString(product->objectName) + "Preview");
}

bool PrinterControlScreen::stockOutputUsable(print::RunOutputs& outputs) {
    if (Status usable = outputs.prepare(session_.programDir, database_->ownFile(), true, false,
                                        print::askBeforeReplacing(dialogs_));
        !usable) {
        dialogs_.show({usable.message() + ". Nothing was printed; choose another file in Printer Setup.",
                       "Nothing printed", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return false;
    }
    return true;
}

void PrinterControlScreen::tellNotes(const print::JobReport& report) {
    for (const std::string& note : report.notes)
        dialogs_.show(
            {note, "Printer Control Menu", DialogButtons::Ok, DialogIcon::Information, DialogAnswer::Ok});
}

void PrinterControlScreen::printStock(const print::StockProduct& product) {
    const std::optional<db::SettingsRecord> settings = stockSettings();
    if (!settings)
        return;
    // A printer set to print to a file writes the job there.
    print::RunOutputs outputs(surface());
    if (!stockOutputUsable(outputs))
        return;
    RunProgressBox progress(this);
    tellNotes(print::runStock(
        product, *database_, *settings, outputs.checks(), dialogs_,
        [&progress](const print::RunProgress& p) { progress.update(p); },
        [&](print::StockRun& job) { return stockFits(job, outputs.checks()); }));
}

bool PrinterControlScreen::stockFits(print::StockRun& job, const print::PrintSurface& target) {
    const std::optional<print::ItemOutside> outside = job.itemOutside(target);
    return !outside || printAnyway(*outside, target);
}

void PrinterControlScreen::previewStock(const print::StockProduct& product) {
    const std::optional<db::SettingsRecord> settings = stockSettings();
    if (!settings)
        return;
    print::StockRun job(*database_, print::CheckPageSetup::fromSettings(*settings), product,
                        settings->tranCode.value_or(""), print::StockRun::Mode::Preview);
    if (job.prepare(dialogs_, surface()) != print::PrintJob::Start::Print || !showPreview(job))
        return;
    // Print prints what was shown: the same count and numbers, nothing asked again.
    print::RunOutputs outputs(surface());
    if (!stockOutputUsable(outputs) ||
        job.printPreviewed(dialogs_, outputs.checks()) != print::PrintJob::Start::Print)
        return;
    RunProgressBox progress(this);
    job.setProgress([&progress](const print::RunProgress& p) { progress.update(p); });
    tellNotes(print::printStockRun(job, outputs.checks(), dialogs_, database_->connection(),
                                   [&](print::StockRun& run) { return stockFits(run, outputs.checks()); }));
}

void PrinterControlScreen::closeEvent(QCloseEvent* event) {
    if (!leaving_) {
        saveSettings();
        leaving_ = true;
        navigator_.show("Check");
    }
    QMainWindow::closeEvent(event);
}

void PrinterControlScreen::leave(bool toAlignment) {
    saveSettings();
    leaving_ = true;
    if (toAlignment)
        navigator_.show("AlignPrinter");
    else
        navigator_.show("Check");
    close();
}

} // namespace velmora::print
