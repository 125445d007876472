#include "app/ExitRoutine.h"

#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"
#include "support/Fixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class RecordingProgress : public app::BackupProgress {
public:
    void backupStarting() override { calls.push_back("starting"); }
    void backupFinished() override { calls.push_back("finished"); }
    std::vector<std::string> calls;
};

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

class ExitRoutineTest : public ::testing::Test {
protected:
    void setBackupOnExit(db::Value value) {
        auto settings = app::SettingsStore::open(program_.dir());
        ASSERT_TRUE(settings.ok()) << settings.message();
        db::RecordSet record(settings->connection(), db::schema::settings());
        record.edit();
        record.setField(db::setting::kBackupOnExit, std::move(value));
        record.update();
    }
    Result<app::ExitBackup> exitWith(const std::string& database) {
        return app::runExitRoutine(program_.dir(), DatabaseLocation::inFile(program_.dir() / database),
                                   progress_);
    }
    // The outcome of an exit that must not fail; a failure fails the test with its message.
    std::optional<app::ExitBackup> outcomeOf(const Result<app::ExitBackup>& exit) {
        if (!exit) {
            ADD_FAILURE() << exit.message();
            return std::nullopt;
        }
        return *exit;
    }
    std::int64_t checksInBackup(const std::string& backupName) {
        auto backup = db::CheckDatabase::open(program_.dir() / backupName, db::OpenMode::ReadOnly);
        EXPECT_TRUE(backup.ok()) << backup.message();
        if (!backup)
            return -1;
        db::RecordSet account(backup->connection(), db::schema::account());
        return account.recordCount();
    }

    testing::ProgramDirFixture program_;
    RecordingProgress progress_;
};

TEST_F(ExitRoutineTest, NullOrNoMakesNoBackupAndLeavesAnExistingOneAlone) {
    program_.createDatabase("A", db::DatabaseType::Draft);
    writeFile(program_.dir() / "A.bak", "an older backup");
    for (const db::Value& setting : {db::Value{}, db::Value{false}}) {
        setBackupOnExit(setting);
        EXPECT_EQ(outcomeOf(exitWith("A.mdb")), app::ExitBackup::NotAsked);
        EXPECT_TRUE(progress_.calls.empty()) << "no wait screen without a backup";
        EXPECT_EQ(readFile(program_.dir() / "A.bak"), "an older backup");
    }
    EXPECT_EQ(testing::filesIn(program_.dir()),
              (std::vector<std::string>{"A.bak", "A.mdb", "PC.OVL", "template.ref"}));
}

TEST_F(ExitRoutineTest, YesBacksUpUnderTheBakNameAndASecondExitReplacesIt) {
    setBackupOnExit(true);
    auto database = program_.createDatabase("A", db::DatabaseType::Check);
    testing::addCheck(database, {{db::field::kPayTo, "First payee"}});

    ASSERT_EQ(outcomeOf(exitWith("A.mdb")), app::ExitBackup::Copied);
    EXPECT_EQ(progress_.calls, (std::vector<std::string>{"starting", "finished"}));
    EXPECT_EQ(checksInBackup("A.bak"), 2); // the template check and the one added

    testing::addCheck(database, {{db::field::kPayTo, "Second payee"}});
    ASSERT_TRUE(exitWith("A.mdb").ok());
    EXPECT_EQ(checksInBackup("A.bak"), 3);
    EXPECT_EQ(testing::filesIn(program_.dir()),
              (std::vector<std::string>{"A.bak", "A.mdb", "PC.OVL", "template.ref"}))
        << "no temporary file is left behind";
}

TEST_F(ExitRoutineTest, FailedCopyKeepsThePreviousBackupAndIsReported) {
    setBackupOnExit(true);
    program_.createDatabase("A", db::DatabaseType::Draft);
    ASSERT_TRUE(exitWith("A.mdb").ok());
    const std::string previous = readFile(program_.dir() / "A.bak");
    ASSERT_FALSE(previous.empty());

    writeFile(program_.dir() / "A.mdb",
              "this is no longer a database file, but long enough to look like one......");
    progress_.calls.clear();
    const auto status = exitWith("A.mdb");
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("A.mdb"), std::string::npos) << status.message();
    EXPECT_EQ(progress_.calls, (std::vector<std::string>{"starting", "finished"}))
        << "the wait screen closes";
    EXPECT_EQ(readFile(program_.dir() / "A.bak"), previous);
    EXPECT_EQ(testing::filesIn(program_.dir()),
              (std::vector<std::string>{"A.bak", "A.mdb", "PC.OVL", "template.ref"}));

    fs::remove(program_.dir() / "A.mdb");
    EXPECT_FALSE(exitWith("A.mdb").ok()) << "a database that is gone cannot be backed up";
    EXPECT_EQ(readFile(program_.dir() / "A.bak"), previous);
}

TEST_F(ExitRoutineTest, UnreadableSettingsAreReportedWithoutABackup) {
    program_.createDatabase("A", db::DatabaseType::Draft);
    fs::remove(program_.dir() / app::kSettingsFileName);
    const auto status = exitWith("A.mdb");
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find(app::kSettingsFileName), std::string::npos) << status.message();
    EXPECT_FALSE(fs::exists(program_.dir() / "A.bak"));
    EXPECT_TRUE(progress_.calls.empty());
}

TEST_F(ExitRoutineTest, ADatabaseOnTheServerIsNeverCopiedToThisDesk) {
    // A file of the same name beside it must not be taken for the shared database.
    setBackupOnExit(true);
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    const auto shared = DatabaseLocation::onServer({"host=office dbname=checks"}, "Payroll.mdb");
    EXPECT_EQ(outcomeOf(app::runExitRoutine(program_.dir(), shared, progress_)),
              app::ExitBackup::LeftToServer);
    EXPECT_TRUE(progress_.calls.empty()) << "no wait screen: nothing is copied";
    EXPECT_EQ(testing::filesIn(program_.dir()),
              (std::vector<std::string>{"PC.OVL", "Payroll.mdb", "template.ref"}));
    EXPECT_EQ(app::leftToServerNotice(shared).rfind("Payroll.mdb is kept on the database server", 0), 0u);

    setBackupOnExit(false);
    EXPECT_EQ(outcomeOf(app::runExitRoutine(program_.dir(), shared, progress_)), app::ExitBackup::NotAsked)
        << "nothing to say when no backup is asked for";
}

} // namespace
} // namespace velmora
