#include "print/PrintLock.h"

#include "db/CheckDatabase.h"
#include "db/DatabaseFiles.h"
#include "db/FileIdentity.h"
#include "db/Postgres.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace velmora::print {

namespace fs = std::filesystem;

namespace {

// The byte locked: past SQLite's lock bytes (0x40000000 and the 511 after it) so that the two never
// meet, on the page SQLite keeps free of data in files that large.
constexpr off_t kRunLockByte = 0x40000000 + 0x1000;

int lockByte(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kRunLockByte;
    lock.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &lock);
}

// Tries `take` until it succeeds or `wait` has passed.
template <typename Take> bool retried(std::chrono::milliseconds wait, Take take) {
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (take())
            return true;
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

Result<PrintLock> busy(const std::string& name) {
    return Result<PrintLock>::failure("Another print run is printing from " + name +
                                      ". Wait until it has finished, then print again.");
}

} // namespace

Result<PrintLock> PrintLock::acquire(db::CheckDatabase& database, std::chrono::milliseconds wait) {
    const fs::path& file = database.path();
    const std::string name = file.filename().string();
    if (database.connection().inTransaction())
        return Result<PrintLock>::failure("The print lock of " + name +
                                          " cannot be taken while the database is being changed.");
    if (database.shared())
        return acquireOnServer(database, wait);
    // A write lock needs a descriptor open for writing; nothing is ever written through it. O_NONBLOCK:
    // a path that has become a FIFO since the database was opened must not hang the run.
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return Result<PrintLock>::failure("The database " + name +
                                          " cannot be locked for printing: " + std::strerror(errno));
    PrintLock lock(fd);
    // SQLite has the file open by the same name; the lock must fall on that file, not on one put in
    // its place since.
    if (db::identityOf(fd) != database.connection().fileIdentity())
        return Result<PrintLock>::failure(
            "The database " + name +
            " was replaced by another file since it was opened. Open it again, then print.");
    int failed = 0;
    const bool taken = retried(wait, [&] {
        // A run of an earlier version, which locked "<database>.lock", counts as another run while it
        // holds that file; a file nobody holds is removed.
        if (db::removeOldRunLock(file) == db::OldRunLock::Held)
            return false;
        if (lockByte(fd, F_WRLCK) == 0)
            return true;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            failed = errno;
        return failed != 0;
    });
    if (failed != 0)
        return Result<PrintLock>::failure("The database " + name +
                                          " cannot be locked for printing: " + std::strerror(failed));
    return taken ? Result<PrintLock>(std::move(lock)) : busy(name);
}

Result<PrintLock> PrintLock::acquireOnServer(db::CheckDatabase& database, std::chrono::milliseconds wait) {
    db::ServerSession* server = database.connection().server();
    const std::string& name = server->schema();
    try {
        if (!retried(wait, [&] { return server->tryLockRun(); }))
            return busy(name);
    } catch (const db::Error& error) {
        return Result<PrintLock>::failure("The database " + name +
                                          " cannot be locked for printing: " + error.what());
    }
    return PrintLock(server);
}

void PrintLock::release() {
    if (db::ServerSession* server = std::exchange(server_, nullptr)) {
        server->unlockRun();
        return;
    }
    if (fd_ < 0)
        return;
    lockByte(fd_, F_UNLCK);
    ::close(std::exchange(fd_, -1));
}

PrintLock::PrintLock(PrintLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , server_(std::exchange(other.server_, nullptr)) {}

PrintLock& PrintLock::operator=(PrintLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        server_ = std::exchange(other.server_, nullptr);
    }
    return *this;
}

PrintLock::~PrintLock() {
    release();
}

} // namespace velmora::print
