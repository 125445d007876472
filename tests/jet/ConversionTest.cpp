#include "app/Password.h"
#include "app/SettingsStore.h"
#include "db/Connection.h"
#include "db/JetHeader.h"
#include "jet/Converter.h"
#include "jet/JetFile.h"
#include "jet/VelmoraMapping.h"
#include "support/Fixtures.h"
#include "support/JetSamples.h"

#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using jet::JetType;

// One field of mdb-export's comma-separated output; an unquoted empty field is a Null.
struct Cell {
    bool quoted = false;
    std::string text;
    bool null() const { return !quoted && text.empty(); }
};

std::vector<std::vector<Cell>> parseCsv(const std::string& csv) {
    std::vector<std::vector<Cell>> rows(1, std::vector<Cell>(1));
    bool inQuotes = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        Cell& cell = rows.back().back();
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
                cell.text += csv[++i];
            else if (c == '"')
                inQuotes = false;
            else
                cell.text += c;
        } else if (c == '"') {
            inQuotes = cell.quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back(1);
        } else {
            cell.text += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].null())
        rows.pop_back();
    return rows;
}

std::string mdbExport(const fs::path& file, const std::string& table) {
    QProcess process;
    const QString format = "%Y-%m-%d %H:%M:%S";
    process.start("mdb-export", {"-D", format, "-T", format, "-b", "strip",
                                 QString::fromStdString(file.string()), QString::fromStdString(table)});
    process.waitForFinished(60000);
    return process.readAllStandardOutput().toStdString();
}

// Currency text as mdb-export writes it ("12.7500") in ten-thousandths.
std::int64_t tenThousandths(const std::string& text) {
    const auto point = text.find('.');
    std::string digits = text.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    fraction.resize(4, '0');
    const bool negative = !digits.empty() && digits[0] == '-';
    const std::int64_t whole = std::stoll(digits);
    const std::int64_t part = std::stoll(fraction);
    return whole * 10000 + (negative ? -part : part);
}

class ConversionTest : public ::testing::Test {
protected:
    jet::ConvertOptions options(fs::path reader = testing::readerProgram()) const {
        jet::ConvertOptions result;
        result.readerProgram = std::move(reader);
        result.stallTimeout = 10s;
        return result;
    }

    testing::TempDir dir;     // the files converted
    testing::TempDir scripts; // stand-in readers, kept out of `dir`
};

// What comparing a converted file with mdb-export found.
struct Compared {
    std::size_t values = 0;
    std::size_t nulls = 0;
};

