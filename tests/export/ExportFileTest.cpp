#include "export/ExportFile.h"

#include "support/Fixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace velmora::exporting {
namespace {

namespace fs = std::filesystem;
using db::Money;
using testing::addCheck;
using testing::setCheckFields;

class ExportFileTest : public ::testing::Test {
protected:
    ExportFileTest()
        : database(program.createDatabase("Drafts", db::DatabaseType::Draft)) {
        // The template check as a freshly made database holds it: every exported field Null.
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

    Result<std::int64_t> exportAs(const ExportFormat& format) {
        return writeExport(database.path(), format, target);
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    fs::path target = exportFilePath(program.dir());
};

TEST_F(ExportFileTest, EachRecordIsOneLineOfItsFieldsInOrder) {
    const std::string never18 = R"("","","","","","","","","","","","","","","","","","")"
                                "\r\n";
    ASSERT_EQ(exportAs(CheckInformationExport()).value(), 1);
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

    ASSERT_EQ(exportAs(CheckInformationExport()).value(), 4);
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
    ASSERT_EQ(exportAs(CustomerInformationExport()).value(), 4);
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
    ASSERT_TRUE(exportAs(CheckInformationExport()));
    const std::string earlier = testing::fileContents(target);
    const auto files = testing::filesIn(program.dir());
    addCheck(database, {{"PayTo", "Ann"}});

    // A database that cannot be read: nothing replaces the earlier file.
    const Result<std::int64_t> missing =
        writeExport(program.dir() / "Missing.mdb", CheckInformationExport(), target);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find(target.string()), std::string::npos) << missing.message();
    EXPECT_EQ(testing::fileContents(target), earlier);

    // A file made read-only is kept.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::remove);
    const Result<std::int64_t> readOnly = exportAs(CheckInformationExport());
    ASSERT_FALSE(readOnly);
    EXPECT_NE(readOnly.message().find("read-only"), std::string::npos) << readOnly.message();
    EXPECT_EQ(testing::fileContents(target), earlier);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);

    const Result<std::int64_t> noFolder =
        writeExport(database.path(), CheckInformationExport(), program.dir() / "gone" / "EXPORT.TXT");
    ASSERT_FALSE(noFolder);
    EXPECT_NE(noFolder.message().find("gone"), std::string::npos) << noFolder.message();
    EXPECT_EQ(testing::filesIn(program.dir()), files); // no temporary file left behind
}

TEST_F(ExportFileTest, TheProgramsOwnFilesAreNeverATarget) {
    const fs::path dir = program.dir();
    for (const fs::path& file :
         {database.path(), dir / "PC.OVL", dir / "template.ref", dir / "Drafts.bak", dir / "Other.MDB", dir})
        EXPECT_FALSE(checkExportTarget(file, dir, database.path())) << file;
    EXPECT_TRUE(checkExportTarget(dir / "EXPORT.TXT", dir, database.path()));
    EXPECT_TRUE(checkExportTarget(dir / "customers.csv", dir, database.path()));
}

} // namespace
} // namespace velmora::exporting
