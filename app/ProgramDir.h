#pragma once

#include "base/OutputFile.h"
#include "base/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::app {

// The export file of a program directory, beside the databases.
inline constexpr const char* kExportFileName = "EXPORT.TXT";

// The folder of PC.OVL, the check databases, template.ref and the export file: the --dir option,
// otherwise $XDG_DATA_HOME/velmora (~/.local/share/velmora).
std::filesystem::path defaultProgramDir();

// Makes the folder ready: a folder the program makes is private to its user (0700); a new, empty
// folder is given the delivered PC.OVL and template.ref; a missing template.ref is written again. A
// folder that holds databases but no PC.OVL is refused, never seeded again: that would reset the
// password. Temporary files that a killed process left (a backup, an export or a new database cut
// short) are removed first, and so are the run locks that earlier versions left beside the databases
// ("NAME.mdb.lock") when no run holds them; nothing else is touched.
Status prepareProgramDir(const std::filesystem::path& dir);

// The program's own files, which no output (a PDF, an export) ever replaces, compared as files
// (device and inode, through links), never as spellings: the database in use, PC.OVL, template.ref,
// the export file (for every output but the export itself), and every check database, backup and
// kept Access original (.mdb, .bak, .jet) of the program folder and of the database's folder. Any
// file that is a check database or settings file by its content is one too, wherever it lies; and a
// new file may not take a name the program keeps for its own (NAME.mdb, NAME.bak, NAME.jet, PC.OVL,
// template.ref).
class ProgramFiles : public ProtectedFiles {
public:
    enum class ExportFile { Protected, IsTheOutput };
    ProgramFiles(std::filesystem::path programDir, std::optional<std::filesystem::path> database,
                 ExportFile exportFile);

    std::optional<std::string> refusal(const std::filesystem::path& target,
                                       const std::optional<FileId>& existing) const override;

private:
    std::vector<std::filesystem::path> candidates() const;

    std::filesystem::path programDir_;
    std::optional<std::filesystem::path> database_;
    ExportFile exportFile_;
};

} // namespace velmora::app
