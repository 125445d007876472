// A process killed at any point of a write (a power cut, kill -9) leaves every database either as it
// was before or as it is after: the core's operations are each run in a child process that is killed
// just before its Nth write to the disk (counted by a shim over SQLite's file layer), for every N.
#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "base/Clock.h"
#include "db/DatabaseCopy.h"
#include "db/DatabaseFiles.h"
#include "db/Postgres.h"
#include "entry/CheckEntry.h"
#include "entry/OrderImporter.h"
#include "print/PrintLock.h"
#include "print/PrintRun.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/OrderForms.h"
#include "support/ScriptedDialogs.h"
#include "support/Stores.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using db::DatabaseType;

// The shim: SQLite's own file layer with every write, truncation, sync and deletion counted; the
// count can be set to kill the process just before a given one. Registered in the child only.
namespace shim {

sqlite3_vfs* ownVfs = nullptr; // SQLite's own
sqlite3_vfs vfs;
long steps = 0;
long killBefore = -1; // the step the process dies at; -1: never

void step() {
    if (steps++ == killBefore)
        ::kill(::getpid(), SIGKILL);
}

struct File {
    sqlite3_file base;
    sqlite3_file* real;
};

// Passes a file method on to SQLite's own; `kWrites` counts it as a step first.
template <auto Method, bool kWrites = false> struct Forward;
template <typename R, typename... Args, R (*sqlite3_io_methods::*Method)(sqlite3_file*, Args...),
          bool kWrites>
struct Forward<Method, kWrites> {
    static R call(sqlite3_file* file, Args... args) {
        if constexpr (kWrites)
            step();
        sqlite3_file* inner = reinterpret_cast<File*>(file)->real;
        return (inner->pMethods->*Method)(inner, args...);
    }
};

using M = sqlite3_io_methods;
const sqlite3_io_methods methods = {3,
                                    Forward<&M::xClose>::call,
                                    Forward<&M::xRead>::call,
                                    Forward<&M::xWrite, true>::call,
                                    Forward<&M::xTruncate, true>::call,
                                    Forward<&M::xSync, true>::call,
                                    Forward<&M::xFileSize>::call,
                                    Forward<&M::xLock>::call,
                                    Forward<&M::xUnlock>::call,
                                    Forward<&M::xCheckReservedLock>::call,
                                    Forward<&M::xFileControl>::call,
                                    Forward<&M::xSectorSize>::call,
                                    Forward<&M::xDeviceCharacteristics>::call,
                                    Forward<&M::xShmMap>::call,
                                    Forward<&M::xShmLock>::call,
                                    Forward<&M::xShmBarrier>::call,
                                    Forward<&M::xShmUnmap>::call,
                                    Forward<&M::xFetch>::call,
                                    Forward<&M::xUnfetch>::call};

int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* wrapper = reinterpret_cast<File*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    const int rc = ownVfs->xOpen(ownVfs, name, wrapper->real, flags, outFlags);
    wrapper->base.pMethods = wrapper->real->pMethods ? &methods : nullptr;
    return rc;
}
int remove(sqlite3_vfs*, const char* name, int syncDir) {
    step(); // deleting the journal commits a transaction
    return ownVfs->xDelete(ownVfs, name, syncDir);
}

