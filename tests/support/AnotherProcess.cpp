#include "support/AnotherProcess.h"

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::testing {

HeldByAnotherProcess::HeldByAnotherProcess(const std::function<void(const Keep& keep)>& hold) {
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
        throw std::runtime_error("no pipe");
    child_ = ::fork();
    if (child_ == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        hold([&](bool taken) {
            char answer = taken ? 1 : 0;
            (void)!::write(ready[1], &answer, 1);
            (void)!::read(release[0], &answer, 1); // the end of the pipe, when the test lets go
        });
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char answer = 0;
    taken_ = ::read(ready[0], &answer, 1) == 1 && answer == 1;
    ::close(ready[0]);
}

HeldByAnotherProcess::~HeldByAnotherProcess() {
    ::close(release_);
    ::waitpid(child_, nullptr, 0);
}

} // namespace velmora::testing
