#include "print/PdfOutput.h"

#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "base/Text.h"
#include "db/DatabaseFiles.h"
#include "print/PdfSurface.h"

#include <QTemporaryFile>
#include <algorithm>
#include <vector>

namespace velmora::print {

namespace fs = std::filesystem;

namespace {

// The files of the program folder that a print job must never overwrite.
std::vector<fs::path> programFiles(const fs::path& programDir, const fs::path& database) {
    std::vector<fs::path> files{database, programDir / app::kSettingsFileName,
                                programDir / db::kTemplateFileName, programDir / app::kExportFileName};
    for (const fs::path& folder : {programDir, database.parent_path()}) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (db::hasDatabaseExtension(it->path()) ||
                lowerCaseBytes(it->path().extension().string()) == ".bak")
                files.push_back(it->path());
        }
    }
    return files;
}

} // namespace

fs::path labelsFileFor(const fs::path& checksFile) {
    fs::path labels = checksFile;
    labels.replace_filename(checksFile.stem().string() + "-labels" + checksFile.extension().string());
    return labels;
}

Status checkOutputFile(const fs::path& output, const fs::path& programDir, const fs::path& database) {
    std::error_code error;
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        return Status::failure("Cannot write " + output.string() + ": the folder " + folder.string() +
                               " does not exist");
    // The job is written beside its file and renamed into place: the folder must take a new file.
    QTemporaryFile probe(QString::fromStdString((folder / ".velmora-probe.XXXXXX").string()));
    if (!probe.open())
        return Status::failure("Cannot write " + output.string() + ": no file can be made in the folder " +
                               folder.string() + " (" + probe.errorString().toStdString() + ")");
    probe.close();
    const fs::file_status status = fs::status(output, error);
    if (!fs::exists(status))
        return {}; // a new file cannot be one of the program's
    if (!fs::is_regular_file(status))
        return Status::failure(
            "Cannot write " + output.string() +
            (fs::is_directory(status) ? ": it is a folder" : ": it is not a regular file"));
    for (const fs::path& file : programFiles(programDir, database)) {
        if (fs::equivalent(output, file, error))
            return Status::failure("Cannot write " + output.string() + ": it is the program file " +
                                   file.filename().string() + ", which a print job must never overwrite");
    }
    return {};
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

Status RunOutputs::check(const fs::path& programDir, const fs::path& database, bool checksJob,
                         bool labelsJob) const {
    if (!checksFile_)
        return {};
    if (checksJob)
        if (Status checksOk = checkOutputFile(*checksFile_, programDir, database); !checksOk)
            return checksOk;
    if (labelsJob)
        return checkOutputFile(*labelsFile(), programDir, database);
    return {};
}

} // namespace velmora::print
