#pragma once

#include "db/Schema.h"
#include "db/Sqlite.h"
#include "db/Value.h"

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

// A navigable set of the rows of one table, in table order (the order of insertion), optionally
// narrowed by a filter. Moves are keyset queries on the row id and a row is read only when it becomes
// current, so a set over a million rows opens and moves in constant time and memory.
//
// The semantics follow the record sets the screens were designed around: before the first row is
// "begin of set", after the last "end of set"; moving past either end leaves the set there; a row
// added through the set stays in it (at the end) until the set is re-queried, even where it does not
// match the filter; after a delete there is no current row until the next move, which goes on from
// where the deleted row stood. Failures throw db::Error.
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

    const std::vector<std::string>& fieldNames() const { return fields_; }
    bool hasField(std::string_view name) const;

    // The current row's field; while editing, the value as it will be saved.
    Value field(std::string_view name);

    void edit();
    void addNew();
    void setField(std::string_view name, Value value);
    void update();
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
    void loadRow();
    void checkField(std::string_view name) const;
    Value fromStorage(std::string_view name, Value stored) const;

    Connection& db_;
    std::string table_;
    const TableDef* def_ = nullptr;
    std::optional<Filter> filter_;
    std::vector<std::string> fields_;

    Position position_ = Position::BeforeFirst;
    std::int64_t key_ = 0;
    bool deleted_ = false;
    std::vector<std::int64_t> addedOutsideFilter_;
    std::optional<std::int64_t> count_;
    std::optional<std::int64_t> lastModified_;

    std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
    bool rowLoaded_ = false;
    std::map<std::string, Value, std::less<>> row_;
    Mode mode_ = Mode::None;
    std::map<std::string, Value, std::less<>> changes_;
};

} // namespace velmora::db
