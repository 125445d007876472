#include "db/Postgres.h"

#include <charconv>
#include <cstdlib>
#include <libpq-fe.h>
#include <memory>

namespace velmora::db {

namespace {

// The types of the columns a query returns, as the server numbers them (pg_type).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

// How long a transaction waits for another desk's transaction on the same check database before it
// gives up, as an SQLite connection waits for another process.
constexpr const char* kLockTimeout = "10s";

// The kinds of lock the program takes on a check database; the key of a lock is its kind and the
// number of the check database's schema, so that two check databases never share one.
constexpr std::int64_t kWriting = 0x56450001;
constexpr std::int64_t kRunning = 0x56450002;

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

std::string firstLine(const char* text) {
    std::string line = text ? text : "";
    if (const auto end = line.find('\n'); end != std::string::npos)
        line.erase(end);
    return line;
}

// "\"ID\"" -> "ID".
std::string unquoted(const std::string& identifier) {
    if (identifier.size() < 2 || identifier.front() != '"')
        return identifier;
    std::string name;
    for (std::size_t i = 1; i + 1 < identifier.size(); ++i) {
        name += identifier[i];
        if (identifier[i] == '"')
            ++i;
    }
    return name;
}

// Whether the text is a connection string rather than the name of a service.
bool isConnectionString(const std::string& name) {
    return name.find('=') != std::string::npos || name.starts_with("postgresql://") ||
           name.starts_with("postgres://");
}

} // namespace

Status checkServerAddress(const ServerAddress& address) {
    if (address.name.empty())
        return Status::failure("No database server is named.");
    if (!isConnectionString(address.name))
        return {};
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(address.name.c_str(), &error);
    if (!options) {
        const std::string why = error ? firstLine(error) : "it cannot be read";
        PQfreemem(error);
        return Status::failure("The database server \"" + address.name +
                               "\" is not a valid connection string: " + why + ".");
    }
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        if (std::string_view(option->keyword) == "password" && option->val && *option->val)
            password = true;
    }
    PQconninfoFree(options);
    if (password)
        return Status::failure(
            "The connection string of the database server holds a password. Keep the "
            "password in ~/.pgpass or in the service file instead, where only you can read it.");
    return {};
}

std::pair<std::string, int> serverSql(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    int largest = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            // A quoted text or name runs to its closing quote (a doubled quote inside it closes and
            // opens again, which copies it the same).
            const std::size_t end = sql.find(c, i + 1);
            const std::size_t last = end == std::string_view::npos ? sql.size() - 1 : end;
            out.append(sql.substr(i, last - i + 1));
            i = last;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t last = end == std::string_view::npos ? sql.size() - 1 : end;
            out.append(sql.substr(i, last - i + 1));
            i = last;
        } else if (c == '?') {
            std::size_t digits = i + 1;
            while (digits < sql.size() && sql[digits] >= '0' && sql[digits] <= '9')
                ++digits;
            int number = largest + 1;
            if (digits > i + 1)
                std::from_chars(sql.data() + i + 1, sql.data() + digits, number);
            largest = std::max(largest, number);
            out += '$' + std::to_string(number);
            i = digits - 1;
        } else {
            out += c;
        }
    }
    return {std::move(out), largest};
}

ServerSession::ServerSession(const ServerAddress& address, const std::string& schema, OpenMode mode)
    : shownName_("The database server")
    , readOnly_(mode == OpenMode::ReadOnly) {
    if (Status usable = checkServerAddress(address); !usable)
        throw Error(usable.message());
    // Keywords are taken in order and a later one wins: the connection string may change what
    // comes before it. TLS is libpq's default, "prefer".
    std::vector<const char*> keys{"application_name", "connect_timeout", "client_encoding"};
    std::vector<const char*> values{"velmora", "10", "UTF8"};
    const std::string service = address.name;
    keys.push_back(isConnectionString(service) ? "dbname" : "service");
    values.push_back(service.c_str());
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!conn_)
        throw Error("The database server " + service + " could not be reached: out of memory.");
    if (PQstatus(conn_) != CONNECTION_OK) {
        const std::string why = firstLine(PQerrorMessage(conn_));
        PQfinish(std::exchange(conn_, nullptr));
        throw Error("The database server " + service + " could not be reached: " + why + ".");
    }
    try {
        if (address.requireTls && !PQsslInUse(conn_))
            throw Error("The database server " + service +
                        " does not offer an encrypted (TLS) connection, which the settings require.");
        // The server's notices (a schema dropped with its tables) are no news to a user: only
        // warnings and errors come back.
        query("SELECT pg_catalog.set_config('search_path', '', false), "
              "pg_catalog.set_config('lock_timeout', $1, false), "
              "pg_catalog.set_config('default_transaction_read_only', $2, false), "
              "pg_catalog.set_config('client_min_messages', 'warning', false)",
              {kLockTimeout, readOnly_ ? "on" : "off"});
        if (!schema.empty())
            enter(schema);
    } catch (...) {
        PQfinish(std::exchange(conn_, nullptr));
        throw;
    }
}

