#pragma once

#include "base/Result.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace velmora::print {

class PrintSurface;
class PdfSurface;

// Where the labels of a run go when its checks go to `checksFile`: "out.pdf" gives "out-labels.pdf".
// The screens and the command line name the second job's file with this one function, so the
// second job of a run never replaces the first one's output.
std::filesystem::path labelsFileFor(const std::filesystem::path& checksFile);

// Refuses an output file that is one of the program's own files, compared as files (device and
// inode, through links), not as spellings: the database being printed, PC.OVL, template.ref, the
// export file and every .mdb and .bak file of the program folder and of the database's folder. Also
// refuses a path that exists but is not a regular file (a folder, a device, a pipe): a PDF goes into
// a file of its own; and a folder that is missing or where no new file can be made.
Status checkOutputFile(const std::filesystem::path& output, const std::filesystem::path& programDir,
                       const std::filesystem::path& database);

// The two jobs of a print run. A surface that writes a file (a PDF, or a printer set to print to a
// file) prints the checks into that file and the labels into labelsFileFor() of it, each through a
// PDF surface of its own; a real printer takes both jobs.
class RunOutputs {
public:
    explicit RunOutputs(PrintSurface& chosen);
    ~RunOutputs();
    RunOutputs(const RunOutputs&) = delete;
    RunOutputs& operator=(const RunOutputs&) = delete;

    PrintSurface& checks() { return *checks_; }
    PrintSurface& labels() { return *labels_; }
    // The files the jobs write; std::nullopt for a printer.
    const std::optional<std::filesystem::path>& checksFile() const { return checksFile_; }
    std::optional<std::filesystem::path> labelsFile() const;

    // The files of the jobs that will be printed, checked with checkOutputFile.
    Status check(const std::filesystem::path& programDir, const std::filesystem::path& database,
                 bool checksJob, bool labelsJob) const;

private:
    std::optional<std::filesystem::path> checksFile_;
    std::unique_ptr<PdfSurface> ownChecks_;
    std::unique_ptr<PdfSurface> ownLabels_;
    PrintSurface* checks_;
    PrintSurface* labels_;
};

} // namespace velmora::print
