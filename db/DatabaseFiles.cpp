#include "db/DatabaseFiles.h"

#include "base/Text.h"
#include "db/CheckDatabase.h"
#include "db/ErrorText.h"
#include "db/JetHeader.h"
#include "db/RecordSet.h"
#include "db/Schema.h"
#include "db/SoundFiles.h"

#include <QString>
#include <algorithm>
#include <fstream>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

std::string notWritten(const OutputFile& output, const fs::path& file) {
    return writeFailureMessage(output.failure().message(), output.errorNumber(), file);
}

std::string notMade(const Status& failure, const fs::path& file) {
    return writeFailureMessage(failure.message(), 0, file);
}

// Copies the bytes of `source` into `output`.
Status copyInto(OutputFile& output, const fs::path& source) {
    std::ifstream in(source, std::ios::binary);
    std::string piece(std::size_t{64} * 1024, '\0');
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        if (Status written =
                output.write(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())));
            !written)
            return Status::failure(notWritten(output, output.target()));
    }
    if (!in.eof())
        return Status::failure(source.filename().string() + " could not be read.");
    return {};
}

} // namespace

fs::path temporarySibling(const fs::path& target) {
    fs::path temporary = temporaryNameFor(target, ::getpid());
    removeWithJournals(temporary);
    return temporary;
}

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

bool hasDatabaseExtension(const fs::path& file) {
    return lowerCaseBytes(file.extension().string()) == ".mdb";
}

bool holdsProgramData(const fs::path& file) {
    if (isJetFile(file))
        return true;
    if (!isSqliteFile(file))
        return false;
    try {
        Connection db(file, OpenMode::ReadOnly);
        return db.hasTable(schema::account().name()) || db.hasTable(schema::databaseProperties().name());
    } catch (const Error&) {
        return true;
    }
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

void addTemplateRows(Connection& db, const std::string& accountType, const std::string& description) {
    RecordSet account(db, schema::account());
    account.addNew();
    account.setField(field::kId, std::int64_t{1});
    account.update();
    RecordSet properties(db, schema::databaseProperties());
    properties.addNew();
    properties.setField(field::kAccountType, accountType);
    properties.setField(field::kDescription, description);
    properties.update();
}

Status writeTemplateFile(const fs::path& file) {
    Result<OutputFile> output = OutputFile::create(file, {});
    if (!output)
        return Status::failure(notMade(output.status(), file));
    try {
        Connection db(output->temporaryPath(), OpenMode::Create);
        schema::createCheckDatabaseTables(db);
        Transaction transaction(db);
        addTemplateRows(db, "Draft", "");
        transaction.commit();
    } catch (const Error& error) {
        return Status::failure(userMessage(error, file));
    }
    if (!output->commit())
        return Status::failure(notWritten(*output, file));
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
    // A file that appears under the name meanwhile is never overwritten.
    Result<OutputFile> output = OutputFile::create(target, {WhenExisting::Refuse, {}});
    if (!output)
        return Status::failure(notMade(output.status(), target));
    if (Status copied = copyInto(*output, dir / kTemplateFileName); !copied)
        return copied;
    try {
        auto database = CheckDatabase::open(output->temporaryPath());
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
        return Status::failure(userMessage(error, target));
    }
    if (!output->commit())
        return Status::failure(notWritten(*output, target));
    return {};
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
    const std::string notMadeOpening = "The backup copy of " + databaseName + " could not be made. ";
    Result<OutputFile> output = OutputFile::create(target, {});
    if (!output)
        return Status::failure(notMadeOpening + notMade(output.status(), target));
    try {
        Connection db(source, OpenMode::ReadOnly);
        // A copy of a damaged file must not replace the backup that could restore it. The copy reads
        // the whole file anyway: the check is made whether or not the file is known sound, so that
        // damage no writer made (a failing disk) is found at the latest here.
        (void)requireSound(db, SoundFiles::forThisUser(), Recheck::Always);
        Statement vacuum(db, "VACUUM INTO ?1");
        vacuum.bind(1, output->temporaryPath().string());
        vacuum.run();
    } catch (const Error& error) {
        // The database's own connection writes the copy: a failure to write is the backup's.
        const int cause = error.code() & 0xff;
        const bool writing = cause == SQLITE_FULL || cause == SQLITE_CANTOPEN || cause == SQLITE_READONLY;
        return Status::failure(notMadeOpening + userMessage(error, writing ? target : fs::path()));
    }
    // The copy is on the disk before it replaces the previous backup, and the rename after.
    if (!output->commit())
        return Status::failure("The backup copy of " + databaseName + " could not be saved as " +
                               target.filename().string() + ". " + notWritten(*output, target));
    return {};
}

} // namespace velmora::db
