#pragma once

#include "db/Value.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::db {

// A failed database operation. Carries SQLite's message and the file it happened on.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, int code = 0)
        : std::runtime_error(message)
        , code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

enum class OpenMode { ReadWrite, ReadOnly, Create };

// One open SQLite file. Registers the program's own SQL functions (the Like pattern language and
// the money text) on every connection.
class Connection {
public:
    Connection(const std::filesystem::path& path, OpenMode mode);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(std::string_view sql);
    std::int64_t lastInsertRowId() const;
    int changes() const;
    int userVersion();
    void setUserVersion(int version);
    bool hasTable(std::string_view table);
    const std::filesystem::path& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    [[noreturn]] void fail(std::string_view what, int code) const;

private:
    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
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
    // The stored value as it is (integer, real, text; blobs read as text).
    Value column(int index) const;

private:
    Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
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

// Double-quotes an identifier for SQL. Only ever used on names checked against the table's columns.
std::string quoteIdentifier(std::string_view name);

} // namespace velmora::db
