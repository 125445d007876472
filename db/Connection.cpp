#include "db/Connection.h"

#include "db/ErrorText.h"
#include "db/Postgres.h"
#include "db/SqlFunctions.h"

#include <sqlite3.h>
#include <utility>

namespace velmora::db {

namespace {

// Every failure reported by SQLite goes through here: a malformed file becomes a DamagedError whose
// message tells how to restore the backup; anything else keeps SQLite's own words.
[[noreturn]] void throwFailure(const std::filesystem::path& file, const std::string& what, int code) {
    const std::string name = file.filename().string();
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
        throw DamagedError(name + " is damaged (" + what + "). " + restoreAdvice(file), code, file);
    case SQLITE_NOTADB:
        throw DamagedError(name + " is damaged, or it is not a file of this program (" + what + "). " +
                               restoreAdvice(file),
                           code, file);
    default:
        throw Error(name + ": " + what, code, file);
    }
}

} // namespace

Connection::Connection(const std::filesystem::path& path, OpenMode mode)
    : path_(path) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case OpenMode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case OpenMode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close(db_);
        db_ = nullptr;
        throwFailure(path, message, code);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);
    // A file is data, not code: its triggers and views may call only harmless functions, and no SQL
    // may rewrite the schema's text or the file's pages behind SQLite's back.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    registerSqlFunctions(db_);
    try {
        // Reading the schema here turns "file is not a database" into an error at open time.
        exec("SELECT count(*) FROM sqlite_master");
    } catch (const Error&) {
        // No destructor runs for a constructor that throws: the handle is closed here.
        sqlite3_close_v2(std::exchange(db_, nullptr));
        throw;
    }
    identity_ = identityOf(path);
}

Connection::Connection() = default;

Connection Connection::toServer(const ServerAddress& address, const std::string& schema, OpenMode mode) {
    Connection connection;
    connection.server_ = std::make_unique<ServerSession>(address, schema, mode);
    connection.path_ = schema;
    return connection;
}

Connection::~Connection() {
    sqlite3_close_v2(db_);
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr))
    , server_(std::move(other.server_))
    , path_(std::move(other.path_))
    , identity_(std::exchange(other.identity_, std::nullopt))
    , commitHook_(std::exchange(other.commitHook_, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
        server_ = std::move(other.server_);
        path_ = std::move(other.path_);
        identity_ = std::exchange(other.identity_, std::nullopt);
        commitHook_ = std::exchange(other.commitHook_, nullptr);
    }
    return *this;
}

void Connection::fail(std::string_view what, int code) const {
    std::string message(what);
    if (db_)
        message += ": " + std::string(sqlite3_errmsg(db_));
    throwFailure(path_, message, code);
}

void Connection::exec(std::string_view sql) {
    countStatement();
    if (server_) {
        server_->exec(sql);
        return;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throwFailure(path_, message, rc);
    }
}

bool Connection::inTransaction() const {
    if (server_)
        return server_->inTransaction();
    return sqlite3_get_autocommit(db_) == 0;
}

void Connection::begin() {
    countStatement();
    if (server_)
        server_->begin();
    else
        exec("BEGIN IMMEDIATE");
}

void Connection::commit() {
    countStatement();
    if (server_)
        server_->commit();
    else
        exec("COMMIT");
}

void Connection::rollback() {
    countStatement();
    if (server_)
        server_->rollback();
    else
        exec("ROLLBACK");
}

bool Connection::readOnly() const {
    if (server_)
        return server_->readOnly();
    return sqlite3_db_readonly(db_, "main") == 1;
}

void Connection::requireIntact() {
    // The server keeps its own pages: there is no file here to read.
    if (server_)
        return;
    Statement check(*this, "PRAGMA integrity_check(3)");
    std::string problems;
    while (check.step()) {
        const std::string line = check.columnText(0);
        if (line != "ok")
            problems += (problems.empty() ? "" : "; ") + line;
    }
    if (!problems.empty())
        throwFailure(path_, problems, SQLITE_CORRUPT);
}

void Connection::committed() {
    if (!commitHook_)
        return;
    // A copy: the hook may replace itself.
    const std::function<void(Connection&)> hook = commitHook_;
    hook(*this);
}

int Connection::changes() const {
    if (server_)
        return server_->changes();
    return sqlite3_changes(db_);
}

int Connection::userVersion() {
    if (server_)
        return server_->version();
    Statement query(*this, "PRAGMA user_version");
    query.step();
    return static_cast<int>(query.columnInt(0));
}

