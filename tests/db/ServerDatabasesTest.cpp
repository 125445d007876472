#include "db/ServerDatabases.h"

#include "db/CheckDatabase.h"
#include "db/RecordSet.h"
#include "support/Stores.h"

#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velmora::db {
namespace {

class ServerDatabasesTest : public ::testing::Test {
protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT(store); }

    // Makes the check database `name` (this process's id added, so that parallel tests never meet),
    // dropped when the test ends; its name on the server.
    Result<std::string> create(const std::string& name,
                               std::optional<DatabaseType> type = DatabaseType::Check) {
        const std::string stored = name + " " + std::to_string(::getpid());
        if (Status made = createServerDatabase(store.server(), stored, type); !made)
            return Result<std::string>::failure(made.message());
        store.dropAtEnd(stored);
        return stored;
    }
    bool listed(const std::string& name) {
        const auto names = listServerDatabases(store.server());
        EXPECT_TRUE(names) << names.message();
        return names && std::find(names->begin(), names->end(), name) != names->end();
    }

    testing::StoreFixture store{testing::Store::Server};
};

// The name is the user's own text: quotes, a semicolon and SQL in it are a name like any other.
TEST_F(ServerDatabasesTest, ACheckDatabaseIsMadeListedAndOpenedUnderTheNameAsTyped) {
    const auto name = create("O'Neil \"Pay\"; DROP SCHEMA x");
    ASSERT_TRUE(name) << name.message();
    EXPECT_TRUE(listed(*name));

    auto database = CheckDatabase::openOnServer(store.server(), *name);
    ASSERT_TRUE(database) << database.message();
    EXPECT_TRUE(database->shared());
    const auto properties = database->readProperties();
    ASSERT_TRUE(properties) << properties.message();
    EXPECT_EQ(properties->description, *name);
    EXPECT_EQ(properties->type(), DatabaseType::Check);
    RecordSet checks(database->connection(), schema::account());
    ASSERT_TRUE(checks.hasCurrent()) << "the template check";
    EXPECT_EQ(checks.currentId(), 1);
    EXPECT_EQ(checks.recordCount(), 1);

    // Without a type the new database is a draft one, as the delivered template file is.
    const auto draft = create("Drafts");
    ASSERT_TRUE(draft) << draft.message();
    EXPECT_EQ(CheckDatabase::openOnServer(store.server(), *draft)->readProperties()->type(),
              DatabaseType::Check);
    const auto untyped = create("Untyped", std::nullopt);
    ASSERT_TRUE(untyped) << untyped.message();
    EXPECT_EQ(CheckDatabase::openOnServer(store.server(), *untyped)->readProperties()->type(),
              DatabaseType::Draft);
}

TEST_F(ServerDatabasesTest, NamesTheServerCannotTellApartOrHoldAreRefusedWithTheReason) {
    const auto payroll = create("Payroll");
    ASSERT_TRUE(payroll) << payroll.message();
    std::string upper = *payroll;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const Status again = createServerDatabase(store.server(), upper, DatabaseType::Check);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.message(), upper + " already exists on the database server.");
    EXPECT_FALSE(listed(upper));

    // A name is refused with its reason, or made; the server keeps at most 63 bytes of a name, which
    // 36 letters beyond A to Z can pass.
    const std::string pid = std::to_string(::getpid());
    std::string accented = pid;
    while (QString::fromStdString(accented).size() < 36)
        accented += "\xc3\xa9"; // é
    const struct {
        std::string name;
        const char* why; // nullptr: made
    } names[] = {
        {"", "No name was entered."},
        {std::string(37, 'a'), "The name is longer than 36 characters."},
        {pid + std::string(36 - pid.size(), 'a'), nullptr},
        {accented, "at most 63 bytes"},
        {"pg_payroll", "\"pg_\""},
        {"Smith/Jones", "cannot hold"},
    };
    for (const auto& n : names) {
        const Status made = createServerDatabase(store.server(), n.name, DatabaseType::Check);
        if (made)
            store.dropAtEnd(n.name);
        if (!n.why) {
            EXPECT_TRUE(made) << n.name << ": " << made.message();
            EXPECT_TRUE(listed(n.name)) << n.name;
        } else {
            ASSERT_FALSE(made) << n.name;
            EXPECT_NE(made.message().find(n.why), std::string::npos) << made.message();
            EXPECT_FALSE(listed(n.name)) << n.name;
        }
    }
}

TEST_F(ServerDatabasesTest, OnlySchemasHoldingTheTablesOfACheckDatabaseAreListed) {
    const std::string other = "not checks " + std::to_string(::getpid());
    {
        Connection office = Connection::toServer(store.server(), {}, OpenMode::ReadWrite);
        office.exec("CREATE SCHEMA " + quoteIdentifier(other));
        office.exec("CREATE TABLE " + quoteIdentifier(other) + ".\"Account\" (\"ID\" BIGINT)");
    }
    store.dropAtEnd(other);
    EXPECT_FALSE(listed(other));
    const auto opened = CheckDatabase::openOnServer(store.server(), other);
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.message().find("is not a usable check database"), std::string::npos) << opened.message();

    const auto missing = CheckDatabase::openOnServer(store.server(), "no such database");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find("There is no check database no such database"), std::string::npos)
        << missing.message();
}

TEST_F(ServerDatabasesTest, TestingTheConnectionSaysWhatAnswered) {
    const auto made = create("Counted");
    ASSERT_TRUE(made) << made.message();
    const auto text = describeServer(store.server());
    ASSERT_TRUE(text) << text.message();
    EXPECT_NE(text->find("Connected to the database velmora as velmora (PostgreSQL 15."), std::string::npos)
        << *text;
    EXPECT_NE(text->find("not encrypted"), std::string::npos) << "a Unix socket: " << *text;

    const auto nowhere =
        describeServer(ServerAddress{"host=" + store.dir().string() + " port=1 dbname=velmora"});
    EXPECT_FALSE(nowhere);
    const auto withPassword = describeServer(ServerAddress{"host=/tmp dbname=velmora password=secret"});
    ASSERT_FALSE(withPassword);
    EXPECT_NE(withPassword.message().find("~/.pgpass"), std::string::npos) << withPassword.message();
}

} // namespace
} // namespace velmora::db