bool ServerSession::encrypted() const {
    return PQsslInUse(conn_) == 1;
}

void ServerSession::enter(const std::string& schema) {
    const auto found = query("SELECT oid FROM pg_catalog.pg_namespace WHERE nspname = $1", {schema});
    if (found.empty() || !found[0][0])
        throw Error("There is no check database " + schema + " on the database server.");
    // Only the check database's own schema is searched (after the server's catalog): the program's
    // SQL names its tables without a schema.
    query("SELECT pg_catalog.set_config('search_path', $1, false)", {quoteIdentifier(schema)});
    schemaOid_ = static_cast<std::uint32_t>(std::strtoul(found[0][0]->c_str(), nullptr, 10));
    schema_ = schema;
    shownName_ = schema;
}

ServerSession::~ServerSession() {
    PQfinish(conn_);
}

void ServerSession::fail(std::string_view what, const pg_result* result) const {
    std::string detail = firstLine(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_));
    if (detail.starts_with("ERROR:  "))
        detail.erase(0, 8);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (PQstatus(conn_) != CONNECTION_OK)
        throw Error(shownName_ + ": the connection to the database server was lost (" + detail + ").");
    if (state && std::string_view(state) == "55P03")
        throw Error(shownName_ +
                    " is in use by another desk, which is saving into it; try again in a moment (" + detail +
                    ").");
    throw Error(shownName_ + ": " + std::string(what) + ": " + detail);
}

void ServerSession::received(const ServerStatement* statement) {
    if (receiving_ == statement)
        receiving_ = nullptr;
}

void (*beforeServerRequest)() = nullptr;

namespace {
void requesting() {
    if (beforeServerRequest)
        beforeServerRequest();
}
} // namespace

void ServerSession::finishReceiving() {
    if (receiving_)
        std::exchange(receiving_, nullptr)->receiveAll();
}

void ServerSession::exec(std::string_view sql) {
    finishReceiving();
    requesting();
    ResultPtr result(PQexec(conn_, std::string(sql).c_str()));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail("cannot run a statement", result.get());
    changes_ = std::atoi(PQcmdTuples(result.get()));
}

std::vector<std::vector<std::optional<std::string>>>
ServerSession::query(std::string_view sql, const std::vector<std::string>& parameters) {
    finishReceiving();
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const std::string& parameter : parameters)
        values.push_back(parameter.c_str());
    requesting();
    ResultPtr result(PQexecParams(conn_, std::string(sql).c_str(), static_cast<int>(values.size()), nullptr,
                                  values.data(), nullptr, nullptr, 0));
    if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        fail("cannot read", result.get());
    std::vector<std::vector<std::optional<std::string>>> rows(
        static_cast<std::size_t>(PQntuples(result.get())));
    for (int r = 0; r < PQntuples(result.get()); ++r) {
        for (int c = 0; c < PQnfields(result.get()); ++c) {
            rows[static_cast<std::size_t>(r)].push_back(
                PQgetisnull(result.get(), r, c) ? std::nullopt
                                                : std::optional<std::string>(PQgetvalue(result.get(), r, c)));
        }
    }
    return rows;
}

