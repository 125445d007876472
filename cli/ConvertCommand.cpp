#include "cli/ConvertCommand.h"

#include "jet/Converter.h"
#include "jet/JetHeader.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

const char* const kUsageText =
    "usage: velmora [--dir DIR] convert FILE...\n"
    "Converts check databases (NAME.mdb) and the settings file PC.OVL kept as Access 97 to 2003 (Jet)\n"
    "files into Velmora's SQLite files. Each file keeps its name; its original is kept beside it as\n"
    "NAME.jet. A file is converted whole or not at all. Relative names are taken in DIR when given.\n"
    "Exit status: 0 every file converted or needed none, 1 a file failed, 2 usage.\n";

enum ConvertExit : int { kAllConverted = 0, kSomeFailed = 1, kUsage = 2 };

// Converts one file; returns whether it is now (or was already) in the program's form.
bool convertOne(const fs::path& file) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        std::cout << name << ": there is no such file.\n";
        return false;
    }
    if (jet::isSqliteFile(file)) {
        std::cout << name << ": already a SQLite file; left as it is.\n";
        return true;
    }
    const jet::ConversionResult result = jet::convertInPlace(file, jet::fileKindOf(file));
    if (!result.ok()) {
        std::cout << result.status.message() << " Nothing was changed.\n";
        return false;
    }
    std::cout << name << ": converted (" << result.report.tables.size() << " tables, " << result.report.rows()
              << " rows); the original is kept as " << result.keptOriginal.filename().string() << ".\n";
    for (const std::string& item : result.report.leftOut)
        std::cerr << "velmora convert: " << name << ": left out " << item << "\n";
    for (const std::string& notice : result.report.notices)
        std::cerr << "velmora convert: " << name << ": " << notice << "\n";
    return true;
}

} // namespace

int runConvertCommand(const Invocation& invocation) {
    const auto& args = invocation.arguments;
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsageText;
        return kAllConverted;
    }
    if (args.empty()) {
        std::cerr << "velmora convert: name at least one file\n" << kUsageText;
        return kUsage;
    }
    for (const std::string& arg : args) {
        if (arg.starts_with("-")) {
            std::cerr << "velmora convert: unknown option '" << arg << "'\n" << kUsageText;
            return kUsage;
        }
    }
    bool allConverted = true;
    for (const std::string& arg : args) {
        fs::path file(arg);
        if (file.is_relative() && invocation.programDir)
            file = *invocation.programDir / file;
        allConverted = convertOne(file) && allConverted;
    }
    return allConverted ? kAllConverted : kSomeFailed;
}

} // namespace velmora::cli
