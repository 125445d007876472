#include "app/ProgramDir.h"

#include "app/SettingsStore.h"
#include "base/Text.h"
#include "db/DatabaseFiles.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace velmora::app {

namespace fs = std::filesystem;

fs::path defaultProgramDir() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules ask: it would put
    // the databases wherever the program happened to be started.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "velmora";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "velmora";
}

namespace {

// Names kept for the program's own files, in any letter case.
bool hasProgramFileName(const fs::path& file) {
    const std::string name = lowerCaseBytes(file.filename().string());
    const std::string extension = lowerCaseBytes(file.extension().string());
    return db::hasDatabaseExtension(file) || extension == ".bak" || extension == ".jet" ||
           name == lowerCaseBytes(kSettingsFileName) || name == lowerCaseBytes(db::kTemplateFileName);
}

} // namespace

ProgramFiles::ProgramFiles(fs::path programDir, std::optional<fs::path> database, ExportFile exportFile)
    : programDir_(std::move(programDir))
    , database_(std::move(database))
    , exportFile_(exportFile) {}

std::vector<fs::path> ProgramFiles::candidates() const {
    std::vector<fs::path> files;
    if (database_)
        files.push_back(*database_);
    if (exportFile_ == ExportFile::Protected)
        files.push_back(programDir_ / kExportFileName);
    std::vector<fs::path> folders{programDir_};
    if (database_)
        folders.push_back(database_->has_parent_path() ? database_->parent_path() : fs::path("."));
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (hasProgramFileName(it->path()))
                files.push_back(it->path());
        }
    }
    return files;
}

std::optional<std::string> ProgramFiles::refusal(const fs::path& target,
                                                 const std::optional<FileId>& existing) const {
    const std::string never = ", which is never written over";
    if (existing) {
        for (const fs::path& file : candidates()) {
            if (fileIdOf(file) == existing)
                return "it is the program's own file " + file.filename().string() + never;
        }
    }
    if (hasProgramFileName(target))
        return "its name is one the program keeps for its own files (check databases, backups, kept Access originals, PC.OVL, template.ref)";
    if (existing && db::holdsProgramData(target))
        return "it is a check database or settings file of the program (told by its content)" + never;
    return std::nullopt;
}

Status prepareProgramDir(const fs::path& dir) {
    std::error_code ec;
    const bool made = !fs::exists(fs::symlink_status(dir, ec));
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
        return Status::failure("The program directory " + dir.string() + " cannot be created.");
    // Its files hold account numbers and the password's hash: a folder the program makes is its user's.
    if (made)
        fs::permissions(dir, fs::perms::owner_all, ec);
    removeDeadProcessLeftovers(dir);
    // The run locks of earlier versions, "NAME.mdb.lock", when no run holds them.
    for (const std::string& database : db::listDatabases(dir))
        (void)db::removeOldRunLock(dir / database);

    if (!fs::exists(dir / kSettingsFileName, ec)) {
        if (!db::listDatabases(dir).empty())
            return Status::failure(
                "The settings file " + std::string(kSettingsFileName) + " is missing from " + dir.string() +
                ", which holds check databases. Restore it from your backup; the program will not make a new one here, since that would reset the program password.");
        if (Status status = SettingsStore::writeDelivered(dir / kSettingsFileName); !status)
            return status;
    }
    if (!fs::exists(dir / db::kTemplateFileName, ec)) {
        if (Status status = db::writeTemplateFile(dir / db::kTemplateFileName); !status)
            return status;
    }
    return {};
}

} // namespace velmora::app
