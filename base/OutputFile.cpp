#include "base/OutputFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr const char* kJournalSuffixes[] = {"-journal", "-wal", "-shm"};
constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool processIsRunning(const std::string& digits) {
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return true; // not an id this program wrote: treat it as someone else's
    const auto id = static_cast<pid_t>(std::stol(digits));
    return id <= 0 || ::kill(id, 0) == 0 || errno != ESRCH;
}

// The name without SQLite's journal suffix, and the id of the process that wrote it; std::nullopt
// when the name is not of the writer's pattern.
std::optional<std::pair<std::string, std::string>> splitTemporaryName(const std::string& fileName) {
    std::string name = fileName;
    for (const char* suffix : kJournalSuffixes) {
        if (name.ends_with(suffix)) {
            name.resize(name.size() - std::strlen(suffix));
            break;
        }
    }
    const auto mark = name.rfind(kTemporaryMark);
    if (!name.starts_with('.') || mark == std::string::npos || mark < 2)
        return std::nullopt;
    return std::pair(name.substr(1, mark - 1), name.substr(mark + kTemporaryMark.size()));
}

// What lies under the target's name, without following a link there.
struct Existing {
    bool present = false;
    struct stat info {};
};

Result<Existing> lookAt(const fs::path& target) {
    Existing existing;
    if (::lstat(target.c_str(), &existing.info) == 0) {
        existing.present = true;
        return existing;
    }
    if (errno == ENOENT)
        return existing;
    return Result<Existing>::failure(writeFailureReason(errno));
}

// Why a target that exists may not be written, or nothing.
std::optional<std::string> refusalOf(const fs::path& target, const Existing& existing,
                                     const OutputFile::Rules& rules) {
    if (existing.present) {
        const mode_t type = existing.info.st_mode & S_IFMT;
        if (type == S_IFLNK)
            return "it is a symbolic link; name the file itself, not a link to it";
        if (type == S_IFDIR)
            return "it is a folder";
        if (type != S_IFREG)
            return "it is not a regular file (a device, a pipe or a socket)";
        if ((existing.info.st_mode & S_IWUSR) == 0)
            return "it is read-only";
        if (rules.existing == WhenExisting::Refuse)
            return writeFailureReason(EEXIST);
    }
    if (rules.protectedFiles) {
        const std::optional<FileId> id =
            existing.present ? std::optional(FileId{existing.info.st_dev, existing.info.st_ino})
                             : std::nullopt;
        return rules.protectedFiles->refusal(target, id);
    }
    return std::nullopt;
}

// The mode of the new file: private, or stricter still when the file it replaces was.
mode_t modeReplacing(const Existing& existing) {
    if (!existing.present || !S_ISREG(existing.info.st_mode))
        return kPrivate;
    return kPrivate & existing.info.st_mode;
}

} // namespace

std::optional<FileId> fileIdOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

std::string writeFailureReason(int error) {
    switch (error) {
    case ENOSPC:
        return "the disk is full";
    case EDQUOT:
        return "the disk quota is used up";
    case EFBIG:
        return "the file would pass the largest size this process may write (a file-size limit)";
    case EROFS:
        return "the disk is read-only";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EIO:
        return "the disk reported an input/output error";
    case EEXIST:
        return "it already exists";
    default:
        return std::strerror(error);
    }
}

Status OutputFile::checkTarget(const fs::path& target, const Rules& rules) {
    const fs::path folder = folderOf(target);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return Status::failure(errno == ENOENT ? "the folder " + folder.string() + " does not exist"
                                               : writeFailureReason(errno));
    if (!S_ISDIR(info.st_mode))
        return Status::failure(folder.string() + " is not a folder");
    const Result<Existing> existing = lookAt(target);
    if (!existing)
        return existing.status();
    if (std::optional<std::string> refused = refusalOf(target, *existing, rules))
        return Status::failure(*refused);
    return {};
}

