#include "print/RunPages.h"

#include "base/Clock.h"
#include "base/Product.h"
#include "db/CheckQueries.h"
#include "db/RecordSet.h"
#include "print/PrintJob.h"

#include <algorithm>
#include <cmath>

namespace velmora::print {

namespace {

Status noSuchPage(std::int64_t page, std::int64_t pages) {
    return Status::failure("There is no page " + std::to_string(page + 1) + "; the run has " +
                           std::to_string(pages) + " pages.");
}

Status unreadable(const char* what, std::int64_t page, const db::Error& error) {
    return Status::failure(std::string("The ") + what + " of page " + std::to_string(page + 1) +
                           " could not be read: " + error.what());
}

// Which of `count` evenly spaced places, `pitch` apart from `first`, the position `at` falls in.
std::int64_t placeAt(double at, double first, double pitch, std::int64_t count) {
    const auto place = static_cast<std::int64_t>(std::floor((at - first) / pitch));
    return std::clamp<std::int64_t>(place, 0, std::max<std::int64_t>(count - 1, 0));
}

} // namespace

// Page N starts at the record N × per page of the selection in table order; the page after the one
// read last goes on from where that one stopped, so drawing the pages in order costs one keyed move
// per page, and a jump costs one counted query. Its reads throw db::Error, which the pages turn into
// their own results.
class PagedRecords {
public:
    PagedRecords(db::Connection& connection, db::Filter filter);

