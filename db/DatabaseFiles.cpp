#include "db/DatabaseFiles.h"

#include "db/CheckDatabase.h"
#include "db/RecordSet.h"
#include "db/Schema.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace velmora::db {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A name beside `target` that no other file has, for building a file before it appears.
fs::path temporarySibling(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    return target.parent_path() /
           ("." + target.filename().string() + ".tmp-" + std::to_string(random() % 1000000000));
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
        const std::string reason = ec ? ec.message() : std::strerror(linkError);
        fs::remove(from, ec);
        return Status::failure("Cannot create " + to.filename().string() + ": " + reason + ".");
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
    const std::string wanted = lower(fileName);
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (lower(entry.path().filename().string()) == wanted)
            return true;
    }
    return false;
}

} // namespace

bool syncToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::vector<std::string> listDatabases(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.is_regular_file(ec) && lower(entry.path().extension().string()) == ".mdb")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lower(a), lb = lower(b);
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
        std::error_code ec;
        fs::rename(temporary, file, ec);
        if (ec)
            throw Error("Cannot write " + file.filename().string() + ": " + ec.message());
    } catch (const Error& error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Status::failure(error.what());
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
    const fs::path temporary = temporarySibling(target);
    if (!fs::copy_file(dir / kTemplateFileName, temporary, ec))
        return Status::failure("Cannot copy " + std::string(kTemplateFileName) + ": " + ec.message() + ".");
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
        fs::remove(temporary, ec);
        return Status::failure(error.what());
    }
    return publishNew(temporary, target);
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
        Statement vacuum(db, "VACUUM INTO ?1");
        vacuum.bind(1, temporary.string());
        vacuum.run();
    } catch (const Error& error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Status::failure("The backup copy of " + databaseName + " could not be made: " + error.what());
    }
    std::error_code ec;
    // The copy must be on the disk before it replaces the previous backup, and the rename after.
    if (!syncToDisk(temporary)) {
        fs::remove(temporary, ec);
        return Status::failure("The backup copy of " + databaseName + " could not be written to the disk.");
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return Status::failure("The backup copy of " + databaseName + " could not be saved as " +
                               target.filename().string() + ".");
    }
    syncToDisk(dir);
    return {};
}

} // namespace velmora::db
