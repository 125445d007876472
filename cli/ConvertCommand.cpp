#include "cli/ConvertCommand.h"

#include "cli/CommandHelp.h"
#include "db/JetHeader.h"
#include "jet/Converter.h"

#include <iostream>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

int usageError(const std::string& message) {
    std::cerr << "velmora convert: " << message << "\n" << usageText(*findCommandHelp("convert"));
    return kConvertUsage;
}

// Converts one file; returns whether it is now (or was already) in the program's form.
bool convertOne(const fs::path& file) {
    const std::string name = file.filename().string();
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        std::cout << name << ": there is no such file.\n";
        return false;
    }
    if (db::isSqliteFile(file)) {
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
    const Result<ParsedArguments> parsed = parseArguments(*findCommandHelp("convert"), invocation.arguments);
    if (!parsed)
        return usageError(parsed.message());
    if (parsed->operands.empty())
        return usageError("name at least one file");
    bool allConverted = true;
    for (const std::string& name : parsed->operands) {
        fs::path file(name);
        if (file.is_relative() && invocation.programDir)
            file = *invocation.programDir / file;
        allConverted = convertOne(file) && allConverted;
    }
    return allConverted ? kAllConverted : kSomeFailed;
}

} // namespace velmora::cli
