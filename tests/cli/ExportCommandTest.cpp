#include "db/DamagedFile.h"
#include "support/Fixtures.h"
#include "support/RunVelmora.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

using testing::VelmoraRun;

// `velmora export` as a script runs it: no display, the password in a file.
class ExportCommandTest : public ::testing::Test {
protected:
    ExportCommandTest()
        : database(program.createDatabase("Drafts", db::DatabaseType::Draft)) {
        std::ofstream(program.dir() / "password.txt") << "Tulip\n";
        std::ofstream(program.dir() / "wrong.txt") << "Rose\n";
        fs::permissions(program.dir() / "password.txt", fs::perms(0600));
        testing::setCheckFields(database, 1, {{"BusinessName", "Harbor \"Lane\""}, {"FirstName", nullptr}});
        testing::addCheck(database, {{"LastName", "Smith, Jr."}, {"Amount", db::Money::fromCents(1250)}});
    }

    VelmoraRun velmora(const QStringList& arguments, const char* password = "password.txt",
                       const std::function<void()>& inChild = {}) {
        return testing::runVelmora(
            QStringList{"--dir", testing::argument(program.dir()), "export"} + arguments +
                QStringList{"--password-file", testing::argument(program.dir() / password)},
            {.inChild = inChild});
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    fs::path exportFile = program.dir() / "EXPORT.TXT";
};

TEST_F(ExportCommandTest, WritesTheExportFileOfTheProgramFolderOrTheFileNamed) {
    VelmoraRun done = velmora({"--db", "Drafts.mdb", "--customers"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_EQ(done.errors, "velmora export: 2 records written to " + exportFile.string() + "\n");
    const std::string customers = testing::fileContents(exportFile);
    EXPECT_EQ(customers.rfind(R"("Harbor ""Lane""","",)", 0), 0u) << customers;
    EXPECT_NE(customers.find("\r\n\"\",\"\",\"Smith, Jr.\","), std::string::npos) << customers;

    const fs::path elsewhere = program.dir() / "all.csv";
    done = velmora({"--db", "Drafts.mdb", "--all", "--output", QString::fromStdString(elsewhere.string())});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_NE(testing::fileContents(elsewhere).find(",12.5,"), std::string::npos);
    EXPECT_EQ(testing::fileContents(exportFile), customers); // untouched
}

TEST_F(ExportCommandTest, RefusesWithoutWritingAnything) {
    EXPECT_EQ(velmora({"--db", "Drafts.mdb"}).exitCode, 2);
    EXPECT_EQ(velmora({"--db", "Drafts.mdb", "--all", "--customers"}).exitCode, 2);
    EXPECT_EQ(velmora({"--all"}).exitCode, 2);
    EXPECT_EQ(velmora({"--db", "Drafts.mdb", "--all"}, "wrong.txt").exitCode, 3);
    EXPECT_EQ(velmora({"--db", "Missing.mdb", "--all"}).exitCode, 4);
    const VelmoraRun overDatabase = velmora(
        {"--db", "Drafts.mdb", "--all", "--output", QString::fromStdString(database.path().string())});
    EXPECT_EQ(overDatabase.exitCode, 5);
    EXPECT_NE(
        overDatabase.errors.find("it is the program's own file Drafts.mdb, which is never written over"),
        std::string::npos)
        << overDatabase.errors;
    const VelmoraRun noFolder =
        velmora({"--db", "Drafts.mdb", "--all", "--output", "/nonexistent/EXPORT.TXT"});
    EXPECT_EQ(noFolder.exitCode, 5);
    EXPECT_NE(noFolder.errors.find("/nonexistent/EXPORT.TXT"), std::string::npos) << noFolder.errors;
    // Which of two databases was meant cannot be told.
    const VelmoraRun twice = velmora({"--db", "Drafts.mdb", "--db", "Other.mdb", "--all"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_NE(twice.errors.find("--db is given twice"), std::string::npos) << twice.errors;
    // A folder is called a folder, not a missing file.
    fs::create_directory(program.dir() / "Folder.mdb");
    const VelmoraRun folder = velmora({"--db", "Folder.mdb", "--all"});
    EXPECT_EQ(folder.exitCode, 4);
    EXPECT_NE(folder.errors.find("Folder.mdb is a folder"), std::string::npos) << folder.errors;
    EXPECT_FALSE(fs::exists(exportFile));
    EXPECT_TRUE(testing::readCheck(database, 1).businessName.has_value()); // the database as it was
}

TEST_F(ExportCommandTest, NeverWritesThroughALinkOrOverAProgramFileElsewhere) {
    // EXPORT.TXT planted as a link to another database, --output through a link to a link, and a
    // check database in another folder.
    const fs::path other = program.dir() / "Other.mdb";
    fs::copy_file(database.path(), other);
    fs::create_symlink(other, exportFile);
    testing::TempDir elsewhere;
    fs::copy_file(database.path(), elsewhere / "old-drafts.dat");
    fs::create_symlink(elsewhere / "old-drafts.dat", elsewhere / "link");
    fs::create_symlink(elsewhere / "link", elsewhere / "link-to-link");
    const std::string otherBytes = testing::fileContents(other);
    const std::string copyBytes = testing::fileContents(elsewhere / "old-drafts.dat");

    VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--all"});
    EXPECT_EQ(outcome.exitCode, 5) << outcome.errors;
    EXPECT_NE(outcome.errors.find("symbolic link"), std::string::npos) << outcome.errors;
    for (const fs::path& target : {elsewhere / "link-to-link", elsewhere / "old-drafts.dat"}) {
        outcome =
            velmora({"--db", "Drafts.mdb", "--all", "--output", QString::fromStdString(target.string())});
        EXPECT_EQ(outcome.exitCode, 5) << target << outcome.errors;
    }
    EXPECT_EQ(testing::fileContents(other), otherBytes);
    EXPECT_EQ(testing::fileContents(elsewhere / "old-drafts.dat"), copyBytes);
    EXPECT_TRUE(fs::is_symlink(exportFile));
}

TEST_F(ExportCommandTest, AFileSizeLimitOrADamagedDatabaseFailsWithItsStatusAndKeepsTheEarlierFile) {
    {
        db::Transaction many(database.connection());
        for (int i = 0; i < 400; ++i)
            testing::addCheck(database, {{"PayTo", "Payee " + std::to_string(i) + std::string(100, '.')}});
        many.commit();
    }
    std::ofstream(exportFile) << "last month's export";
    // The limit is set as ulimit -f does; the program itself makes the signal harmless.
    const VelmoraRun limited = velmora({"--db", "Drafts.mdb", "--all"}, "password.txt", [] {
        const rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(limited.exitCode, 5) << limited.errors;
    EXPECT_NE(limited.errors.find("file-size limit"), std::string::npos) << limited.errors;
    EXPECT_EQ(testing::fileContents(exportFile), "last month's export");

    testing::spoilMiddleLeafOnDisk(database.path(), "Account");
    const VelmoraRun damaged = velmora({"--db", "Drafts.mdb", "--all"});
    EXPECT_EQ(damaged.exitCode, 4) << damaged.errors;
    EXPECT_NE(damaged.errors.find("Drafts.mdb is damaged"), std::string::npos) << damaged.errors;
    EXPECT_EQ(testing::fileContents(exportFile), "last month's export");
    EXPECT_EQ(testing::filesIn(program.dir()),
              (std::vector<std::string>{"Drafts.mdb", "EXPORT.TXT", "PC.OVL", "password.txt", "template.ref",
                                        "wrong.txt"}));
}

TEST_F(ExportCommandTest, TheExportIsPrivateAndWhatOthersMayReadIsToldOrCleared) {
    // A killed export of an earlier run left its temporary; the next command clears it.
    const pid_t ended = ::fork();
    if (ended == 0)
        _exit(0);
    ::waitpid(ended, nullptr, 0);
    const fs::path leftover = program.dir() / (".EXPORT.TXT.tmp-" + std::to_string(ended));
    std::ofstream(leftover) << "half an export";

    const VelmoraRun quiet = velmora({"--db", "Drafts.mdb", "--all"});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.errors;
    EXPECT_EQ(quiet.errors.find("warning"), std::string::npos) << quiet.errors;
    EXPECT_EQ(static_cast<unsigned>(fs::status(exportFile).permissions()), 0600u);
    EXPECT_FALSE(fs::exists(leftover));

    fs::permissions(program.dir() / "password.txt", fs::perms(0644));
    const VelmoraRun warned = velmora({"--db", "Drafts.mdb", "--all"});
    EXPECT_EQ(warned.exitCode, 0) << warned.errors; // still used
    EXPECT_NE(warned.errors.find("warning: the password file " + (program.dir() / "password.txt").string() +
                                 " can be read by other users"),
              std::string::npos)
        << warned.errors;

    // PC.OVL that is a folder is named as one.
    fs::rename(program.dir() / "PC.OVL", program.dir() / "settings.kept");
    fs::create_directory(program.dir() / "PC.OVL");
    const VelmoraRun folder = velmora({"--db", "Drafts.mdb", "--all"});
    EXPECT_EQ(folder.exitCode, 7) << folder.errors;
    EXPECT_NE(folder.errors.find("PC.OVL is a folder"), std::string::npos) << folder.errors;
}

} // namespace
} // namespace velmora
