#include "db/ServerDatabases.h"

#include "base/Text.h"
#include "db/CheckRecord.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"

#include <QString>
#include <algorithm>

namespace velmora::db {

namespace {

// A name the server can take as it is, or why not.
Status checkName(const std::string& name) {
    if (name.empty())
        return Status::failure("No name was entered.");
    if (static_cast<std::size_t>(QString::fromStdString(name).size()) > kMaxDatabaseNameLength)
        return Status::failure("The name is longer than 36 characters.");
    if (name.size() > kMaxServerNameBytes)
        return Status::failure(
            "The name is too long for the database server, which keeps at most 63 bytes of "
            "a name (letters beyond A to Z take two or more).");
    // A slash is refused as in a file's name, so that a check database keeps its name when it is copied
    // to a file.
    if (name.find('\0') != std::string::npos || name.find('/') != std::string::npos)
        return Status::failure("The name contains a character a check database's name cannot hold.");
    if (lowerCaseBytes(name.substr(0, 3)) == "pg_")
        return Status::failure("The database server keeps names beginning with \"pg_\" for itself.");
    return {};
}

} // namespace

Result<std::vector<std::string>> listServerDatabases(const ServerAddress& server) {
    try {
        Connection office = Connection::toServer(server, {}, OpenMode::ReadOnly);
        const auto rows = office.server()->query(
            "SELECT n.nspname FROM pg_catalog.pg_namespace n WHERE "
            "EXISTS (SELECT 1 FROM pg_catalog.pg_class c WHERE c.relnamespace = n.oid AND c.relname = $1) AND "
            "EXISTS (SELECT 1 FROM pg_catalog.pg_class c WHERE c.relnamespace = n.oid AND c.relname = $2)",
            {std::string(schema::account().name()), std::string(schema::databaseProperties().name())});
        std::vector<std::string> names;
        names.reserve(rows.size());
        for (const auto& row : rows)
            names.push_back(row[0].value_or(""));
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            const std::string la = lowerCaseBytes(a), lb = lowerCaseBytes(b);
            return la != lb ? la < lb : a < b;
        });
        return names;
    } catch (const Error& error) {
        return Result<std::vector<std::string>>::failure(error.what());
    }
}

Status addServerDatabase(Connection& office, const std::string& name) {
    if (Status usable = checkName(name); !usable)
        return usable;
    // Names that differ only in letter case would be told apart by nobody at the selection screen.
    if (!office.server()
             ->query("SELECT 1 FROM pg_catalog.pg_namespace WHERE lower(nspname) = lower($1)", {name})
             .empty())
        return Status::failure(name + " already exists on the database server.");
    // CREATE SCHEMA takes the name only as an identifier, quoted.
    office.exec("CREATE SCHEMA " + quoteIdentifier(name));
    office.server()->enter(name);
    schema::addCheckDatabaseTables(office);
    return {};
}

Status createServerDatabase(const ServerAddress& server, const std::string& name,
                            std::optional<DatabaseType> type) {
    if (Status usable = checkName(name); !usable)
        return usable;
    try {
        Connection office = Connection::toServer(server, {}, OpenMode::ReadWrite);
        Transaction transaction(office);
        if (Status added = addServerDatabase(office, name); !added)
            return added;
        addTemplateRows(office, type ? databaseTypeText(*type) : "Draft", name);
        transaction.commit();
    } catch (const Error& error) {
        return Status::failure(error.what());
    }
    return {};
}

Result<std::string> describeServer(const ServerAddress& server) {
    try {
        Connection office = Connection::toServer(server, {}, OpenMode::ReadOnly);
        const auto rows = office.server()->query(
            "SELECT current_database(), current_user, pg_catalog.current_setting('server_version')", {});
        const auto databases = listServerDatabases(server);
        std::string text = "Connected to the database " + rows.at(0).at(0).value_or("") + " as " +
                           rows.at(0).at(1).value_or("") + " (PostgreSQL " + rows.at(0).at(2).value_or("") +
                           ", " + (office.server()->encrypted() ? "encrypted" : "not encrypted") + ").";
        if (databases)
            text += " It holds " + std::to_string(databases->size()) + " check database" +
                    (databases->size() == 1 ? "" : "s") + ".";
        return text;
    } catch (const Error& error) {
        return Result<std::string>::failure(error.what());
    }
}

} // namespace velmora::db
