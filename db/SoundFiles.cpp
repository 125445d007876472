#include "db/SoundFiles.h"

#include "db/Connection.h"
#include "db/ErrorText.h"
#include "db/JetHeader.h"

#include <cstdlib>
#include <sqlite3.h>
#include <sys/stat.h>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

// The files remembered; the oldest entries go beyond this many.
constexpr std::int64_t kMostRemembered = 1000;

// A read transaction of its own: SQLite's shared lock is held from its first read to its end, so
// nothing can change the file meanwhile. Ends without changing anything, whatever happens.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& connection)
        : connection_(connection) {
        connection_.exec("BEGIN");
    }
    ~ReadTransaction() {
        try {
            connection_.exec("COMMIT");
        } catch (const Error&) {
            // A read transaction has nothing to lose; SQLite may have ended it by itself.
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection& connection_;
};

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// SQLite's counter of the changes made to the file: offset 24 of the header, big-endian, read
// through SQLite's own handle of the file (a descriptor of our own, closed, would drop the locks
// SQLite holds on it).
std::optional<std::uint32_t> changeCounter(Connection& connection) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(connection.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return std::nullopt;
    unsigned char bytes[4] = {};
    if (file->pMethods->xRead(file, bytes, sizeof bytes, 24) != SQLITE_OK)
        return std::nullopt;
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
           std::uint32_t{bytes[3]};
}

struct Observed {
    std::optional<FileState> state; // std::nullopt: the file cannot be told (replaced, not looked at)
    std::int64_t dataVersion = 0;   // changes only when another connection commits
};

// Inside a read transaction: the file's state and the connection's data version, read together.
Observed observe(Connection& connection) {
    Observed observed;
    {
        Statement version(connection, "PRAGMA data_version"); // takes the shared lock
        version.step();
        observed.dataVersion = version.columnInt(0);
    }
    struct stat info {};
    const auto counter = changeCounter(connection);
    if (!counter || ::stat(connection.path().c_str(), &info) != 0)
        return observed;
    FileState state{{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
                    static_cast<std::int64_t>(info.st_size),
                    nanoseconds(info.st_mtim),
                    nanoseconds(info.st_ctim),
                    *counter};
    // The name must still lead to the file SQLite opened.
    if (state.identity == connection.fileIdentity())
        observed.state = state;
    return observed;
}

// After each commit: the state the connection's own change left, remembered while nobody else has
// changed the file since it was last known sound on this connection.
void keepRemembering(Connection& connection, SoundFiles* ledger, std::int64_t dataVersion) {
    connection.setCommitHook([ledger, dataVersion](Connection& committed) {
        try {
            std::optional<FileState> state;
            {
                ReadTransaction reading(committed);
                const Observed observed = observe(committed);
                if (observed.dataVersion == dataVersion)
                    state = observed.state;
            }
            if (state) {
                ledger->remember(*state, committed.path());
                return;
            }
        } catch (const Error&) {
            // Not known: the next opening checks the file again.
        }
        committed.setCommitHook(nullptr); // changed by another connection: no longer followed
    });
}

fs::path ledgerFolder() {
    // Relative base directories are invalid and ignored, as the base directory rules ask.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && fs::path(cache).is_absolute())
        return fs::path(cache) / "velmora";
    if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute())
        return fs::path(home) / ".cache" / "velmora";
    return {};
}

} // namespace

SoundFiles::SoundFiles(fs::path ledger)
    : file_(std::move(ledger)) {}

SoundFiles::~SoundFiles() = default;

SoundFiles* SoundFiles::forThisUser() {
    static const std::unique_ptr<SoundFiles> ledger = []() -> std::unique_ptr<SoundFiles> {
        const fs::path folder = ledgerFolder();
        if (folder.empty())
            return nullptr;
        std::error_code ec;
        fs::create_directories(folder, ec);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
        if (!fs::is_directory(folder, ec))
            return nullptr;
        return std::make_unique<SoundFiles>(folder / "sound-files");
    }();
    return ledger.get();
}

