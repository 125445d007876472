#include "export/forms/RegisterScreen.h"

#include "base/Clock.h"
#include "widgets/ScreenButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora::exporting {

namespace fs = std::filesystem;

namespace {

const char* const kTitle = "Check Register";
// A date box at its lowest date shows this and leaves that end of the range open.
const char* const kAnyDate = "(any)";
const QDate kOpenEnd(2000, 1, 1);

// clang-format off
const char* const kVoidQuestion = " It is told to the bank as void with the next positive pay file, and its number is never used again. This cannot be undone.\n\nVoid it?";
const char* const kVoidReason = "Why is it void? The reason is kept in the register and in the check's comments; you may leave it empty. Cancel voids nothing.";
const char* const kRangeNeeded = "A positive pay file tells the bank the checks of a range of dates: choose the first and the last date (From and To) before writing it.";
// clang-format on

QDateEdit* dateBox(QWidget* parent, const char* name) {
    auto* box = new QDateEdit(parent);
    box->setObjectName(name);
    box->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    box->setCalendarPopup(true);
    box->setMinimumDate(kOpenEnd);
    box->setSpecialValueText(kAnyDate);
    box->setDate(kOpenEnd);
    return box;
}

std::optional<std::string> isoOf(const QDateEdit* box) {
    const QDate date = box->date();
    if (date == kOpenEnd)
        return std::nullopt;
    return isoDateText({date.year(), date.month(), date.day()});
}

QLabel* captionFor(QWidget* parent, const char* text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

RegisterScreen::RegisterScreen(Session& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , session_(session)
    , dialogs_(dialogs) {
    setObjectName("Register");
    setWindowTitle(kTitle);
    // Over the data entry screen, whose record was saved before and is read again after.
    setWindowModality(Qt::ApplicationModal);
}

RegisterScreen::~RegisterScreen() {
    if (table_)
        table_->setModel(nullptr);
}

bool RegisterScreen::load() {
    auto database = db::CheckDatabase::open(session_.currentLocation());
    if (!database) {
        dialogs_.show({database.message(), kTitle, DialogButtons::Ok, DialogIcon::Critical});
        return false;
    }
    database_.emplace(std::move(database.value()));
    model_ = std::make_unique<RegisterModel>(database_->connection());
    buildControls();
    applyView();
    return true;
}

void RegisterScreen::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    from_ = dateBox(this, "From");
    to_ = dateBox(this, "To");
    states_ = new QComboBox(this);
    states_->setObjectName("States");
    states_->addItems({"All checks", "Issued checks", "Void checks"});
    filters->addWidget(captionFor(this, "&From:", from_));
    filters->addWidget(from_);
    filters->addWidget(captionFor(this, "&To:", to_));
    filters->addWidget(to_);
    filters->addWidget(captionFor(this, "&Show:", states_));
    filters->addWidget(states_);
    filters->addStretch(1);
    layout->addLayout(filters);
    connect(from_, &QDateEdit::dateChanged, this, [this] { applyView(); });
    connect(to_, &QDateEdit::dateChanged, this, [this] { applyView(); });
    connect(states_, &QComboBox::currentIndexChanged, this, [this] { applyView(); });

    table_ = new QTableView(this);
    table_->setObjectName("RegisterTable");
    table_->setModel(model_.get());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing is measured over the rows, which are read only
    // as they come into sight.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    const int character = table_->fontMetrics().averageCharWidth();
    table_->setColumnWidth(RegisterModel::NumberColumn, character * 10);
    // The widest date of the locale's short form (a long month name, two-digit day) sets its column.
    table_->setColumnWidth(RegisterModel::DateColumn,
                           table_->fontMetrics().horizontalAdvance(RegisterModel::dateText("2026-09-28")) +
                               character * 3);
    table_->setColumnWidth(RegisterModel::PayToColumn, character * 34);
    table_->setColumnWidth(RegisterModel::AmountColumn, character * 16);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(captionFor(this, "C&hecks printed, by number:", table_));
    layout->addWidget(table_, 1);

    totals_ = new QLabel(this);
    totals_->setObjectName("Totals");
    layout->addWidget(totals_);

    auto* buttons = new QGridLayout;
    void_ = widgets::screenButton(this, "&Void Selected Check", "VoidCheck", widgets::ButtonRole::Normal,
                                  [this] { voidSelected(); });
    buttons->addWidget(void_, 0, 0);
    buttons->addWidget(widgets::screenButton(this, "&Export Shown Checks", "ExportShown",
                                             widgets::ButtonRole::Normal, [this] { writeShownRows(); }),
                       0, 1);
    format_ = new QComboBox(this);
    format_->setObjectName("Format");
    for (const PositivePayFormat& format : positivePayFormats()) {
        format_->addItem(QString::fromUtf8(format.name.data(), static_cast<qsizetype>(format.name.size())));
        format_->setItemData(
            format_->count() - 1,
            QString::fromUtf8(format.description.data(), static_cast<qsizetype>(format.description.size())),
            Qt::ToolTipRole);
    }
    auto* pay = new QHBoxLayout;
    pay->addWidget(captionFor(this, "Bank f&ormat:", format_));
    pay->addWidget(format_, 1);
    pay->addWidget(widgets::screenButton(this, "&Positive Pay File", "PositivePay",
                                         widgets::ButtonRole::Normal, [this] { writePositivePay(); }));
    buttons->addLayout(pay, 1, 0, 1, 2);
    buttons->addWidget(widgets::screenButton(this, "&Close", "CloseRegister", widgets::ButtonRole::Normal,
                                             [this] { close(); }),
                       0, 2);
    layout->addLayout(buttons);
    resize(character * 100, table_->verticalHeader()->defaultSectionSize() * 24);
    table_->setFocus();
}

db::RegisterView RegisterScreen::chosenView() const {
    db::RegisterView view;
    view.from = isoOf(from_);
    view.to = isoOf(to_);
    const int state = states_->currentIndex();
    view.states = state == 1   ? db::RegisterView::States::Issued
                  : state == 2 ? db::RegisterView::States::Void
                               : db::RegisterView::States::All;
    return view;
}

void RegisterScreen::applyView() {
    if (Status read = model_->setView(chosenView()); !read)
        dialogs_.show({"The register could not be read: " + read.message(), kTitle, DialogButtons::Ok,
                       DialogIcon::Critical});
    if (model_->rowCount() > 0)
        table_->selectRow(0);
    showTotals();
}

void RegisterScreen::showTotals() {
    const db::RegisterTotals& totals = model_->totals();
    const QLocale locale;
    QString text = locale.toString(static_cast<qlonglong>(totals.count)) +
                   (totals.count == 1 ? " check shown, total " : " checks shown, total ") +
                   RegisterModel::amountText(totals.cents);
    if (totals.issuedCents != totals.cents)
        text += " (issued " + RegisterModel::amountText(totals.issuedCents) + ")";
    totals_->setText(text);
}

void RegisterScreen::voidSelected() {
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    const std::optional<db::RegisterEntry> entry =
        selected.isEmpty() ? std::nullopt : model_->entryAt(selected.front().row());
    if (!entry) {
        dialogs_.show({"Select the check to void in the table first.", kTitle, DialogButtons::Ok,
                       DialogIcon::Exclamation});
        return;
    }
    if (entry->isVoid()) {
        dialogs_.show({"Check #" + std::to_string(entry->check) + " is void already.", kTitle,
                       DialogButtons::Ok, DialogIcon::Exclamation});
        return;
    }
    const std::string described =
        "Check #" + std::to_string(entry->check) + (entry->payTo ? " to " + *entry->payTo : std::string()) +
        (entry->amount ? " for " + RegisterModel::amountText(entry->amount->cents()).toStdString()
                       : std::string()) +
        ", printed on " + RegisterModel::dateText(entry->printed).toStdString() + ".";
    if (!dialogs_.askYesNo(described + kVoidQuestion, kTitle, DialogIcon::Question, DialogAnswer::No))
        return;
    const std::optional<std::string> reason = dialogs_.input({kVoidReason, kTitle, {}});
    if (!reason)
        return;
    const Result<db::RegisterEntry> voided = db::voidEntry(database_->connection(), entry->id, *reason);
    if (!voided) {
        dialogs_.show({voided.message(), kTitle, DialogButtons::Ok, DialogIcon::Critical});
        return;
    }
    const int row = selected.front().row();
    if (Status read = model_->refresh(); !read)
        dialogs_.show({read.message(), kTitle, DialogButtons::Ok, DialogIcon::Critical});
    table_->selectRow(std::min(row, model_->rowCount() - 1));
    showTotals();
}

std::optional<fs::path> RegisterScreen::askTarget(const char* what, const char* defaultName) {
    const std::optional<std::string> typed =
        dialogs_.input({std::string("Write the ") + what + " to the file:", kTitle,
                        (session_.programDir / defaultName).string()});
    if (!typed || typed->empty())
        return std::nullopt;
    fs::path target(*typed);
    if (target.is_relative())
        target = session_.programDir / target;
    if (Status usable = checkOutputTarget(target, session_.programDir, session_.currentLocation(), false);
        !usable) {
        dialogs_.show({usable.message(), kTitle, DialogButtons::Ok, DialogIcon::Critical});
        return std::nullopt;
    }
    std::error_code ec;
    if (fs::exists(target, ec) && !dialogs_.askYesNo(target.string() + " already exists. Replace it?", kTitle,
                                                     DialogIcon::Exclamation, DialogAnswer::No))
        return std::nullopt;
    return target;
}

void RegisterScreen::tellWritten(const ExportResult& written, const fs::path& target,
                                 const std::string& what) {
    if (!written.ok()) {
        dialogs_.show({written.message, kTitle, DialogButtons::Ok, DialogIcon::Critical});
        return;
    }
    dialogs_.show({std::to_string(written.records) + (written.records == 1 ? " check" : " checks") +
                       " written to " + what + " " + target.string() + ".",
                   kTitle, DialogButtons::Ok, DialogIcon::Information});
}

void RegisterScreen::writeShownRows() {
    const std::optional<fs::path> target = askTarget("checks shown", kRegisterFileName);
    if (!target)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult written =
        writeRegisterFile(session_.currentLocation(), model_->view(), *target, session_.programDir);
    QApplication::restoreOverrideCursor();
    tellWritten(written, *target, "the file");
}

void RegisterScreen::writePositivePay() {
    const db::RegisterView view = chosenView();
    if (!view.from || !view.to) {
        dialogs_.show({kRangeNeeded, kTitle, DialogButtons::Ok, DialogIcon::Exclamation});
        return;
    }
    const PositivePayFormat& format = positivePayFormats()[static_cast<std::size_t>(format_->currentIndex())];
    const std::optional<fs::path> target = askTarget("positive pay file", kPositivePayFileName);
    if (!target)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult written = exporting::writePositivePay(session_.currentLocation(), format, *view.from,
                                                             *view.to, *target, session_.programDir);
    QApplication::restoreOverrideCursor();
    tellWritten(written, *target, "the positive pay file");
}

} // namespace velmora::exporting
