#include "jet/ReaderProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velmora::jet {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kReaderName = "velmora-jet-reader";
constexpr std::size_t kMaxErrorText = std::size_t{16} * 1024;
constexpr int kPollMilliseconds = 100;
// How long a reader that has closed its output is given to end by itself.
constexpr auto kExitGrace = std::chrono::seconds(2);
// libmdb's own remark when it is asked for a page past the end of the file.
constexpr std::string_view kBeyondEndRemark = "beyond EOF";

// The signals that end a process from outside (a user, a shutdown, the system short of memory), as
// opposed to those a file that crashes the library brings about (a bad access, an abort, the CPU limit).
bool stoppedFromOutside(int signal) {
    return signal == SIGKILL || signal == SIGTERM || signal == SIGINT || signal == SIGHUP ||
           signal == SIGQUIT;
}

// Thrown out of the byte source to abandon a reading that stalled or was cancelled.
struct Abandoned {};

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The reader gets the program's environment, less the settings that would make libmdb print debug
// output or convert text to another character set than UTF-8.
std::vector<std::string> readerEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("MDBOPTS=") && !text.starts_with("MDBICONV="))
            environment.emplace_back(text);
    }
    environment.emplace_back("MDBICONV=UTF-8");
    return environment;
}

} // namespace

std::filesystem::path defaultReaderProgram() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto beside = self.parent_path() / kReaderName;
        if (std::filesystem::exists(beside, ec))
            return beside;
    }
    return std::filesystem::path(VELMORA_JET_READER_INSTALLED);
}

// The reader's standard output as a byte stream, its standard error collected on the side, with the
// watch for a reader that stalls and for the user's cancel.
class ReaderProcess::Output : public protocol::ByteSource {
public:
    explicit Output(ReaderProcess& process)
        : process_(process)
        , lastProgress_(Clock::now()) {}

    std::size_t read(char* into, std::size_t most) override {
        for (;;) {
            pollfd fds[2] = {{process_.output_, POLLIN, 0}, {process_.errors_, POLLIN, 0}};
            const int ready = ::poll(fds, process_.errors_ >= 0 ? 2 : 1, kPollMilliseconds);
            if (ready < 0 && errno != EINTR)
                return 0;
            if (ready > 0 && process_.errors_ >= 0 && fds[1].revents)
                process_.collectErrors();
            if (ready > 0 && fds[0].revents) {
                const ssize_t got = ::read(process_.output_, into, most);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    return 0;
                lastProgress_ = Clock::now();
                return static_cast<std::size_t>(got);
            }
            if (process_.options_.keepGoing && !process_.options_.keepGoing()) {
                process_.cancelled_ = true;
                throw Abandoned{};
            }
            if (Clock::now() - lastProgress_ > process_.options_.stallTimeout) {
                process_.stalled_ = true;
                throw Abandoned{};
            }
        }
    }

private:
    ReaderProcess& process_;
    Clock::time_point lastProgress_;
};

ReaderProcess::ReaderProcess(ReaderOptions options)
    : options_(std::move(options)) {}

ReaderProcess::~ReaderProcess() {
    finish(false);
}

void ReaderProcess::collectErrors() {
    char buffer[4096];
    const ssize_t got = ::read(errors_, buffer, sizeof buffer);
    if (got <= 0) {
        if (got == 0 || (errno != EINTR && errno != EAGAIN))
            closeFd(errors_);
        return;
    }
    errorText_.append(buffer, std::min(static_cast<std::size_t>(got),
                                       kMaxErrorText - std::min(kMaxErrorText, errorText_.size())));
}

Status ReaderProcess::start(const std::filesystem::path& file) {
    int input[2], output[2], errors[2];
    // The request goes over a socket, whose send() can refuse to raise SIGPIPE when the reader is gone.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
        return Status::failure(fileName_ + " cannot be converted: the Jet reader cannot be started (" +
                               std::strerror(errno) + ").");
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(input[0]);
        ::close(input[1]);
        return Status::failure(fileName_ + " cannot be converted: the Jet reader cannot be started (" +
                               reason + ").");
    }
    input_ = input[0];
    output_ = output[0];
    errors_ = errors[0];
    ::fcntl(errors_, F_SETFL, O_NONBLOCK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const std::string program = options_.program.string();
    const std::string path = file.string();
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
    std::vector<std::string> environment = readerEnvironment();
    std::vector<char*> envp;
    envp.reserve(environment.size() + 1);
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int rc = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(input[1]);
    ::close(output[1]);
    ::close(errors[1]);
    if (rc != 0) {
        pid_ = -1;
        return Status::failure(fileName_ + " cannot be converted: the Jet reader " + program +
                               " cannot be started (" + std::strerror(rc) + ").");
    }
    source_ = std::make_unique<Output>(*this);
    decoder_ = std::make_unique<protocol::Decoder>(*source_);
    return {};
}

void ReaderProcess::finish(bool graceful) {
    if (pid_ > 0) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        const auto deadline = Clock::now() + kExitGrace;
        while (graceful && done == 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            done = ::waitpid(pid_, &status, WNOHANG);
        }
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            killed_ = true;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        status_ = status;
        pid_ = -1;
        // What the reader said on its way out.
        for (int chunk = 0; chunk < 64 && errors_ >= 0; ++chunk)
            collectErrors();
    }
    closeFd(input_);
    closeFd(output_);
    closeFd(errors_);
}

