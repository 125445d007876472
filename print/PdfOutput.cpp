#include "print/PdfOutput.h"

#include "app/ProgramDir.h"
#include "print/PdfSurface.h"

namespace velmora::print {

namespace fs = std::filesystem;

fs::path labelsFileFor(const fs::path& checksFile) {
    fs::path labels = checksFile;
    labels.replace_filename(checksFile.stem().string() + "-labels" + checksFile.extension().string());
    return labels;
}

ReplaceConsent askBeforeReplacing(Dialogs& dialogs) {
    return [&dialogs](const fs::path& existing) -> std::optional<std::string> {
        if (dialogs.askYesNo(existing.string() + " already exists. Replace it?", "Replace file",
                             DialogIcon::Question, DialogAnswer::No))
            return std::nullopt;
        return "it already exists, and was kept";
    };
}

RunOutputs::RunOutputs(PrintSurface& chosen)
    : checksFile_(chosen.outputFile())
    , checks_(&chosen)
    , labels_(&chosen) {
    if (!checksFile_)
        return;
    if (auto* pdf = dynamic_cast<PdfSurface*>(&chosen); !pdf) {
        ownChecks_ = std::make_unique<PdfSurface>(checksFile_->string());
        checks_ = ownChecks_.get();
    }
    ownLabels_ = std::make_unique<PdfSurface>(labelsFileFor(*checksFile_).string());
    labels_ = ownLabels_.get();
}

RunOutputs::~RunOutputs() = default;

std::optional<fs::path> RunOutputs::labelsFile() const {
    if (!checksFile_)
        return std::nullopt;
    return labelsFileFor(*checksFile_);
}

Status RunOutputs::prepareFile(const fs::path& file, PdfSurface& surface,
                               const std::shared_ptr<const ProtectedFiles>& programFiles,
                               const ReplaceConsent& consent) {
    const auto refused = [&](const std::string& why) {
        return Status::failure("Cannot write " + file.string() + ": " + why);
    };
    OutputFile::Rules rules{WhenExisting::Replace, programFiles};
    if (Status usable = OutputFile::checkTarget(file, rules); !usable)
        return refused(usable.message());
    std::error_code error;
    if (fs::exists(fs::symlink_status(file, error))) {
        if (std::optional<std::string> kept = consent(file))
            return refused(*kept);
    } else {
        rules.existing = WhenExisting::Refuse; // nor one that appears while the job prints
    }
    // The job is written beside its file and renamed into place: the folder must take a new file.
    if (Result<OutputFile> probe = OutputFile::create(file, rules); !probe)
        return refused(probe.message());
    surface.setOutputRules(std::move(rules));
    return {};
}

Status RunOutputs::prepare(const fs::path& programDir, const std::optional<fs::path>& database,
                           bool checksJob, bool labelsJob, const ReplaceConsent& consent) {
    if (!checksFile_)
        return {};
    const auto programFiles =
        std::make_shared<app::ProgramFiles>(programDir, database, app::ProgramFiles::ExportFile::Protected);
    // The checks' surface writes a PDF whenever it names a file: the chosen one, or one of its own.
    if (auto* pdf = dynamic_cast<PdfSurface*>(checks_); checksJob && pdf)
        if (Status ready = prepareFile(*checksFile_, *pdf, programFiles, consent); !ready)
            return ready;
    if (labelsJob)
        return prepareFile(*labelsFile(), *ownLabels_, programFiles, consent);
    return {};
}

} // namespace velmora::print
