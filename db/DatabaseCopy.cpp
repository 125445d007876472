#include "db/DatabaseCopy.h"

#include "db/CheckDatabase.h"
#include "db/DatabaseFiles.h"
#include "db/ErrorText.h"
#include "db/JetHeader.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "db/ServerDatabases.h"
#include "db/SoundFiles.h"

#include <algorithm>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

// Why a copy stopped, as the end of the sentence that names the copy.
class CopyFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One table as it is copied: the fields the source holds (a file of an older version, opened to be
// read only, lacks those added since; the copy leaves them Null), quoted as a SELECT lists them.
struct TableCopy {
    const TableDef* table = nullptr;
    std::vector<const FieldDef*> fields;
    std::string columns;

    std::string name() const { return std::string(table->name()); }
    std::string quotedName() const { return quoteIdentifier(table->name()); }
};

// The tables of a check database that the source holds, each with the fields it holds.
std::vector<TableCopy> tablesOf(Connection& source) {
    std::vector<TableCopy> tables;
    for (const TableDef* table : schema::checkDatabaseTables()) {
        if (!source.hasTable(table->name()))
            continue;
        const std::vector<std::string> held = source.columns(table->name());
        TableCopy copy{table, {}, {}};
        for (const FieldDef& field : table->fields()) {
            if (std::find(held.begin(), held.end(), field.name) == held.end())
                continue;
            copy.columns += (copy.fields.empty() ? "" : ", ") + quoteIdentifier(field.name);
            copy.fields.push_back(&field);
        }
        tables.push_back(std::move(copy));
    }
    return tables;
}

// Every row of the table in the order of its key, the key first: the same statement reads the source
// and, on the other side, the copy.
std::string selectRows(Connection& db, const TableCopy& table) {
    const std::string key = db.rowKey(table.table->name());
    return "SELECT " + key + ", " + table.columns + " FROM " + table.quotedName() + " ORDER BY " + key;
}

// How a message names a row: by its ID in a numbered table, by its place in the others.
std::string rowName(const TableCopy& table, std::int64_t key, std::int64_t place) {
    return (table.table->numbered() ? "record " + std::to_string(key) : "row " + std::to_string(place)) +
           " of the table " + table.name();
}

// Why a stored value cannot go into the copy: a value no field of its kind holds (a text where a
// number belongs, a number beyond its field's bounds, a text beyond kMaxFieldBytes or with a NUL
// character in it), which only damage puts into a file. The server would refuse it without naming
// the record, a file would carry it on.
std::optional<std::string> unfit(const FieldDef& field, const Value& value) {
    if (value.isNull())
        return std::nullopt;
    if (field.kind == FieldKind::Text) {
        if (!value.isText())
            return "the number " + value.textOrEmpty();
        const std::string& text = std::get<std::string>(value.data());
        if (text.size() > kMaxFieldBytes)
            return "a text of " + std::to_string(text.size()) + " bytes";
        if (text.find('\0') != std::string::npos)
            return "a text with a NUL character";
        return std::nullopt;
    }
    const auto number = value.isInteger() ? value.integer() : std::nullopt;
    if (!number)
        return "\"" + value.textOrEmpty() + "\"";
    if (field.bounds && (*number < field.bounds->lowest || *number > field.bounds->highest))
        return std::to_string(*number);
    return std::nullopt;
}

// An element of a PostgreSQL array literal: NULL bare, a number as its digits, a text quoted with its
// quotes and backslashes escaped.
void appendElement(std::string& array, const Value& value) {
    if (value.isNull()) {
        array += "NULL";
        return;
    }
    if (!value.isText()) {
        array += value.textOrEmpty();
        return;
    }
    array += '"';
    for (const char c : std::get<std::string>(value.data())) {
        if (c == '"' || c == '\\')
            array += '\\';
        array += c;
    }
    array += '"';
}

// Adds rows to one table of the copy, many to a statement. A file takes them as rows of VALUES; the
// server as one array per field, unnested: a statement of thousands of parameters costs the server
// more to plan than to run, and a round trip per row would make a large copy take minutes.
class RowWriter {
public:
    RowWriter(Connection& db, const TableCopy& table)
        : db_(db)
        , table_(table)
        , server_(db.dialect() == Dialect::Postgres)
        , width_(table.fields.size())
        , batch_(server_ ? 1000 : 64) {
        pending_.reserve(batch_ * width_);
    }

    void add(Value value) {
        pending_.push_back(std::move(value));
        if (pending_.size() == batch_ * width_)
            flush();
    }

    void flush() {
        if (pending_.empty())
            return;
        const std::size_t rows = pending_.size() / width_;
        std::unique_ptr<Statement> remainder;
        if (server_ || rows == batch_) {
            if (!full_)
                full_ = std::make_unique<Statement>(db_, sql(batch_));
        } else {
            remainder = std::make_unique<Statement>(db_, sql(rows));
        }
        Statement& insert = remainder ? *remainder : *full_;
        if (server_)
            bindArrays(insert, rows);
        else
            for (std::size_t i = 0; i < pending_.size(); ++i)
                insert.bind(static_cast<int>(i + 1), pending_[i]);
        insert.run();
        insert.reset();
        pending_.clear();
    }

private:
    std::string sql(std::size_t rows) const {
        std::string sql = "INSERT INTO " + table_.quotedName() + " (" + table_.columns + ") ";
        int parameter = 0;
        if (server_) {
            sql += "SELECT * FROM unnest(";
            for (std::size_t field = 0; field < width_; ++field)
                sql += (field ? ", ?" : "?") + std::to_string(field + 1) +
                       (table_.fields[field]->kind == FieldKind::Text ? "::text[]" : "::bigint[]");
            return sql + ")";
        }
        sql += "VALUES ";
        for (std::size_t row = 0; row < rows; ++row) {
            sql += row ? ", (" : "(";
            for (std::size_t field = 0; field < width_; ++field)
                sql += (field ? ", ?" : "?") + std::to_string(++parameter);
            sql += ")";
        }
        return sql;
    }

    void bindArrays(Statement& insert, std::size_t rows) {
        for (std::size_t field = 0; field < width_; ++field) {
            array_ = "{";
            for (std::size_t row = 0; row < rows; ++row) {
                if (row)
                    array_ += ',';
                appendElement(array_, pending_[row * width_ + field]);
            }
            array_ += '}';
            insert.bind(static_cast<int>(field + 1), array_);
        }
    }

    Connection& db_;
    const TableCopy& table_;
    bool server_;
    std::size_t width_;
    std::size_t batch_;
    std::unique_ptr<Statement> full_;
    std::vector<Value> pending_;
    std::string array_;
};

// The last number the counter of a numbered table handed out: a file keeps it beside its tables
// (AUTOINCREMENT), the server in the counter's sequence.
std::int64_t lastCounted(Connection& db, const TableCopy& table) {
    const std::string name = table.name();
    if (db.dialect() == Dialect::Postgres)
        return db.server()->counterValue(name, db.rowKey(name));
    if (!db.hasTable("sqlite_sequence"))
        return 0;
    Statement query(db, "SELECT seq FROM sqlite_sequence WHERE name = ?1");
    query.bind(1, name);
    return query.step() ? query.columnInt(0) : 0;
}

// Moves the copy's counter past every ID copied and past the source's last number: a record deleted
// from the end of the source never has its ID handed out again by the copy.
void carryCounter(Connection& copy, const TableCopy& table, std::int64_t sourceLast) {
    const std::string name = table.name();
    if (copy.dialect() == Dialect::Postgres) {
        copy.server()->counterWritten(name, copy.rowKey(name), sourceLast);
        return;
    }
    if (sourceLast <= 0)
        return; // the rows written with their IDs moved the file's counter already
    Statement raise(copy, "UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
    raise.bind(1, name).bind(2, sourceLast);
    raise.run();
    if (copy.changes() == 0) {
        Statement first(copy, "INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)");
        first.bind(1, name).bind(2, sourceLast);
        first.run();
    }
}

// Copies the rows of one table, each value checked; returns how many.
std::int64_t copyRows(Connection& source, Connection& copy, const TableCopy& table) {
    Statement rows(source, selectRows(source, table));
    RowWriter writer(copy, table);
    std::int64_t count = 0;
    while (rows.step()) {
        ++count;
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
            Value value = rows.column(static_cast<int>(i + 1));
            if (const auto why = unfit(*table.fields[i], value))
                throw CopyFailure(rowName(table, rows.columnInt(0), count) + " holds " + *why +
                                  " in the field " + std::string(table.fields[i]->name) +
                                  ", which no check can carry. " + restoreAdvice(source.path()));
            writer.add(std::move(value));
        }
    }
    writer.flush();
    if (table.table->numbered())
        carryCounter(copy, table, lastCounted(source, table));
    return count;
}

CopyReport copyTables(Connection& source, Connection& copy, const std::vector<TableCopy>& tables) {
    CopyReport report;
    for (const TableCopy& table : tables)
        report.tables.push_back({table.name(), copyRows(source, copy, table)});
    return report;
}

// Reads the source and the copy side by side, in the order of their keys, and stops at the first
// row or field that differs. The rows are compared whole, so no digest can hide a difference, and
// the message can name where it lies.
void verifyTable(Connection& source, Connection& copy, const TableCopy& table, std::int64_t copied) {
    Statement original(source, selectRows(source, table));
    Statement written(copy, selectRows(copy, table));
    std::int64_t place = 0;
    for (;;) {
        const bool inOriginal = original.step();
        const bool inCopy = written.step();
        if (!inOriginal || !inCopy) {
            if (inOriginal != inCopy || place != copied)
                throw CopyFailure("the copy of the table " + table.name() + " does not hold the " +
                                  std::to_string(copied) + " rows of the source.");
            return;
        }
        ++place;
        const std::int64_t key = original.columnInt(0);
        // A numbered table keeps its IDs; the others keep the order of their rows.
        if (table.table->numbered() && written.columnInt(0) != key)
            throw CopyFailure("the copy holds " + rowName(table, written.columnInt(0), place) + " where " +
                              rowName(table, key, place) + " belongs.");
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
            const int column = static_cast<int>(i + 1);
            if (!(original.column(column) == written.column(column)))
                throw CopyFailure("in " + rowName(table, key, place) + ", the field " +
                                  std::string(table.fields[i]->name) +
                                  " of the copy does not hold what the source holds.");
        }
    }
}

