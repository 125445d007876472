#pragma once

#include "base/DatabaseLocation.h"
#include "db/FileIdentity.h"
#include "db/Value.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::db {

class ServerSession;
class ServerStatement;

// A failed database operation. Carries SQLite's message, its extended result code (0 for the
// program's own failures) and the file it happened on, when known. userMessage() (db/ErrorText.h)
// turns it into the sentence a user reads.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, int code = 0, std::filesystem::path file = {})
        : std::runtime_error(message)
        , code_(code)
        , file_(std::move(file)) {}
    int code() const { return code_; }
    const std::filesystem::path& file() const { return file_; }

private:
    int code_;
    std::filesystem::path file_;
};

// The file cannot be trusted: SQLite finds it malformed, its records are out of order on the disk,
// or a field holds a value no check can carry. The message says so and how to restore the backup.
class DamagedError : public Error {
public:
    using Error::Error;
};

// A record was changed on the disk (by another screen or program) after it was read and before the
// changes made to it were saved. Nothing was written.
class ConflictError : public Error {
public:
    ConflictError(const std::string& message, std::vector<std::string> changedOnDisk,
                  std::filesystem::path file)
        : Error(message, 0, std::move(file))
        , changedOnDisk_(std::move(changedOnDisk)) {}
    // The fields whose stored value differs from the value read, in table order.
    const std::vector<std::string>& changedOnDisk() const { return changedOnDisk_; }

private:
    std::vector<std::string> changedOnDisk_;
};

enum class OpenMode { ReadWrite, ReadOnly, Create };

// The two stores a check database lives in, where their SQL differs: an SQLite file on this desk, or
// a schema of the office's PostgreSQL database, shared by several desks.
enum class Dialect { Sqlite, Postgres };

// One open check database or settings file. The program writes its SQL once, with "?" or "?N"
// parameters and quoted names; a server connection sends it with PostgreSQL's "$N" parameters. The
// few queries that differ between the two ask dialect().
//
// An SQLite connection registers the program's own SQL functions (the Like pattern language and the
// money text). A server connection works inside its check database's schema; its transactions take a
// lock of their database on the server first, so that one desk at a time writes to it, as one
// process at a time writes to a file.
class Connection {
public:
    Connection(const std::filesystem::path& path, OpenMode mode);
    // The check database `schema` on the server at `address` (db/Postgres.h); an empty schema for a
    // connection to the office's database itself (listing and creating check databases). Throws Error
    // when the server cannot be reached or holds no such check database.
    static Connection toServer(const ServerAddress& address, const std::string& schema, OpenMode mode);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Dialect dialect() const { return server_ ? Dialect::Postgres : Dialect::Sqlite; }
    // The server session of a connection to the server; null for a file.
    ServerSession* server() const { return server_.get(); }

    void exec(std::string_view sql);
    int changes() const;
    int userVersion();
    void setUserVersion(int version);
    bool hasTable(std::string_view table);
    // The names of the table's columns, in order (none for a table that is not there).
    std::vector<std::string> columns(std::string_view table);
    // The expression that names a row of `table` for good, quoted as SQL needs it: the row id of a
    // file's table; the counter field of a server table, or the hidden key of one without a counter.
    std::string rowKey(std::string_view table);
    // Whether the connection was opened for reading only.
    bool readOnly() const;
    // Whether a transaction is open on this connection.
    bool inTransaction() const;
    // A transaction; Transaction (below) is how the program takes one.
    void begin();
    void commit();
    void rollback();
    // Reads every page of the file and matches every index with its table, and throws DamagedError
    // when SQLite finds it malformed (rows out of order, pages lost or used twice, an index that
    // misses a row or names one that is not there). It costs a read of the whole file: opening a file
    // makes it only when the file has changed since it was last found sound (db/SoundFiles.h).
    void requireIntact();
    // Called with this connection after every transaction it commits (Transaction::commit); it must
    // not throw.
    void setCommitHook(std::function<void(Connection&)> hook) { commitHook_ = std::move(hook); }
    void committed();
    // The file; for a server connection, the check database's name (it names it in messages).
    const std::filesystem::path& path() const { return path_; }
    // The file SQLite opened, as it was identified right after opening it (std::nullopt when it could
    // not be looked at): a lock or a check made by name later must fall on this file, not on one put
    // in its place since.
    const std::optional<FileIdentity>& fileIdentity() const { return identity_; }
    // SQLite's handle; null for a server connection.
    sqlite3* handle() const { return db_; }

    // Throws the error of a failed call: a DamagedError for a malformed file, else an Error.
    [[noreturn]] void fail(std::string_view what, int code) const;

    // How many statements have been run on the connection so far (each query, each change, each
    // begin and end of a transaction): what was read before it last moved cannot have been changed
    // through this connection since.
    std::uint64_t statementsRun() const { return statementsRun_; }
    void countStatement() { ++statementsRun_; }

private:
    Connection();
    sqlite3* db_ = nullptr;
    std::unique_ptr<ServerSession> server_;
    std::filesystem::path path_;
    std::optional<FileIdentity> identity_;
    std::function<void(Connection&)> commitHook_;
    std::uint64_t statementsRun_ = 0;
};

// A prepared statement. Parameters are bound by position, from 1; nothing is spliced into the text.
class Statement {
public:
    Statement(Connection& connection, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const Value& value);
    // True while a row is available.
    bool step();
    void reset();
    // Runs a statement that returns no rows.
    void run();

    int columnCount() const;
    std::string columnName(int index) const;
    bool isNull(int index) const;
    std::int64_t columnInt(int index) const;
    std::string columnText(int index) const;
    // The same without a copy, valid until the next step or reset.
    std::string_view columnView(int index) const;
    // The size of a text or blob in bytes, and a digest of its bytes, without a copy.
    std::size_t columnBytes(int index) const;
    std::size_t columnDigest(int index) const;
    enum class Stored { Null, Integer, Real, Text };
    Stored storedKind(int index) const;
    // The stored value as it is (integer, real, text; blobs read as text).
    Value column(int index) const;

private:
    Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
    std::unique_ptr<ServerStatement> server_;
    bool started_ = false; // stepped since it was made or reset
};

// Rolls back unless committed: a change of several records is all or nothing.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

// Double-quotes an identifier for SQL, as PostgreSQL's PQescapeIdentifier does. Used on the names of
// the program's tables and fields, and on the name of a check database on the server (the schema
// that holds it), which SQL can take only as an identifier.
std::string quoteIdentifier(std::string_view name);

} // namespace velmora::db