// Every value of every converted table against mdb-export's reading of the Jet file, row by row.
Compared compareWithMdbExport(const fs::path& jetPath, const fs::path& convertedPath,
                              const jet::ConversionReport& report) {
    Compared compared;
    auto jetFile = jet::JetFile::open(jetPath);
    EXPECT_TRUE(jetFile) << jetFile.message();
    if (!jetFile)
        return compared;
    db::Connection converted(convertedPath, db::OpenMode::ReadOnly);
    for (const auto& [tableName, rowCount] : report.tables) {
        SCOPED_TRACE(tableName);
        const jet::JetTable& source = jetFile->schema().tables[*jetFile->schema().findTable(tableName)];
        const auto exported = parseCsv(mdbExport(jetPath, tableName));
        EXPECT_FALSE(exported.empty());
        if (exported.empty())
            continue;
        EXPECT_EQ(static_cast<std::int64_t>(exported.size() - 1), rowCount);
        db::Statement rows(converted, "SELECT * FROM " + db::quoteIdentifier(tableName) + " ORDER BY rowid");
        for (std::size_t r = 1; r < exported.size(); ++r) {
            if (!rows.step()) {
                ADD_FAILURE() << "the converted table ends before row " << r;
                return compared;
            }
            EXPECT_EQ(exported[r].size(), exported[0].size()) << "row " << r;
            for (int c = 0; c < rows.columnCount(); ++c) {
                const std::string name = rows.columnName(c);
                SCOPED_TRACE(name + ", row " + std::to_string(r));
                std::size_t e = 0;
                while (e < exported[0].size() && exported[0][e].text != name)
                    ++e;
                if (e >= exported[0].size() || e >= exported[r].size()) {
                    ADD_FAILURE() << "mdb-export has no value of this column";
                    continue;
                }
                const Cell& cell = exported[r][e];
                const db::Value value = rows.column(c);
                ++compared.values;
                if (cell.null()) {
                    // mdb-export writes an empty text as it writes a Null.
                    EXPECT_TRUE(value.isNull() || value == db::Value(""));
                    compared.nulls += value.isNull();
                    continue;
                }
                switch (source.columns[*source.findColumn(name)].type) {
                case JetType::Currency:
                    EXPECT_EQ(value.integer().value_or(-1) * 100, tenThousandths(cell.text));
                    break;
                case JetType::Single:
                case JetType::Double:
                    EXPECT_TRUE(value.isReal());
                    if (value.isReal()) {
                        EXPECT_NEAR(*std::get_if<double>(&value.data()), std::stod(cell.text), 1e-6);
                    }
                    break;
                case JetType::YesNo:
                case JetType::Byte:
                case JetType::Integer:
                case JetType::Long:
                    EXPECT_EQ(value, db::Value(static_cast<std::int64_t>(std::stoll(cell.text))));
                    break;
                default: // text, memo, and dates as text
                    EXPECT_EQ(value, db::Value(cell.text));
                }
            }
        }
        EXPECT_FALSE(rows.step());
    }
    return compared;
}

TEST_F(ConversionTest, EveryTableOfNwindArrivesValueByValueAsMdbExportReadsIt) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    if (QStandardPaths::findExecutable("mdb-export").isEmpty())
        GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
    const std::string before = testing::checksum(*nwind);
    const auto result = jet::convertAnyTables(*nwind, dir / "nwind.sqlite", options());
    ASSERT_TRUE(result.ok()) << result.status.message();
    EXPECT_EQ(testing::checksum(*nwind), before);
    EXPECT_EQ(result.report.tables.size(), 9u);
    EXPECT_EQ(result.report.leftOut,
              (std::vector<std::string>{
                  "column Picture of table Categories (OLE Object): binary data is not converted",
                  "column Photo of table Employees (OLE Object): binary data is not converted"}));
    EXPECT_TRUE(result.report.notices.empty()) << "no amount in nwind has fractions of a cent";
    const Compared compared = compareWithMdbExport(*nwind, dir / "nwind.sqlite", result.report);
    EXPECT_GT(compared.values, 30000u);
    EXPECT_GT(compared.nulls, 500u) << "the Nulls of nwind arrive as Nulls";
}

TEST_F(ConversionTest, AnAccess2007FileIsCheckedAndConvertedAsAJetFileIs) {
    VELMORA_REQUIRE_JET_SAMPLE(sample, "ASampleDatabase.accdb");
    if (QStandardPaths::findExecutable("mdb-export").isEmpty())
        GTEST_SKIP() << "mdb-export (Debian package mdbtools) is not installed";
    const auto header = db::inspectJetFile(*sample);
    ASSERT_TRUE(header) << header.message();
    EXPECT_EQ(header->version, 12);
    EXPECT_EQ(header->pageSize, 4096u);

    const std::string before = testing::checksum(*sample);
    const auto result = jet::convertAnyTables(*sample, dir / "sample.sqlite", options());
    ASSERT_TRUE(result.ok()) << result.status.message();
    EXPECT_EQ(testing::checksum(*sample), before);
    ASSERT_FALSE(result.report.tables.empty());
    const Compared compared = compareWithMdbExport(*sample, dir / "sample.sqlite", result.report);
    EXPECT_GT(compared.values, 50u);

    // Cut short, it is refused before any reader sees it, as a Jet file is.
    testing::copyWritable(*sample, dir / "cut.accdb");
    testing::truncateFile(dir / "cut.accdb", 4096 * 2 + 100);
    const auto cut = db::inspectJetFile(dir / "cut.accdb");
    EXPECT_FALSE(cut);
    EXPECT_NE(cut.message().find("truncated"), std::string::npos) << cut.message();
}

