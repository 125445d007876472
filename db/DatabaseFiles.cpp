#include "db/DatabaseFiles.h"

#include "base/Text.h"
#include "db/CheckDatabase.h"
#include "db/ErrorText.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "db/SoundFiles.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr const char* kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

bool processIsRunning(const std::string& digits) {
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return true; // not an id this program wrote: treat it as someone else's
    const auto id = static_cast<pid_t>(std::stol(digits));
    return id <= 0 || ::kill(id, 0) == 0 || errno != ESRCH;
}

// Moves `from` to `to` only when `to` does not exist (link, then unlink: atomic, never overwrites).
// File systems without hard links (FAT and exFAT sticks, some network shares) refuse the link; there
// the test for an existing file and the rename are two steps.
Status publishNew(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (::link(from.c_str(), to.c_str()) != 0) {
        const int linkError = errno;
        if (linkError != EEXIST && !fs::exists(to, ec) && !ec) {
            fs::rename(from, to, ec);
            if (!ec)
                return {};
        }
        const std::error_code reason = ec ? ec : std::error_code(linkError, std::generic_category());
        removeWithJournals(from);
        return Status::failure(userMessage(reason, to));
    }
    fs::remove(from, ec);
    return {};
}

// Whether a file of this name exists, in any letter case: the names of two databases must differ in
// more than case, or "Payroll.mdb" and "Payroll.MDB" would share the backup "Payroll.bak".
bool fileNameTaken(const fs::path& dir, const std::string& fileName) {
    std::error_code ec;
    if (fs::exists(dir / fileName, ec) || ec)
        return true;
    const std::string wanted = lowerCaseBytes(fileName);
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (lowerCaseBytes(entry.path().filename().string()) == wanted)
            return true;
    }
    return false;
}

} // namespace

fs::path temporarySibling(const fs::path& target) {
    const fs::path temporary =
        target.parent_path() /
        ("." + target.filename().string() + std::string(kTemporaryMark) + std::to_string(::getpid()));
    removeWithJournals(temporary);
    return temporary;
}

bool syncToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool isLeftoverTemporary(const std::string& fileName) {
    std::string name = fileName;
    for (const char* suffix : kJournalSuffixes) {
        if (name.ends_with(suffix)) {
            name.resize(name.size() - std::strlen(suffix));
            break;
        }
    }
    const auto mark = name.rfind(kTemporaryMark);
    if (!name.starts_with('.') || mark == std::string::npos || mark < 2)
        return false;
    const std::string digits = name.substr(mark + kTemporaryMark.size());
    return !digits.empty() && !processIsRunning(digits);
}

void removeWithJournals(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    for (const char* suffix : kJournalSuffixes)
        fs::remove(fs::path(file.string() + suffix), ec);
}

bool hasDatabaseExtension(const fs::path& file) {
    return lowerCaseBytes(file.extension().string()) == ".mdb";
}

