#pragma once

#include "base/Result.h"
#include "db/Connection.h"
#include "db/Money.h"
#include "db/Value.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora::db {

class RecordSet;

// How a field's value is kept. Money is stored as INTEGER whole cents; YesNo as INTEGER 0 or 1.
enum class FieldKind { Counter, Text, Integer, YesNo, Money };

// The values a stored number may hold (for money, in cents). A value beyond them is damage: reading
// it fails with DamagedError rather than hand it on.
struct Bounds {
    std::int64_t lowest;
    std::int64_t highest;
};

// An index on one field, by the name the files know it by.
struct FieldIndex {
    std::string_view name;
    int since = 0; // the schema version that added the index
};

// One field of a stored table.
struct FieldDef {
    std::string_view name;
    FieldKind kind;
    std::string_view note = {};        // the column's comment in the CREATE statement
    std::optional<Bounds> bounds = {}; // what a stored number may hold
    int since = 0;                     // the schema version that added the field (0: the first files)
    std::optional<FieldIndex> index = {};
    // The data entry screen searches the field for any part of its text. The server keeps a
    // trigram index of it (a file's search reads the table in order, which SQLite does fast enough).
    bool searched = false;
};

// A field's value as a text, as the searches match it and the server's search index keeps it: the
// same expression in both, or the server could not use the index.
std::string searchedText(const FieldDef& field);

// A stored table as the files know it: its name and its fields, in the order of its columns, and the
// schema version that added the table (0: the first files). The CREATE statements of the table and
// its indexes, the check made on opening a file and the upgrade of an older file all come from it.
class TableDef {
public:
    TableDef(std::string_view name, std::vector<FieldDef> fields, int since = 0);
    virtual ~TableDef() = default;
    TableDef(const TableDef&) = delete;
    TableDef& operator=(const TableDef&) = delete;

    std::string_view name() const { return name_; }
    const std::vector<FieldDef>& fields() const { return fields_; }
    int since() const { return since_; }
    // The field of this name; null for a name the table lacks.
    const FieldDef* find(std::string_view field) const;
    // Whether rows are numbered by a counter field (and named "record N").
    bool numbered() const;
    // CREATE TABLE with every field, each name quoted and each note after its column, in the SQL of
    // a file or of the server.
    std::string createSql(Dialect dialect = Dialect::Sqlite) const;
    // CREATE INDEX of the field's index (if it is not there yet).
    std::string indexSql(const FieldDef& field) const;
    // CREATE INDEX of the server's search index of a searched field, with the trigram operator class
    // `operators` (quoted as SQL needs it).
    std::string searchIndexSql(const FieldDef& field, const std::string& operators) const;

private:
    std::string_view name_;
    std::vector<FieldDef> fields_;
    int since_;
};

// Where a field lives in the record struct of its table.
template <class Record>
using FieldSlot = std::variant<std::int64_t Record::*, bool Record::*, std::string Record::*,
                               std::optional<std::string> Record::*, std::optional<std::int64_t> Record::*,
                               std::optional<bool> Record::*, std::optional<Money> Record::*>;

// A row of a record table: the field, where it lives in the record, and the value a delivered file
// is given (Null unless said).
template <class Record> struct RecordField {
    FieldDef def;
    FieldSlot<Record> slot;
    Value delivered = {};
};

namespace detail {
// A stored value as the member of a record holds it.
inline void assign(std::int64_t& to, const Value& value) {
    to = value.integer().value_or(0);
}
inline void assign(bool& to, const Value& value) {
    to = value.yes(); // Null is no
}
inline void assign(std::string& to, const Value& value) {
    to = value.textOrEmpty(); // Null is empty
}
inline void assign(std::optional<std::string>& to, const Value& value) {
    to = value.text();
}
inline void assign(std::optional<std::int64_t>& to, const Value& value) {
    to = value.integer();
}
inline void assign(std::optional<bool>& to, const Value& value) {
    to = value.isNull() ? std::nullopt : std::optional<bool>(value.yes());
}
inline void assign(std::optional<Money>& to, const Value& value) {
    to = value.money();
}
// A member of a record as it is stored.
template <class T> Value stored(const T& from) {
    return Value(from);
}
template <class T> Value stored(const std::optional<T>& from) {
    return from ? Value(*from) : Value();
}
} // namespace detail