TEST_F(ConversionTest, ACheckDatabaseIsConvertedInPlaceWithTheOriginalKeptUnchanged) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = dir / "PAYROLL.mdb";
    testing::copyWritable(*nwind, file); // a true Jet header; the stand-in reader supplies the rows
    const std::string original = testing::checksum(file);

    jet::JetSchema schema = testing::jetCheckDatabaseSchema();
    schema.tables[0].columns.push_back({"LPrint", JetType::YesNo, 1});
    const testing::JetRows rows{
        {"ACCOUNT",
         {{{"ID", std::int64_t{1}},
           {"BusinessName", ""},
           {"PayTo", "Acme"},
           {"Amount", std::int64_t{0}},
           {"check", std::int64_t{1000}},
           {"labelprint", std::int64_t{0}},
           {"LPrint", std::int64_t{1}}},
          {{"ID", std::int64_t{7}},
           {"PayTo", "Globex"},
           {"Amount", std::int64_t{123456}},
           {"Date", "3/4/1998"},
           {"Comments", "3/4/1998 printed\r\n"},
           {"labelprint", std::int64_t{1}},
           {"Fax", "555-0101"}},
          {{"ID", std::int64_t{12}},
           {"PayTo", "Initech"},
           {"Amount", std::int64_t{-250000}},
           {"Print", "Monthly"}}}},
        {"Properties",
         {{{"AccountType", "Check"}, {"Description", "Payroll"}, {"LastCheck", std::int64_t{1001}}}}}};
    auto plan = jet::planCheckDatabase(schema, file.filename().string());
    ASSERT_TRUE(plan) << plan.message();
    const auto reader = testing::fakeReader(scripts.path(), testing::readerOutput(schema, *plan, rows));

    std::vector<jet::Progress> progress;
    auto convertOptions = options(reader);
    convertOptions.progress = [&](const jet::Progress& step) { return progress.push_back(step), true; };
    const auto result = jet::convertInPlace(file, jet::FileKind::CheckDatabase, convertOptions);
    ASSERT_TRUE(result.ok()) << result.status.message();

    EXPECT_EQ(testing::folderListing(dir.path()), (std::set<std::string>{"PAYROLL.mdb", "PAYROLL.mdb.jet"}));
    EXPECT_EQ(result.keptOriginal, dir / "PAYROLL.mdb.jet");
    EXPECT_EQ(testing::checksum(result.keptOriginal), original);
    EXPECT_TRUE(db::isSqliteFile(file));
    ASSERT_EQ(result.report.tables.size(), 2u);
    EXPECT_EQ(result.report.rows(), 4);
    EXPECT_EQ(
        result.report.notices,
        std::vector<std::string>{
            "Table ACCOUNT, ID 7: the field Amount has fractions of a cent: 12.3456 is stored as 12.35."});
    EXPECT_EQ(result.report.leftOut.size(), 2u) << "Fax and the table Log";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().phase, jet::Progress::Phase::Verifying);
    EXPECT_EQ(progress.back().done, 4);
    EXPECT_EQ(progress.back().total, 4);

    auto database = db::CheckDatabase::open(file);
    ASSERT_TRUE(database) << database.message();
    const db::CheckRecord templateCheck = testing::readCheck(*database, 1);
    EXPECT_EQ(templateCheck.businessName, std::optional<std::string>("")) << "an empty text stays empty";
    EXPECT_EQ(templateCheck.firstName, std::nullopt) << "a Null stays Null";
    EXPECT_EQ(templateCheck.amount, db::Money::fromCents(0));
    EXPECT_EQ(templateCheck.check, 1000);
    const db::CheckRecord globex = testing::readCheck(*database, 7);
    EXPECT_EQ(globex.amount, db::Money::fromCents(1235));
    EXPECT_EQ(globex.date, std::optional<std::string>("3/4/1998"));
    EXPECT_EQ(globex.comments, std::optional<std::string>("3/4/1998 printed\r\n"));
    EXPECT_TRUE(globex.labelPrint);
    EXPECT_EQ(testing::readCheck(*database, 12).amount, db::Money::fromCents(-2500));
    const db::DatabaseProperties properties = database->readProperties().value();
    EXPECT_EQ(properties.type(), db::DatabaseType::Check);
    EXPECT_EQ(properties.lastCheck, 1001);
    db::RecordSet records(database->connection(), db::schema::account());
    ASSERT_TRUE(records.hasField(db::field::kLabelPrintLegacy));
    EXPECT_EQ(records.field(db::field::kLabelPrintLegacy), db::Value(std::int64_t{1}));
    // A new check continues after the highest ID the Jet file had.
    EXPECT_EQ(testing::addCheck(*database, {{db::field::kPayTo, "Hooli"}}), 13);
}

