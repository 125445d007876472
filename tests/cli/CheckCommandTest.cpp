#include "db/DamagedFile.h"
#include "support/Fixtures.h"
#include "support/RunVelmora.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::runVelmora;
using testing::VelmoraRun;

TEST(CheckCommandTest, ChecksEveryFileWholeAndSaysWhichAreNotSound) {
    testing::ProgramDirFixture program;
    for (const char* name : {"Payroll", "Drafts"}) {
        auto database = program.createDatabase(name, db::DatabaseType::Check);
        for (int i = 0; i < 10; ++i)
            testing::addCheck(database, {{"Check", 100 + i}});
    }
    const QString dir = QString::fromStdString(program.dir().string());
    VelmoraRun outcome = runVelmora({"--dir", dir, "check"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output << outcome.errors;
    EXPECT_EQ(outcome.output, "Drafts.mdb: sound (every page and every index checked).\n"
                              "Payroll.mdb: sound (every page and every index checked).\n"
                              "PC.OVL: sound (every page and every index checked).\n"
                              "template.ref: sound (every page and every index checked).\n");

    // Damage the opening check would miss until the file changed again is found here in any case.
    testing::misdirectIndexEntryOnDisk(program.dir() / "Payroll.mdb", "AccountCheckNumber");
    outcome = runVelmora({"--dir", dir, "check", "--db", "Payroll.mdb"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output.rfind("Payroll.mdb is damaged (row ", 0), 0u) << outcome.output;
    EXPECT_NE(outcome.output.find("missing from index AccountCheckNumber"), std::string::npos)
        << outcome.output;

    outcome = runVelmora({"--dir", dir, "check", "--db", "Missing.mdb"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "Missing.mdb does not exist.\n");
    outcome = runVelmora({"--dir", dir, "check", "--settings", "--template"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
    outcome = runVelmora({"--dir", dir, "check", "--everything"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.errors.find("unknown option '--everything'"), std::string::npos) << outcome.errors;
}

} // namespace
} // namespace velmora
