#pragma once

#include "base/Result.h"
#include "db/DatabaseProperties.h"
#include "db/Postgres.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::db {

// The check databases of the office's database server. Each is one schema of the office's
// PostgreSQL database, named as the user named it, with the tables of a check database file.

// The most bytes the server keeps of a name; a longer one would be cut short without a word.
inline constexpr std::size_t kMaxServerNameBytes = 63;

// The check databases on the server, by name as listDatabases() sorts files.
Result<std::vector<std::string>> listServerDatabases(const ServerAddress& server);

// Makes the check database `name` on the server, all at once or not at all: its schema, its tables,
// the empty template check and its properties record with `Description` = the name and, when given,
// its `AccountType` ("Draft" otherwise, as the delivered template file has it). A name taken already,
// in any letter case, is refused. The message of a failure tells the cause.
Status createServerDatabase(const ServerAddress& server, const std::string& name,
                            std::optional<DatabaseType> type);

// The same inside the caller's transaction on a connection to the office's database (no check
// database entered), without rows: the schema `name` with the empty tables of a check database, which
// the connection then works in. A name that cannot be used or is taken is refused, nothing made.
// Throws db::Error when the server fails on the way.
Status addServerDatabase(Connection& office, const std::string& name);

// Whether the server can be reached at `server`, and what it is: the text Program Setup shows after
// "Test connection".
Result<std::string> describeServer(const ServerAddress& server);

} // namespace velmora::db