Result<OutputFile> OutputFile::create(const fs::path& target, Rules rules) {
    if (Status usable = checkTarget(target, rules); !usable)
        return usable;
    // What killed runs of the program left in the folder it writes to goes first.
    const fs::path folder = folderOf(target);
    removeDeadProcessLeftovers(folder);

    const fs::path temporary = temporaryNameFor(target, ::getpid());
    removeWithJournals(temporary); // an earlier process of the same id was killed while it wrote
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivate);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            return Result<OutputFile>::failure("no file can be made in the folder " + folder.string() +
                                               " (permission denied)");
        return Result<OutputFile>::failure(writeFailureReason(error));
    }
    // Whatever the umask: the owner reads and writes it, nobody else.
    ::fchmod(fd, kPrivate);
    return OutputFile(target, temporary, fd, std::move(rules));
}

OutputFile::OutputFile(fs::path target, fs::path temporary, int fd, Rules rules)
    : target_(std::move(target))
    , temporary_(std::move(temporary))
    , fd_(fd)
    , rules_(std::move(rules)) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : target_(std::move(other.target_))
    , temporary_(std::exchange(other.temporary_, {}))
    , fd_(std::exchange(other.fd_, -1))
    , rules_(std::move(other.rules_))
    , failure_(std::move(other.failure_))
    , error_(other.error_)
    , finished_(other.finished_) {}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        removeWithJournals(temporary_);
    temporary_.clear();
}

Status OutputFile::fail(int error) {
    if (failure_) {
        failure_ = Status::failure(writeFailureReason(error));
        error_ = error;
    }
    return failure_;
}

Status OutputFile::write(std::string_view bytes) {
    if (!failure_)
        return failure_;
    if (fd_ < 0 || finished_)
        return fail(EBADF);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fail(errno);
        if (written == 0)
            return fail(ENOSPC); // nothing taken and no reason given: the device is full
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

Status OutputFile::finish() {
    if (!failure_)
        return failure_;
    if (fd_ < 0)
        return fail(EBADF);
    if (!finished_ && ::fsync(fd_) != 0)
        return fail(errno);
    finished_ = true;
    return {};
}

Status OutputFile::commit() {
    if (Status finished = finish(); !finished) {
        discard();
        return finished;
    }
    const auto failed = [this](int error) {
        Status status = fail(error);
        discard();
        return status;
    };
    // Looked at again: the name may have been taken, or turned into a link, since the file was made.
    const Result<Existing> existing = lookAt(target_);
    if (existing && existing->present && rules_.existing == WhenExisting::Refuse)
        return failed(EEXIST);
    const std::optional<std::string> refused =
        existing ? refusalOf(target_, *existing, rules_) : std::optional(existing.message());
    if (refused) {
        failure_ = Status::failure(*refused);
        discard();
        return failure_;
    }
    if (::fchmod(fd_, modeReplacing(*existing)) != 0)
        return failed(errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        return failed(errno);
    if (rules_.existing == WhenExisting::Replace) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            return failed(errno);
    } else if (::link(temporary_.c_str(), target_.c_str()) == 0) {
        ::unlink(temporary_.c_str()); // the file stays under the target's name
    } else {
        // A file that appeared meanwhile is kept. File systems without hard links (FAT and exFAT
        // sticks, some network shares) refuse the link; there the test and the rename are two steps.
        const int error = errno;
        const Result<Existing> now = lookAt(target_);
        if (error == EEXIST || !now || now->present)
            return failed(EEXIST);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            return failed(errno);
    }
    temporary_.clear();
    syncToDisk(folderOf(target_));
    return {};
}

fs::path temporaryNameFor(const fs::path& target, pid_t pid) {
    return target.parent_path() /
           ("." + target.filename().string() + std::string(kTemporaryMark) + std::to_string(pid));
}

bool isDeadProcessLeftover(const std::string& fileName) {
    const auto split = splitTemporaryName(fileName);
    return split && !split->first.empty() && !split->second.empty() && !processIsRunning(split->second);
}

void removeDeadProcessLeftovers(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isDeadProcessLeftover(it->path().filename().string()) &&
            it->symlink_status(ec).type() == fs::file_type::regular)
            leftovers.push_back(it->path());
    }
    for (const fs::path& file : leftovers)
        fs::remove(file, ec);
}

void removeWithJournals(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    for (const char* suffix : kJournalSuffixes)
        fs::remove(fs::path(file.string() + suffix), ec);
}

bool syncToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace velmora