Status ReaderProcess::diagnose(const std::string& message, bool readerEnding) {
    finish(readerEnding && !stalled_ && !cancelled_);
    if (cancelled_)
        return Status::failure("The conversion of " + fileName_ + " was cancelled.");
    if (stalled_) {
        const auto ms = options_.stallTimeout.count();
        return Status::failure(fileName_ + " is damaged: reading it made no progress for " +
                               (ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds."
                                               : std::to_string(ms) + " milliseconds."));
    }
    if (errorText_.find(kBeyondEndRemark) != std::string::npos)
        return Status::failure(fileName_ + " is truncated: it refers to pages beyond its end.");
    if (!message.empty())
        return Status::failure(message);
    if (WIFSIGNALED(status_) && !killed_ && stoppedFromOutside(WTERMSIG(status_)))
        return Status::failure(
            fileName_ + " could not be read: the Jet reader was stopped from outside (" +
            strsignal(WTERMSIG(status_)) +
            ") before it had finished. The file is not known to be damaged: convert it again.");
    if (WIFSIGNALED(status_) && !killed_)
        return Status::failure(fileName_ + " is damaged: reading it made the Jet reader fail (" +
                               strsignal(WTERMSIG(status_)) + ").");
    return Status::failure(
        fileName_ + " could not be read: " +
        (brokenOff_.empty() ? std::string("the Jet reader ended unexpectedly") : brokenOff_) + ".");
}

Result<JetSchema> ReaderProcess::open(const std::filesystem::path& file) {
    fileName_ = file.filename().string();
    std::error_code ec;
    fileSize_ = std::filesystem::file_size(file, ec);
    if (Status status = start(file); !status)
        return status;
    try {
        decoder_->magic();
        const protocol::Tag tag = decoder_->tag();
        if (tag == protocol::Tag::Failure)
            return diagnose(decoder_->failure(), true);
        if (tag != protocol::Tag::Schema)
            throw protocol::ProtocolError("the reader did not describe the file");
        schema_ = decoder_->schema();
    } catch (const protocol::ProtocolError& error) {
        brokenOff_ = error.what();
        return diagnose({}, true);
    } catch (const Abandoned&) {
        return diagnose({}, true);
    }
    // The catalog of a truncated file may read as whole while its remark shows pages were missing.
    if (errorText_.find(kBeyondEndRemark) != std::string::npos)
        return diagnose({}, false);
    // Names are what the SQLite tables are made of: each must be there, and once.
    for (std::size_t t = 0; t < schema_.tables.size(); ++t) {
        const JetTable& table = schema_.tables[t];
        bool named = !table.name.empty() && schema_.findTable(table.name) == t;
        for (std::size_t c = 0; named && c < table.columns.size(); ++c)
            named = !table.columns[c].name.empty() && table.findColumn(table.columns[c].name) == c;
        if (!named)
            return diagnose(
                fileName_ + " is damaged: the names of its tables or of their columns are garbled.", false);
    }
    // Every row takes at least a two-byte entry in its page's row table.
    for (const JetTable& table : schema_.tables) {
        if (table.rowCount > fileSize_ / 2)
            return diagnose(fileName_ + " is damaged: its table " + table.name + " declares " +
                                std::to_string(table.rowCount) + " rows, more than the file can hold.",
                            false);
    }
    return schema_;
}

Status ReaderProcess::read(const std::vector<protocol::TableSelection>& selection, const RowHandler& row) {
    if (!decoder_ || pid_ < 0)
        return Status::failure("The Jet reader is not running.");
    for (const auto& table : selection) {
        if (table.table >= schema_.tables.size())
            return Status::failure("No table number " + std::to_string(table.table) + " was asked for.");
    }
    protocol::Encoder request;
    request.selection(selection);
    const std::string bytes = request.take();
    // A reader that is gone cannot take the request; what it said before it went is read all the same.
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(input_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(input_, SHUT_WR);

    using protocol::Tag;
    try {
        std::vector<db::Value> values;
        for (std::size_t s = 0; s < selection.size(); ++s) {
            Tag tag = decoder_->tag();
            if (tag == Tag::Failure)
                return diagnose(decoder_->failure(), true);
            if (tag != Tag::Table || decoder_->tableStart() != selection[s].table)
                throw protocol::ProtocolError("the reader sent another table than was asked for");
            const JetTable& table = schema_.tables[selection[s].table];
            std::uint64_t rows = 0;
            while ((tag = decoder_->tag()) == Tag::Row) {
                // A damaged page chain can make the library read the same rows for ever.
                if (++rows > table.rowCount)
                    return diagnose(fileName_ + " is damaged: its table " + table.name +
                                        " yields more rows than the " + std::to_string(table.rowCount) +
                                        " it declares.",
                                    false);
                decoder_->row(selection[s].columns.size(), values);
                if (!row(s, values)) {
                    finish(false);
                    return Status::failure("The reading of " + fileName_ + " was stopped.");
                }
            }
            if (tag == Tag::Failure)
                return diagnose(decoder_->failure(), true);
            if (tag != Tag::TableEnd || decoder_->tableEnd() != rows)
                throw protocol::ProtocolError("the reader miscounted the rows it sent");
            if (rows != table.rowCount)
                return diagnose(fileName_ + " is damaged: its table " + table.name + " declares " +
                                    std::to_string(table.rowCount) + " rows, but " + std::to_string(rows) +
                                    " could be read.",
                                false);
        }
        if (decoder_->tag() != Tag::End)
            throw protocol::ProtocolError("the reader sent more than was asked for");
    } catch (const protocol::ProtocolError& error) {
        brokenOff_ = error.what();
        return diagnose({}, true);
    } catch (const Abandoned&) {
        return diagnose({}, true);
    }
    finish(true);
    // The library reads on past a missing page with a remark; whatever it read there is not to be trusted.
    if (!WIFEXITED(status_) || WEXITSTATUS(status_) != 0 ||
        errorText_.find(kBeyondEndRemark) != std::string::npos)
        return diagnose({}, true);
    return {};
}

} // namespace velmora::jet