void installAsDefault() {
    ownVfs = sqlite3_vfs_find(nullptr);
    vfs = *ownVfs;
    vfs.zName = "velmora-crash";
    vfs.szOsFile = static_cast<int>(sizeof(File)) + ownVfs->szOsFile;
    vfs.xOpen = open;
    vfs.xDelete = remove;
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace shim

// Everything a database holds, as text: two databases with the same digest hold the same records.
std::string digest(db::Connection& db) {
    std::string all;
    for (const char* table : {"Account", "Properties", "Register", "BlankStock"}) {
        db::Statement rows(db, std::string("SELECT * FROM \"") + table + "\"");
        std::vector<std::string> lines;
        while (rows.step()) {
            std::string line;
            for (int i = 0; i < rows.columnCount(); ++i)
                line += rows.column(i).isNull() ? "<null>|" : rows.column(i).textOrEmpty() + "|";
            lines.push_back(std::move(line));
        }
        std::ranges::sort(lines); // in whatever order the store keeps them
        for (const std::string& line : lines)
            all += line + "\n";
    }
    return all;
}

std::string digest(const fs::path& file) {
    db::Connection db(file, db::OpenMode::ReadOnly);
    return digest(db);
}

std::string integrity(const fs::path& file) {
    db::Connection db(file, db::OpenMode::ReadWrite); // rolls back what a killed process left
    db::Statement check(db, "PRAGMA integrity_check");
    check.step();
    return check.columnText(0);
}

// A rollback journal that holds nothing to roll back (empty, or its header not written yet): SQLite
// leaves it, ignores it and replaces it at the next change.
bool isColdJournal(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char first = 0;
    return !in.get(first) || first == 0;
}

void copyFolder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

struct ChildOutcome {
    bool killed = false;
    long steps = 0; // of a child that ran to its end
};

// Where the child counts its steps: its writes to the database files, or its requests to the server.
enum class Steps { FileWrites, ServerRequests };

// Runs `operation` in a child process that dies before its `killBefore`th step (-1: never).
ChildOutcome runChild(const std::function<void()>& operation, long killBefore,
                      Steps counted = Steps::FileWrites) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (counted == Steps::FileWrites)
            shim::installAsDefault();
        else
            db::beforeServerRequest = shim::step;
        shim::killBefore = killBefore;
        try {
            operation();
        } catch (...) {
            _exit(3);
        }
        const long steps = shim::steps;
        (void)!::write(pipeEnds[1], &steps, sizeof steps);
        _exit(0);
    }
    ::close(pipeEnds[1]);
    ChildOutcome outcome;
    if (::read(pipeEnds[0], &outcome.steps, sizeof outcome.steps) != sizeof outcome.steps)
        outcome.steps = -1;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    outcome.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (!outcome.killed && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        throw std::runtime_error("the child failed with status " + std::to_string(status));
    return outcome;
}

class CrashConsistencyTest : public ::testing::Test {
protected:
    CrashConsistencyTest() {
        Clock::setToday(Date{2024, 3, 7});
        auto database = pristine.createDatabase("A", DatabaseType::Check);
        testing::setCheckFields(
            database, 1, {{"FirstName", "Tom"}, {"Date", "1/2/2024"}, {"LabelPrint", false}, {"Check", 100}});
        for (int i = 0; i < 6; ++i)
            testing::addCheck(database, {{"PayTo", "Payee " + std::to_string(i)},
                                         {"Amount", db::Money::fromCents(1000 + i)},
                                         {"Check", 101 + i},
                                         {"Comments", "note " + std::to_string(i)},
                                         {"Print", i % 2 ? "Monthly" : "Once"}});
        EXPECT_TRUE(db::backupDatabase(pristine.dir(), "A.mdb").ok()) << "an older backup to replace";
        testing::addCheck(database, {{"PayTo", "After the backup"}, {"Print", "Once"}});
    }
    ~CrashConsistencyTest() override { Clock::setToday(std::nullopt); }

    fs::path dir() const { return work.path() / "program"; }

    // A run answered Yes, or No and then (unless null) the checks of these rows ticked as printed.
    void printRun(const print::PrintSelection& selection, bool confirmed,
                  std::optional<std::vector<std::size_t>> ticked = std::nullopt) const {
        printRunIn(DatabaseLocation::inFile(dir() / "A.mdb"), selection, confirmed, std::move(ticked));
    }
    static void printRunIn(const DatabaseLocation& location, const print::PrintSelection& selection,
                           bool confirmed, std::optional<std::vector<std::size_t>> ticked = std::nullopt) {
        auto database = db::CheckDatabase::open(location);
        if (!database)
            throw std::runtime_error(database.message());
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(confirmed ? DialogAnswer::Yes : DialogAnswer::No);
        dialogs.queueTicks(std::move(ticked));
        print::RecordingSurface surface;
        print::PrintRun run(*database, print::CheckPageSetup{}, dialogs);
        if (!run.run(selection, surface, surface).ok())
            throw std::runtime_error("the run failed");
    }

