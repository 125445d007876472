#pragma once

#include "base/Result.h"
#include "db/FileIdentity.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace velmora::db {

class Connection;

// The state a database file is in, read while SQLite's shared lock keeps every writer out: which file
// it is, its size, the times its content and its inode last changed (to the nanosecond where the file
// system keeps them), and SQLite's file change counter (the four bytes at offset 24 of its header),
// which every transaction that changes the file advances. A file in the same state holds the same
// bytes, unless something wrote into it behind SQLite's back within the clock tick of the last
// change and left its size alone (SQLite still refuses a malformed page when it meets one).
struct FileState {
    FileIdentity identity;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint32_t changeCounter = 0;
    bool operator==(const FileState&) const = default;
};

// The files found sound by a whole-file check, each with the state it was in then: what lets a file
// that has not changed since be opened without reading it whole again. It is this user's cache, a
// small SQLite file of its own beside nothing of the program's: losing it costs one more check of
// each file, and it is never kept inside a checked file, which writing it would change. Every
// failure to read or write it counts as "not known" and is never reported.
class SoundFiles {
public:
    explicit SoundFiles(std::filesystem::path ledger);
    ~SoundFiles();
    SoundFiles(const SoundFiles&) = delete;
    SoundFiles& operator=(const SoundFiles&) = delete;

    // The ledger of the user running the program: $XDG_CACHE_HOME/velmora/sound-files, or
    // ~/.cache/velmora/sound-files; null when there is no such place.
    static SoundFiles* forThisUser();

    bool holds(const FileState& state);
    void remember(const FileState& state, const std::filesystem::path& file);

private:
    Connection* ledger();
    std::mutex mutex_; // a conversion remembers its file on a thread of its own
    std::filesystem::path file_;
    std::unique_ptr<Connection> connection_;
    bool unusable_ = false;
};

// Whether the whole-file check was made or skipped.
enum class WholeFileCheck { Made, Skipped };
// When it is made: unless the file is known sound as it is, or in any case (where the whole file is
// read anyway, and for the check verb).
enum class Recheck { IfChanged, Always };

// The check made before a file is worked on. Reads the file's state under SQLite's shared lock;
// unless `ledger` knows that state as sound (or `recheck` is Always), checks every page and every
// index (Connection::requireIntact(), which throws DamagedError for a damaged file) in the same read
// transaction, and remembers the state as sound.
// From then on the state after each transaction the connection commits is remembered too, as long as
// no other connection has changed the file in between: the program's own changes leave a sound file
// sound, anybody else's make the next opening check it again.
WholeFileCheck requireSound(Connection& connection, SoundFiles* ledger, Recheck recheck = Recheck::IfChanged);

// The whole-file check of one file, made whatever the ledger knows, for the check verb: the failure
// says what is wrong with the file (damaged, with the way to restore its backup; missing; not a
// SQLite file) and whether it is an Access (Jet) file still to be converted. A sound file is
// remembered as such.
Status checkWholeFile(const std::filesystem::path& file);

// Remembers the file `connection` has open as sound without checking it, for a file that has just
// been checked under another name (a converted file, checked before it took its name).
void rememberAsSound(Connection& connection, SoundFiles* ledger);
// The same for the file `file` in this user's ledger; a file that cannot be looked at is not
// remembered (its first opening checks it).
void rememberAsSound(const std::filesystem::path& file);

} // namespace velmora::db
