#pragma once

#include "db/Connection.h"
#include "db/Schema.h"
#include "db/Value.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::db {

// A condition of the program's own SQL over the table's fields, with its values bound as
// parameters ("?" in order). Typed text only ever travels in `parameters`.
struct Filter {
    std::string where;
    std::vector<Value> parameters;
};

// The most a text field holds, in bytes. A stored value beyond it is no field of a check or of the
// settings: it is never copied into the program (it is reported as damage when it is read, as an
// out-of-bounds number is), and a longer value is refused when it is set.
inline constexpr std::size_t kMaxFieldBytes = 1u << 20;

// A navigable set of the rows of one table, in table order (the order of insertion), optionally
// narrowed by a filter. Moves are keyset queries on the row id and a row is read only when it becomes
// current, so a set over a million rows opens and moves in constant time and memory.
//
// On the server, where every query is a round trip, a move forward reads the row it lands on with
// it, and moves forward in quick succession (a print run's walk) read the rows after it ahead, up
// to a thousand at a time. A row read ahead is used only while it is fresh: within a tenth of a
// second of reading it and before any other statement runs on the connection, so that the set
// never shows what it or its connection changed since, nor an older state of another desk's work
// than a query a moment earlier would have.
//
// The semantics follow the record sets the screens were designed around: before the first row is
// "begin of set", after the last "end of set"; moving past either end leaves the set there; a row
// added through the set stays in it (at the end) until the set is re-queried, even where it does not
// match the filter; after a delete there is no current row until the next move, which goes on from
// where the deleted row stood. Failures throw db::Error.
//
// A damaged file never makes a walk endless: every move forward lands on a greater row id and every
// move back on a smaller one, or throws DamagedError. A set over one of the program's tables reads
// a money field as Money and refuses a stored number beyond its field's bounds (an amount or check
// number that no check can carry): DamagedError when that field is read, rather than hand it on. A
// text or blob longer than kMaxFieldBytes, in any table, is refused the same way and never copied.
//
// Saving an edited row writes only the fields whose value differs from the value read, and only
// when the row on the disk still holds the values read; otherwise update() throws ConflictError
// (unless told to keep the set's values) and writes nothing.
class RecordSet {
public:
    RecordSet(Connection& db, const TableDef& table, std::optional<Filter> filter = std::nullopt);
    RecordSet(Connection& db, std::string table, std::optional<Filter> filter = std::nullopt);

    bool bof() const { return position_ == Position::BeforeFirst; }
    bool eof() const { return position_ == Position::AfterLast; }
    bool hasCurrent() const { return position_ == Position::At && !deleted_; }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Makes the row with this id current when it belongs to the set.
    bool moveTo(std::int64_t id);

    std::int64_t recordCount();
    std::optional<std::int64_t> currentId() const;
    // The id of the row most recently added or changed through this set.
    std::optional<std::int64_t> lastModified() const { return lastModified_; }

    bool hasField(std::string_view name) const;

    // The current row's field; while editing, the value as it will be saved.
    Value field(std::string_view name);

    void edit();
    void addNew();
    void setField(std::string_view name, Value value);
    // Drops the change made to one field while editing; the field shows its stored value again.
    void revertField(std::string_view name);
    // The fields the pending edit changes (those set to a value other than the value read), in the
    // order of the table; every field set when adding.
    std::vector<std::string> changedFields();

    // What update() does when the row was changed on the disk since it was read.
    enum class OnConflict {
        Fail,     // throw ConflictError, write nothing
        KeepMine, // write the changed fields all the same; the other fields keep the disk's values
    };
    void update(OnConflict onConflict = OnConflict::Fail);
    void cancelUpdate();
    bool editing() const { return mode_ != Mode::None; }

    void deleteCurrent();
    // Runs the selection again (with a new filter when given) and makes the first row current.
    void requery();
    void requery(std::optional<Filter> filter);

    Connection& connection() { return db_; }
    const std::string& table() const { return table_; }

private:
    enum class Position { BeforeFirst, At, AfterLast };
    enum class Mode { None, Edit, AddNew };