TEST_F(ConversionTest, TheSettingsFileKeepsItsValuesAndItsPasswordIsStoredHashed) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    testing::copyWritable(*nwind, dir / "PC.OVL");
    const jet::JetSchema schema = testing::jetSettingsSchema();
    auto plan = jet::planSettings(schema, "PC.OVL");
    ASSERT_TRUE(plan) << plan.message();
    testing::JetRows rows{{"Properties",
                           {{{"1", ""},
                             {"5", std::int64_t{525}},
                             {"AlignStart", std::int64_t{-200}},
                             {"6", std::int64_t{1}},
                             {"QuickenCheckStock", std::int64_t{0}},
                             {"Print2Checks", std::int64_t{1}},
                             {"PlainPaper", std::int64_t{0}},
                             {"HelpAboutLine1", "Licensed to Ace Payroll"}}}},
                          {"A", {{{"ENTER", "Tulip"}}}},
                          {"BusinessType",
                           {{{"ID", std::int64_t{1}}, {"BusinessType", "Checks"}},
                            {{"ID", std::int64_t{4}}, {"BusinessType", "Rent"}}}}};
    auto result = jet::convertInPlace(
        dir / "PC.OVL", jet::fileKindOf(dir / "pc.ovl"),
        options(testing::fakeReader(scripts.path(), testing::readerOutput(schema, *plan, rows))));
    ASSERT_TRUE(result.ok()) << result.status.message();

    auto store = app::SettingsStore::open(dir.path());
    ASSERT_TRUE(store) << store.message();
    const db::SettingsRecord settings = store->read().value();
    EXPECT_EQ(settings.tranCode, std::optional<std::string>(""));
    EXPECT_EQ(settings.horizontalStart, 525);
    EXPECT_EQ(settings.verticalStart, -200);
    EXPECT_TRUE(settings.backupOnExit);
    EXPECT_EQ(settings.quickenCheckStock, false);
    EXPECT_EQ(settings.print2Checks, true);
    EXPECT_EQ(settings.aboutLines()[0], "Licensed to Ace Payroll");
    EXPECT_EQ(settings.aboutLines()[1], "") << "a Null line shows empty";
    db::Statement password(store->connection(), "SELECT ENTER FROM A");
    ASSERT_TRUE(password.step());
    EXPECT_TRUE(password.columnText(0).starts_with("$argon2id$")) << "no plain text left";
    EXPECT_EQ(*app::checkPassword(store->connection(), "TULIP"), app::PasswordCheck::Matches);
    EXPECT_EQ(*app::checkPassword(store->connection(), "rose"), app::PasswordCheck::Wrong);
    db::Statement types(store->connection(), "SELECT ID, BusinessType FROM BusinessType ORDER BY ID");
    ASSERT_TRUE(types.step());
    EXPECT_EQ(types.columnInt(0), 1);
    ASSERT_TRUE(types.step());
    EXPECT_EQ(types.columnInt(0), 4);
    EXPECT_EQ(types.columnText(1), "Rent");

    // The same file with an offset a 16-bit field cannot hold is refused whole.
    testing::TempDir again;
    testing::copyWritable(*nwind, again / "PC.OVL");
    rows["Properties"][0]["AlignStart"] = std::int64_t{70000};
    result = jet::convertInPlace(
        again / "PC.OVL", jet::FileKind::Settings,
        options(testing::fakeReader(scripts.path(), testing::readerOutput(schema, *plan, rows))));
    EXPECT_EQ(result.status.message(),
              "PC.OVL cannot be converted: in row 1 of its table Properties, the field AlignStart cannot be "
              "kept: it "
              "holds 70000, outside the range of a 16-bit number (-32768 to 32767).");
    EXPECT_EQ(testing::folderListing(again.path()), std::set<std::string>{"PC.OVL"});
    EXPECT_EQ(testing::checksum(again / "PC.OVL"), testing::checksum(*nwind));
}

