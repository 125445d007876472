#include "jet/Converter.h"

#include "app/SettingsStore.h"
#include "db/Connection.h"
#include "db/DatabaseFiles.h"
#include "db/FileIdentity.h"
#include "db/JetHeader.h"
#include "db/SoundFiles.h"
#include "jet/FieldDigest.h"
#include "jet/VelmoraMapping.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::jet {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kRowsPerProgressReport = 256;

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// What shows that the source is still the same, unchanged file when the conversion ends.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identify(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// A new, empty file beside `target` in which the converted file is built before it takes its name,
// under the temporary name that the next start clears away when a conversion was killed.
Result<fs::path> conversionFile(const fs::path& target) {
    const fs::path temporary = db::temporarySibling(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result<fs::path>::failure(target.filename().string() +
                                         " cannot be converted: its folder cannot be written (" +
                                         std::strerror(errno) + ").");
    ::close(fd);
    return temporary;
}

// SQLite's messages open with the name of the file, here the temporary one; the user knows the source.
std::string withoutFileName(const std::string& message, const fs::path& file) {
    const std::string prefix = file.filename().string() + ": ";
    return message.starts_with(prefix) ? message.substr(prefix.size()) : message;
}

// A name for the row id that no column of the table takes.
std::string rowIdName(const TablePlan& table) {
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        const bool taken =
            std::any_of(table.columns.begin(), table.columns.end(),
                        [&](const ColumnPlan& column) { return lowerAscii(column.target) == name; });
        if (!taken)
            return name;
    }
    return "rowid";
}

// One conversion of a Jet file into a new SQLite file: read through the reader process, written
// table by table in one transaction, then read back and compared with what the source held.
class Conversion {
public:
    Conversion(const fs::path& source, const ConvertOptions& options, ConversionResult& result)
        : source_(source)
        , fileName_(source.filename().string())
        , options_(options)
        , result_(result) {}

    Status run(const Planner& planner, const fs::path& output) {
        const auto header = db::inspectJetFile(source_);
        if (!header)
            return header.status();
        const auto identity = identify(source_);

        ReaderProcess reader(
            {options_.readerProgram, options_.stallTimeout, [this] { return tellProgress(); }});
        auto schema = reader.open(source_);
        if (!schema)
            return finishCancelled(reader, schema.status());
        auto plan = planner(*schema, fileName_);
        if (!plan)
            return plan.status();
        result_.report.leftOut = plan->leftOut;
        result_.report.notices = plan->notices;
        for (const TablePlan& table : plan->tables)
            progress_.total += static_cast<std::int64_t>(schema->tables[table.source].rowCount);

        output_ = output;
        if (!tellProgress())
            return cancel();
        try {
            {
                db::Connection db(output, db::OpenMode::Create);
                // The file is flushed to the disk once, whole, before it takes its name; a failure on
                // the way discards it, so nothing needs a journal on the disk meanwhile.
                db.exec("PRAGMA journal_mode = MEMORY");
                db.exec("PRAGMA synchronous = OFF");
                plan->createTables(db);
                if (Status status = copy(reader, *schema, *plan, db); !status)
                    return finishCancelled(reader, status);
            }
            // Read back through a connection of its own: what is compared is what the file holds.
            db::Connection written(output, db::OpenMode::ReadOnly);
            if (Status status = verify(*plan, written); !status)
                return status;
            // Every page and index, as the first opening of the file would check it.
            written.requireIntact();
        } catch (const db::Error& error) {
            return Status::failure(fileName_ +
                                   " cannot be converted: the converted file cannot be written (" +
                                   withoutFileName(error.what(), output) + ").");
        }
        if (!db::syncToDisk(output))
            return Status::failure(fileName_ +
                                   " cannot be converted: the converted file cannot be written to the disk.");
        if (identity != identify(source_))
            return Status::failure(fileName_ + " changed while it was being converted; convert it again.");
        return {};
    }

private:
    struct TableWriter {
        std::unique_ptr<db::Statement> insert;
        std::vector<FieldDigest> digests;
        std::int64_t rows = 0;
    };

    Status copy(ReaderProcess& reader, const JetSchema& schema, const ConversionPlan& plan,
                db::Connection& db) {
        std::vector<protocol::TableSelection> selection;
        writers_.clear();
        for (const TablePlan& table : plan.tables) {
            protocol::TableSelection chosen{table.source, {}};
            std::string columns, parameters;
            for (std::size_t i = 0; i < table.columns.size(); ++i) {
                chosen.columns.push_back(table.columns[i].source);
                columns += (i ? ", " : "") + db::quoteIdentifier(table.columns[i].target);
                parameters += (i ? ", ?" : "?") + std::to_string(i + 1);
            }
            selection.push_back(std::move(chosen));
            TableWriter writer;
            writer.insert =
                std::make_unique<db::Statement>(db, "INSERT INTO " + db::quoteIdentifier(table.target) +
                                                        " (" + columns + ") VALUES (" + parameters + ")");
            writer.digests.resize(table.columns.size());
            writers_.push_back(std::move(writer));
        }

        db::Transaction transaction(db);
        Status read = reader.read(selection, [&](std::size_t s, const std::vector<db::Value>& values) {
            return writeRow(plan.tables[s], schema.tables[plan.tables[s].source], writers_[s], values);
        });
        if (!failure_.empty())
            return Status::failure(failure_);
        if (!read)
            return read;
        transaction.commit();
        for (std::size_t t = 0; t < plan.tables.size(); ++t)
            result_.report.tables.push_back({plan.tables[t].target, writers_[t].rows});
        return {};
    }