    // Kills `operation` at every write it makes (at most about 60 points, evenly spread) and checks
    // each of `files` afterwards: intact, and holding one of the states `operation` may end in
    // (before, after, and any named in `between`), with no leftover after the next start.
    void killEverywhere(const std::function<void()>& operation, std::vector<std::string> files,
                        const std::function<void()>& between = {}) {
        std::map<std::string, std::set<std::string>> allowed;
        for (const auto& file : files)
            allowed[file].insert(digest(pristine.dir() / file));
        const auto pristineFiles = testing::filesIn(pristine.dir());
        std::set<std::string> names(pristineFiles.begin(), pristineFiles.end());
        auto remember = [&] {
            for (const auto& file : files)
                allowed[file].insert(digest(dir() / file));
            const auto after = testing::filesIn(dir());
            names.insert(after.begin(), after.end());
        };
        if (between) {
            copyFolder(pristine.dir(), dir());
            runChild(between, -1);
            remember();
        }
        copyFolder(pristine.dir(), dir());
        const long total = runChild(operation, -1).steps;
        ASSERT_GT(total, 0);
        RecordProperty("writes", static_cast<int>(total));
        remember();

        const long stride = std::max(1L, total / 60);
        int killed = 0;
        for (long point = 0; point <= total; point += stride) {
            copyFolder(pristine.dir(), dir());
            killed += runChild(operation, point).killed;
            for (const auto& file : files) {
                EXPECT_EQ(integrity(dir() / file), "ok") << file << ", killed at write " << point;
                EXPECT_TRUE(allowed[file].count(digest(dir() / file)))
                    << file << " is neither before nor after, killed at write " << point;
            }
            ASSERT_TRUE(app::prepareProgramDir(dir()));
            for (const auto& name : testing::filesIn(dir())) {
                const bool journal = name.ends_with("-journal") &&
                                     std::count(files.begin(), files.end(), name.substr(0, name.size() - 8));
                if (!names.count(name) && !(journal && isColdJournal(dir() / name)))
                    ADD_FAILURE() << name << " left behind, killed at write " << point;
            }
        }
        EXPECT_GT(killed, 0);
    }

    testing::ProgramDirFixture pristine;
    testing::TempDir work;
};

TEST_F(CrashConsistencyTest, AConfirmedPrintRun) {
    // The dates of the recurring checks are saved with the marks and the register's entries: all of
    // the run's changes or none, whether all printed or some were ticked after a "No".
    killEverywhere([&] { printRun({.once = true, .monthly = true}, true); }, {"A.mdb"});
    killEverywhere(
        [&] {
            printRun({.once = true, .monthly = true}, false, std::vector<std::size_t>{0, 1, 4});
        },
        {"A.mdb"});
}

