#pragma once

#include "base/Result.h"
#include "db/CheckRecord.h"
#include "db/RecordSet.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::db {

class Connection;

// The queries on the check records (`Account`) of a check database, in one place: what the print
// runs select, count, mark and renumber, what the data entry screen looks up and searches, and what
// the blank stock reads. Nothing above db/ writes SQL on `Account`; the functions that answer from
// the file return results, the ones that change the current row of a record set throw db::Error as
// the record set does.

// The checks a run of entered checks prints: those set to print one time (`once`), multiple times
// (`monthly`), or either. At least one of the two is asked for.
Filter checksToPrint(bool once, bool monthly);
// The records whose labels a run prints: their label flag set, and set to print one time or not to
// print (`onceLabels`: labels of one-time checks include those printed already) or multiple times
// (`monthlyLabels`). At least one of the two is asked for. Written for a file's SQL or the server's.
Filter labelsToPrint(Dialect dialect, bool onceLabels, bool monthlyLabels);
// The records whose `field` (of the Account table) holds `text` anywhere, in the Like pattern
// language: the text is bound as a parameter, never spliced; its own pattern characters keep their
// meaning. A Null field matches nothing. The filter is written for a file's SQL or the server's.
Filter fieldContains(Dialect dialect, std::string_view field, std::string_view text);
// The records whose `field` matches `pattern` as a whole.
Filter fieldMatches(Dialect dialect, std::string_view field, const std::string& pattern);

// The ID of the record at `position` (from 0) among those of `filter`, in table order; std::nullopt
// past the last. A page of a preview starts there. Throws db::Error as a record set does.
std::optional<std::int64_t> recordIdAt(Connection& database, const Filter& filter, std::int64_t position);

// The IDs of the records of `filter` as they stand now, in table order: what a run prints, fixed
// when it starts, so that records added or set to print meanwhile wait for the next run. Throws
// db::Error as a record set does.
std::vector<std::int64_t> recordIds(Connection& database, const Filter& filter);

// How many records each selection of the Printer Control Menu takes, the template check included.
struct SelectionCounts {
    std::int64_t once = 0;
    std::int64_t monthly = 0;
    std::int64_t onceLabels = 0;
    std::int64_t monthlyLabels = 0;
};
Result<SelectionCounts> countSelections(Connection& database);

// A record among those a run would print whose stored check number or amount no check can carry, or
// one of whose fields holds more than kMaxFieldBytes.
struct DamagedCheck {
    std::int64_t id = 0;
    bool badNumber = false;   // otherwise the amount is out of bounds, or a field too large
    std::string storedNumber; // as stored, in plain text
    std::string storedCents;
    std::string oversizedField; // the first field too large to read, "" for none
    std::int64_t oversizedBytes = 0;
};
struct DamagedChecks {
    std::vector<DamagedCheck> first; // the first ones in table order, at most as many as asked for
    std::size_t total = 0;
};
// The records of `among` that hold a value no check can carry, read as stored (the record set would
// refuse them one at a time), in table order. Only the sizes of the texts are read, never a text too
// large to copy.
Result<DamagedChecks> findDamagedChecks(Connection& database, const Filter& among, std::size_t named);

// The check number of the physically last record in table order (std::nullopt: none, or not a
// number, or a value no check can carry).
Result<std::optional<std::int64_t>> lastRecordCheckNumber(Connection& database);
// Whether another record than `id` carries this check number (through the index on `Check`).
Result<bool> otherCheckHasNumber(Connection& database, std::int64_t number, std::int64_t id);
// The template check: the first record in table order (std::nullopt when the table is empty).
Result<std::optional<CheckRecord>> readTemplateCheck(Connection& database);

// A stored value as a text file of records writes it: Null, a text as stored, or a number in plain
// decimal (an amount in dollars without trailing zeros, "12.5"; a check number as it is).
struct FieldText {
    enum class Kind { Null, Text, Number };
    Kind kind = Kind::Null;
    std::string_view text;
};
// Reads every check record in table order with one statement and hands `row` the values of `fields`
// (fields of the table, in the order given); the texts live until `row` returns. A number field that
// holds text gives that text. Stops at the first failure, which says why.
Status forEachCheck(Connection& database, std::span<const std::string_view> fields,
                    const std::function<void(std::span<const FieldText>)>& row);

// A printed record's history: `line`, CR LF, then the comments as they were (Null as empty).
std::string withHistoryLine(const std::string& line, const std::optional<std::string>& comments);

// The changes of a confirmed run; the caller holds the transaction, and a failure throws db::Error as
// a record set does. The marks of a check are made on the current record of `checks`, as read into
// `record`.
// A recurring check that printed, when the job is not confirmed: the date it printed with in `Date`.
void datePrinting(RecordSet& checks, const std::string& date);
// A one-time check: `Print` = Never, `Printed` = `date`, the history line in front of `Comments`.
void markPrintedOnce(RecordSet& checks, const CheckRecord& record, const std::string& historyLine,
                     const std::string& date);
// A recurring check: `Date` and `Printed` = `date`, the history line, and its new number when it
// gets one.
void markPrintedRecurring(RecordSet& checks, const CheckRecord& record, const std::string& historyLine,
                          const std::string& date, std::optional<std::int64_t> newNumber);
// The number last handed out to a recurring check (`LastCheck` of the database properties).
void saveLastCheck(Connection& database, std::int64_t number);
// The ID of the physically last record, 0 when there is none: the records up to it are those that
// existed when a job started.
std::int64_t highestRecordId(Connection& database);
// Labels confirmed as printed: one-time and don't-print records are set not to print a label again
// and dated, whether their label printed or not; recurring records are dated and keep their flag.
// Only the records up to `lastId` are marked: one added since the job started had no label on it.
void markOnceLabelsPrinted(Connection& database, const std::string& date, std::int64_t lastId);
void dateRecurringLabels(Connection& database, const std::string& date, std::int64_t lastId);
// A history line in front of the comments of the template check, the first record.
void addTemplateHistory(Connection& database, const std::string& line);

} // namespace velmora::db
