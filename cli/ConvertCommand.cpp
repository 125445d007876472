#include "cli/ConvertCommand.h"

#include "cli/VerbSupport.h"
#include "db/DatabaseFiles.h"
#include "db/JetHeader.h"
#include "jet/Converter.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// Converts one file; returns whether it is now (or was already) in the program's form.
bool convertOne(const fs::path& file) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        std::cout << terminalText(name) << ": a folder, not a file; nothing was converted.\n";
        return false;
    }
    if (!fs::is_regular_file(file, ec)) {
        std::cout << terminalText(name) << ": there is no such file.\n";
        return false;
    }
    if (db::isSqliteFile(file)) {
        // Only the program's own files are converted, and so only they can have been already.
        if (!db::holdsProgramData(file)) {
            std::cout
                << terminalText(name)
                << ": a SQLite file that is no check database or settings file of this program; nothing was converted.\n";
            return false;
        }
        std::cout << terminalText(name) << ": already a SQLite file; left as it is.\n";
        return true;
    }
    const jet::ConversionResult result = jet::convertInPlace(file, jet::fileKindOf(file));
    if (!result.ok()) {
        std::cout << terminalText(result.status.message()) << " Nothing was changed.\n";
        return false;
    }
    std::cout << terminalText(name) << ": converted (" << result.report.tables.size() << " tables, "
              << result.report.rows() << " rows); the original is kept as "
              << terminalText(result.keptOriginal.filename().string()) << ".\n";
    for (const std::string& item : result.report.leftOut)
        tell("convert", name + ": left out " + item);
    for (const std::string& notice : result.report.notices)
        tell("convert", name + ": " + notice);
    return true;
}

} // namespace

Exit runConvertCommand(const Invocation& invocation, const Arguments& arguments) {
    bool allConverted = true;
    for (const std::string& name : arguments.operands()) {
        fs::path file(name);
        if (file.is_relative() && invocation.programDir)
            file = *invocation.programDir / file;
        allConverted = convertOne(file) && allConverted;
    }
    return allConverted ? Exit::AllConverted : Exit::SomeNotConverted;
}

} // namespace velmora::cli
