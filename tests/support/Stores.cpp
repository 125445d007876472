#include "support/Stores.h"

#include "app/ProgramDir.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"
#include "db/ServerDatabases.h"

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace velmora::testing {

std::string storeName(const ::testing::TestParamInfo<Store>& info) {
    return info.param == Store::File ? "File" : "Server";
}

std::optional<ServerAddress> testServer(std::string* whyNot) {
    const char* server = std::getenv("VELMORA_PG_TEST_SERVER");
    if (!server || !*server) {
        if (whyNot)
            *whyNot =
                "No PostgreSQL test server: the test command starts one (scripts/test.sh); by hand, run "
                "scripts/postgres-test-server.sh start DIR and set VELMORA_PG_TEST_SERVER as it prints.";
        return std::nullopt;
    }
    return ServerAddress{server};
}

StoreFixture::StoreFixture(Store store)
    : store_(store) {
    if (store_ == Store::File) {
        if (Status status = app::prepareProgramDir(temp_.path()); !status)
            throw std::runtime_error(status.message());
    } else {
        server_ = testServer(&whyNot_);
    }
}

StoreFixture::~StoreFixture() {
    if (made_.empty())
        return;
    try {
        db::Connection office = db::Connection::toServer(*server_, {}, db::OpenMode::ReadWrite);
        for (const std::string& name : made_)
            office.exec("DROP SCHEMA IF EXISTS " + db::quoteIdentifier(name) + " CASCADE");
    } catch (const db::Error&) {
        // A test that stopped its server leaves its names to the end of the test command.
    }
}

std::string StoreFixture::storedName(const std::string& name) const {
    if (store_ == Store::File)
        return name + ".mdb";
    return name + " " + std::to_string(::getpid());
}

db::Connection StoreFixture::emptyDatabase(const std::string& name) {
    if (store_ == Store::File) {
        db::Connection db(dir() / storedName(name), db::OpenMode::Create);
        db::schema::createCheckDatabaseTables(db);
        return db;
    }
    const std::string stored = storedName(name);
    {
        db::Connection office = db::Connection::toServer(*server_, {}, db::OpenMode::ReadWrite);
        office.exec("CREATE SCHEMA " + db::quoteIdentifier(stored));
    }
    made_.push_back(stored);
    db::Connection db = db::Connection::toServer(*server_, stored, db::OpenMode::ReadWrite);
    db::schema::createCheckDatabaseTables(db);
    return db;
}

db::CheckDatabase StoreFixture::createDatabase(const std::string& name, db::DatabaseType type) {
    Status made = store_ == Store::File ? db::createDatabase(dir(), name, type)
                                        : db::createServerDatabase(*server_, storedName(name), type);
    if (!made)
        throw std::runtime_error(made.message());
    if (store_ == Store::Server)
        made_.push_back(storedName(name));
    return open(name);
}

db::Connection StoreFixture::connect(const std::string& name, db::OpenMode mode) const {
    if (store_ == Store::File)
        return db::Connection(dir() / storedName(name), mode);
    return db::Connection::toServer(*server_, storedName(name), mode);
}

DatabaseLocation StoreFixture::location(const std::string& name) const {
    return store_ == Store::File ? DatabaseLocation::inFile(dir() / storedName(name))
                                 : DatabaseLocation::onServer(*server_, storedName(name));
}

db::CheckDatabase StoreFixture::open(const std::string& name) const {
    auto database = db::CheckDatabase::open(location(name));
    if (!database)
        throw std::runtime_error(database.message());
    return std::move(database.value());
}

} // namespace velmora::testing
