#include "DamagedFile.h"
#include "db/CheckDatabase.h"
#include "db/DatabaseFiles.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "support/Fixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sqlite3.h>

namespace velmora {
namespace {

using db::DamagedError;
using testing::addCheck;

class DamagedDataTest : public ::testing::Test {
protected:
    DamagedDataTest() {
        auto database = program.createDatabase("Payroll", db::DatabaseType::Draft);
        for (int i = 2; i <= 20; ++i)
            addCheck(database, {{"PayTo", "Payee " + std::to_string(i)}, {"Check", 100 + i}});
    }
    std::filesystem::path file() const { return program.dir() / "Payroll.mdb"; }
    db::CheckDatabase open() {
        auto database = db::CheckDatabase::open(file());
        if (!database)
            throw std::runtime_error(database.message());
        return std::move(database.value());
    }
    // Writes a value as it is, past every check of the program, into row 5 of Account or the
    // properties record.
    void store(const char* table, const char* field, db::Value value) {
        auto database = open();
        db::Statement update(database.connection(), "UPDATE " + db::quoteIdentifier(table) + " SET " +
                                                        db::quoteIdentifier(field) +
                                                        " = ?1 WHERE rowid = (SELECT max(rowid) FROM " +
                                                        db::quoteIdentifier(table) + " WHERE rowid <= 5)");
        update.bind(1, value);
        update.run();
    }

    testing::ProgramDirFixture program;
};

// Walks the whole set one way, at most 100 moves; the number of moves made.
int walk(db::RecordSet& records, bool forward) {
    int moves = 0;
    forward ? records.moveFirst() : records.moveLast();
    while (records.hasCurrent() && moves < 100) {
        forward ? records.moveNext() : records.movePrevious();
        ++moves;
    }
    return moves;
}

TEST_F(DamagedDataTest, RowsOutOfOrderOnTheDiskAreRefusedOnOpenAndEndEveryWalk) {
    testing::repeatRowIdOnDisk(file(), "Account", 13);
    const auto refused = db::CheckDatabase::open(file());
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("Payroll.mdb is damaged"), std::string::npos) << refused.message();
    EXPECT_NE(refused.message().find("out of order"), std::string::npos) << refused.message();

    // Damage that comes after the file was opened (or a file opened without the check) never makes
    // a walk endless: forward, the seek past the repeated id finds the same row again.
    db::Connection connection(file(), db::OpenMode::ReadWrite);
    {
        db::RecordSet records(connection, db::schema::account());
        try {
            const int moves = walk(records, true);
            ADD_FAILURE() << "a walk over rows out of order ended after " << moves << " moves";
        } catch (const DamagedError& damage) {
            const std::string message = damage.what();
            EXPECT_NE(message.find("Payroll.mdb is damaged"), std::string::npos) << message;
            EXPECT_NE(message.find("out of order"), std::string::npos) << message;
            EXPECT_NE(message.find("no backup copy (Payroll.bak)"), std::string::npos) << message;
        }
    }
    {
        db::RecordSet records(connection, db::schema::account());
        try {
            EXPECT_LT(walk(records, false), 100) << "a walk back ends";
        } catch (const DamagedError&) {
            // as good an end
        }
    }