Connection* SoundFiles::ledger() {
    if (connection_ || unusable_)
        return connection_.get();
    try {
        auto connection = std::make_unique<Connection>(file_, OpenMode::Create);
        // A cache: a change cut short by a power cut costs a check, never a wrong answer, since a
        // damaged ledger is refused by SQLite or holds no state any file is in.
        connection->exec("PRAGMA synchronous = OFF");
        connection->exec("CREATE TABLE IF NOT EXISTS SoundFiles (Device INTEGER NOT NULL, Inode INTEGER "
                         "NOT NULL, Size INTEGER, Modified INTEGER, Changed INTEGER, Counter INTEGER, "
                         "File TEXT, PRIMARY KEY (Device, Inode))");
        connection_ = std::move(connection);
    } catch (const Error&) {
        unusable_ = true;
    }
    return connection_.get();
}

bool SoundFiles::holds(const FileState& state) {
    const std::lock_guard lock(mutex_);
    try {
        Connection* db = ledger();
        if (!db)
            return false;
        Statement query(*db, "SELECT Size, Modified, Changed, Counter FROM SoundFiles "
                             "WHERE Device = ?1 AND Inode = ?2");
        query.bind(1, static_cast<std::int64_t>(state.identity.device))
            .bind(2, static_cast<std::int64_t>(state.identity.inode));
        return query.step() && query.columnInt(0) == state.size && query.columnInt(1) == state.modifiedNs &&
               query.columnInt(2) == state.changedNs &&
               query.columnInt(3) == static_cast<std::int64_t>(state.changeCounter);
    } catch (const Error&) {
        return false;
    }
}

void SoundFiles::remember(const FileState& state, const fs::path& file) {
    const std::lock_guard lock(mutex_);
    try {
        Connection* db = ledger();
        if (!db)
            return;
        Transaction transaction(*db);
        Statement insert(*db, "INSERT OR REPLACE INTO SoundFiles VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        insert.bind(1, static_cast<std::int64_t>(state.identity.device))
            .bind(2, static_cast<std::int64_t>(state.identity.inode))
            .bind(3, state.size)
            .bind(4, state.modifiedNs)
            .bind(5, state.changedNs)
            .bind(6, static_cast<std::int64_t>(state.changeCounter))
            .bind(7, file.string());
        insert.run();
        // A replaced entry is added anew, so the row ids follow the order of use.
        Statement prune(*db,
                        "DELETE FROM SoundFiles WHERE rowid <= (SELECT max(rowid) FROM SoundFiles) - ?1");
        prune.bind(1, kMostRemembered);
        prune.run();
        transaction.commit();
    } catch (const Error&) {
        // Not remembered: the next opening checks the file again.
    }
}

WholeFileCheck requireSound(Connection& connection, SoundFiles* ledger, Recheck recheck) {
    WholeFileCheck made = WholeFileCheck::Skipped;
    Observed observed;
    {
        ReadTransaction reading(connection);
        observed = observe(connection);
        if (recheck == Recheck::Always || !ledger || !observed.state || !ledger->holds(*observed.state)) {
            connection.requireIntact();
            made = WholeFileCheck::Made;
            if (ledger && observed.state)
                ledger->remember(*observed.state, connection.path());
        }
    }
    if (ledger && observed.state)
        keepRemembering(connection, ledger, observed.dataVersion);
    return made;
}

Status checkWholeFile(const fs::path& file) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (!fs::exists(file, ec))
        return Status::failure(name + " does not exist.");
    if (!fs::is_regular_file(file, ec))
        return Status::failure(name + " is not a file.");
    if (isJetFile(file))
        return Status::failure(name + " is an Access (Jet) file; convert it (velmora convert " + name +
                               ") before it can be checked and used.");
    try {
        Connection connection(file, OpenMode::ReadOnly);
        (void)requireSound(connection, SoundFiles::forThisUser(), Recheck::Always);
    } catch (const Error& error) {
        return Status::failure(userMessage(error));
    }
    return {};
}

void rememberAsSound(Connection& connection, SoundFiles* ledger) {
    if (!ledger)
        return;
    std::optional<FileState> state;
    {
        ReadTransaction reading(connection);
        state = observe(connection).state;
    }
    if (state)
        ledger->remember(*state, connection.path());
}

void rememberAsSound(const std::filesystem::path& file) {
    try {
        Connection opened(file, OpenMode::ReadOnly);
        rememberAsSound(opened, SoundFiles::forThisUser());
    } catch (const Error&) {
        // Not remembered: the first opening checks it.
    }
}

} // namespace velmora::db