void Connection::setUserVersion(int version) {
    if (server_) {
        server_->setVersion(version);
        return;
    }
    // PRAGMA takes no parameters; the value is a number we format ourselves.
    exec("PRAGMA user_version = " + std::to_string(version));
}

bool Connection::hasTable(std::string_view table) {
    if (server_)
        return server_->hasTable(table);
    Statement query(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    query.bind(1, std::string(table));
    return query.step();
}

std::vector<std::string> Connection::columns(std::string_view table) {
    if (server_)
        return server_->columns(table);
    std::vector<std::string> names;
    Statement info(*this, "SELECT name FROM pragma_table_info(?1)");
    info.bind(1, std::string(table));
    while (info.step())
        names.push_back(info.columnText(0));
    return names;
}

std::string Connection::rowKey(std::string_view table) {
    if (server_)
        return server_->rowKey(table);
    return "rowid";
}

Statement::Statement(Connection& connection, std::string_view sql)
    : connection_(connection) {
    if (connection.server()) {
        server_ = std::make_unique<ServerStatement>(*connection.server(), sql);
        return;
    }
    const int rc =
        sqlite3_prepare_v2(connection.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        connection.fail("cannot prepare a statement", rc);
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, const Value& value) {
    if (server_) {
        server_->bind(index, value);
        return *this;
    }
    int rc = SQLITE_OK;
    const auto& data = value.data();
    if (std::holds_alternative<std::monostate>(data))
        rc = sqlite3_bind_null(stmt_, index);
    else if (auto* i = std::get_if<std::int64_t>(&data))
        rc = sqlite3_bind_int64(stmt_, index, *i);
    else if (auto* d = std::get_if<double>(&data))
        rc = sqlite3_bind_double(stmt_, index, *d);
    else if (auto* m = std::get_if<Money>(&data))
        rc = sqlite3_bind_int64(stmt_, index, m->cents());
    else if (auto* s = std::get_if<std::string>(&data))
        rc = sqlite3_bind_text(stmt_, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        connection_.fail("cannot bind a value", rc);
    return *this;
}

bool Statement::step() {
    if (!std::exchange(started_, true))
        connection_.countStatement();
    if (server_)
        return server_->step();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    connection_.fail("cannot read or write", rc);
}

void Statement::reset() {
    started_ = false;
    if (server_) {
        server_->reset();
        return;
    }
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::run() {
    while (step()) {
    }
}

int Statement::columnCount() const {
    if (server_)
        return server_->columnCount();
    return sqlite3_column_count(stmt_);
}
std::string Statement::columnName(int index) const {
    if (server_)
        return server_->columnName(index);
    return sqlite3_column_name(stmt_, index);
}
bool Statement::isNull(int index) const {
    if (server_)
        return server_->isNull(index);
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}
std::int64_t Statement::columnInt(int index) const {
    if (server_)
        return server_->columnInt(index);
    return sqlite3_column_int64(stmt_, index);
}

std::string Statement::columnText(int index) const {
    if (server_)
        return std::string(server_->columnView(index));
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index)))
                : std::string();
}

std::string_view Statement::columnView(int index) const {
    if (server_)
        return server_->columnView(index);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index)))
                : std::string_view();
}

std::size_t Statement::columnBytes(int index) const {
    if (server_)
        return server_->columnView(index).size();
    return static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index));
}

std::size_t Statement::columnDigest(int index) const {
    if (server_)
        return std::hash<std::string_view>{}(server_->columnView(index));
    // The blob first, then its size: reading it as a blob never converts or copies the value.
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, index));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index));
    return std::hash<std::string_view>{}(bytes ? std::string_view(bytes, size) : std::string_view());
}

Statement::Stored Statement::storedKind(int index) const {
    if (server_)
        return server_->storedKind(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return Stored::Null;
    case SQLITE_INTEGER:
        return Stored::Integer;
    case SQLITE_FLOAT:
        return Stored::Real;
    default:
        return Stored::Text;
    }
}

Value Statement::column(int index) const {
    if (server_)
        return server_->column(index);
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return Value(columnInt(index));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(stmt_, index));
    default:
        return Value(columnText(index));
    }
}

Transaction::Transaction(Connection& connection)
    : connection_(connection) {
    connection_.begin();
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            connection_.rollback();
        } catch (const Error&) {
            // The transaction may already be gone (SQLite rolls back on some errors by itself, and a
            // server connection that was lost took its transaction with it).
        }
    }
}

void Transaction::commit() {
    connection_.commit();
    done_ = true;
    connection_.committed();
}

std::string quoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace velmora::db