// A desk printing from a check database on the office's server, killed before each of its requests
// to the server in turn: the server holds all of the run's changes or none of them, and the run's
// lock died with the desk.
TEST_F(CrashConsistencyTest, AConfirmedPrintRunFromTheServer) {
    testing::StoreFixture store(testing::Store::Server);
    VELMORA_SKIP_WITHOUT(store);
    const std::string name = store.storedName("A");
    store.dropAtEnd(name);
    const auto restore = [&] {
        db::Connection office = db::Connection::toServer(store.server(), {}, db::OpenMode::ReadWrite);
        office.exec("DROP SCHEMA IF EXISTS " + db::quoteIdentifier(name) + " CASCADE");
        const db::CopyResult copied = db::copyToServer(pristine.dir() / "A.mdb", store.server(), name);
        ASSERT_TRUE(copied.ok()) << copied.message;
    };
    const auto serverDigest = [&] {
        db::Connection desk = store.connect("A", db::OpenMode::ReadOnly);
        return digest(desk);
    };
    const DatabaseLocation location = store.location("A");
    const auto operation = [&] { printRunIn(location, {.once = true, .monthly = true}, true); };

    restore();
    const std::string before = serverDigest();
    const long total = runChild(operation, -1, Steps::ServerRequests).steps;
    ASSERT_GT(total, 0);
    const std::string after = serverDigest();
    ASSERT_NE(after, before);
    const long stride = std::max(1L, total / 40);
    int killed = 0;
    for (long point = 0; point <= total; point += stride) {
        restore();
        killed += runChild(operation, point, Steps::ServerRequests).killed;
        const std::string now = serverDigest();
        EXPECT_TRUE(now == before || now == after) << "neither before nor after, killed at request " << point;
        auto desk = store.open("A");
        EXPECT_TRUE(print::PrintLock::acquire(desk, std::chrono::milliseconds(5000)))
            << "the run's lock outlived the desk killed at request " << point;
    }
    EXPECT_GT(killed, 0);
}

TEST_F(CrashConsistencyTest, ARunOfManyRecurringChecksDatesThemAllOrNone) {
    {
        auto database = db::CheckDatabase::open(pristine.dir() / "A.mdb");
        ASSERT_TRUE(database) << database.message();
        db::Transaction adding(database->connection());
        for (int i = 0; i < 600; ++i)
            testing::addCheck(*database, {{"Print", "Monthly"}, {"Check", 2000 + i}, {"Date", "1/1/2020"}});
        adding.commit();
    }
    // Not confirmed, they keep the date they printed with; confirmed, they are marked as well.
    for (const bool confirmed : {false, true})
        killEverywhere([&] { printRun({.monthly = true}, confirmed); }, {"A.mdb"});
}

TEST_F(CrashConsistencyTest, AnImportedOrder) {
    const auto importing = [this](bool newFirst, std::optional<entry::OrderTarget> target) {
        return [this, newFirst, target] {
            testing::ScriptedDialogs dialogs;
            entry::CheckEntry entry(dialogs, dir());
            if (!entry.open("A.mdb") || (newFirst && !entry.newCheck()))
                throw std::runtime_error("no check to import into");
            if (target && !entry::importOrderForm(entry, testing::kOrderForm, *target).written)
                throw std::runtime_error("not imported");
        };
    };
    // import-order: a new check with the order in it, or nothing.
    killEverywhere(importing(false, entry::OrderTarget::NewCheck), {"A.mdb"});
    // Paste Order Form into the check New has just made: New is a step of its own, the order another.
    killEverywhere(importing(true, entry::OrderTarget::CurrentOrNew), {"A.mdb"},
                   importing(true, std::nullopt));
}

TEST_F(CrashConsistencyTest, NewAndDelete) {
    auto entryDoing =
        [this](const std::function<void(entry::CheckEntry&, testing::ScriptedDialogs&)>& command) {
            return [this, command] {
                testing::ScriptedDialogs dialogs;
                entry::CheckEntry entry(dialogs, dir());
                if (!entry.open("A.mdb"))
                    throw std::runtime_error("not opened");
                dialogs.clear();
                command(entry, dialogs);
                if (!dialogs.shown().empty() && dialogs.shown().back().buttons == DialogButtons::Ok)
                    throw std::runtime_error(dialogs.shown().back().text);
            };
        };
    killEverywhere(entryDoing([](auto& entry, auto&) { entry.newCheck(); }), {"A.mdb"});
    killEverywhere(entryDoing([](auto& entry, auto& dialogs) {
                       dialogs.queueAnswer(DialogAnswer::Yes);
                       entry.deleteCheck();
                   }),
                   {"A.mdb"});
}

TEST_F(CrashConsistencyTest, TheBackupOnExit) {
    killEverywhere(
        [this] {
            if (!db::backupDatabase(dir(), "A.mdb"))
                throw std::runtime_error("no backup");
        },
        {"A.mdb", "A.bak"});
}

} // namespace
} // namespace velmora