    std::int64_t count() const { return count_; }
    // Up to `size` records from the `first`-th (from 0).
    std::vector<db::CheckRecord> read(std::int64_t first, std::int64_t size);

private:
    db::Connection& connection_;
    db::Filter filter_;
    db::RecordSet records_;
    std::int64_t count_ = 0;
    // Where the previous read stopped: the index and ID of the record after it.
    std::optional<std::pair<std::int64_t, std::int64_t>> next_;
};

namespace {

// The records of a selection, or the database's reason why they could not be counted.
Result<std::unique_ptr<PagedRecords>> openRecords(db::Connection& connection, db::Filter filter) {
    try {
        return std::make_unique<PagedRecords>(connection, std::move(filter));
    } catch (const db::Error& error) {
        return Result<std::unique_ptr<PagedRecords>>::failure(error.what());
    }
}

} // namespace

PagedRecords::PagedRecords(db::Connection& connection, db::Filter filter)
    : connection_(connection)
    , filter_(std::move(filter))
    , records_(connection, db::schema::account(), filter_)
    , count_(records_.recordCount()) {}

std::vector<db::CheckRecord> PagedRecords::read(std::int64_t first, std::int64_t size) {
    std::vector<db::CheckRecord> records;
    if (first < 0 || first >= count_ || size <= 0)
        return records;
    std::optional<std::int64_t> start;
    if (next_ && next_->first == first) {
        start = next_->second;
    } else {
        start = db::recordIdAt(connection_, filter_, first);
    }
    next_.reset();
    if (!start || !records_.moveTo(*start))
        return records; // the records changed since they were counted: the page is shorter
    records.reserve(static_cast<std::size_t>(size));
    while (records_.hasCurrent() && static_cast<std::int64_t>(records.size()) < size) {
        records.push_back(db::CheckRecord::read(records_));
        records_.moveNext();
    }
    if (const std::optional<std::int64_t> id = records_.currentId(); id && records_.hasCurrent())
        next_ = {first + static_cast<std::int64_t>(records.size()), *id};
    return records;
}

Result<std::unique_ptr<CheckPages>> CheckPages::open(db::CheckDatabase& database,
                                                     const PrintSelection& selection,
                                                     const CheckPageSetup& setup, db::DatabaseType type,
                                                     const std::string& textFont) {
    auto records = openRecords(database.connection(), db::checksToPrint(selection.once, selection.monthly));
    if (!records)
        return records.status();
    return std::unique_ptr<CheckPages>(new CheckPages(std::move(*records), setup, type, textFont));
}

CheckPages::CheckPages(std::unique_ptr<PagedRecords> records, const CheckPageSetup& setup,
                       db::DatabaseType type, const std::string& textFont)
    : records_(std::move(records))
    , setup_(setup)
    , layout_(type, {textFont, product::kMicrFontName})
    , perPage_(CheckPlacement(setup).slotsPerPage())
    , today_(formatDateText(Clock::today())) {}

CheckPages::~CheckPages() = default;

std::int64_t CheckPages::checkCount() const {
    return records_->count();
}

std::int64_t CheckPages::pageCount() {
    return CheckPlacement(setup_).pagesFor(records_->count());
}

Status CheckPages::drawPage(std::int64_t page, PrintSurface& surface) {
    if (page < 0 || page >= pageCount())
        return noSuchPage(page, pageCount());
    std::vector<db::CheckRecord> records;
    try {
        records = records_->read(page * perPage_, perPage_);
    } catch (const db::Error& error) {
        return unreadable("checks", page, error);
    }
    // Every page starts in the first slot, as the run's pages do after each page break.
    CheckPlacement placement(setup_);
    for (db::CheckRecord& record : records) {
        if (record.print == db::print_option::kMonthly)
            record.date = today_; // shown, never saved
        layout_.draw(surface, record, placement);
        placement.advance(surface);
    }
    return {};
}

std::string CheckPages::ownerAt(std::int64_t page, double, double y) {
    try {
        const std::vector<db::CheckRecord> records = records_->read(page * perPage_, perPage_);
        if (!records.empty()) {
            const StockDistances stock = stockDistances(setup_.stock88mm);
            const auto slot =
                placeAt(y, setup_.verticalStart, stock.pitch, static_cast<std::int64_t>(records.size()));
            return checkName(records[static_cast<std::size_t>(slot)]);
        }
    } catch (const db::Error&) {
        // Named by its page below.
    }
    return "a check on page " + std::to_string(page + 1);
}

Result<std::unique_ptr<LabelPages>> LabelPages::open(db::CheckDatabase& database,
                                                     const PrintSelection& selection,
                                                     const std::string& textFont, int startLabel) {
    auto records =
        openRecords(database.connection(), db::labelsToPrint(database.connection().dialect(),
                                                             selection.onceLabels, selection.monthlyLabels));
    if (!records)
        return records.status();
    return std::unique_ptr<LabelPages>(new LabelPages(std::move(*records), textFont, startLabel));
}

LabelPages::LabelPages(std::unique_ptr<PagedRecords> records, const std::string& textFont, int startLabel)
    : records_(std::move(records))
    , layout_(textFont)
    , startLabel_(startLabel) {}

LabelPages::~LabelPages() = default;

std::int64_t LabelPages::labelCount() const {
    return records_->count();
}

std::pair<int, std::int64_t> LabelPages::firstOn(std::int64_t page) const {
    constexpr int perSheet = LabelLayout::kLabelsPerSheet;
    // A start beyond the sheet's last label starts a new sheet at label 1.
    const int start = startLabel_ > perSheet ? 1 : startLabel_;
    if (page == 0)
        return {start, 0};
    return {1, (perSheet - start + 1) + (page - 1) * perSheet};
}

std::int64_t LabelPages::pageCount() {
    const std::int64_t labels = records_->count();
    if (labels == 0)
        return 0;
    const std::int64_t onFirstSheet = firstOn(1).second;
    constexpr std::int64_t perSheet = LabelLayout::kLabelsPerSheet;
    return 1 + std::max<std::int64_t>(0, labels - onFirstSheet + perSheet - 1) / perSheet;
}

Status LabelPages::drawPage(std::int64_t page, PrintSurface& surface) {
    if (page < 0 || page >= pageCount())
        return noSuchPage(page, pageCount());
    auto [number, first] = firstOn(page);
    std::vector<db::CheckRecord> records;
    try {
        records = records_->read(first, LabelLayout::kLabelsPerSheet - number + 1);
    } catch (const db::Error& error) {
        return unreadable("labels", page, error);
    }
    // The run breaks the page when the label after the sheet's last is due (and before a start
    // beyond the sheet); a break with nothing printed before it feeds no sheet.
    if (page > 0 || startLabel_ > LabelLayout::kLabelsPerSheet)
        skipFailure(surface.NewPage());
    for (const db::CheckRecord& record : records)
        layout_.draw(surface, record, number++);
    return {};
}

std::string LabelPages::ownerAt(std::int64_t page, double x, double y) {
    const auto [first, index] = firstOn(page);
    constexpr double columnPitch = 4000;
    constexpr double rowPitch = 1443;
    const LayoutOrigin corner = LabelLayout::position(1);
    const auto column = placeAt(x, corner.x, columnPitch, 3);
    const auto row = placeAt(y, corner.y, rowPitch, 10);
    const auto number = static_cast<int>(column * 10 + row + 1);
    try {
        if (number >= first) {
            const std::vector<db::CheckRecord> records = records_->read(index + (number - first), 1);
            if (!records.empty())
                return "the label of record " + std::to_string(records.front().id);
        }
    } catch (const db::Error&) {
        // Named by its place below.
    }
    return "label " + std::to_string(number) + " on page " + std::to_string(page + 1);
}

RunPages::RunPages(std::unique_ptr<CheckPages> checks, std::unique_ptr<LabelPages> labels)
    : checks_(std::move(checks))
    , labels_(std::move(labels)) {}

std::int64_t RunPages::checkPages() {
    return checks_ ? checks_->pageCount() : 0;
}

std::int64_t RunPages::pageCount() {
    return checkPages() + (labels_ ? labels_->pageCount() : 0);
}

Status RunPages::drawPage(std::int64_t page, PrintSurface& surface) {
    const std::int64_t checkPageCount = checkPages();
    if (page < checkPageCount)
        return checks_->drawPage(page, surface);
    if (!labels_)
        return noSuchPage(page, pageCount());
    // The labels are a job of their own: never on a sheet of checks.
    if (page == checkPageCount)
        skipFailure(surface.NewPage());
    return labels_->drawPage(page - checkPageCount, surface);
}

std::string RunPages::ownerAt(std::int64_t page, double x, double y) {
    const std::int64_t checkPageCount = checkPages();
    if (page < checkPageCount)
        return checks_->ownerAt(page, x, y);
    return labels_ ? labels_->ownerAt(page - checkPageCount, x, y) : std::string();
}

} // namespace velmora::print
