#include "app/ProgramDir.h"

#include "app/Password.h"
#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"
#include "support/Fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velmora {
namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value)
        : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ProgramDirTest, DefaultFolderFollowsAnAbsoluteXdgDataHomeOnly) {
    ScopedEnv home("HOME", "/home/clerk");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(app::defaultProgramDir(), "/srv/data/velmora");
    }
    for (const char* ignored : {"", "relative/data"}) {
        ScopedEnv xdg("XDG_DATA_HOME", ignored);
        EXPECT_EQ(app::defaultProgramDir(), "/home/clerk/.local/share/velmora") << ignored;
    }
}

TEST(ProgramDirTest, LeftoversOfAKilledProcessGoAtTheNextStartAndNothingElseDoes) {
    testing::TempDir temp;
    const auto dir = temp.path();
    ASSERT_TRUE(app::prepareProgramDir(dir));
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string dead = std::to_string(ended);
    const std::string running = std::to_string(getpid());

    const std::vector<std::string> leftovers = {
        ".A.bak.tmp-" + dead,        ".A.bak.tmp-" + dead + "-journal",
        ".Pay roll.mdb.tmp-" + dead, ".Pay roll.mdb.tmp-" + dead + "-wal",
        ".PC.OVL.tmp-" + dead,       ".PC.OVL.tmp-" + dead + "-journal",
        ".EXPORT.TXT.tmp-" + dead,   ".checks.pdf.tmp-" + dead};
    std::vector<std::string> kept = {
        "A.mdb",
        "A.mdb-journal",         // a hot journal: the next open rolls the database back with it
        ".A.bak.tmp-" + running, // a backup that a running program is writing
        ".A.bak.tmp-",
        ".A.bak.tmp-12x",
        ".tmp-" + dead,
        "A.bak.tmp-" + dead,
        "notes.tmp-" + dead,
        ".PC.OVL.new",
        ".hidden"};
    for (const auto& name : leftovers)
        std::ofstream(dir / name) << "x";
    for (const auto& name : kept)
        std::ofstream(dir / name) << "x";
    // The empty run lock an earlier version left beside a database goes; a file of that name with
    // something in it is not the program's.
    std::ofstream(dir / "A.mdb.lock").flush();
    for (const char* name : {"notes.mdb", "notes.mdb.lock"}) {
        std::ofstream(dir / name) << "x";
        kept.push_back(name);
    }

    ASSERT_TRUE(app::prepareProgramDir(dir));
    kept.insert(kept.end(), {"PC.OVL", "template.ref"});
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(testing::filesIn(dir), kept);
}

TEST(ProgramDirTest, AFolderTheProgramMakesAndEveryFileInItAreTheUsersAlone) {
    testing::TempDir temp;
    const mode_t usual = ::umask(022);
    const auto dir = temp / "velmora";
    const Status prepared = app::prepareProgramDir(dir);
    const Status created = db::createDatabase(dir, "Payroll", db::DatabaseType::Check);
    const Status backedUp = db::backupDatabase(dir, "Payroll.mdb");
    ::umask(usual);
    ASSERT_TRUE(prepared) << prepared.message();
    ASSERT_TRUE(created) << created.message();
    ASSERT_TRUE(backedUp) << backedUp.message();
    const auto mode = [](const std::filesystem::path& file) {
        return static_cast<unsigned>(std::filesystem::status(file).permissions());
    };
    EXPECT_EQ(mode(dir), 0700u);
    for (const char* file : {"PC.OVL", "template.ref", "Payroll.mdb", "Payroll.bak"})
        EXPECT_EQ(mode(dir / file), 0600u) << file;

    // A folder that was there keeps its mode: the user chose it.
    std::filesystem::create_directory(temp / "shared");
    std::filesystem::permissions(temp / "shared", std::filesystem::perms(0750));
    ASSERT_TRUE(app::prepareProgramDir(temp / "shared"));
    EXPECT_EQ(mode(temp / "shared"), 0750u);
}

TEST(ProgramDirTest, RefusesToReseedAFolderThatHoldsDatabases) {
    testing::TempDir dir;
    std::ofstream(dir / "Payroll.mdb") << "x";
    const Status status = app::prepareProgramDir(dir.path());
    EXPECT_FALSE(status);
    EXPECT_NE(status.message().find("PC.OVL"), std::string::npos) << status.message();
    EXPECT_FALSE(std::filesystem::exists(dir / "PC.OVL"));
}

TEST(ProgramDirTest, KeepsExistingSettingsAndRewritesOnlyAMissingTemplate) {
    testing::TempDir dir;
    ASSERT_TRUE(app::prepareProgramDir(dir.path()));
    {
        auto store = app::SettingsStore::open(dir.path());
        ASSERT_TRUE(app::changePassword(store->connection(), "Secret"));
    }
    std::filesystem::remove(dir / db::kTemplateFileName);
    ASSERT_TRUE(app::prepareProgramDir(dir.path()));
    EXPECT_TRUE(std::filesystem::exists(dir / db::kTemplateFileName));
    auto store = app::SettingsStore::open(dir.path());
    EXPECT_EQ(app::checkPassword(store->connection(), "secret").value(), app::PasswordCheck::Matches);
}

} // namespace
} // namespace velmora