    Filter effectiveFilter() const;
    // Moves and row reads repeat the same few statements; they are prepared once per set.
    Statement& prepared(const std::string& sql);
    std::optional<std::int64_t> seek(const char* comparison, std::optional<std::int64_t> key,
                                     bool descending);
    void setPosition(std::optional<std::int64_t> id, Position ifNone);
    void requireCurrent() const;
    // The current row as stored, stepped onto; throws when it is no longer there.
    Statement& selectCurrentRow();
    void loadRow();
    void checkField(std::string_view name) const;
    // The value as the program reads it; std::nullopt, with the reason in damaged_, for one out of
    // bounds.
    std::optional<Value> fromStorage(const std::string& name, const Value& stored);
    [[noreturn]] void throwOutOfOrder(std::int64_t from, std::int64_t to) const;
    // The server's move forward to the first row of the set from `from` on (all rows when none),
    // answered from the rows read ahead while they are fresh, else by reading a batch of them.
    std::optional<std::int64_t> seekAhead(std::optional<std::int64_t> from);
    bool aheadFresh() const;
    void dropAhead() {
        ahead_.held = false;
        ahead_.rows.clear();
    }
    // Takes one field of the current row as stored (`oversized`: too large to be read).
    void takeField(std::string name, Value stored,
                   const std::optional<std::pair<std::size_t, std::size_t>>& oversized);
    std::string recordName() const;
    // The fields whose value on the disk is no longer the value read (throws when the row is gone).
    std::vector<std::string> fieldsChangedOnDisk();
    void writeChanges(const std::vector<std::string>& fields);

    Connection& db_;
    std::string table_;
    const TableDef* def_ = nullptr; // the fields' kinds and bounds, when the table is one of the program's
    std::optional<Filter> filter_;
    std::vector<std::string> fields_;
    std::string columns_; // the fields, quoted, as a SELECT lists them
    std::string rowKey_;  // what names a row for good (Connection::rowKey)

    Position position_ = Position::BeforeFirst;
    std::int64_t key_ = 0;
    bool deleted_ = false;
    std::vector<std::int64_t> addedOutsideFilter_;
    std::optional<std::int64_t> count_;
    std::optional<std::int64_t> lastModified_;

    std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
    bool rowLoaded_ = false;
    std::map<std::string, Value, std::less<>> stored_; // the current row as read, as stored
    std::map<std::string, Value, std::less<>> row_;    // the same, as the program reads it
    std::map<std::string, std::string, std::less<>> damaged_;
    // The fields too large to be read, by the size and digest they had when the row was read.
    std::map<std::string, std::pair<std::size_t, std::size_t>, std::less<>> oversized_;
    Mode mode_ = Mode::None;
    std::map<std::string, Value, std::less<>> changes_;

    // A row as stored, each field either its value or, when too large to be read, its size and
    // digest.
    struct StoredRow {
        std::int64_t key = 0;
        std::vector<std::pair<Value, std::optional<std::pair<std::size_t, std::size_t>>>> fields;
    };
    // The rows read ahead on the server: every row of the set whose key lies in [low, high], in key
    // order, as they stood when read.
    struct ReadAhead {
        bool held = false;
        std::vector<StoredRow> rows;
        std::int64_t low = 0;
        std::int64_t high = 0;
        std::uint64_t statementsRun = 0; // the connection's count right after they were read
        std::chrono::steady_clock::time_point readAt;
        std::int64_t batch = 1; // how many rows the next read asks for
    } ahead_;
};

template <class Record> Record RecordTable<Record>::read(RecordSet& records) const {
    Record record{};
    for (const auto& field : rows_)
        assign(record, field, records.field(field.def.name));
    return record;
}

template <class Record>
void RecordTable<Record>::write(RecordSet& records, const Record& record,
                                std::initializer_list<std::string_view> fields) const {
    for (std::string_view field : fields)
        records.setField(field, value(record, row(field)));
}

} // namespace velmora::db
