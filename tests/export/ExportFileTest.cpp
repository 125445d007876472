#include "export/ExportFile.h"

#include "db/DamagedFile.h"
#include "support/Fixtures.h"
#include "support/Stores.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace velmora::exporting {
namespace {

namespace fs = std::filesystem;
using db::Money;
using testing::addCheck;
using testing::setCheckFields;

// The template check as a freshly made database holds it: every exported field Null.
void clearTemplate(db::CheckDatabase& database) {
    setCheckFields(database, 1,
                   {{"BusinessName", nullptr},
                    {"FirstName", nullptr},
                    {"LastName", nullptr},
                    {"Address", nullptr},
                    {"City", nullptr},
                    {"State", nullptr},
                    {"Zip", nullptr},
                    {"Phone", nullptr},
                    {"PayTo", nullptr},
                    {"Check", nullptr},
                    {"Amount", nullptr},
                    {"Bank", nullptr},
                    {"BankCity", nullptr},
                    {"BankState", nullptr},
                    {"ABA", nullptr},
                    {"Account", nullptr},
                    {"For", nullptr},
                    {"BusinessType", nullptr}});
}

class ExportFileTest : public ::testing::Test {
protected:
    ExportFileTest()
        : database(program.createDatabase("Drafts", db::DatabaseType::Draft)) {
        clearTemplate(database);
    }

    ExportResult exportAs(const ExportFormat& format) { return exportTo(format, target); }
    ExportResult exportTo(const ExportFormat& format, const fs::path& file) {
        return writeExport(DatabaseLocation::inFile(database.path()), format, file, program.dir());
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    fs::path target = exportFilePath(program.dir());
};

// The same bytes from a file and from the office's server.
class ExportFromEitherStoreTest : public ::testing::TestWithParam<testing::Store> {};
INSTANTIATE_TEST_SUITE_P(Stores, ExportFromEitherStoreTest, ::testing::ValuesIn(testing::kBothStores),
                         testing::storeName);

TEST_P(ExportFromEitherStoreTest, EachRecordIsOneLineOfItsFieldsInOrder) {
    testing::StoreFixture store(GetParam());
    VELMORA_SKIP_WITHOUT(store);
    testing::ProgramDirFixture program;
    db::CheckDatabase database = store.createDatabase("Drafts", db::DatabaseType::Draft);
    clearTemplate(database);
    const fs::path target = exportFilePath(program.dir());
    const auto exportAs = [&](const ExportFormat& format) {
        return writeExport(store.location("Drafts"), format, target, program.dir());
    };
    const std::string never18 = R"("","","","","","","","","","","","","","","","","","")"
                                "\r\n";
    ASSERT_EQ(exportAs(CheckInformationExport()).records, 1);
    EXPECT_EQ(testing::fileContents(target), never18); // only the template, never filled

    addCheck(database, {{"BusinessName", "Smith, Jones & Co"},
                        {"FirstName", "Ann \"Nan\""},
                        {"LastName", "Müller"},
                        {"Address", "1 Main St"},
                        {"City", "Springfield"},
                        {"State", "IL"},
                        {"Zip", "62701"},
                        {"Phone", "555-0100"},
                        {"PayTo", "Velmora"},
                        {"Check", 1001},
                        {"Amount", Money::fromCents(10000)},
                        {"Date", "3/7/2024"},
                        {"Bank", "First Bank"},
                        {"BankCity", "Springfield"},
                        {"BankState", "IL"},
                        {"ABA", "123000220"},
                        {"Account", "4471D0921"},
                        {"For", "Monthly supplies"},
                        {"Comments", "not exported"},
                        {"Print", "Once"},
                        {"BusinessType", "Drafts"}});
    addCheck(database, {{"Check", 25}, {"Amount", Money::fromCents(1250)}, {"LastName", ""}});
    addCheck(database, {{"Amount", Money::fromCents(-7)}});

    ASSERT_EQ(exportAs(CheckInformationExport()).records, 4);
    EXPECT_EQ(testing::fileContents(target),
              never18 +
                  R"("Smith, Jones & Co","Ann ""Nan""","Müller","1 Main St","Springfield","IL","62701",)"
                  R"("555-0100","Velmora",1001,100,"First Bank","Springfield","IL","123000220",)"
                  R"("4471D0921","Monthly supplies","Drafts")"
                  "\r\n"
                  R"("","","","","","","","","",25,12.5,"","","","","","","")"
                  "\r\n"
                  R"("","","","","","","","","","",-0.07,"","","","","","","")"
                  "\r\n");

    // A second export, of the other kind, replaces the first entirely.
    ASSERT_EQ(exportAs(CustomerInformationExport()).records, 4);
    EXPECT_EQ(
        testing::fileContents(target),
        "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
        R"("Smith, Jones & Co","Ann ""Nan""","Müller","1 Main St","Springfield","IL","62701","555-0100")"
        "\r\n"
        "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
        "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
}

TEST_F(ExportFileTest, TheMessagesNameTheColumnsOfTheirExport) {
    EXPECT_EQ(
        CheckInformationExport().completionMessage(),
        "Data has been exported to the file EXPORT.TXT in comma delimited format. It is located in the "
        "Velmora Program directory. Data will appear in the following format:  BusinessName, FirstName, "
        "LastName, Address, City, State, Zip, Phone, PayTo, Check, Amount, Bank, BankCity, BankState, "
        "BankRouting, BankAccount, Memo, BusinessType ");
    EXPECT_EQ(CustomerInformationExport().completionMessage(),
              "Data has been exported to the file EXPORT.TXT in comma delimited format. It is located in the "
              "Velmora Program directory.  Data will appear in the following format:  BusinessName, "
              "FirstName, LastName, Address, City, State, Zip, Phone ");
    EXPECT_EQ(CheckInformationExport().fields().size(), 18u);
    EXPECT_EQ(CustomerInformationExport().fields().back(), "Phone");
}

TEST_F(ExportFileTest, AFailedExportLeavesTheEarlierFileAndNamesTheFile) {
    ASSERT_TRUE(exportAs(CheckInformationExport()).ok());
    const std::string earlier = testing::fileContents(target);
    const auto files = testing::filesIn(program.dir());
    addCheck(database, {{"PayTo", "Ann"}});

    // A database that cannot be read: nothing replaces the earlier file.
    const ExportResult missing = writeExport(DatabaseLocation::inFile(program.dir() / "Missing.mdb"),
                                             CheckInformationExport(), target, program.dir());
    EXPECT_EQ(missing.failure, ExportResult::Failure::Database);
    EXPECT_NE(missing.message.find(target.string()), std::string::npos) << missing.message;
    EXPECT_EQ(testing::fileContents(target), earlier);

    // A file made read-only is kept.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::remove);
    const ExportResult readOnly = exportAs(CheckInformationExport());
    EXPECT_EQ(readOnly.failure, ExportResult::Failure::Output);
    EXPECT_NE(readOnly.message.find("read-only"), std::string::npos) << readOnly.message;
    EXPECT_EQ(testing::fileContents(target), earlier);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);

