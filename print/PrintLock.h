#pragma once

#include "base/Result.h"

#include <chrono>
#include <filesystem>

namespace velmora::db {
class CheckDatabase;
class ServerSession;
} // namespace velmora::db

namespace velmora::print {

// Makes a print run the only one on its database, from the moment it reads what to print until its
// records are updated: two runs at once would print the same checks twice.
//
// The lock is taken on the database file itself, not on a name: an open-file-description lock
// (F_OFD_SETLK) on one byte of the file that SQLite never locks (SQLite's own locks lie on the few
// hundred bytes from 1 GiB on). The same file reached through a symbolic link, a hard link or
// another folder name takes the same lock, SQLite's readers and writers are not held up by it, and
// nothing is left beside the database. The system drops it when the process ends however it ends.
//
// Closing any descriptor of a file drops the POSIX locks the process holds on it, SQLite's
// included. SQLite holds them only inside a transaction or while a statement runs, so the lock is
// taken and given back only between them: acquire() refuses inside a transaction, and the lock is
// given back by the run that took it once its changes are saved.
//
// A check database on the server is locked by the server itself: a lock of the server's (an advisory
// lock) keyed by the check database, held by the desk's session. It dies with the session, so a desk
// that crashes or loses its connection holds nothing.
class PrintLock {
public:
    // How long a second run waits for the first before it gives up.
    static constexpr std::chrono::milliseconds kDefaultWait{3000};

    // Takes the lock on the file `database` has open, waiting up to `wait` for another run to finish.
    // The failure says that another print run is using the database, that the file was replaced since
    // it was opened, or why the file cannot be locked.
    static Result<PrintLock> acquire(db::CheckDatabase& database,
                                     std::chrono::milliseconds wait = kDefaultWait);

    PrintLock(PrintLock&& other) noexcept;
    PrintLock& operator=(PrintLock&& other) noexcept;
    PrintLock(const PrintLock&) = delete;
    PrintLock& operator=(const PrintLock&) = delete;
    ~PrintLock();

private:
    explicit PrintLock(int fd)
        : fd_(fd) {}
    explicit PrintLock(db::ServerSession* server)
        : server_(server) {}
    static Result<PrintLock> acquireOnServer(db::CheckDatabase& database, std::chrono::milliseconds wait);
    void release();
    int fd_ = -1;
    db::ServerSession* server_ = nullptr;
};

} // namespace velmora::print
