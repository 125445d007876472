#pragma once

#include "base/Result.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace velmora {

// The one way the program writes a file: a PDF, an export, a backup, a new database, the delivered
// settings and template. The bytes go into a private (0600) temporary file beside the target, named
// ".NAME.tmp-PID"; every write is checked (a short write is continued, a full disk or a file-size limit
// is a failure that sticks), the file is synced to the disk, then renamed into place and the folder
// synced. A failure, or an object dropped before commit(), removes the temporary and leaves the
// target as it was. The writer removes no file but its own: the temporaries of this naming that
// runs of the program, killed while they wrote, left in the folder it writes to.
//
// The target itself is never followed: a name that is a symbolic link, or that is not a regular file
// (a folder, a device, a pipe), is refused, as is a file its owner made read-only. A file that is
// replaced passes its mode on when it is stricter than 0600. Which files are the program's own, and
// so never a target, is told by a ProtectedFiles given with the rules.

// A file as the file system knows it, whatever name or link reaches it.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};
// The identity of the file `path` leads to (through links); std::nullopt when there is none.
std::optional<FileId> fileIdOf(const std::filesystem::path& path);

// Files no output may replace. Asked about every target before anything is written.
class ProtectedFiles {
public:
    virtual ~ProtectedFiles() = default;
    // Why `target` must not be written, as the end of a sentence ("it is the program's own file
    // PC.OVL"); std::nullopt when it may. `existing` is the identity of the regular file under that
    // name, when there is one.
    virtual std::optional<std::string> refusal(const std::filesystem::path& target,
                                               const std::optional<FileId>& existing) const = 0;
};

// What a writer does when its target exists.
enum class WhenExisting {
    Replace, // the new file takes the name
    Refuse,  // the target is kept, and commit() fails; a file that appears meanwhile is kept too
};

class OutputFile {
public:
    struct Rules {
        WhenExisting existing = WhenExisting::Replace;
        std::shared_ptr<const ProtectedFiles> protectedFiles;
    };

    // Checks the target (checkTarget) and makes the empty temporary file beside it. Failures are
    // reasons, the end of a sentence: "the disk is full", "it is a symbolic link".
    [[nodiscard]] static Result<OutputFile> create(const std::filesystem::path& target, Rules rules);
    // Whether `target` could be written under `rules`, without making anything: the folder exists,
    // the name is not a link, a folder, a device, a read-only file or a protected file.
    [[nodiscard]] static Status checkTarget(const std::filesystem::path& target, const Rules& rules);

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile(); // removes the temporary unless it was committed

    // Appends every byte of `bytes`. The first failure sticks: later writes and commit() report it.
    Status write(std::string_view bytes);
    // The first write failure, if any, and the system's error number behind it (0 when the failure
    // was no system call's: a target found taken or protected at commit()).
    const Status& failure() const { return failure_; }
    int errorNumber() const { return error_; }

    const std::filesystem::path& target() const { return target_; }
    // The temporary file, for a writer that fills it by its name (SQLite's VACUUM INTO, a database
    // built in place). Such a writer closes its own handles before finish().
    const std::filesystem::path& temporaryPath() const { return temporary_; }

    // Puts the written bytes on the disk; after it the file can be read back under temporaryPath()
    // before it is committed.
    Status finish();
    // finish(), then gives the file its mode and renames (or, under WhenExisting::Refuse, links) it
    // to the target, looked at once more, and syncs the folder. After success the object owns
    // nothing; after a failure the temporary is gone.
    Status commit();

private:
    OutputFile(std::filesystem::path target, std::filesystem::path temporary, int fd, Rules rules);
    Status fail(int error);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    Rules rules_;
    Status failure_;
    int error_ = 0;
    bool finished_ = false;
};

// The reason a failed write or file operation gives, from its errno: "the disk is full", "the file
// would pass the size this process may write (a file-size limit)".
std::string writeFailureReason(int error);

// ".NAME.tmp-PID": the name under which `target` is written by the process `pid`.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target, pid_t pid);
// Whether a file name is a temporary of that pattern (or one of SQLite's "-journal", "-wal", "-shm"
// files beside it) of a process that no longer runs, and so may be removed. Nothing else ever is.
bool isDeadProcessLeftover(const std::string& fileName);
// Removes the regular files in `folder` that isDeadProcessLeftover() names.
void removeDeadProcessLeftovers(const std::filesystem::path& folder);
// Removes a temporary with the journal files SQLite may have left beside it.
void removeWithJournals(const std::filesystem::path& file);
// Flushes a file (or a folder's entries) to the disk.
bool syncToDisk(const std::filesystem::path& path);

} // namespace velmora