    // Converts and writes one row as read; false (with the reason in failure_, or on a cancel) stops.
    bool writeRow(const TablePlan& table, const JetTable& source, TableWriter& writer,
                  const std::vector<db::Value>& values) {
        converted_.clear();
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            auto value = convertValue(table.columns[i].kind, values[i]);
            if (!value) {
                failure_ = fileName_ + " cannot be converted: in row " + std::to_string(writer.rows + 1) +
                           " of its table " + source.name + ", the field " + table.columns[i].target +
                           " cannot be kept: " + value.message() + ".";
                return false;
            }
            converted_.push_back(std::move(*value));
        }
        const std::int64_t rowId =
            table.rowIdColumn ? *converted_[*table.rowIdColumn].value.integer() : writer.rows + 1;
        try {
            for (std::size_t i = 0; i < converted_.size(); ++i) {
                if (!converted_[i].notice.empty())
                    result_.report.notices.push_back(
                        "Table " + source.name + ", " + (table.rowIdColumn ? "ID " : "row ") +
                        std::to_string(rowId) + ": the field " + table.columns[i].target + " " +
                        converted_[i].notice + ".");
                writer.insert->bind(static_cast<int>(i + 1), converted_[i].value);
                writer.digests[i].add(rowId, converted_[i].value);
            }
            writer.insert->run();
            writer.insert->reset();
        } catch (const db::Error& error) {
            failure_ = fileName_ + " cannot be converted: row " + std::to_string(writer.rows + 1) +
                       " of its table " + source.name + " cannot be written (" +
                       withoutFileName(error.what(), output_) + ").";
            return false;
        }
        ++writer.rows;
        ++progress_.done;
        return progress_.done % kRowsPerProgressReport != 0 || tellProgress();
    }

    Status verify(const ConversionPlan& plan, db::Connection& db) {
        progress_ = {Progress::Phase::Verifying, 0, progress_.total};
        for (std::size_t t = 0; t < plan.tables.size(); ++t) {
            const TablePlan& table = plan.tables[t];
            const std::string name = db::quoteIdentifier(table.target);
            db::Statement count(db, "SELECT count(*) FROM " + name);
            count.step();
            if (count.columnInt(0) != writers_[t].rows)
                return Status::failure(fileName_ + " cannot be converted: the converted table " +
                                       table.target + " holds " + std::to_string(count.columnInt(0)) +
                                       " rows where " + std::to_string(writers_[t].rows) + " were read.");
            std::string columns = rowIdName(table);
            for (const ColumnPlan& column : table.columns)
                columns += ", " + db::quoteIdentifier(column.target);
            db::Statement rows(db, "SELECT " + columns + " FROM " + name);
            std::vector<FieldDigest> digests(table.columns.size());
            while (rows.step()) {
                const std::int64_t rowId = rows.columnInt(0);
                for (std::size_t i = 0; i < digests.size(); ++i)
                    digests[i].add(rowId, rows.column(static_cast<int>(i + 1)));
                if (++progress_.done % kRowsPerProgressReport == 0 && !tellProgress())
                    return cancel();
            }
            for (std::size_t i = 0; i < digests.size(); ++i) {
                if (!(digests[i] == writers_[t].digests[i]))
                    return Status::failure(fileName_ + " cannot be converted: the field " +
                                           table.columns[i].target + " of the converted table " +
                                           table.target + " does not hold what the source holds.");
            }
        }
        return tellProgress() ? Status{} : cancel();
    }

    bool tellProgress() {
        if (!options_.progress || options_.progress(progress_))
            return true;
        cancelRequested_ = true;
        return false;
    }

    Status cancel() {
        result_.cancelled = true;
        return Status::failure("The conversion of " + fileName_ + " was cancelled.");
    }

    // A reading that stopped because the user cancelled reports the cancel, whatever else it says.
    Status finishCancelled(ReaderProcess& reader, const Status& status) {
        if (cancelRequested_ || reader.cancelled())
            return cancel();
        return status;
    }

    fs::path source_, output_;
    std::string fileName_;
    const ConvertOptions& options_;
    ConversionResult& result_;
    Progress progress_;
    bool cancelRequested_ = false;
    std::vector<TableWriter> writers_;
    std::vector<Converted> converted_; // the row being written, kept to reuse its storage
    std::string failure_;
};

