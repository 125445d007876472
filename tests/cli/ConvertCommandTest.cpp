#include "jet/JetSamples.h"
#include "support/Fixtures.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace velmora {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string output, errors;
};

Outcome velmoraConvert(const std::filesystem::path& dir, const QStringList& files) {
    QProcess process;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(VELMORA_BINARY_DIR "/velmora",
                  QStringList{"--dir", QString::fromStdString(dir.string()), "convert"} + files);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

TEST(ConvertCommandTest, WritesALinePerFileAndFailsWhenAnyFileFailed) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    testing::ProgramDirFixture programDir;
    programDir.createDatabase("Payroll", db::DatabaseType::Check);
    testing::copyWritable(*nwind, programDir.dir() / "nwind.mdb");
    const auto listing = testing::folderListing(programDir.dir());

    const Outcome mixed = velmoraConvert(programDir.dir(), {"nwind.mdb", "Payroll.mdb", "missing.mdb"});
    EXPECT_EQ(mixed.exitCode, 1) << mixed.errors;
    EXPECT_EQ(mixed.output,
              "nwind.mdb is not a check database: it has no table Account. Nothing was changed.\n"
              "Payroll.mdb: already a SQLite file; left as it is.\n"
              "missing.mdb: there is no such file.\n");
    EXPECT_EQ(testing::folderListing(programDir.dir()), listing);

    const Outcome settled = velmoraConvert(programDir.dir(), {"Payroll.mdb", "PC.OVL"});
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
    const Outcome foreign = velmoraConvert(programDir.dir(), {"inventory.mdb", "Folder.mdb"});
    EXPECT_EQ(foreign.exitCode, 1) << foreign.errors;
    EXPECT_EQ(foreign.output,
              "inventory.mdb: a SQLite file that is no check database or settings file of this "
              "program; nothing was converted.\n"
              "Folder.mdb: a folder, not a file; nothing was converted.\n");
}

} // namespace
} // namespace velmora
