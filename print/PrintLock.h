#pragma once

#include "base/Result.h"

#include <chrono>
#include <filesystem>

namespace velmora::print {

// Makes a print run the only one on its database, from the moment it reads what to print until its
// records are updated: two runs at once would print the same check numbers twice. The lock is an
// advisory lock (flock) on a file beside the database, "<database>.lock", held through an open
// descriptor; the system drops it when the process ends however it ends, so a crashed run never
// leaves the database locked. The file itself stays and means nothing without the lock.
class PrintLock {
public:
    // How long a second run waits for the first before it gives up.
    static constexpr std::chrono::milliseconds kDefaultWait{3000};

    // Takes the lock, waiting up to `wait` for another run to finish. The failure says that another
    // print run is using the database, or why the lock file cannot be opened.
    static Result<PrintLock> acquire(const std::filesystem::path& database,
                                     std::chrono::milliseconds wait = kDefaultWait);

    static std::filesystem::path lockFileFor(const std::filesystem::path& database);

    PrintLock(PrintLock&& other) noexcept;
    PrintLock& operator=(PrintLock&& other) noexcept;
    PrintLock(const PrintLock&) = delete;
    PrintLock& operator=(const PrintLock&) = delete;
    ~PrintLock();

private:
    explicit PrintLock(int fd)
        : fd_(fd) {}
    int fd_ = -1;
};

} // namespace velmora::print