    // With a backup beside it, the message says how to put it in place.
    std::filesystem::copy_file(program.dir() / db::kTemplateFileName, program.dir() / "Payroll.bak");
    db::RecordSet records(connection, db::schema::account());
    try {
        walk(records, true);
        ADD_FAILURE() << "the walk ended";
    } catch (const DamagedError& damage) {
        EXPECT_NE(std::string(damage.what()).find("delete Payroll.mdb and rename Payroll.bak to Payroll.mdb"),
                  std::string::npos)
            << damage.what();
    }
}

TEST_F(DamagedDataTest, ADamagedDatabaseNeverReplacesItsBackup) {
    ASSERT_TRUE(db::backupDatabase(program.dir(), "Payroll.mdb"));
    const auto good = std::filesystem::last_write_time(program.dir() / "Payroll.bak");
    testing::repeatRowIdOnDisk(file(), "Account", 13);
    const Status backedUp = db::backupDatabase(program.dir(), "Payroll.mdb");
    ASSERT_FALSE(backedUp);
    EXPECT_NE(backedUp.message().find("rename Payroll.bak to Payroll.mdb"), std::string::npos)
        << backedUp.message();
    EXPECT_EQ(std::filesystem::last_write_time(program.dir() / "Payroll.bak"), good);
    EXPECT_EQ(testing::filesIn(program.dir()),
              (std::vector<std::string>{"PC.OVL", "Payroll.bak", "Payroll.mdb", "template.ref"}));
}

TEST_F(DamagedDataTest, StoredAmountsAndNumbersNoCheckCanCarryAreRefusedNamingRecordAndField) {
    constexpr auto kLowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto kHighest = std::numeric_limits<std::int64_t>::max();
    const std::pair<const char*, db::Value> damaged[] = {
        {"Amount", kLowest},
        {"Amount", kHighest},
        {"Amount", db::kMaxAmountCents + 1},
        {"Amount", 1e300},
        {"Check", std::int64_t{-1}},
        {"Check", db::kMaxCheckNumber + 1},
        {"Check", kLowest},
        {"Check", "-9223372036854775808"},
    };
    for (const auto& [field, value] : damaged) {
        store("Account", field, value);
        auto database = open();
        db::RecordSet records(database.connection(), db::schema::account());
        ASSERT_TRUE(records.moveTo(5));
        EXPECT_EQ(records.field("PayTo").text(), "Payee 5") << "the other fields stay readable";
        try {
            (void)db::CheckRecord::read(records);
            ADD_FAILURE() << field << " = " << value.textOrEmpty() << " was read";
        } catch (const DamagedError& damage) {
            const std::string message = damage.what();
            EXPECT_NE(message.find("record 5"), std::string::npos) << message;
            EXPECT_NE(message.find(std::string("field ") + field), std::string::npos) << message;
        }
        // The user can type a good value over it.
        records.edit();
        records.setField(field, field == std::string("Amount") ? db::Value(db::Money::fromCents(100))
                                                               : db::Value(7));
        records.update();
        EXPECT_NO_THROW((void)db::CheckRecord::read(records));
    }

    const std::pair<const char*, db::Value> edges[] = {{"Amount", db::kMaxAmountCents},
                                                       {"Amount", -db::kMaxAmountCents},
                                                       {"Check", std::int64_t{0}},
                                                       {"Check", db::kMaxCheckNumber}};
    for (const auto& [field, value] : edges) {
        store("Account", field, value);
        auto database = open();
        db::RecordSet records(database.connection(), db::schema::account());
        ASSERT_TRUE(records.moveTo(5));
        EXPECT_NO_THROW((void)db::CheckRecord::read(records)) << field << " = " << value.textOrEmpty();
    }

    store("Properties", "LastCheck", kLowest);
    auto database = open();
    const Result<db::DatabaseProperties> properties = database.readProperties();
    ASSERT_FALSE(properties);
    EXPECT_NE(properties.message().find("is damaged: the Properties record holds"), std::string::npos)
        << properties.message();
}

TEST_F(DamagedDataTest, AFieldTooLargeToHoldIsRefusedNamingItsSizeAndNeverCopied) {
    store("Account", "Comments", std::string(2u << 20, 'x'));
    auto database = open();
    db::RecordSet records(database.connection(), db::schema::account());
    ASSERT_TRUE(records.moveTo(5));
    EXPECT_EQ(records.field("PayTo").text(), "Payee 5") << "the other fields stay readable";
    try {
        (void)records.field("Comments");
        ADD_FAILURE() << "a field of 2 MB was read";
    } catch (const DamagedError& damage) {
        EXPECT_NE(std::string(damage.what()).find("record 5 holds 2.0 MB in the field Comments"),
                  std::string::npos)
            << damage.what();
    }
    // The other fields are saved over it; the check that nobody changed it meanwhile takes its size
    // and digest, and a change of its own is seen.
    records.edit();
    records.setField("PayTo", "Payee 5a");
    records.update();
    db::Statement size(database.connection(), "SELECT length(Comments) FROM Account WHERE ID = 5");
    ASSERT_TRUE(size.step());
    EXPECT_EQ(size.columnInt(0), 2 << 20);
    size.reset();
    EXPECT_EQ(records.field("PayTo").text(), "Payee 5a");
    records.edit();
    records.setField("PayTo", "Payee 5b");
    store("Account", "Comments", std::string(2u << 20, 'y'));
    EXPECT_THROW(records.update(), db::ConflictError);
    records.cancelUpdate();

    // A value that large is refused when it is set; a short one typed over it makes the record whole.
    ASSERT_TRUE(records.moveTo(5)); // read again
    records.edit();
    EXPECT_THROW(records.setField("Comments", std::string((1u << 20) + 1, 'z')), db::Error);
    records.setField("Comments", "cleared");
    records.update();
    EXPECT_EQ(records.field("Comments").text(), "cleared");
}

TEST_F(DamagedDataTest, AnIndexThatMissesARowIsRefusedOnOpenAndLeftAsItWas) {
    testing::misdirectIndexEntryOnDisk(file(), "AccountCheckNumber");
    const std::string damaged = testing::fileContents(file());
    const auto refused = db::CheckDatabase::open(file());
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("Payroll.mdb is damaged"), std::string::npos) << refused.message();
    EXPECT_NE(refused.message().find("missing from index AccountCheckNumber"), std::string::npos)
        << refused.message();
    EXPECT_EQ(testing::fileContents(file()), damaged);
}

TEST(DamagedFileTest, AFileThatIsNoDatabaseIsRefusedWithoutKeepingItOpen) {
    testing::TempDir temp;
    std::ofstream(temp / "junk.mdb") << std::string(4096, 'j');
    auto openJunk = [&] { db::Connection junk(temp / "junk.mdb", db::OpenMode::ReadWrite); };
    EXPECT_THROW(openJunk(), DamagedError);
    const auto before = sqlite3_memory_used();
    for (int i = 0; i < 10; ++i)
        EXPECT_THROW(openJunk(), DamagedError);
    EXPECT_EQ(sqlite3_memory_used(), before) << "each refused file kept its connection";
}

} // namespace
} // namespace velmora
