#include "db/SoundFiles.h"

#include "DamagedFile.h"
#include "db/CheckDatabase.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using db::WholeFileCheck;

class SoundFilesTest : public ::testing::Test {
protected:
    SoundFilesTest() {
        auto database = program.createDatabase("Payroll", db::DatabaseType::Check);
        for (int i = 0; i < 10; ++i)
            testing::addCheck(database, {{"PayTo", "Payee " + std::to_string(i)}, {"Check", 100 + i}});
    }
    std::filesystem::path file() const { return program.dir() / "Payroll.mdb"; }
    // Opens the file as the program does, with this test's ledger, and says whether it was read whole.
    WholeFileCheck opened(std::optional<db::Connection>& connection) {
        connection.emplace(file(), db::OpenMode::ReadWrite);
        return db::requireSound(*connection, &ledger);
    }
    WholeFileCheck opened() {
        std::optional<db::Connection> connection;
        return opened(connection);
    }

    testing::ProgramDirFixture program;
    testing::TempDir cache;
    db::SoundFiles ledger{cache / "sound-files"};
};

TEST_F(SoundFilesTest, AFileIsReadWholeAgainOnlyWhenSomebodyElseChangedIt) {
    EXPECT_EQ(opened(), WholeFileCheck::Made);
    EXPECT_EQ(opened(), WholeFileCheck::Skipped);

    // The program's own changes keep a sound file known sound, the last one included.
    std::optional<db::Connection> mine;
    ASSERT_EQ(opened(mine), WholeFileCheck::Skipped);
    for (int i = 0; i < 3; ++i) {
        db::Transaction change(*mine);
        mine->exec("UPDATE Account SET PayTo = PayTo || '+' WHERE ID = 2");
        change.commit();
    }
    EXPECT_EQ(opened(), WholeFileCheck::Skipped);

    // A change by a connection that never checked the file (another program) makes it unknown.
    {
        db::Connection other(file(), db::OpenMode::ReadWrite);
        other.exec("UPDATE Account SET PayTo = 'Theirs' WHERE ID = 3");
    }
    EXPECT_EQ(opened(), WholeFileCheck::Made);

    // Two connections at work on it: the first change of the one is the other's cue to stop
    // vouching for the file, whose later changes then leave it unknown.
    std::optional<db::Connection> first;
    std::optional<db::Connection> second;
    ASSERT_EQ(opened(first), WholeFileCheck::Skipped);
    ASSERT_EQ(opened(second), WholeFileCheck::Skipped);
    for (auto* connection : {&*first, &*second}) {
        db::Transaction change(*connection);
        connection->exec("UPDATE Account SET PayTo = PayTo || '+' WHERE ID = 4");
        change.commit();
    }
    EXPECT_EQ(opened(), WholeFileCheck::Made);
}

TEST_F(SoundFilesTest, AFileDamagedSinceItWasFoundSoundIsCheckedAgainAndRefused) {
    ASSERT_EQ(opened(), WholeFileCheck::Made);
    ASSERT_EQ(opened(), WholeFileCheck::Skipped);
    // Written in place behind SQLite's back, the size kept: the index no longer matches its table.
    testing::misdirectIndexEntryOnDisk(file(), "AccountCheckNumber");
    try {
        (void)opened();
        ADD_FAILURE() << "the damaged index was not found";
    } catch (const db::DamagedError& damage) {
        EXPECT_NE(std::string(damage.what()).find("missing from index AccountCheckNumber"), std::string::npos)
            << damage.what();
    }

    // The check verb reads the file whole whatever is known of it, and says what it found.
    const Status checked = db::checkWholeFile(file());
    ASSERT_FALSE(checked);
    EXPECT_NE(checked.message().find("Payroll.mdb is damaged"), std::string::npos) << checked.message();
    EXPECT_TRUE(db::checkWholeFile(program.dir() / "template.ref"));
}

} // namespace
} // namespace velmora
