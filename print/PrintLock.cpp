#include "print/PrintLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace velmora::print {

namespace fs = std::filesystem;

fs::path PrintLock::lockFileFor(const fs::path& database) {
    fs::path lock = database;
    lock += ".lock";
    return lock;
}

Result<PrintLock> PrintLock::acquire(const fs::path& database, std::chrono::milliseconds wait) {
    const fs::path file = lockFileFor(database);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return Result<PrintLock>::failure("The print lock " + file.string() +
                                          " cannot be opened: " + std::strerror(errno));
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return PrintLock(fd);
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            return Result<PrintLock>::failure("The print lock " + file.string() + " cannot be taken: " + why);
        }
        if (std::chrono::steady_clock::now() >= giveUp)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::close(fd);
    return Result<PrintLock>::failure("Another print run is printing from " + database.filename().string() +
                                      ". Wait until it has finished, then print again.");
}

PrintLock::PrintLock(PrintLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

PrintLock& PrintLock::operator=(PrintLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

PrintLock::~PrintLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the lock
}

} // namespace velmora::print
