#include "export/forms/RegisterModel.h"

#include "base/Clock.h"
#include "db/Connection.h"
#include "db/ErrorText.h"

#include <QDate>
#include <QLocale>
#include <limits>

namespace velmora::exporting {

namespace {

// Pages kept while the table scrolls: a screenful and the pages either side of it, several times over.
constexpr std::size_t kKeptPages = 16;

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

RegisterModel::RegisterModel(db::Connection& database, QObject* parent)
    : QAbstractTableModel(parent)
    , database_(database) {}

Status RegisterModel::setView(const db::RegisterView& view) {
    beginResetModel();
    view_ = view;
    pages_.clear();
    readFailure_.clear();
    pagesRead_ = 0;
    const Result<db::RegisterTotals> totals = db::registerTotals(database_, view_);
    totals_ = totals ? *totals : db::RegisterTotals{};
    endResetModel();
    return totals ? Status() : totals.status();
}

const RegisterModel::Page* RegisterModel::page(std::int64_t number) const {
    for (auto it = pages_.begin(); it != pages_.end(); ++it) {
        if (it->number == number) {
            pages_.splice(pages_.begin(), pages_, it);
            return &pages_.front();
        }
    }
    // From the end of the page before, when that was read (scrolling on); otherwise by its place.
    std::optional<db::RegisterKey> after;
    for (const Page& kept : pages_) {
        if (kept.number == number - 1 && !kept.entries.empty())
            after = db::RegisterKey{kept.entries.back().check, kept.entries.back().id};
    }
    try {
        pages_.push_front({number, db::registerPage(database_, view_, after, number * kPageRows, kPageRows)});
    } catch (const db::Error& error) {
        readFailure_ = db::userMessage(error);
        return nullptr;
    }
    ++pagesRead_;
    if (pages_.size() > kKeptPages)
        pages_.pop_back();
    return &pages_.front();
}

std::optional<db::RegisterEntry> RegisterModel::entryAt(int row) const {
    if (row < 0 || row >= rowCount())
        return std::nullopt;
    const Page* found = page(row / kPageRows);
    const auto at = static_cast<std::size_t>(row % kPageRows);
    if (!found || at >= found->entries.size())
        return std::nullopt;
    return found->entries[at];
}

int RegisterModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::int64_t>(totals_.count, std::numeric_limits<int>::max()));
}

int RegisterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RegisterModel::amountText(std::int64_t cents) {
    const QLocale locale;
    const std::int64_t whole = cents < 0 ? -(cents / 100) : cents / 100;
    const std::int64_t part = cents < 0 ? -(cents % 100) : cents % 100;
    return QString(cents < 0 ? "-$" : "$") + locale.toString(static_cast<qlonglong>(whole)) +
           locale.decimalPoint() + QString("%1").arg(part, 2, 10, QChar('0'));
}

QString RegisterModel::dateText(const std::string& isoDate) {
    const std::optional<Date> date = parseIsoDate(isoDate);
    if (!date)
        return fromStd(isoDate);
    return QLocale().toString(QDate(date->year, date->month, date->day), QLocale::ShortFormat);
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == AmountColumn || index.column() == NumberColumn
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::optional<db::RegisterEntry> entry = entryAt(index.row());
    if (!entry)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return QString::number(entry->check);
    case DateColumn:
        return dateText(entry->printed);
    case PayToColumn:
        return fromStd(entry->payTo.value_or(std::string()));
    case AmountColumn:
        return entry->amount ? amountText(entry->amount->cents()) : QString();
    case StatusColumn:
        if (!entry->isVoid())
            return QString("Issued");
        if (role == Qt::ToolTipRole && entry->reason)
            return fromStd(*entry->reason);
        return "Void " + dateText(entry->voided.value_or(std::string()));
    default:
        return {};
    }
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char* const kTitles[] = {"Check #", "Date", "Pay To", "Amount", "Status"};
    return section >= 0 && section < ColumnCount ? QString(kTitles[section]) : QVariant();
}

} // namespace velmora::exporting