    const ExportResult noFolder = exportTo(CheckInformationExport(), program.dir() / "gone" / "EXPORT.TXT");
    ASSERT_FALSE(noFolder.ok());
    EXPECT_NE(noFolder.message.find("gone"), std::string::npos) << noFolder.message;
    EXPECT_EQ(testing::filesIn(program.dir()), files); // no temporary file left behind
}

TEST_F(ExportFileTest, ADatabaseDamagedHalfWayIsTheDatabasesFailureAndKeepsTheEarlierFile) {
    {
        db::Transaction many(database.connection());
        for (int i = 0; i < 400; ++i)
            addCheck(database, {{"PayTo", "Payee " + std::to_string(i) + std::string(100, '.')}});
        many.commit();
    }
    ASSERT_TRUE(exportAs(CustomerInformationExport()).ok());
    const std::string earlier = testing::fileContents(target);
    testing::spoilMiddleLeafOnDisk(database.path(), "Account");

    const ExportResult damaged = exportAs(CheckInformationExport());
    EXPECT_EQ(damaged.failure, ExportResult::Failure::Database) << damaged.message;
    EXPECT_NE(damaged.message.find("Drafts.mdb is damaged"), std::string::npos) << damaged.message;
    EXPECT_EQ(testing::fileContents(target), earlier);
    EXPECT_EQ(testing::filesIn(program.dir()),
              (std::vector<std::string>{"Drafts.mdb", "EXPORT.TXT", "PC.OVL", "template.ref"}));
}

TEST_F(ExportFileTest, NeverWritesAProgramFileOrThroughALink) {
    const fs::path dir = program.dir();
    testing::TempDir elsewhere;
    // Files that are the program's by name, by identity (another name of them) or by content.
    fs::copy_file(database.path(), elsewhere / "accounts.csv");
    fs::copy_file(dir / "PC.OVL", elsewhere / "settings.txt");
    std::ofstream(dir / "Drafts.mdb.jet") << "the Access original, kept";
    std::ofstream(elsewhere / "access.txt")
        << std::string("\x00\x01\x00\x00Standard Jet DB\x00 and more", 29);
    fs::create_hard_link(dir / "PC.OVL", dir / "settings-copy.txt");
    // A link (the writer refuses every kind of link and what is no regular file; see OutputFileTest).
    fs::create_symlink(database.path(), dir / "link.txt");
    std::ofstream(elsewhere / "notes.txt") << "a document";
    fs::create_symlink(elsewhere / "notes.txt", target); // EXPORT.TXT itself planted as a link
    std::map<fs::path, std::string> before;
    for (const fs::path& file :
         {database.path(), dir / "PC.OVL", dir / "Drafts.mdb.jet", elsewhere / "accounts.csv",
          elsewhere / "notes.txt", elsewhere / "access.txt"})
        before[file] = testing::fileContents(file);

    for (const fs::path& file :
         {database.path(), dir / "PC.OVL", dir / "template.ref", dir / "Drafts.bak", dir / "Other.MDB",
          dir / "Drafts.mdb.jet", elsewhere / "accounts.csv", elsewhere / "settings.txt",
          elsewhere / "access.txt", dir / "settings-copy.txt", dir / "link.txt", target, dir,
          fs::path("/dev/full")}) {
        EXPECT_FALSE(checkExportTarget(file, dir, DatabaseLocation::inFile(database.path()))) << file;
        const ExportResult refused = exportTo(CheckInformationExport(), file);
        EXPECT_EQ(refused.failure, ExportResult::Failure::Output) << file;
        EXPECT_NE(refused.message.find(file.string()), std::string::npos) << refused.message;
    }
    for (const auto& [file, bytes] : before)
        EXPECT_EQ(testing::fileContents(file), bytes) << file;
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_NE(exportTo(CheckInformationExport(), dir / "link.txt").message.find("symbolic link"),
              std::string::npos);
    EXPECT_NE(exportTo(CheckInformationExport(), elsewhere / "accounts.csv").message.find("by its content"),
              std::string::npos);

    // A foreign SQLite file or a document elsewhere is the user's to replace.
    fs::remove(target);
    EXPECT_TRUE(checkExportTarget(target, dir, DatabaseLocation::inFile(database.path())));
    db::Connection(elsewhere / "inventory.db", db::OpenMode::Create).exec("CREATE TABLE Items (name TEXT)");
    EXPECT_TRUE(exportTo(CustomerInformationExport(), elsewhere / "inventory.db").ok());
    EXPECT_TRUE(exportTo(CustomerInformationExport(), elsewhere / "notes.txt").ok());
}

TEST_F(ExportFileTest, AHugeValueIsCutAndItsLineNamed) {
    const std::string huge = "Ü" + std::string(kMaxExportedValueBytes, 'x') + "tail";
    addCheck(database, {{"PayTo", "Ann"}});
    addCheck(database, {{"Address", huge}, {"For", huge}});
    const ExportResult written = exportAs(CheckInformationExport());
    ASSERT_TRUE(written.ok()) << written.message;
    EXPECT_EQ(written.records, 3);
    EXPECT_NE(written.notice.find("2 values were longer than 65536 bytes"), std::string::npos)
        << written.notice;
    EXPECT_NE(written.notice.find("line 3 (Address); line 3 (For)"), std::string::npos) << written.notice;
    const std::string lines = testing::fileContents(target);
    // Cut at a character, not inside the two bytes of the Ü.
    const std::string kept = "Ü" + std::string(kMaxExportedValueBytes - 2, 'x');
    EXPECT_NE(lines.find("\"" + kept + "\","), std::string::npos);
    EXPECT_EQ(lines.find("tail"), std::string::npos);
    EXPECT_LT(lines.size(), 3 * kMaxExportedValueBytes);

    // Nothing cut, nothing said.
    setCheckFields(database, 3, {{"Address", "1 Main St"}, {"For", "rent"}});
    EXPECT_EQ(exportAs(CheckInformationExport()).notice, "");
}

} // namespace
} // namespace velmora::exporting
