#include "db/ErrorText.h"

#include "base/OutputFile.h"
#include "db/DatabaseFiles.h"

#include <cerrno>
#include <sqlite3.h>
#include <unistd.h>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool writable(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

// The sentences shared by database and file system failures.
std::string diskFull(const std::string& name) {
    return "The disk is full: " + name + " could not be written. Free some disk space and try again.";
}

std::string diskError(const std::string& name, const std::string& detail) {
    return name + " could not be read or written because of a disk error (" + detail +
           "). Check the disk and try again.";
}

// A file that cannot be created or changed: the folder's fault, or the file's own.
std::string notWritable(const fs::path& file) {
    const std::string name = file.filename().string();
    const fs::path folder = folderOf(file);
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return "The folder " + folder.string() + " does not exist, so " + name + " cannot be opened.";
    if (!writable(folder))
        return "The folder " + folder.string() + " is not writable, so " + name +
               " cannot be written there. Make the folder writable, or use another one, and try again.";
    return name + " cannot be changed: the file is read-only or not yours. Make it writable and try again.";
}

} // namespace

std::string restoreAdvice(const fs::path& file) {
    const std::string name = file.filename().string();
    if (hasDatabaseExtension(file)) {
        const std::string backup = backupFileName(name);
        std::error_code ec;
        if (!fs::exists(folderOf(file) / backup, ec))
            return "There is no backup copy (" + backup + ") beside it: restore " + name +
                   " from a copy of your own.";
        return "To restore it from its backup, close the program, delete " + name + " and rename " + backup +
               " to " + name + ".";
    }
    if (name == kTemplateFileName)
        return "Delete " + name + "; the program writes a new one at its next start.";
    return "Restore " + name + " from a backup copy of the program folder.";
}

std::optional<std::string> fileProblem(const Error& error, const fs::path& shownAs) {
    if (dynamic_cast<const DamagedError*>(&error))
        return error.what(); // the program's own sentence
    const fs::path file = shownAs.empty() ? error.file() : shownAs;
    if (file.empty())
        return std::nullopt;
    const std::string name = file.filename().string();
    std::error_code ec;
    switch (error.code() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return name + " is in use by another program; close it and try again.";
    case SQLITE_CANTOPEN:
        if (writable(folderOf(file)) && !fs::exists(file, ec))
            return name + " cannot be found in " + folderOf(file).string() + ".";
        return notWritable(file);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return notWritable(file);
    case SQLITE_FULL:
        return diskFull(name);
    case SQLITE_IOERR:
        return diskError(name, error.what());
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return name + " is damaged. " + restoreAdvice(file);
    case SQLITE_NOMEM:
        return "There is not enough memory to work on " + name + ". Close other programs and try again.";
    default:
        return std::nullopt;
    }
}

std::string userMessage(const Error& error, const fs::path& shownAs) {
    return fileProblem(error, shownAs).value_or(error.what());
}

std::string userMessage(const std::error_code& error, const fs::path& file) {
    const std::string name = file.filename().string();
    if (error == std::errc::no_space_on_device)
        return diskFull(name);
    if (error == std::errc::read_only_file_system || error == std::errc::permission_denied)
        return notWritable(file);
    if (error == std::errc::file_too_large)
        return name + " could not be written: " + writeFailureReason(EFBIG) + ".";
    if (error == std::errc::io_error)
        return diskError(name, error.message());
    return name + ": " + error.message() + ".";
}

std::string writeFailureMessage(const std::string& reason, int error, const fs::path& file) {
    if (error != 0)
        return userMessage(std::error_code(error, std::generic_category()), file);
    if (!writable(folderOf(file)))
        return notWritable(file);
    return file.filename().string() + " could not be written: " + reason + ".";
}

} // namespace velmora::db
