#pragma once

#include "db/CheckDatabase.h"
#include "db/Connection.h"
#include "db/Postgres.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

// The two stores a check database lives in; suites that must hold on both are parameterised by it.
enum class Store { File, Server };
inline const Store kBothStores[] = {Store::File, Store::Server};
std::string storeName(const ::testing::TestParamInfo<Store>& info);

// The test server the test command started (scripts/postgres-test-server.sh), named by
// VELMORA_PG_TEST_SERVER; std::nullopt, with the reason in `whyNot`, where there is none.
std::optional<ServerAddress> testServer(std::string* whyNot = nullptr);

// Check databases for one test in one store: files in a folder of their own, or check databases on the
// test server under names of their own (the process id in each), dropped when the test ends.
class StoreFixture {
public:
    explicit StoreFixture(Store store);
    ~StoreFixture();
    StoreFixture(const StoreFixture&) = delete;
    StoreFixture& operator=(const StoreFixture&) = delete;

    Store store() const { return store_; }
    db::Dialect dialect() const {
        return store_ == Store::File ? db::Dialect::Sqlite : db::Dialect::Postgres;
    }
    // Where the store cannot be used (no test server), the reason; tests skip with it.
    bool available() const { return whyNot_.empty(); }
    const std::string& whyNot() const { return whyNot_; }
    const std::filesystem::path& dir() const { return temp_.path(); }
    const ServerAddress& server() const { return *server_; }

    // The name a check database `name` of this test has in the store: the file name (NAME.mdb), or
    // the name on the server, which no other test process shares.
    std::string storedName(const std::string& name) const;

    // A connection to a new check database holding the tables and nothing else.
    db::Connection emptyDatabase(const std::string& name);
    // A new check database as the creation screen makes it (template check, properties), opened.
    db::CheckDatabase createDatabase(const std::string& name, db::DatabaseType type);
    // Another connection to a database of this test (another program, another desk).
    db::Connection connect(const std::string& name, db::OpenMode mode = db::OpenMode::ReadWrite) const;
    db::CheckDatabase open(const std::string& name) const;
    // Where a check database of this test is, as the screens and the verbs name it.
    DatabaseLocation location(const std::string& name) const;
    // Drops the schema `storedName` on the server when the test ends (one a test made by itself).
    void dropAtEnd(const std::string& storedName) { made_.push_back(storedName); }

private:
    Store store_;
    TempDir temp_;
    std::optional<ServerAddress> server_;
    std::string whyNot_;
    std::vector<std::string> made_; // on the server, to drop at the end
};

} // namespace velmora::testing

// Skips the test when its store cannot be used, saying why.
#define VELMORA_SKIP_WITHOUT(fixture)                                                                        \
    do {                                                                                                     \
        if (!(fixture).available())                                                                          \
            GTEST_SKIP() << (fixture).whyNot();                                                              \
    } while (false)
