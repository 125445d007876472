#pragma once

#include "base/DatabaseLocation.h"
#include "base/Result.h"
#include "db/Connection.h"
#include "db/Value.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct pg_conn;
struct pg_result;

namespace velmora::db {

// Whether an address can be used: not empty, a connection string libpq can read, and no password in
// it (a password written into the settings or typed on a command line would be readable by others).
Status checkServerAddress(const ServerAddress& address);

// SQL written with SQLite's parameters ("?" and "?N") as PostgreSQL takes it ("$N"): a bare "?" is one
// more than the largest number before it, as in SQLite. Quoted names, texts and comments are left as
// they are. The second member is the number of parameters.
std::pair<std::string, int> serverSql(std::string_view sql);

// Run before each request goes to the server. The crash tests kill the process there, at each point of
// an operation in turn, as they do before each write to a database file; null in the program.
extern void (*beforeServerRequest)();

// One session with the server: the check database it works in (a schema, the first and only one on
// its search path; none for a session that lists or creates check databases), its transactions and
// the run lock. A thin layer over libpq; Connection (db/Connection.h) is how the program uses it.
//
// Every query is sent with its values as parameters, and its rows come one at a time, so a query over
// a million records takes no more memory than one. While one statement receives its rows, a query
// of another statement first takes the rest of them into memory: statements may be open side by
// side, as on an SQLite connection.
class ServerSession {
public:
    ServerSession(const ServerAddress& address, const std::string& schema, OpenMode mode);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    const std::string& schema() const { return schema_; }
    // Works in the check database `schema` from now on (it must exist; the session may be inside a
    // transaction that made it).
    void enter(const std::string& schema);
    bool readOnly() const { return readOnly_; }
    // Whether the connection is encrypted (TLS).
    bool encrypted() const;

    void exec(std::string_view sql);
    int changes() const { return changes_; }
    bool inTransaction() const;
    // BEGIN, with the lock that makes this session the only one writing to its check database until
    // the transaction ends (waiting for another desk's transaction, up to the session's lock timeout).
    void begin();
    void commit();
    void rollback();

    // The version of the check database's tables, kept as the comment of its schema (0: none).
    int version();
    void setVersion(int version);
    bool hasTable(std::string_view table);
    std::vector<std::string> columns(std::string_view table);
    std::string rowKey(std::string_view table);
    // After rows were added with their counter field given: the counter of `table` (`key`, quoted)
    // goes on after the highest number, and after `atLeast` (the last number a copied database's
    // counter handed out), so that it never hands out one that is taken or was taken once.
    void counterWritten(std::string_view table, const std::string& key, std::int64_t atLeast = 0);
    // The last number the counter of `table` handed out (0: none yet).
    std::int64_t counterValue(std::string_view table, const std::string& key);

    // The trigram operator class of the server's extension pg_trgm, quoted for CREATE INDEX: what
    // lets a search for a part of a text use an index instead of reading every record. Where the
    // office's database lacks the extension, it is installed into its schema "public" when this
    // session may (it comes with PostgreSQL and is trusted: whoever may create in the database may
    // install it); std::nullopt where it can be neither found nor installed.
    std::optional<std::string> trigramOperators();

    // The run lock of the check database: a lock of the server held by this session until it is
    // given back or the session ends, however it ends (a desk that crashes or loses its connection
    // holds nothing). False when another session holds it; one session takes it once.
    bool tryLockRun();
    void unlockRun();
    bool holdsRunLock() const { return holdsRunLock_; }

    // Runs one query with parameters and returns its rows as text (Null as std::nullopt): for the
    // session's own small questions.
    std::vector<std::vector<std::optional<std::string>>> query(std::string_view sql,
                                                               const std::vector<std::string>& parameters);

    // Throws the Error of a failed call, with the server's words; a lost connection says so.
    [[noreturn]] void fail(std::string_view what, const pg_result* result = nullptr) const;

    // For ServerStatement: the libpq connection, and the statement whose rows are coming.
    pg_conn* handle() const { return conn_; }
    void receiving(ServerStatement* statement) { receiving_ = statement; }
    void received(const ServerStatement* statement);
    // Takes the rest of the rows of the statement receiving them into memory, before another query.
    void finishReceiving();

private:
    std::int64_t lockKey(int kind) const;

    pg_conn* conn_ = nullptr;
    std::string schema_;
    std::string shownName_; // the check database's name, or the server's, in messages
    std::uint32_t schemaOid_ = 0;
    bool readOnly_ = false;
    bool holdsRunLock_ = false;
    int changes_ = 0;
    ServerStatement* receiving_ = nullptr;
};

// A statement of a server session (see Statement in db/Connection.h for what each call does).
class ServerStatement {
public:
    ServerStatement(ServerSession& session, std::string_view sql);
    ~ServerStatement();
    ServerStatement(const ServerStatement&) = delete;
    ServerStatement& operator=(const ServerStatement&) = delete;

    void bind(int index, const Value& value);
    bool step();
    void reset();

    int columnCount() const;
    std::string columnName(int index) const;
    bool isNull(int index) const;
    std::int64_t columnInt(int index) const;
    std::string_view columnView(int index) const;
    Statement::Stored storedKind(int index) const;
    Value column(int index) const;

    // Takes every row still to come into memory (another statement is about to send a query).
    void receiveAll();

private:
    enum class State { Ready, Receiving, Done };
    void send();
    // The next result of the query; null at its end.
    pg_result* nextResult();
    void discard();
    const pg_result* shape() const;

    ServerSession& session_;
    std::string sql_;
    std::vector<std::optional<std::string>> parameters_;
    State state_ = State::Ready;
    std::deque<pg_result*> buffered_; // rows received ahead, one result each
    pg_result* row_ = nullptr;        // the current row
    pg_result* end_ = nullptr;        // the result that ended the rows (it describes the columns)
    std::optional<std::string> error_;
    bool lost_ = false;
};

} // namespace velmora::db
