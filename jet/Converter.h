#pragma once

#include "base/Result.h"
#include "jet/ConversionPlan.h"
#include "jet/ReaderProcess.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velmora::jet {

struct Progress {
    enum class Phase { Reading, Verifying };
    Phase phase = Phase::Reading;
    std::int64_t done = 0;  // rows
    std::int64_t total = 0; // rows, as the Jet file declares them
};
// Called as the rows go by (and while the reader is silent); returning false cancels the conversion,
// which then leaves nothing behind. Runs on the thread that converts.
using ProgressCallback = std::function<bool(const Progress&)>;

struct ConvertOptions {
    std::filesystem::path readerProgram = defaultReaderProgram();
    std::chrono::milliseconds stallTimeout{std::chrono::seconds(60)};
    ProgressCallback progress;
};

struct ConversionReport {
    struct Table {
        std::string name;
        std::int64_t rows = 0;
    };
    std::vector<Table> tables;        // converted, with their rows
    std::vector<std::string> leftOut; // tables and columns not converted, each with the reason
    std::vector<std::string>
        notices; // values changed on the way (fractions of a cent), fields the file lacks
    std::int64_t rows() const;
};

struct ConversionResult {
    Status status; // a failure names the file and says why; nothing was written then
    bool cancelled = false;
    ConversionReport report;
    std::filesystem::path keptOriginal; // NAME.jet after a conversion in place
    bool ok() const { return status.ok(); }
};

enum class FileKind { CheckDatabase, Settings };
// PC.OVL (in any letter case) is the settings file; every other file is taken for a check database.
FileKind fileKindOf(const std::filesystem::path& file);

// The name under which a conversion in place keeps the Jet original: "PAYROLL.mdb" -> "PAYROLL.mdb.jet".
std::filesystem::path keptOriginalName(const std::filesystem::path& file);

// Converts a check database or PC.OVL kept in Jet form into the program's SQLite form, in place. The
// SQLite file is written under a temporary name and checked against the source (the rows of every
// table counted, a digest of every field compared); only then is the original kept as NAME.jet (its
// bytes never changed) and the SQLite file given the original's name. All or nothing: on any
// failure or cancel the source is as it was and no file is left behind.
[[nodiscard]] ConversionResult convertInPlace(const std::filesystem::path& file, FileKind kind,
                                              const ConvertOptions& options = {});

// Copies every table of a Jet file into a new SQLite file `target` (refused when it exists), each
// column of a convertible type under its own name (planAnyTables), checked the same way.
[[nodiscard]] ConversionResult convertAnyTables(const std::filesystem::path& source,
                                                const std::filesystem::path& target,
                                                const ConvertOptions& options = {});

} // namespace velmora::jet