struct Damage {
    const char* what;
    std::function<void(const fs::path&)> apply;
    const char* message; // the failure, after the file's name
    bool inPlace = true; // whether a conversion in place meets it too
};

// The data page holding the most rows (a page of Order Details): the place of its row count.
std::uintmax_t fullestDataPage(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> page(2048);
    std::uintmax_t best = 0;
    int bestRows = 0;
    for (std::uintmax_t number = 0; in.read(page.data(), static_cast<std::streamsize>(page.size()));
         ++number) {
        const int rows = static_cast<unsigned char>(page[8]) | static_cast<unsigned char>(page[9]) << 8;
        if (page[0] == 1 && page[1] == 1 && rows > bestRows && rows < 200) {
            best = number;
            bestRows = rows;
        }
    }
    return best * 2048;
}

TEST_F(ConversionTest, ADamagedFileGivesAMessageNamingItWritesNothingAndStaysAsItWas) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const std::uintmax_t size = fs::file_size(*nwind);
    const std::vector<Damage> damages{
        {"cut inside a page", [&](const fs::path& f) { testing::truncateFile(f, size - 1000); },
         " is truncated or damaged: it ends in the middle of a page."},
        {"cut at a page boundary", [&](const fs::path& f) { testing::truncateFile(f, 2048 * 700); },
         " is truncated: it refers to pages beyond its end."},
        {"cut before its tables", [](const fs::path& f) { testing::truncateFile(f, 2048 * 2); },
         " is truncated: it is too short to hold any table."},
        {"signature flipped", [](const fs::path& f) { testing::invertBytes(f, 4, 8); },
         " is not an Access (Jet) database."},
        {"version flipped", [](const fs::path& f) { testing::invertBytes(f, 0x14, 1); },
         " is an Access database of a version that cannot be converted (version code 255); only Access 97 to "
         "2019 "
         "files can be."},
        {"database key flipped", [](const fs::path& f) { testing::invertBytes(f, 0x3e, 2); },
         " is encrypted; remove the encryption in Access, then convert it again."},
        {"catalog page flipped", [](const fs::path& f) { testing::invertBytes(f, 2 * 2048, 2); },
         " is damaged: its list of tables is not where an Access database keeps it."},
        {"row table of a data page flipped",
         [](const fs::path& f) { testing::invertBytes(f, fullestDataPage(f) + 10, 40); },
         " is damaged: its table Order Details declares 2155 rows, but ", false},
        {"data page header flipped",
         [](const fs::path& f) { testing::invertBytes(f, fullestDataPage(f), 10); },
         " is damaged: its table Order Details declares 2155 rows, but ", false},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        testing::TempDir folder;
        const fs::path file = folder / "nwind.mdb";
        testing::copyWritable(*nwind, file);
        damage.apply(file);
        const std::string before = testing::checksum(file);

        const auto copy = jet::convertAnyTables(file, folder / "nwind.sqlite", options());
        ASSERT_FALSE(copy.ok());
        EXPECT_EQ(copy.status.message().substr(0, std::string(damage.message).size() + 9),
                  "nwind.mdb" + std::string(damage.message));
        // In place, damage found before the tables are read is told as such; nwind holds no check
        // database, which is all that damage to its rows can make the conversion in place say.
        const auto inPlace = jet::convertInPlace(file, jet::FileKind::CheckDatabase, options());
        EXPECT_EQ(inPlace.status.message(),
                  damage.inPlace ? "nwind.mdb" + std::string(damage.message)
                                 : "nwind.mdb is not a check database: it has no table Account.");

        EXPECT_EQ(testing::folderListing(folder.path()), std::set<std::string>{"nwind.mdb"});
        EXPECT_EQ(testing::checksum(file), before);
    }
}