std::vector<std::string> listDatabases(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.is_regular_file(ec) && hasDatabaseExtension(entry.path()))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowerCaseBytes(a), lb = lowerCaseBytes(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

Status writeTemplateFile(const fs::path& file) {
    const fs::path temporary = temporarySibling(file);
    try {
        {
            Connection db(temporary, OpenMode::Create);
            schema::createCheckDatabaseTables(db);
            Transaction transaction(db);
            RecordSet account(db, schema::account());
            account.addNew();
            account.setField(field::kId, std::int64_t{1});
            account.update();
            RecordSet properties(db, schema::databaseProperties());
            properties.addNew();
            properties.setField(field::kAccountType, "Draft");
            properties.setField(field::kDescription, "");
            properties.update();
            transaction.commit();
        }
    } catch (const Error& error) {
        removeWithJournals(temporary);
        return Status::failure(userMessage(error, file));
    }
    std::error_code ec;
    fs::rename(temporary, file, ec);
    if (ec) {
        removeWithJournals(temporary);
        return Status::failure(userMessage(ec, file));
    }
    return {};
}

Status createDatabase(const fs::path& dir, const std::string& name, std::optional<DatabaseType> type) {
    if (name.empty())
        return Status::failure("No name was entered.");
    if (static_cast<std::size_t>(QString::fromStdString(name).size()) > kMaxDatabaseNameLength)
        return Status::failure("The name is longer than 36 characters.");
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return Status::failure("The name contains a character a file name cannot hold.");
    const fs::path target = dir / (name + ".mdb");
    if (fileNameTaken(dir, target.filename().string()))
        return Status::failure(target.filename().string() + " already exists.");

    std::error_code ec;
    if (!fs::is_regular_file(dir / kTemplateFileName, ec))
        return Status::failure("The template file " + std::string(kTemplateFileName) + " is missing from " +
                               dir.string() + ".");
    const fs::path temporary = temporarySibling(target);
    if (!fs::copy_file(dir / kTemplateFileName, temporary, ec)) {
        removeWithJournals(temporary); // a copy cut short by a full disk
        return Status::failure(userMessage(ec, target));
    }
    try {
        auto database = CheckDatabase::open(temporary);
        if (!database)
            throw Error(database.message());
        RecordSet properties(database->connection(), schema::databaseProperties());
        if (!properties.hasCurrent())
            throw Error(std::string(kTemplateFileName) + " has no database properties record.");
        properties.edit();
        properties.setField(field::kDescription, name);
        if (type)
            properties.setField(field::kAccountType, databaseTypeText(*type));
        properties.update();
    } catch (const Error& error) {
        removeWithJournals(temporary);
        return Status::failure(userMessage(error, target));
    }
    return publishNew(temporary, target);
}

OldRunLock removeOldRunLock(const fs::path& database) {
    fs::path file = database;
    file += ".lock";
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return OldRunLock::None;
    OldRunLock outcome = OldRunLock::None;
    struct stat opened {};
    struct stat named {};
    // Those versions took the lock with flock() on the whole file.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_size == 0) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            outcome = errno == EWOULDBLOCK ? OldRunLock::Held : OldRunLock::None;
        else if (::lstat(file.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                 named.st_ino == opened.st_ino && ::unlink(file.c_str()) == 0)
            outcome = OldRunLock::Removed;
    }
    ::close(fd);
    return outcome;
}

std::string backupFileName(const std::string& databaseName) {
    const auto dot = databaseName.rfind('.');
    return (dot == std::string::npos ? databaseName : databaseName.substr(0, dot)) + ".bak";
}

Status backupDatabase(const fs::path& dir, const std::string& databaseName) {
    const fs::path source = dir / databaseName;
    const fs::path target = dir / backupFileName(databaseName);
    const fs::path temporary = temporarySibling(target);
    try {
        Connection db(source, OpenMode::ReadOnly);
        // A copy of a damaged file must not replace the backup that could restore it. The copy reads
        // the whole file anyway: the check is made whether or not the file is known sound, so that
        // damage no writer made (a failing disk) is found at the latest here.
        (void)requireSound(db, SoundFiles::forThisUser(), Recheck::Always);
        Statement vacuum(db, "VACUUM INTO ?1");
        vacuum.bind(1, temporary.string());
        vacuum.run();
    } catch (const Error& error) {
        removeWithJournals(temporary);
        // The database's own connection writes the copy: a failure to write is the backup's.
        const int cause = error.code() & 0xff;
        const bool writing = cause == SQLITE_FULL || cause == SQLITE_CANTOPEN || cause == SQLITE_READONLY;
        return Status::failure("The backup copy of " + databaseName + " could not be made. " +
                               userMessage(error, writing ? target : fs::path()));
    }
    std::error_code ec;
    // The copy must be on the disk before it replaces the previous backup, and the rename after.
    if (!syncToDisk(temporary)) {
        removeWithJournals(temporary);
        return Status::failure("The backup copy of " + databaseName + " could not be written to the disk.");
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        removeWithJournals(temporary);
        return Status::failure("The backup copy of " + databaseName + " could not be saved as " +
                               target.filename().string() + ". " + userMessage(ec, target));
    }
    syncToDisk(dir);
    return {};
}

} // namespace velmora::db