bool ServerSession::inTransaction() const {
    const PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

std::int64_t ServerSession::lockKey(int kind) const {
    return (static_cast<std::int64_t>(kind == 0 ? kWriting : kRunning) << 32) | schemaOid_;
}

void ServerSession::begin() {
    if (schemaOid_ == 0) {
        exec("BEGIN");
        return;
    }
    try {
        // A number of the program's own, not a text from outside.
        exec("BEGIN; SELECT pg_catalog.pg_advisory_xact_lock(" + std::to_string(lockKey(0)) + ")");
    } catch (const Error&) {
        if (inTransaction())
            PQclear(PQexec(conn_, "ROLLBACK"));
        throw;
    }
}

void ServerSession::commit() {
    finishReceiving();
    requesting();
    ResultPtr result(PQexec(conn_, "COMMIT"));
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        fail("cannot save the changes", result.get());
    // A transaction that failed on its way is rolled back by COMMIT, which says so only in its tag.
    if (std::string_view(PQcmdStatus(result.get())) != "COMMIT")
        throw Error(shownName_ + ": the changes were not saved: a step of them failed on the server.");
}

void ServerSession::rollback() {
    exec("ROLLBACK");
}

int ServerSession::version() {
    if (schemaOid_ == 0)
        return 0;
    const auto rows =
        query("SELECT pg_catalog.obj_description($1::oid, 'pg_namespace')", {std::to_string(schemaOid_)});
    int version = 0;
    if (!rows.empty() && rows[0][0])
        std::from_chars(rows[0][0]->data(), rows[0][0]->data() + rows[0][0]->size(), version);
    return version;
}

void ServerSession::setVersion(int version) {
    // COMMENT takes no parameters: the schema is quoted as an identifier, the version is a number.
    exec("COMMENT ON SCHEMA " + quoteIdentifier(schema_) + " IS '" + std::to_string(version) + "'");
}

bool ServerSession::hasTable(std::string_view table) {
    return !query("SELECT 1 FROM pg_catalog.pg_class WHERE relnamespace = $1::oid AND relname = $2 "
                  "AND relkind IN ('r', 'p')",
                  {std::to_string(schemaOid_), std::string(table)})
                .empty();
}

std::vector<std::string> ServerSession::columns(std::string_view table) {
    // "rowid" is the hidden key of a table without a counter field: not one of its fields.
    const auto rows = query("SELECT a.attname FROM pg_catalog.pg_attribute a "
                            "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
                            "WHERE c.relnamespace = $1::oid AND c.relname = $2 AND a.attnum > 0 "
                            "AND NOT a.attisdropped AND a.attname <> 'rowid' ORDER BY a.attnum",
                            {std::to_string(schemaOid_), std::string(table)});
    std::vector<std::string> names;
    names.reserve(rows.size());
    for (const auto& row : rows)
        names.push_back(row[0].value_or(""));
    return names;
}

std::string ServerSession::rowKey(std::string_view table) {
    const auto rows = query("SELECT a.attname FROM pg_catalog.pg_attribute a "
                            "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
                            "WHERE c.relnamespace = $1::oid AND c.relname = $2 AND a.attnum > 0 "
                            "AND NOT a.attisdropped AND a.attidentity <> '' ORDER BY a.attnum LIMIT 1",
                            {std::to_string(schemaOid_), std::string(table)});
    if (rows.empty() || !rows[0][0])
        throw Error(shownName_ + ": the table " + std::string(table) + " has no key.");
    return quoteIdentifier(*rows[0][0]);
}

void ServerSession::counterWritten(std::string_view table, const std::string& key, std::int64_t atLeast) {
    // The table's name goes in as an identifier (the program's own); its counter is found by the
    // server. A counter never goes back, as an SQLite counter never does.
    query("SELECT pg_catalog.setval(q.s, GREATEST(COALESCE(pg_catalog.pg_sequence_last_value(q.s), 0), "
          "COALESCE(m.top, 0), $3::bigint)) "
          "FROM (SELECT pg_catalog.pg_get_serial_sequence($1, $2)::regclass AS s) q, "
          "(SELECT max(" +
              key + ") AS top FROM " + quoteIdentifier(schema_) + "." + quoteIdentifier(table) +
              ") m WHERE m.top IS NOT NULL OR $3::bigint > 0",
          {quoteIdentifier(schema_) + "." + quoteIdentifier(table), unquoted(key), std::to_string(atLeast)});
}

std::int64_t ServerSession::counterValue(std::string_view table, const std::string& key) {
    const auto rows =
        query("SELECT pg_catalog.pg_sequence_last_value(pg_catalog.pg_get_serial_sequence($1, $2)::regclass)",
              {quoteIdentifier(schema_) + "." + quoteIdentifier(table), unquoted(key)});
    return rows.empty() || !rows[0][0] ? 0 : std::stoll(*rows[0][0]);
}

std::optional<std::string> ServerSession::trigramOperators() {
    const auto installedIn = [&] {
        return query("SELECT n.nspname FROM pg_catalog.pg_extension e JOIN pg_catalog.pg_namespace n "
                     "ON n.oid = e.extnamespace WHERE e.extname = 'pg_trgm'",
                     {});
    };
    auto found = installedIn();
    if (found.empty() && !readOnly_ &&
        !query("SELECT 1 FROM pg_catalog.pg_available_extensions a, pg_catalog.pg_namespace n "
               "WHERE a.name = 'pg_trgm' AND n.nspname = 'public' "
               "AND pg_catalog.has_schema_privilege(n.oid, 'CREATE') "
               "AND pg_catalog.has_database_privilege(pg_catalog.current_database(), 'CREATE')",
               {})
             .empty()) {
        // In a savepoint: a refusal (another desk installing it at the same moment) must not end the
        // transaction that makes the check database, which then goes on without search indexes.
        const bool inside = inTransaction();
        try {
            exec(inside ? "SAVEPOINT velmora_trigrams; CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA public; "
                          "RELEASE SAVEPOINT velmora_trigrams"
                        : "CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA public");
        } catch (const Error&) {
            if (inside)
                exec("ROLLBACK TO SAVEPOINT velmora_trigrams; RELEASE SAVEPOINT velmora_trigrams");
            return std::nullopt;
        }
        found = installedIn();
    }
    if (found.empty() || !found[0][0])
        return std::nullopt;
    return quoteIdentifier(*found[0][0]) + ".gin_trgm_ops";
}

bool ServerSession::tryLockRun() {
    if (holdsRunLock_)
        return false;
    const auto rows =
        query("SELECT pg_catalog.pg_try_advisory_lock($1::bigint)", {std::to_string(lockKey(1))});
    holdsRunLock_ = !rows.empty() && rows[0][0] == "t";
    return holdsRunLock_;
}

void ServerSession::unlockRun() {
    if (!std::exchange(holdsRunLock_, false))
        return;
    try {
        query("SELECT pg_catalog.pg_advisory_unlock($1::bigint)", {std::to_string(lockKey(1))});
    } catch (const Error&) {
        // A session that lost its connection holds no lock any more.
    }
}

ServerStatement::ServerStatement(ServerSession& session, std::string_view sql)
    : session_(session) {
    auto [text, count] = serverSql(sql);
    sql_ = std::move(text);
    parameters_.resize(static_cast<std::size_t>(count));
}

ServerStatement::~ServerStatement() {
    discard();
}

void ServerStatement::bind(int index, const Value& value) {
    if (index < 1 || static_cast<std::size_t>(index) > parameters_.size())
        throw Error(session_.schema() + ": cannot bind a value: the statement has no parameter " +
                    std::to_string(index) + ".");
    auto& parameter = parameters_[static_cast<std::size_t>(index - 1)];
    const auto& data = value.data();
    if (std::holds_alternative<std::monostate>(data))
        parameter.reset();
    else if (const auto* money = std::get_if<Money>(&data))
        parameter = std::to_string(money->cents());
    else
        parameter = value.text();
    // libpq takes each value up to its first NUL; a text the server cannot hold is refused whole.
    if (parameter && parameter->find('\0') != std::string::npos)
        throw Error("A text holds a NUL character, which the database server cannot store.");
}

void ServerStatement::send() {
    session_.finishReceiving();
    std::vector<const char*> values;
    for (const auto& parameter : parameters_)
        values.push_back(parameter ? parameter->c_str() : nullptr);
    requesting();
    if (!PQsendQueryParams(session_.handle(), sql_.c_str(), static_cast<int>(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0))
        session_.fail("cannot send a query");
    state_ = State::Receiving;
    session_.receiving(this);
    if (!PQsetSingleRowMode(session_.handle())) {
        discard();
        session_.fail("cannot receive the rows of a query one at a time");
    }
}

pg_result* ServerStatement::nextResult() {
    PGresult* result = PQgetResult(session_.handle());
    if (!result) {
        state_ = State::Done;
        session_.received(this);
        return nullptr;
    }
    switch (PQresultStatus(result)) {
    case PGRES_SINGLE_TUPLE:
        return result;
    case PGRES_TUPLES_OK:
        // The end of the rows (or all of them, where single rows were not to be had).
        PQclear(std::exchange(end_, result));
        return result;
    case PGRES_COMMAND_OK:
        PQclear(result);
        return nextResult();
    default:
        if (!error_) {
            std::string detail = firstLine(PQresultErrorMessage(result));
            if (detail.starts_with("ERROR:  "))
                detail.erase(0, 8);
            error_ = detail;
        }
        PQclear(result);
        return nextResult();
    }
}

void ServerStatement::receiveAll() {
    while (state_ == State::Receiving) {
        PGresult* result = nextResult();
        if (result && result != end_)
            buffered_.push_back(result);
    }
}

bool ServerStatement::step() {
    PQclear(std::exchange(row_, nullptr));
    if (state_ == State::Ready)
        send();
    while (buffered_.empty() && state_ == State::Receiving) {
        PGresult* result = nextResult();
        if (result && result != end_)
            buffered_.push_back(result);
    }
    if (!buffered_.empty()) {
        row_ = buffered_.front();
        buffered_.pop_front();
        return true;
    }
    if (error_) {
        const std::string detail = *std::exchange(error_, std::nullopt);
        if (PQstatus(session_.handle()) != CONNECTION_OK)
            session_.fail("cannot read or write");
        throw Error(session_.schema() + ": cannot read or write: " + detail);
    }
    return false;
}

void ServerStatement::discard() {
    while (state_ == State::Receiving) {
        if (PGresult* result = nextResult(); result && result != end_)
            PQclear(result);
    }
    for (PGresult* result : buffered_)
        PQclear(result);
    buffered_.clear();
    PQclear(std::exchange(row_, nullptr));
    PQclear(std::exchange(end_, nullptr));
}

void ServerStatement::reset() {
    discard();
    state_ = State::Ready;
    error_.reset();
    for (auto& parameter : parameters_)
        parameter.reset();
}

const pg_result* ServerStatement::shape() const {
    return row_ ? row_ : end_;
}

int ServerStatement::columnCount() const {
    return shape() ? PQnfields(shape()) : 0;
}

std::string ServerStatement::columnName(int index) const {
    const char* name = shape() ? PQfname(shape(), index) : nullptr;
    return name ? name : "";
}

bool ServerStatement::isNull(int index) const {
    return !row_ || PQgetisnull(row_, 0, index);
}

std::string_view ServerStatement::columnView(int index) const {
    if (isNull(index))
        return {};
    return {PQgetvalue(row_, 0, index), static_cast<std::size_t>(PQgetlength(row_, 0, index))};
}

Statement::Stored ServerStatement::storedKind(int index) const {
    if (isNull(index))
        return Statement::Stored::Null;
    switch (PQftype(row_, index)) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return Statement::Stored::Integer;
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return Statement::Stored::Real;
    default:
        return Statement::Stored::Text;
    }
}

std::int64_t ServerStatement::columnInt(int index) const {
    const std::string_view text = columnView(index);
    if (PQftype(row_, index) == kBool)
        return text == "t" ? 1 : 0;
    if (storedKind(index) == Statement::Stored::Real)
        return static_cast<std::int64_t>(std::strtod(std::string(text).c_str(), nullptr));
    std::int64_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

Value ServerStatement::column(int index) const {
    switch (storedKind(index)) {
    case Statement::Stored::Null:
        return {};
    case Statement::Stored::Integer:
        return Value(columnInt(index));
    case Statement::Stored::Real:
        return Value(std::strtod(std::string(columnView(index)).c_str(), nullptr));
    default:
        return Value(std::string(columnView(index)));
    }
}

} // namespace velmora::db
