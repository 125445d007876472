#include "support/Fixtures.h"
#include "support/RunVelmora.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

using testing::VelmoraRun;

// `velmora void` and `velmora positive-pay` as a script runs them: no display, the password in a file.
class RegisterCommandsTest : public ::testing::Test {
protected:
    RegisterCommandsTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Check)) {
        std::ofstream(program.dir() / "password.txt") << "Tulip\n";
        fs::permissions(program.dir() / "password.txt", fs::perms(0600));
        check = testing::addCheck(database, {{"Check", 1001}, {"Comments", "old"}});
        db::RegisterEntry entry;
        entry.run = 1;
        entry.recordId = check;
        entry.check = 1001;
        entry.printed = "2026-12-01";
        entry.payTo = "Anne";
        entry.amount = db::Money::fromCents(1250);
        entry.aba = "211274450";
        entry.account = "4002 1977";
        testing::addRegisterEntry(database, entry);
    }

    VelmoraRun velmora(const char* verb, const QStringList& arguments) {
        return testing::runVelmora(
            QStringList{"--dir", testing::argument(program.dir()), verb} + arguments +
            QStringList{"--password-file", testing::argument(program.dir() / "password.txt")});
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    std::int64_t check = 0;
};

TEST_F(RegisterCommandsTest, VoidMakesTheEntryVoidOnceWithAHistoryLine) {
    const VelmoraRun done = velmora("void", {"--db", "Payroll.mdb", "--check", "1001", "--reason", "lost"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    const db::RegisterEntry entry = testing::registerEntries(database).front();
    EXPECT_TRUE(entry.isVoid());
    EXPECT_EQ(entry.reason, "lost");
    EXPECT_EQ(testing::readCheck(database, check).comments->rfind("Voided check #1001 For $12.5 on ", 0), 0u);
    EXPECT_NE(done.errors.find("check #1001 for $12.50 is void in the register as of " + *entry.voided),
              std::string::npos)
        << done.errors;

    const VelmoraRun again = velmora("void", {"--db", "Payroll.mdb", "--check", "1001"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.errors.find("voided already"), std::string::npos) << again.errors;
    EXPECT_EQ(velmora("void", {"--db", "Payroll.mdb", "--check", "1002"}).exitCode, 1);
    EXPECT_EQ(velmora("void", {"--db", "Payroll.mdb", "--check", "abc"}).exitCode, 2);
    EXPECT_EQ(velmora("void", {"--db", "Missing.mdb", "--check", "1001"}).exitCode, 4);
}

TEST_F(RegisterCommandsTest, PositivePayWritesTheRangeInTheFormatNamed) {
    const fs::path file = program.dir() / "POSPAY.CSV";
    const VelmoraRun done = velmora("positive-pay", {"--db", "Payroll.mdb", "--from", "2026-12-01", "--to",
                                                     "2026-12-31", "--format", "no-payee"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_EQ(testing::fileContents(file), "40021977,1001,12.50,12012026,I\r\n");
    EXPECT_EQ(done.errors,
              "velmora positive-pay: 1 check written to " + file.string() + " (format no-payee)\n");

    const std::pair<QStringList, int> refused[] = {
        {{"--db", "Payroll.mdb", "--from", "2026-12-31", "--to", "2026-12-01"}, 2},
        {{"--db", "Payroll.mdb", "--from", "2026-02-30", "--to", "2026-03-01"}, 2},
        {{"--db", "Payroll.mdb", "--from", "2026-12-01", "--to", "2026-12-31", "--format", "mybank"}, 2},
        {{"--db", "Missing.mdb", "--from", "2026-12-01", "--to", "2026-12-31"}, 4},
        {{"--db", "Payroll.mdb", "--from", "2026-12-01", "--to", "2026-12-31", "--output",
          QString::fromStdString(database.path().string())},
         5},
    };
    for (const auto& [arguments, status] : refused) {
        const VelmoraRun outcome = velmora("positive-pay", arguments);
        EXPECT_EQ(outcome.exitCode, status) << arguments.join(' ').toStdString() << "\n" << outcome.errors;
    }
    EXPECT_NE(velmora("positive-pay", refused[2].first).errors.find("--format takes standard, no-payee"),
              std::string::npos);
    EXPECT_EQ(testing::fileContents(file), "40021977,1001,12.50,12012026,I\r\n");
}

} // namespace
} // namespace velmora
