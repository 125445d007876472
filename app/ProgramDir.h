#pragma once

#include "base/Result.h"

#include <filesystem>
#include <optional>

namespace velmora::app {

// The export file of a program directory, beside the databases.
inline constexpr const char* kExportFileName = "EXPORT.TXT";

// The folder of PC.OVL, the check databases, template.ref and the export file: the --dir option,
// otherwise $XDG_DATA_HOME/velmora (~/.local/share/velmora).
std::filesystem::path defaultProgramDir();

// Makes the folder ready: a new, empty folder is given the delivered PC.OVL and template.ref; a
// missing template.ref is written again. A folder that holds databases but no PC.OVL is refused,
// never seeded again: that would reset the password. Temporary files that a killed process left
// (a backup or a new database cut short) are removed first, and so are the run locks that earlier
// versions left beside the databases ("NAME.mdb.lock") when no run holds them; nothing else is touched.
Status prepareProgramDir(const std::filesystem::path& dir);

} // namespace velmora::app