// A stored table with the struct its rows are read into: one row per field, naming the field, its
// kind and where it lives in the record. Reading and writing a record, and the order of a list of
// fields (an export's columns), come from the rows; a field is named in its row and nowhere else.
template <class Record> class RecordTable : public TableDef {
public:
    // `deliveredRows`: the records a delivered file's table holds, for a table of several rows (the
    // product types); a table of one record gives each field its delivered value instead. `since`:
    // the schema version that added the table.
    RecordTable(std::string_view name, std::initializer_list<RecordField<Record>> rows,
                std::vector<Record> deliveredRows = {}, int since = 0)
        : TableDef(name, defsOf(rows), since)
        , rows_(rows)
        , deliveredRows_(std::move(deliveredRows)) {}

    std::span<const RecordField<Record>> rows() const { return rows_; }
    std::span<const Record> deliveredRows() const { return deliveredRows_; }

    // The row of a field. Names come from the program, never from a user: an unknown one is a
    // mistake of the program's own and throws std::logic_error.
    const RecordField<Record>& row(std::string_view field) const {
        for (const auto& candidate : rows_) {
            if (candidate.def.name == field)
                return candidate;
        }
        throw std::logic_error("the table " + std::string(name()) + " has no field " + std::string(field));
    }
    // The rows of these fields, in the order given.
    std::vector<const RecordField<Record>*> rowsOf(std::initializer_list<std::string_view> fields) const {
        std::vector<const RecordField<Record>*> found;
        for (std::string_view field : fields)
            found.push_back(&row(field));
        return found;
    }

    // The current row of a record set over the table, every field in the order of the table. Throws
    // db::Error as RecordSet::field does (DamagedError for a value no record can carry). Defined in
    // db/RecordSet.h, as write() is.
    Record read(RecordSet& records) const;
    // The value of one field of `record`, as it is stored.
    Value value(const Record& record, const RecordField<Record>& field) const {
        return std::visit([&](auto member) { return detail::stored(record.*member); }, field.slot);
    }
    // Puts a stored value into one field of `record`, as reading the record would.
    void assign(Record& record, const RecordField<Record>& field, const Value& value) const {
        std::visit([&](auto member) { detail::assign(record.*member, value); }, field.slot);
    }
    // Sets the named fields of the row the set edits or adds to their values in `record`.
    void write(RecordSet& records, const Record& record,
               std::initializer_list<std::string_view> fields) const;
    // A record holding every field's delivered value.
    Record delivered() const {
        Record record{};
        for (const auto& field : rows_)
            assign(record, field, field.delivered);
        return record;
    }

private:
    static std::vector<FieldDef> defsOf(std::initializer_list<RecordField<Record>> rows) {
        std::vector<FieldDef> defs;
        for (const auto& row : rows)
            defs.push_back(row.def);
        return defs;
    }

    std::vector<RecordField<Record>> rows_;
    std::vector<Record> deliveredRows_;
};

// The schema of the files the program keeps. The delivered files, the files made for tests and the
// checks made on open all come from here; the tables themselves are defined beside their records
// (db/CheckRecord.h, db/DatabaseProperties.h, db/SettingsRecord.h).
namespace schema {

inline constexpr int kVersion = 6;

// The tables of a check database (and of the template file): the checks, the database properties,
// the register of printed checks and the runs of numbered blank stock.
std::span<const TableDef* const> checkDatabaseTables();
void createCheckDatabaseTables(Connection& db);
// The same inside the caller's transaction (a check database made on the server all at once).
void addCheckDatabaseTables(Connection& db);
void createSettingsTables(Connection& db);

// Checks that the file holds each table with each field; the message names the file and what is
// missing. Brings an older file up to the current version, in one transaction: the tables, fields and
// indexes added since its version are added to it. A file that cannot be read or written at all (in
// use, damaged, on a full disk) throws its db::Error instead. A file opened to read only is read as
// it is, without the tables added since its version.
Status verifyAndUpgrade(Connection& db, std::span<const TableDef* const> tables);

} // namespace schema
} // namespace velmora::db
