// velmora-jet-reader FILE: reads a Jet file with libmdb and hands its tables and rows to the program
// over standard input and output (ReaderProtocol.h). It runs as a process of its own so that a
// damaged file that crashes or hangs the library takes only this process with it.

#include "jet/JetFile.h"
#include "jet/ReaderProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace velmora::jet;

// Bounds on what a damaged file can make the library consume.
void limitResources() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit cpu{3600, 3600};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves a vast address range of its own; elsewhere 4 GiB is far beyond what
    // reading any check database takes.
    const rlimit memory{4ull << 30, 4ull << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
    // Ends with the program, should the program end first.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

// The descriptor the conversation goes out on. libmdb prints dumps of damaged pages to standard
// output; they must not mix with the conversation, so standard output is sent to standard error.
int channel = -1;

bool divertStandardOutput() {
    channel = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    return channel >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) >= 0;
}

bool writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(channel, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

class StandardInput : public protocol::ByteSource {
public:
    std::size_t read(char* into, std::size_t most) override {
        for (;;) {
            const ssize_t got = ::read(STDIN_FILENO, into, most);
            if (got < 0 && errno == EINTR)
                continue;
            return got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }
};

int fail(protocol::Encoder& out, const std::string& message) {
    out.failure(message);
    writeAll(out.take());
    return 1;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// What libmdb leaves allocated when the reader ends is the library's, and the process's end frees it.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

int main(int argc, char** argv) {
    limitResources();
    if (argc != 2 || !divertStandardOutput()) {
        std::fputs("usage: velmora-jet-reader FILE (run by velmora, not by hand)\n", stderr);
        return 2;
    }
    protocol::Encoder out;
    out.magic();
    auto file = JetFile::open(argv[1]);
    if (!file)
        return fail(out, file.message());
    out.schema(file->schema());
    if (!writeAll(out.take()))
        return 1;

    std::vector<protocol::TableSelection> selection;
    try {
        StandardInput input;
        protocol::Decoder decoder(input);
        selection = decoder.selection();
    } catch (const protocol::ProtocolError& error) {
        return fail(out, error.what());
    }

    constexpr std::size_t kFlushBytes = std::size_t{64} * 1024;
    bool written = true;
    for (const auto& table : selection) {
        out.tableStart(table.table);
        std::uint64_t rows = 0;
        const velmora::Status status = file->readRows(table.table, table.columns, [&](const auto& values) {
            out.row(values);
            ++rows;
            if (out.pending() >= kFlushBytes)
                written = writeAll(out.take());
            return written;
        });
        if (!written)
            return 1;
        if (!status)
            return fail(out, status.message());
        out.tableEnd(rows);
    }
    out.end();
    return writeAll(out.take()) ? 0 : 1;
}
