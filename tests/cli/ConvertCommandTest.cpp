#include "support/Fixtures.h"
#include "support/JetSamples.h"
#include "support/RunVelmora.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// `velmora --dir DIR convert FILES`.
testing::VelmoraRun velmoraConvert(const std::filesystem::path& dir, const QStringList& files) {
    return testing::runVelmora(QStringList{"--dir", testing::argument(dir), "convert"} + files);
}

TEST(ConvertCommandTest, WritesALinePerFileAndFailsWhenAnyFileFailed) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    testing::ProgramDirFixture programDir;
    programDir.createDatabase("Payroll", db::DatabaseType::Check);
    testing::copyWritable(*nwind, programDir.dir() / "nwind.mdb");
    const auto listing = testing::folderListing(programDir.dir());

    const testing::VelmoraRun mixed =
        velmoraConvert(programDir.dir(), {"nwind.mdb", "Payroll.mdb", "missing.mdb"});
    EXPECT_EQ(mixed.exitCode, 1) << mixed.errors;
    EXPECT_EQ(mixed.output,
              "nwind.mdb is not a check database: it has no table Account. Nothing was changed.\n"
              "Payroll.mdb: already a SQLite file; left as it is.\n"
              "missing.mdb: there is no such file.\n");
    EXPECT_EQ(testing::folderListing(programDir.dir()), listing);

    const testing::VelmoraRun settled = velmoraConvert(programDir.dir(), {"Payroll.mdb", "PC.OVL"});
    EXPECT_EQ(settled.exitCode, 0) << settled.errors;
    EXPECT_EQ(velmoraConvert(programDir.dir(), {}).exitCode, 2);
    EXPECT_EQ(velmoraConvert(programDir.dir(), {"--all"}).exitCode, 2);
}

TEST(ConvertCommandTest, AForeignSqliteFileOrAFolderIsRefused) {
    testing::ProgramDirFixture programDir;
    // A SQLite file of another program was never the program's, so it is no converted one either.
    db::Connection(programDir.dir() / "inventory.mdb", db::OpenMode::Create)
        .exec("CREATE TABLE Items (name TEXT)");
    std::filesystem::create_directory(programDir.dir() / "Folder.mdb");
    const testing::VelmoraRun foreign = velmoraConvert(programDir.dir(), {"inventory.mdb", "Folder.mdb"});
    EXPECT_EQ(foreign.exitCode, 1) << foreign.errors;
    EXPECT_EQ(foreign.output,
              "inventory.mdb: a SQLite file that is no check database or settings file of this "
              "program; nothing was converted.\n"
              "Folder.mdb: a folder, not a file; nothing was converted.\n");
}

} // namespace
} // namespace velmora