void verifyTables(Connection& source, Connection& copy, const std::vector<TableCopy>& tables,
                  const CopyReport& report) {
    for (std::size_t t = 0; t < tables.size(); ++t)
        verifyTable(source, copy, tables[t], report.tables[t].rows);
}

// The source read as one state from the first row to the last verified, whatever another desk or
// program saves meanwhile: a read transaction of the file, a snapshot of the server that takes no
// lock (the other desks go on working). Nothing is written through it.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Connection& db)
        : db_(db) {
        db.exec(db.dialect() == Dialect::Postgres
                    ? "START TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"
                    : "BEGIN");
    }
    ~ReadSnapshot() {
        try {
            if (db_.inTransaction())
                db_.rollback();
        } catch (const Error&) {
            // A lost connection ends its transaction with it.
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Connection& db_;
};

// Whether a file that would be replaced is a check database (of any version): the settings file,
// an Access original not converted yet, or any other file is never replaced by a copy.
bool isCheckDatabaseFile(const fs::path& file) {
    if (!isSqliteFile(file))
        return false;
    try {
        Connection db(file, OpenMode::ReadOnly);
        return db.hasTable(schema::account().name()) && db.hasTable(schema::databaseProperties().name());
    } catch (const Error&) {
        return false;
    }
}

// Why the target of a copy to a file cannot be written, before anything is read (the writer looks
// at it again: a link, a folder, a device, a protected file).
std::optional<CopyResult> targetRefusal(const FileTarget& target, const std::string& failed) {
    const std::string shown = target.file.filename().string();
    if (!hasDatabaseExtension(target.file))
        return CopyResult{
            CopyResult::Failure::Copy, failed + "the name of a check database file ends in .mdb.", {}};
    std::error_code ec;
    const auto status = fs::symlink_status(target.file, ec);
    if (!fs::exists(status)) {
        const fs::path dir = target.file.has_parent_path() ? target.file.parent_path() : fs::path(".");
        if (fileNameTaken(dir, shown))
            return CopyResult{CopyResult::Failure::Copy,
                              failed + "a file whose name differs from " + shown +
                                  " only in letter case exists already; the names of two check databases "
                                  "must differ in more than that.",
                              {}};
        return std::nullopt;
    }
    if (target.existing == WhenExisting::Refuse)
        return CopyResult{CopyResult::Failure::Exists, failed + shown + " already exists.", {}};
    if (fs::is_regular_file(status) && !isCheckDatabaseFile(target.file))
        return CopyResult{CopyResult::Failure::Copy,
                          failed + shown +
                              " is no check database of this program, and is never written over.",
                          {}};
    return std::nullopt;
}

CopyResult sourceFailure(const std::string& message) {
    return {CopyResult::Failure::Source, message, {}};
}

CopyResult copyFailure(const std::string& message) {
    return {CopyResult::Failure::Copy, message, {}};
}

} // namespace