TEST_F(ConversionTest, AReaderThatCrashesHangsOrRunsOnIsEndedAndNamed) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = dir / "nwind.mdb";
    testing::copyWritable(*nwind, file);
    auto attempt = [&](jet::ConvertOptions convertOptions) {
        const auto result = jet::convertAnyTables(file, dir / "out.sqlite", convertOptions);
        EXPECT_EQ(testing::folderListing(dir.path()), std::set<std::string>{"nwind.mdb"});
        return result;
    };

    EXPECT_EQ(attempt(options(testing::scriptReader(scripts.path(), "kill -SEGV $$"))).status.message(),
              "nwind.mdb is damaged: reading it made the Jet reader fail (Segmentation fault).");
    // Killed from outside, the reader says nothing of the file.
    EXPECT_EQ(attempt(options(testing::scriptReader(scripts.path(), "kill -KILL $$"))).status.message(),
              "nwind.mdb could not be read: the Jet reader was stopped from outside (Killed) before it had "
              "finished. The file is not known to be damaged: convert it again.");

    auto hanging = options(testing::scriptReader(scripts.path(), "exec sleep 60"));
    hanging.stallTimeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(attempt(hanging).status.message(),
              "nwind.mdb is damaged: reading it made no progress for 300 milliseconds.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    // A page chain that loops makes the library hand out the same rows for ever.
    const jet::JetSchema schema{3, {{"Loop", 2, {{"N", JetType::Long, 4}}}}};
    jet::protocol::Encoder endless;
    endless.magic();
    endless.schema(schema);
    endless.tableStart(0);
    for (int i = 0; i < 1000; ++i)
        endless.row({std::int64_t{i}});
    EXPECT_EQ(attempt(options(testing::fakeReader(scripts.path(), endless.take()))).status.message(),
              "nwind.mdb is damaged: its table Loop yields more rows than the 2 it declares.");

    EXPECT_EQ(attempt(options(scripts / "no-such-reader")).status.message(),
              "nwind.mdb cannot be converted: the Jet reader " + (scripts / "no-such-reader").string() +
                  " cannot be started (No such file or directory).");
}

TEST_F(ConversionTest, CancellingLeavesNothingBehindWhetherRowsFlowOrTheReaderIsSilent) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = dir / "nwind.mdb";
    testing::copyWritable(*nwind, file);

    auto flowing = options();
    flowing.progress = [](const jet::Progress& step) { return step.done < 1000; };
    auto result = jet::convertAnyTables(file, dir / "out.sqlite", flowing);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.status.message(), "The conversion of nwind.mdb was cancelled.");

    auto silent = options(testing::scriptReader(scripts.path(), "exec sleep 60"));
    int asked = 0;
    silent.progress = [&](const jet::Progress&) { return ++asked < 3; };
    const auto start = std::chrono::steady_clock::now();
    result = jet::convertInPlace(file, jet::FileKind::CheckDatabase, silent);
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    EXPECT_EQ(testing::folderListing(dir.path()), std::set<std::string>{"nwind.mdb"});
}