// The converted file takes the original's name; the original stays, unchanged, under its name with .jet
// added.
Status keepOriginalAndReplace(const fs::path& original, const fs::path& converted) {
    const fs::path kept = keptOriginalName(original);
    const std::string name = original.filename().string();
    auto failure = [&](int error) {
        return Status::failure(name + " cannot be converted: " + std::strerror(error) + ".");
    };
    if (::link(original.c_str(), kept.c_str()) == 0) {
        // Both names lead to the original now; the converted file takes the first in one step.
        if (::rename(converted.c_str(), original.c_str()) != 0) {
            const int error = errno;
            ::unlink(kept.c_str());
            return failure(error);
        }
    } else if (errno == EEXIST) {
        return Status::failure(name + " cannot be converted: " + kept.filename().string() +
                               " already exists.");
    } else {
        // File systems without hard links (FAT and exFAT sticks, some network shares): two renames,
        // the first undone should the second fail.
        std::error_code ec;
        if (fs::exists(kept, ec))
            return Status::failure(name + " cannot be converted: " + kept.filename().string() +
                                   " already exists.");
        if (::rename(original.c_str(), kept.c_str()) != 0)
            return failure(errno);
        if (::rename(converted.c_str(), original.c_str()) != 0) {
            const int error = errno;
            ::rename(kept.c_str(), original.c_str());
            return failure(error);
        }
    }
    db::syncToDisk(original.parent_path().empty() ? fs::path(".") : original.parent_path());
    return {};
}

// The converted file appears under `target` only if no file has that name (never overwritten).
Status publishNew(const fs::path& converted, const fs::path& target) {
    if (::link(converted.c_str(), target.c_str()) == 0) {
        ::unlink(converted.c_str());
        return {};
    }
    const int error = errno;
    std::error_code ec;
    if (error != EEXIST && !fs::exists(target, ec) && ::rename(converted.c_str(), target.c_str()) == 0)
        return {};
    return Status::failure(target.filename().string() + " cannot be written: " +
                           (error == EEXIST ? std::string("it already exists") : std::strerror(error)) + ".");
}

// A conversion in place that was killed between its two last steps left the original under both of
// its names (the kept name linked to it, the rename not made), and the finished file under its
// temporary name, which the next start removes. The kept name is a second name of the very same
// file, so taking it away loses nothing and lets the conversion be made again.
void undoUnfinishedKeep(const fs::path& original) {
    const fs::path kept = keptOriginalName(original);
    const auto keptIdentity = db::identityOf(kept);
    struct stat named {};
    if (keptIdentity && keptIdentity == db::identityOf(original) && ::lstat(kept.c_str(), &named) == 0 &&
        S_ISREG(named.st_mode))
        ::unlink(kept.c_str());
}

ConversionResult convert(const fs::path& source, const fs::path& target, const Planner& planner,
                         const ConvertOptions& options, bool inPlace) {
    ConversionResult result;
    std::error_code ec;
    if (inPlace)
        undoUnfinishedKeep(source);
    const fs::path occupied = inPlace ? keptOriginalName(source) : target;
    if (fs::exists(occupied, ec)) {
        result.status = Status::failure(source.filename().string() + " cannot be converted: " +
                                        occupied.filename().string() + " already exists.");
        return result;
    }
    auto temporary = conversionFile(target);
    if (!temporary) {
        result.status = temporary.status();
        return result;
    }
    Conversion conversion(source, options, result);
    try {
        result.status = conversion.run(planner, *temporary);
    } catch (const std::exception& error) { // no memory left, most likely
        result.status =
            Status::failure(source.filename().string() + " cannot be converted: " + error.what() + ".");
    }
    if (result.status)
        result.status = inPlace ? keepOriginalAndReplace(source, *temporary) : publishNew(*temporary, target);
    if (!result.status) {
        db::removeWithJournals(*temporary);
        result.report.tables.clear();
        return result;
    }
    if (inPlace)
        result.keptOriginal = keptOriginalName(source);
    // Checked whole before it took its name: its first opening need not read it whole again.
    db::rememberAsSound(inPlace ? source : target);
    return result;
}

} // namespace

std::int64_t ConversionReport::rows() const {
    std::int64_t total = 0;
    for (const Table& table : tables)
        total += table.rows;
    return total;
}

FileKind fileKindOf(const fs::path& file) {
    return lowerAscii(file.filename().string()) == lowerAscii(app::kSettingsFileName)
               ? FileKind::Settings
               : FileKind::CheckDatabase;
}

fs::path keptOriginalName(const fs::path& file) {
    return file.string() + ".jet";
}

ConversionResult convertInPlace(const fs::path& file, FileKind kind, const ConvertOptions& options) {
    const Planner planner = kind == FileKind::Settings ? Planner(planSettings) : Planner(planCheckDatabase);
    return convert(file, file, planner, options, true);
}

ConversionResult convertAnyTables(const fs::path& source, const fs::path& target,
                                  const ConvertOptions& options) {
    return convert(source, target, planAnyTables, options, false);
}

} // namespace velmora::jet