std::int64_t CopyReport::rows() const {
    std::int64_t total = 0;
    for (const Table& table : tables)
        total += table.rows;
    return total;
}

std::string serverNameFor(const fs::path& file) {
    return hasDatabaseExtension(file) ? file.stem().string() : file.filename().string();
}

CopyResult copyToServer(const fs::path& source, const ServerAddress& server, const std::string& name,
                        const CopyOptions& options) {
    const std::string failed = source.filename().string() + " cannot be copied to the database server: ";
    auto opened = CheckDatabase::open(source, OpenMode::ReadOnly);
    if (!opened)
        return sourceFailure(opened.message());
    Connection& original = opened->connection();
    try {
        ReadSnapshot snapshot(original);
        const std::vector<TableCopy> tables = tablesOf(original);
        Connection office = Connection::toServer(server, {}, OpenMode::ReadWrite);
        // One transaction: the check database appears on the server whole and verified, or not at all.
        Transaction transaction(office);
        if (Status added = addServerDatabase(office, name); !added)
            return copyFailure(failed + added.message());
        CopyReport report = copyTables(original, office, tables);
        if (options.beforeVerifying)
            options.beforeVerifying(office);
        verifyTables(original, office, tables, report);
        transaction.commit();
        return {CopyResult::Failure::None, {}, std::move(report)};
    } catch (const CopyFailure& failure) {
        return copyFailure(failed + failure.what());
    } catch (const Error& error) {
        return copyFailure(failed + userMessage(error));
    }
}