TEST_F(ConversionTest, AFileSizeLimitFailsTheConversionAndLeavesNothingBehind) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = dir / "nwind.mdb";
    testing::copyWritable(*nwind, file);
    // As the program runs under ulimit -f: the signal ignored (as main() does), the write fails.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = jet::convertAnyTables(file, dir / "out.sqlite", options());
        const std::string& why = result.status.message();
        _exit(result.ok()                                                             ? 1
              : why.find("the converted file cannot be written") != std::string::npos ? 0
                                                                                      : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(testing::folderListing(dir.path()), std::set<std::string>{"nwind.mdb"});
}

// Runs `operation` in a child process that the kernel kills the moment it asks to rename a file: in
// a conversion in place, between keeping the original under its second name and giving the converted
// file the first. False where the filter cannot be installed.
bool killedAtTheFirstRename(const std::function<void()>& operation) {
#if defined(__x86_64__)
    const pid_t child = ::fork();
    if (child == 0) {
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rename, 3, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat, 2, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat2, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        };
        sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program) != 0)
            _exit(2);
        operation();
        _exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS;
#else
    (void)operation;
    return false;
#endif
}

TEST_F(ConversionTest, AConversionKilledBeforeItsRenameIsMadeAgainAtTheNextTry) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = dir / "PAYROLL.mdb";
    testing::copyWritable(*nwind, file);
    const std::string original = testing::checksum(file);
    const jet::JetSchema schema = testing::jetCheckDatabaseSchema();
    auto plan = jet::planCheckDatabase(schema, file.filename().string());
    ASSERT_TRUE(plan) << plan.message();
    const testing::JetRows rows{{"ACCOUNT", {{{"ID", std::int64_t{1}}, {"PayTo", "Acme"}}}},
                                {"Properties", {{{"AccountType", "Draft"}, {"Description", "Payroll"}}}}};
    const auto convertOptions =
        options(testing::fakeReader(scripts.path(), testing::readerOutput(schema, *plan, rows)));

    if (!killedAtTheFirstRename(
            [&] { (void)jet::convertInPlace(file, jet::FileKind::CheckDatabase, convertOptions); }))
        GTEST_SKIP() << "a process cannot be stopped at a rename here (seccomp)";
    // The original under both names, the finished file under its temporary name.
    const auto left = testing::folderListing(dir.path());
    EXPECT_EQ(left.size(), 3u);
    EXPECT_TRUE(left.count("PAYROLL.mdb.jet"));
    EXPECT_EQ(testing::checksum(file), original);

    const auto result = jet::convertInPlace(file, jet::FileKind::CheckDatabase, convertOptions);
    ASSERT_TRUE(result.ok()) << result.status.message();
    EXPECT_TRUE(db::isSqliteFile(file));
    EXPECT_EQ(testing::checksum(dir / "PAYROLL.mdb.jet"), original);
    auto database = db::CheckDatabase::open(file);
    ASSERT_TRUE(database) << database.message();
    EXPECT_EQ(testing::readCheck(*database, 1).payTo, "Acme");
}

TEST_F(ConversionTest, AKeptOriginalOrAnExistingTargetIsNeverReplaced) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    testing::copyWritable(*nwind, dir / "PAYROLL.mdb");
    std::ofstream(dir / "PAYROLL.mdb.jet") << "an earlier original";
    std::ofstream(dir / "copy.sqlite") << "someone's file";
    EXPECT_EQ(
        jet::convertInPlace(dir / "PAYROLL.mdb", jet::FileKind::CheckDatabase, options()).status.message(),
        "PAYROLL.mdb cannot be converted: PAYROLL.mdb.jet already exists.");
    EXPECT_EQ(jet::convertAnyTables(dir / "PAYROLL.mdb", dir / "copy.sqlite", options()).status.message(),
              "PAYROLL.mdb cannot be converted: copy.sqlite already exists.");
    EXPECT_EQ(testing::folderListing(dir.path()),
              (std::set<std::string>{"PAYROLL.mdb", "PAYROLL.mdb.jet", "copy.sqlite"}));
    EXPECT_EQ(testing::checksum(dir / "PAYROLL.mdb"), testing::checksum(*nwind));
}

} // namespace
} // namespace velmora
