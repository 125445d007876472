#pragma once

#include <functional>
#include <sys/types.h>

namespace velmora::testing {

// Another process that takes something (a lock, a transaction) and keeps it until this object is
// destroyed. `hold` runs in a child process: it takes what it holds, then calls `keep` with whether
// it was taken; `keep` returns only once the test lets go, and the child ends.
class HeldByAnotherProcess {
public:
    using Keep = std::function<void(bool taken)>;
    explicit HeldByAnotherProcess(const std::function<void(const Keep& keep)>& hold);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

    bool taken() const { return taken_; }

private:
    pid_t child_ = -1;
    int release_ = -1;
    bool taken_ = false;
};

} // namespace velmora::testing
