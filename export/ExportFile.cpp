#include "export/ExportFile.h"

#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "base/Text.h"
#include "db/CheckDatabase.h"
#include "db/CheckQueries.h"
#include "db/DatabaseFiles.h"
#include "export/DelimitedLine.h"

#include <QSaveFile>

namespace velmora::exporting {

namespace fs = std::filesystem;

namespace {

// Lines are gathered and handed to the file a few hundred kilobytes at a time.
constexpr std::size_t kChunk = 256 * 1024;

bool isProgramFile(const fs::path& target, const fs::path& programDir, const fs::path& database) {
    const std::string extension = lowerCaseBytes(target.extension().string());
    if (db::hasDatabaseExtension(target) || extension == ".bak")
        return true;
    std::error_code error;
    for (const fs::path& file :
         {database, programDir / app::kSettingsFileName, programDir / db::kTemplateFileName}) {
        if (fs::equivalent(target, file, error))
            return true;
    }
    return false;
}

} // namespace

fs::path exportFilePath(const fs::path& programDir) {
    return programDir / app::kExportFileName;
}

Status checkExportTarget(const fs::path& target, const fs::path& programDir, const fs::path& database) {
    if (isProgramFile(target, programDir, database))
        return Status::failure("Cannot write " + target.string() +
                               ": it is one of the program's own files, which an export never replaces.");
    std::error_code error;
    if (fs::is_directory(target, error))
        return Status::failure("Cannot write " + target.string() + ": it is a folder.");
    return {};
}

Result<std::int64_t> writeExport(const fs::path& database, const ExportFormat& format,
                                 const fs::path& target) {
    const QString name = QString::fromStdString(target.string());
    const auto failed = [&](const std::string& why) {
        const bool sentence = !why.empty() && why.back() == '.';
        return Result<std::int64_t>::failure("The export file " + target.string() +
                                             " could not be written: " + why + (sentence ? "" : ".") +
                                             " An earlier file of that name is left as it was.");
    };
    // A file the user made read-only is kept, though its folder would let it be replaced.
    std::error_code error;
    if (const fs::file_status status = fs::status(target, error);
        fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return failed("it is read-only");
    // The file first: nothing is read when it cannot be made.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString().toStdString());

    // Only read, and a failure halfway leaves the earlier file: a damaged page is reported when the
    // walk meets it, without reading the whole file twice.
    auto opened =
        db::CheckDatabase::open(database, db::OpenMode::ReadOnly, db::CheckDatabase::Checked::TablesOnly);
    if (!opened)
        return failed(opened.message());
    std::string chunk;
    chunk.reserve(kChunk + 4096);
    std::int64_t records = 0;
    bool writeFailed = false;
    const Status read = db::forEachCheck(opened->connection(), format.fields(), [&](auto values) {
        appendDelimitedLine(chunk, values);
        ++records;
        if (chunk.size() >= kChunk && !writeFailed) {
            writeFailed = file.write(chunk.data(), static_cast<qint64>(chunk.size())) < 0;
            chunk.clear();
        }
    });
    if (!read)
        return failed(read.message());
    if (!chunk.empty() && !writeFailed)
        writeFailed = file.write(chunk.data(), static_cast<qint64>(chunk.size())) < 0;
    if (writeFailed || !file.commit())
        return failed(file.errorString().toStdString());
    return records;
}

} // namespace velmora::exporting
