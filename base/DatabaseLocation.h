#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

// Where the office's database server is, named as PostgreSQL users name one: a service of the
// service file (~/.pg_service.conf), or a libpq connection string ("host=office dbname=checks",
// "postgresql://office/checks"). Passwords come from ~/.pgpass or the service file, never from here.
// TLS is used whenever the server offers it; `requireTls` refuses a connection without it.
struct ServerAddress {
    std::string name;
    bool requireTls = false;

    bool empty() const { return name.empty(); }
    bool operator==(const ServerAddress&) const = default;
};

// Where a check database is: a file of this desk, or a check database on the office's server, shared
// by its desks. The screens and the verbs name a database by its location; what opens it
// (db/CheckDatabase.h) is the one place that tells the two apart.
class DatabaseLocation {
public:
    static DatabaseLocation inFile(std::filesystem::path file) {
        DatabaseLocation location;
        location.name_ = file.filename().string();
        location.file_ = std::move(file);
        return location;
    }
    static DatabaseLocation onServer(ServerAddress server, std::string name) {
        DatabaseLocation location;
        location.server_ = std::move(server);
        location.name_ = std::move(name);
        return location;
    }

    bool shared() const { return server_.has_value(); }
    // The name the user knows it by: the file name (Payroll.mdb), or the name on the server.
    const std::string& name() const { return name_; }
    // The file; empty for a database on the server.
    const std::filesystem::path& file() const { return file_; }
    // The file the program's writers must never replace: the database's own, when it is a file.
    std::optional<std::filesystem::path> ownFile() const {
        return shared() ? std::nullopt : std::optional<std::filesystem::path>(file_);
    }
    // The server of a shared database (shared() only).
    const ServerAddress& server() const { return *server_; }

private:
    DatabaseLocation() = default;
    std::filesystem::path file_;
    std::optional<ServerAddress> server_;
    std::string name_;
};

} // namespace velmora
