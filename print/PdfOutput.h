#pragma once

#include "base/Dialogs.h"
#include "base/OutputFile.h"
#include "base/Result.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velmora::print {

class PrintSurface;
class PdfSurface;

// Where the labels of a run go when its checks go to `checksFile`: "out.pdf" gives "out-labels.pdf".
// The screens and the command line name the second job's file with this one function, so the
// second job of a run never replaces the first one's output.
std::filesystem::path labelsFileFor(const std::filesystem::path& checksFile);

// Whether a job may replace a file that exists already: std::nullopt when it may, otherwise why not
// (the end of a sentence). The screens ask the user (askBeforeReplacing); the command line answers
// from its --overwrite option.
using ReplaceConsent = std::function<std::optional<std::string>(const std::filesystem::path& existing)>;
// The question of the screens, asked once for each file that exists: "FILE already exists. Replace
// it?" with Yes and No, No the default.
ReplaceConsent askBeforeReplacing(Dialogs& dialogs);

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

    // Readies the files of the jobs that will be printed, before anything is printed or asked. Each
    // is refused when it is a link, a folder, a device, a read-only file, or one of the program's own
    // files (app::ProgramFiles, by identity and content; `database` is the one printed from, if any),
    // or when its folder takes no new file. A file that exists is replaced only with the say of
    // `consent`; one that does not is written only if it still does not exist when the job is done.
    // A failure tells why, and then nothing may be printed.
    Status prepare(const std::filesystem::path& programDir,
                   const std::optional<std::filesystem::path>& database, bool checksJob, bool labelsJob,
                   const ReplaceConsent& consent);

private:
    Status prepareFile(const std::filesystem::path& file, PdfSurface& surface,
                       const std::shared_ptr<const ProtectedFiles>& programFiles,
                       const ReplaceConsent& consent);

    std::optional<std::filesystem::path> checksFile_;
    std::unique_ptr<PdfSurface> ownChecks_;
    std::unique_ptr<PdfSurface> ownLabels_;
    PrintSurface* checks_;
    PrintSurface* labels_;
};

} // namespace velmora::print
