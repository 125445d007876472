#include "export/ExportFile.h"

#include "app/ProgramDir.h"
#include "base/OutputFile.h"
#include "db/CheckDatabase.h"
#include "db/CheckQueries.h"
#include "export/DelimitedLine.h"

#include <memory>
#include <vector>

namespace velmora::exporting {

namespace fs = std::filesystem;

namespace {

// Lines are gathered and handed to the file a few hundred kilobytes at a time.
constexpr std::size_t kChunk = std::size_t{256} * 1024;
// How many cut values the notice names before it says "and N more".
constexpr std::size_t kCutNamed = 5;

OutputFile::Rules outputRules(const fs::path& programDir, const DatabaseLocation& database,
                              bool isTheExportFile) {
    return {WhenExisting::Replace,
            std::make_shared<app::ProgramFiles>(programDir, database.ownFile(),
                                                isTheExportFile ? app::ProgramFiles::ExportFile::IsTheOutput
                                                                : app::ProgramFiles::ExportFile::Protected)};
}

std::string sentence(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text + ".";
}

// `text` cut to at most `bytes` bytes, never inside a UTF-8 character.
std::string_view firstBytes(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The values of the records that were cut, named by their line in the file and their field.
class CutValues {
public:
    void add(std::int64_t line, std::string_view field) {
        if (named_.size() < kCutNamed)
            named_.push_back("line " + std::to_string(line) + " (" + std::string(field) + ")");
        ++total_;
    }
    std::string notice() const {
        if (total_ == 0)
            return {};
        std::string text = std::to_string(total_) + (total_ == 1 ? " value was" : " values were") +
                           " longer than " + std::to_string(kMaxExportedValueBytes) +
                           " bytes, which no name, address or memo is, and was cut to that length: ";
        for (std::size_t i = 0; i < named_.size(); ++i)
            text += (i == 0 ? "" : "; ") + named_[i];
        if (total_ > named_.size())
            text += " and " + std::to_string(total_ - named_.size()) + " more";
        return text + ". Correct the record on the data entry screen.";
    }

private:
    std::vector<std::string> named_;
    std::size_t total_ = 0;
};

} // namespace

fs::path exportFilePath(const fs::path& programDir) {
    return programDir / app::kExportFileName;
}

Status checkOutputTarget(const fs::path& target, const fs::path& programDir, const DatabaseLocation& database,
                         bool isTheExportFile) {
    if (Status usable = OutputFile::checkTarget(target, outputRules(programDir, database, isTheExportFile));
        !usable)
        return Status::failure("Cannot write " + target.string() + ": " + sentence(usable.message()));
    return {};
}

Status checkExportTarget(const fs::path& target, const fs::path& programDir,
                         const DatabaseLocation& database) {
    return checkOutputTarget(target, programDir, database, true);
}

ExportResult writeLines(const DatabaseLocation& database, const fs::path& target, const fs::path& programDir,
                        bool isTheExportFile, const std::string& kind, const LineFiller& lines) {
    ExportResult result;
    const auto failed = [&](ExportResult::Failure failure, const std::string& why) {
        result.failure = failure;
        result.records = 0;
        result.message = kind + " " + target.string() + " could not be written: " + sentence(why) +
                         " An earlier file of that name is left as it was.";
        return result;
    };
    // The file first: nothing is read when it cannot be made.
    Result<OutputFile> file = OutputFile::create(target, outputRules(programDir, database, isTheExportFile));
    if (!file)
        return failed(ExportResult::Failure::Output, file.message());

    // Only read, and a failure halfway leaves the earlier file: a damaged page is reported when the
    // walk meets it, without reading the whole file twice.
    auto opened =
        db::CheckDatabase::open(database, db::OpenMode::ReadOnly, db::CheckDatabase::Checked::TablesOnly);
    if (!opened)
        return failed(ExportResult::Failure::Database, opened.message());
    std::string chunk;
    chunk.reserve(kChunk + kMaxExportedValueBytes * 2);
    const Status read = lines(opened->connection(), chunk, [&] {
        ++result.records;
        if (chunk.size() >= kChunk) {
            skipFailure(file->write(chunk)); // the first failure sticks and is told at the end
            chunk.clear();
        }
    });
    if (!read)
        return failed(ExportResult::Failure::Database, read.message());
    skipFailure(file->write(chunk));
    if (Status written = file->commit(); !written)
        return failed(ExportResult::Failure::Output, written.message());
    return result;
}

ExportResult writeExport(const DatabaseLocation& database, const ExportFormat& format, const fs::path& target,
                         const fs::path& programDir) {
    const std::span<const std::string_view> fields = format.fields();
    std::vector<db::FieldText> bounded(fields.size());
    CutValues cut;
    std::int64_t line = 0;
    ExportResult result = writeLines(
        database, target, programDir, true, "The export file",
        [&](db::Connection& connection, std::string& text, const std::function<void()>& done) {
            return db::forEachCheck(connection, fields, [&](auto values) {
                ++line;
                for (std::size_t i = 0; i < values.size(); ++i) {
                    bounded[i] = {values[i].kind, firstBytes(values[i].text, kMaxExportedValueBytes)};
                    if (bounded[i].text.size() < values[i].text.size())
                        cut.add(line, fields[i]);
                }
                appendDelimitedLine(text, bounded);
                done();
            });
        });
    if (result.ok())
        result.notice = cut.notice();
    return result;
}

} // namespace velmora::exporting
