#include "export/RegisterFiles.h"

#include "app/ProgramDir.h"
#include "support/Fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora::exporting {
namespace {

namespace fs = std::filesystem;

class RegisterFilesTest : public ::testing::Test {
protected:
    RegisterFilesTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Check)) {
        // Printed in the range with awkward payees, printed before it and voided in it, and printed
        // after it.
        add(1003, "2026-11-20", "Ørsted & Søn\r\nAS", 90000, "2026-12-03");
        add(1001, "2026-12-01", "Casco \"Feed\", Grain", 123456);
        add(1002, "2026-12-02", std::nullopt, 5);
        add(1004, "2026-12-16", "Later", 100);
    }

    void add(std::int64_t number, std::string printed, std::optional<std::string> payee, std::int64_t cents,
             std::optional<std::string> voided = std::nullopt) {
        db::RegisterEntry entry;
        entry.run = 1;
        entry.recordId = number - 999;
        entry.check = number;
        entry.printed = std::move(printed);
        entry.payTo = std::move(payee);
        entry.amount = db::Money::fromCents(cents);
        entry.aba = "211274450";
        entry.account = "4002 1977";
        if (voided) {
            entry.state = db::register_state::kVoid;
            entry.voided = voided;
            entry.reason = "spoiled";
        }
        testing::addRegisterEntry(database, entry);
    }
    ExportResult positivePay(const PositivePayFormat& format, const fs::path& file) {
        return writePositivePay(DatabaseLocation::inFile(database.path()), format, "2026-12-01", "2026-12-15",
                                file, program.dir());
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    fs::path target = program.dir() / "pay.csv";
};

TEST_F(RegisterFilesTest, PositivePayInEachBuiltInFormat) {
    // clang-format off
    const std::pair<const char*, std::string> expected[] = {
        {"standard",
         "Account,Check,Issue Date,Amount,Payee,Void\r\n"
         "40021977,1001,12/01/2026,1234.56,\"Casco \"\"Feed\"\", Grain\",\r\n"
         "40021977,1002,12/02/2026,0.05,\"\",\r\n"
         "40021977,1003,11/20/2026,900.00,\"Ørsted & Søn  AS\",V\r\n"},
        {"no-payee",
         "40021977,1001,1234.56,12012026,I\r\n"
         "40021977,1002,0.05,12022026,I\r\n"
         "40021977,1003,900.00,11202026,V\r\n"},
        {"routing-cents",
         "Routing,Account,Serial,IssueDate,AmountCents,Payee,Status\r\n"
         "211274450,40021977,1001,2026-12-01,123456,\"Casco \"\"Feed\"\", Grain\",ISSUE\r\n"
         "211274450,40021977,1002,2026-12-02,5,\"\",ISSUE\r\n"
         "211274450,40021977,1003,2026-11-20,90000,\"Ørsted & Søn  AS\",VOID\r\n"},
        {"void-first",
         ",1001,40021977,1234.56,120126,\"Casco \"\"Feed\"\", Grain\"\r\n"
         ",1002,40021977,0.05,120226,\"\"\r\n"
         "V,1003,40021977,900.00,112026,\"Ørsted & Søn  AS\"\r\n"},
    };
    // clang-format on
    ASSERT_EQ(positivePayFormats().size(), std::size(expected))
        << "every built-in format is held to its bytes";
    for (const auto& [name, bytes] : expected) {
        const PositivePayFormat* format = findPositivePayFormat(name);
        ASSERT_NE(format, nullptr) << name;
        const ExportResult written = positivePay(*format, target);
        ASSERT_TRUE(written.ok()) << written.message;
        EXPECT_EQ(written.records, 3) << name;
        EXPECT_EQ(testing::fileContents(target), bytes) << name;
    }
}

TEST_F(RegisterFilesTest, TheRegisterFileHoldsTheRowsOfTheViewUnderTheirFieldNames) {
    const db::RegisterView view{"2026-12-01", std::nullopt, db::RegisterView::States::All,
                                db::RegisterView::Dates::Printed};
    const ExportResult written =
        writeRegisterFile(DatabaseLocation::inFile(database.path()), view, target, program.dir());
    ASSERT_TRUE(written.ok()) << written.message;
    EXPECT_EQ(written.records, 3);
    EXPECT_EQ(testing::fileContents(target),
              "Run,RecordID,Check,Printed,PayTo,Amount,ABA,Account,Status,Voided,Reason\r\n"
              "1,2,1001,\"2026-12-01\",\"Casco \"\"Feed\"\", Grain\",1234.56,\"211274450\",\"4002 1977\","
              "\"Issued\",\"\",\"\"\r\n"
              "1,3,1002,\"2026-12-02\",\"\",0.05,\"211274450\",\"4002 1977\",\"Issued\",\"\",\"\"\r\n"
              "1,5,1004,\"2026-12-16\",\"Later\",1.00,\"211274450\",\"4002 1977\",\"Issued\",\"\",\"\"\r\n");
}

TEST_F(RegisterFilesTest, NeverOverTheProgramsOwnFilesAndWholeOrNotAtAll) {
    const PositivePayFormat& format = positivePayFormats().front();
    std::ofstream(program.dir() / app::kExportFileName) << "an export";
    for (const fs::path& own : {database.path(), program.dir() / app::kExportFileName}) {
        const std::string before = testing::fileContents(own);
        const ExportResult refused = positivePay(format, own);
        EXPECT_EQ(refused.failure, ExportResult::Failure::Output) << own;
        EXPECT_EQ(testing::fileContents(own), before) << own;
    }
    // A database that cannot be read leaves the earlier file as it was.
    ASSERT_TRUE(positivePay(format, target).ok());
    const std::string earlier = testing::fileContents(target);
    const ExportResult missing = writePositivePay(DatabaseLocation::inFile(program.dir() / "Missing.mdb"),
                                                  format, "2026-12-01", "2026-12-15", target, program.dir());
    EXPECT_EQ(missing.failure, ExportResult::Failure::Database);
    EXPECT_EQ(testing::fileContents(target), earlier);
}

} // namespace
} // namespace velmora::exporting
