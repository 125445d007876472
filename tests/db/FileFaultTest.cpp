// What the user is told, and what is left on the disk, when the disk is full, the folder is read-only
// or another program holds a database.
#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"
#include "db/ErrorText.h"
#include "entry/CheckEntry.h"
#include "export/ExportFile.h"
#include "support/AnotherProcess.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using db::DatabaseType;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A small file system of its own (tmpfs) mounted on a fresh folder for one test. Mounting needs the
// right to (CAP_SYS_ADMIN); without it `reason()` says why and the test is skipped.
class SmallDisk {
public:
    SmallDisk(const char* options, unsigned long flags = 0) {
        if (::mount("velmora-test", temp_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV | flags, options) !=
            0)
            reason_ = std::string("cannot mount a small file system here: ") + std::strerror(errno);
    }
    ~SmallDisk() {
        if (reason_.empty())
            ::umount2(temp_.path().c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    const fs::path& dir() const { return temp_.path(); }
    const std::string& reason() const { return reason_; }

    // Takes every byte left.
    void fill() {
        std::ofstream filler(dir() / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }
    void makeRoom() { fs::remove(dir() / "filler"); }

private:
    testing::TempDir temp_;
    std::string reason_;
};

TEST(FileFaultTest, AFullDiskIsNamedAndLeavesNothingHalfWritten) {
    SmallDisk disk("size=1m,mode=0700");
    if (!disk.reason().empty())
        GTEST_SKIP() << disk.reason();
    const fs::path dir = disk.dir();
    ASSERT_TRUE(app::prepareProgramDir(dir));
    ASSERT_TRUE(db::createDatabase(dir, "A", DatabaseType::Draft));
    {
        auto database = db::CheckDatabase::open(dir / "A.mdb");
        ASSERT_TRUE(database);
        testing::setCheckFields(*database, 1, {{"PayTo", "Velmora"}, {"Date", "1/2/2024"}});
        testing::addCheck(*database, {{"PayTo", "Ann"}});
    }
    ASSERT_TRUE(db::backupDatabase(dir, "A.mdb"));
    std::ifstream oldBackup(dir / "A.bak", std::ios::binary);
    const std::string backupBytes{std::istreambuf_iterator<char>(oldBackup), {}};
    const exporting::CheckInformationExport all;
    ASSERT_TRUE(
        exporting::writeExport(DatabaseLocation::inFile(dir / "A.mdb"), all, dir / "EXPORT.TXT", dir).ok());
    const std::string exportBytes = testing::fileContents(dir / "EXPORT.TXT");
    disk.fill();
    const auto before = testing::filesIn(dir);

    // The export neither reports success over a cut file nor empties the earlier one.
    const exporting::ExportResult exported =
        exporting::writeExport(DatabaseLocation::inFile(dir / "A.mdb"), all, dir / "EXPORT.TXT", dir);
    EXPECT_EQ(exported.failure, exporting::ExportResult::Failure::Output);
    EXPECT_TRUE(contains(exported.message, "could not be written: the disk is full.")) << exported.message;
    EXPECT_EQ(testing::fileContents(dir / "EXPORT.TXT"), exportBytes);
    EXPECT_EQ(testing::filesIn(dir), before);

    const Status created = db::createDatabase(dir, "B", DatabaseType::Check);
    ASSERT_FALSE(created);
    EXPECT_TRUE(contains(created.message(), "The disk is full: B.mdb could not be written."))
        << created.message();
    EXPECT_EQ(testing::filesIn(dir), before) << "no part of B.mdb is left";

    const Status backedUp = db::backupDatabase(dir, "A.mdb");
    ASSERT_FALSE(backedUp);
    EXPECT_TRUE(contains(backedUp.message(), "The disk is full: A.bak could not be written."))
        << backedUp.message();
    EXPECT_EQ(testing::filesIn(dir), before);
    std::ifstream keptBackup(dir / "A.bak", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keptBackup), {}), backupBytes);

    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry(dialogs, dir);
    ASSERT_TRUE(entry.open("A.mdb"));
    ASSERT_TRUE(entry.setFieldText("Comments", std::string(64 * 1024, 'c')));
    EXPECT_FALSE(entry.save());
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_TRUE(contains(dialogs.shown().back().text, "The disk is full: A.mdb could not be written."))
        << dialogs.shown().back().text;

    // With room again, everything works.
    disk.makeRoom();
    EXPECT_TRUE(entry.save());
    EXPECT_TRUE(db::createDatabase(dir, "B", DatabaseType::Check));
    EXPECT_TRUE(db::backupDatabase(dir, "A.mdb"));
    EXPECT_TRUE(
        exporting::writeExport(DatabaseLocation::inFile(dir / "A.mdb"), all, dir / "EXPORT.TXT", dir).ok());
}

// Where no small file system can be mounted, a process whose files may not grow stands in for it.
TEST(FileFaultTest, ADatabaseThatCannotGrowIsNotLeftHalfMade) {
    testing::ProgramDirFixture program;
    const auto before = testing::filesIn(program.dir());
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2048, 2048};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Status created = db::createDatabase(program.dir(), "B", DatabaseType::Check);
        _exit(created.ok() ? 1 : contains(created.message(), "B.mdb") ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(testing::filesIn(program.dir()), before);
}

TEST(FileFaultTest, AReadOnlyFolderIsNamedAsSuch) {
    SmallDisk disk("size=64k", MS_RDONLY);
    if (!disk.reason().empty())
        GTEST_SKIP() << disk.reason();
    const Status prepared = app::prepareProgramDir(disk.dir());
    ASSERT_FALSE(prepared);
    // clang-format off
    EXPECT_EQ(prepared.message(), "The folder " + disk.dir().string() + " is not writable, so PC.OVL cannot be written there. Make the folder writable, or use another one, and try again.");
    // clang-format on
}

// Another program holds the database: a child process that opened it and keeps a transaction open
// until the test lets it go.
testing::HeldByAnotherProcess transactionElsewhere(const fs::path& file, const char* transaction) {
    return testing::HeldByAnotherProcess([&](const testing::HeldByAnotherProcess::Keep& keep) {
        db::Connection db(file, db::OpenMode::ReadWrite);
        db.exec(transaction);
        db.exec("UPDATE Properties SET Description = Description");
        keep(true);
    });
}

TEST(FileFaultTest, ADatabaseHeldByAnotherProgramIsNamedAsInUse) {
    testing::ProgramDirFixture program;
    auto database = program.createDatabase("Payroll", DatabaseType::Draft);
    testing::setCheckFields(database, 1, {{"PayTo", "Velmora"}, {"Date", "1/2/2024"}});
    testing::addCheck(database, {{"PayTo", "Ann"}});
    const std::string inUse = "Payroll.mdb is in use by another program; close it and try again.";

    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry(dialogs, program.dir());
    ASSERT_TRUE(entry.open("Payroll.mdb"));
    ASSERT_TRUE(entry.setFieldText("PayTo", "Annie"));
    {
        // It is writing: reading goes on, saving waits and then says why it cannot.
        const auto other = transactionElsewhere(program.dir() / "Payroll.mdb", "BEGIN IMMEDIATE");
        EXPECT_FALSE(entry.save());
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_TRUE(contains(dialogs.shown()[0].text, inUse)) << dialogs.shown()[0].text;
    }
    {
        // It holds the file for itself: not even opening it works.
        const auto other = transactionElsewhere(program.dir() / "Payroll.mdb", "BEGIN EXCLUSIVE");
        const auto opened = db::CheckDatabase::open(program.dir() / "Payroll.mdb");
        ASSERT_FALSE(opened);
        EXPECT_EQ(opened.message(), inUse);
    }
    EXPECT_TRUE(entry.save()) << "once the other program let go";
}

} // namespace
} // namespace velmora
