#include "cli/Terminal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

constexpr std::array kRestoringSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// What the signal handler needs to give the terminal its echo back; set only while echo is off.
volatile std::sig_atomic_t gQuietTerminal = -1;
termios gSavedTerminal{};

extern "C" void restoreTerminalAndResignal(int signal) {
    if (gQuietTerminal >= 0)
        ::tcsetattr(gQuietTerminal, TCSANOW, &gSavedTerminal);
    // Die of the same signal, as the shell expects of a program interrupted at a prompt.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Turns the echo of a terminal off for its lifetime. Ctrl-C, a kill or a hang-up in between still
// restore the echo before the process ends.
class EchoOff {
public:
    explicit EchoOff(int tty)
        : tty_(tty) {
        if (::tcgetattr(tty_, &gSavedTerminal) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = restoreTerminalAndResignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kRestoringSignals.size(); ++i)
            ::sigaction(kRestoringSignals[i], &action, &previous_[i]);
        gQuietTerminal = tty_;
        termios quiet = gSavedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty_, TCSAFLUSH, &quiet);
        active_ = true;
    }
    ~EchoOff() {
        if (!active_)
            return;
        ::tcsetattr(tty_, TCSAFLUSH, &gSavedTerminal);
        gQuietTerminal = -1;
        for (std::size_t i = 0; i < kRestoringSignals.size(); ++i)
            ::sigaction(kRestoringSignals[i], &previous_[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int tty_;
    bool active_ = false;
    std::array<struct sigaction, kRestoringSignals.size()> previous_{};
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::optional<std::string> askPasswordOnTerminal(const std::string& prompt) {
    const FileDescriptor tty(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (tty.get() < 0)
        return std::nullopt;
    [[maybe_unused]] auto written = ::write(tty.get(), prompt.data(), prompt.size());
    std::string line;
    {
        const EchoOff quiet(tty.get());
        char c = 0;
        while (line.size() < kMaxPasswordFileBytes && ::read(tty.get(), &c, 1) == 1 && c != '\n')
            line += c;
    }
    written = ::write(tty.get(), "\n", 1);
    return line;
}

std::optional<std::string> readAtMost(int fd, std::size_t bytes, std::string& why) {
    // In pieces, so that a short input takes no more memory than it needs.
    std::string content;
    std::array<char, 65536> piece;
    while (content.size() < bytes) {
        const ssize_t got = ::read(fd, piece.data(), std::min(piece.size(), bytes - content.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            why = std::strerror(errno);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(piece.data(), static_cast<std::size_t>(got));
    }
    return content;
}

std::optional<std::string> readPasswordFile(const std::string& file, std::string& why, bool& shared) {
    const FileDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    // Asked of the file that was opened, not of its name, which may have changed meanwhile.
    struct stat info {};
    shared =
        ::fstat(in.get(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
    // One byte more than the limit tells a longer file from one that fills it exactly.
    const std::optional<std::string> read = readAtMost(in.get(), kMaxPasswordFileBytes + 1, why);
    if (!read)
        return std::nullopt;
    const std::string& content = *read;
    const std::size_t filled = content.size();
    const std::size_t end = content.find('\n');
    if (end == std::string::npos && filled > kMaxPasswordFileBytes) {
        why = "its first line is longer than " + std::to_string(kMaxPasswordFileBytes) + " bytes";
        return std::nullopt;
    }
    std::string line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (filled == 0) {
        why = "the file is empty";
        return std::nullopt;
    }
    return line;
}

} // namespace velmora::cli