CopyResult copyToFile(const ServerAddress& server, const std::string& name, const FileTarget& target,
                      const CopyOptions& options) {
    const std::string failed = name + " cannot be copied to " + target.file.filename().string() + ": ";
    if (auto refused = targetRefusal(target, failed))
        return std::move(*refused);
    auto opened = CheckDatabase::openOnServer(server, name, OpenMode::ReadOnly);
    if (!opened)
        return sourceFailure(opened.message());
    Result<OutputFile> output = OutputFile::create(target.file, {target.existing, target.protectedFiles});
    if (!output)
        return copyFailure(failed + writeFailureMessage(output.message(), 0, target.file));
    Connection& original = opened->connection();
    CopyReport report;
    try {
        ReadSnapshot snapshot(original);
        const std::vector<TableCopy> tables = tablesOf(original);
        {
            Connection copy(output->temporaryPath(), OpenMode::Create);
            // The file is put on the disk once, whole, before it takes its name; a failure on the way
            // discards it, so nothing needs a journal on the disk meanwhile.
            copy.exec("PRAGMA journal_mode = MEMORY");
            copy.exec("PRAGMA synchronous = OFF");
            schema::createCheckDatabaseTables(copy);
            Transaction transaction(copy);
            report = copyTables(original, copy, tables);
            transaction.commit();
            if (options.beforeVerifying)
                options.beforeVerifying(copy);
        }
        // Read back through a connection of its own: what is compared is what the file holds.
        Connection written(output->temporaryPath(), OpenMode::ReadOnly);
        verifyTables(original, written, tables, report);
        written.requireIntact();
    } catch (const CopyFailure& failure) {
        return copyFailure(failed + failure.what());
    } catch (const Error& error) {
        return copyFailure(failed + userMessage(error, target.file));
    }
    if (Status committed = output->commit(); !committed)
        return copyFailure(failed +
                           writeFailureMessage(committed.message(), output->errorNumber(), target.file));
    // Checked whole before it took its name: its first opening need not read it whole again.
    rememberAsSound(target.file);
    return {CopyResult::Failure::None, {}, std::move(report)};
}

} // namespace velmora::db
