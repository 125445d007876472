#include "app/SettingsStore.h"
#include "support/CupsTestServer.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"
#include "support/RunVelmora.h"

#include <fstream>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using testing::PdfProbe;
using testing::VelmoraRun;
namespace f = db::field;
namespace fs = std::filesystem;

// The blank-stock verbs and test-page as a script runs them: no display, the password in a file.
class StockCommandTest : public ::testing::Test {
protected:
    StockCommandTest()
        : database(programDir.createDatabase("Payroll", db::DatabaseType::Check)) {
        std::ofstream(programDir.dir() / "password.txt") << "Tulip\n";
        testing::setCheckFields(database, 1,
                                {{f::kBusinessName, "Harbor Lane Bakery"},
                                 {f::kAba, "211274450"},
                                 {f::kAccount, "40021977"},
                                 {f::kComments, db::Value()}});
        settings({true, "45"});
    }
    struct Options {
        bool stock88mm = true;
        std::string tranCode;
    };
    void settings(const Options& options) {
        auto store = app::SettingsStore::open(programDir.dir());
        ASSERT_TRUE(store);
        db::SettingsRecord record;
        record.quickenCheckStock = options.stock88mm;
        record.tranCode = options.tranCode;
        record.verticalStart = 200;
        record.horizontalStart = 525;
        ASSERT_TRUE(store->write(record, {db::setting::kQuickenCheckStock, db::setting::kTranCode,
                                          db::setting::kVerticalStart, db::setting::kHorizontalStart}));
    }

    // `velmora --dir DIR VERB ARGUMENTS --password-file FILE`.
    VelmoraRun velmora(const QString& verb, QStringList arguments, bool password = true) {
        if (password)
            arguments << "--password-file" << path("password.txt");
        return testing::runVelmora(QStringList{"--dir", testing::argument(programDir.dir()), verb} +
                                   arguments);
    }
    QString path(const std::string& name) const {
        return QString::fromStdString((programDir.dir() / name).string());
    }
    std::string comments() { return testing::readCheck(database, 1).comments.value_or(""); }

    testing::ProgramDirFixture programDir;
    db::CheckDatabase database;
};

TEST_F(StockCommandTest, EachProductPrintsToPdfFromTheFirstCheck) {
    VelmoraRun outcome = velmora("blank-checks", {"--db", "Payroll.mdb", "--count", "4", "--start", "0101",
                                                  "--pdf", path("blank.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("4 blank checks printed; the history line was written"), std::string::npos)
        << outcome.errors;
    PdfProbe blank(programDir.dir() / "blank.pdf");
    ASSERT_EQ(blank.pageCount(), 2);
    blank.word(0, "0101");
    blank.word(1, "104");
    EXPECT_TRUE(comments().starts_with("Printed blank checks from check #0101 to #104 on ")) << comments();

    outcome =
        velmora("deposit-tickets", {"--db", "Payroll.mdb", "--count", "2", "--pdf", path("tickets.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("usually called TRAN CODE"), std::string::npos);
    PdfProbe tickets(programDir.dir() / "tickets.pdf");
    tickets.word(0, "DEPOSIT");

    outcome = velmora("quicken-voucher",
                      {"--db", "Payroll.mdb", "--count", "2", "--start", "50", "--pdf", path("voucher.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(PdfProbe(programDir.dir() / "voucher.pdf").pageCount(), 2);
    EXPECT_TRUE(comments().starts_with("Printed Quicken voucher checks from check #50 to #51 on "))
        << comments();

    outcome = velmora("test-page", {"--pdf", path("align.pdf")}, false);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(PdfProbe(programDir.dir() / "align.pdf").pageCount(), 1);
}

TEST_F(StockCommandTest, RefusalsHaveTheirOwnStatusAndPrintNothing) {
    // Typing errors are told at once, before the password is asked.
    for (const QStringList& arguments :
         {QStringList{"--db", "Payroll.mdb", "--count", "3", "--pdf", "x.pdf"},
          QStringList{"--db", "Payroll.mdb", "--count", "3,000", "--start", "1", "--pdf", "x.pdf"},
          QStringList{"--db", "Payroll.mdb", "--count", "3", "--start", "1"}}) {
        const VelmoraRun outcome = velmora("blank-checks", arguments);
        EXPECT_EQ(outcome.exitCode, 2) << outcome.errors;
    }
    // More than 10000 only with --confirm yes.
    VelmoraRun outcome = velmora("blank-checks", {"--db", "Payroll.mdb", "--count", "10001", "--start", "1",
                                                  "--pdf", path("many.pdf")});
    EXPECT_EQ(outcome.exitCode, 9) << outcome.errors;
    EXPECT_NE(outcome.errors.find("You asked for 10001 blank checks. Print all 10001?"), std::string::npos);
    // Quicken(tm) stock is 88mm stock.
    settings({false, ""});
    outcome = velmora("quicken-3up",
                      {"--db", "Payroll.mdb", "--count", "3", "--start", "1", "--pdf", path("q.pdf")});
    EXPECT_EQ(outcome.exitCode, 9) << outcome.errors;
    EXPECT_NE(outcome.errors.find("you must set check length to 88mm"), std::string::npos);
    // A draft database.
    auto drafts = programDir.createDatabase("Drafts", db::DatabaseType::Draft);
    outcome = velmora("deposit-tickets", {"--db", "Drafts.mdb", "--count", "3", "--pdf", path("d.pdf")});
    EXPECT_EQ(outcome.exitCode, 9) << outcome.errors;
    EXPECT_NE(outcome.errors.find("the current database is a Draft database."), std::string::npos);

    // A title that ends in its own colon keeps one.
    testing::setCheckFields(database, 1, {{f::kBusinessName, db::Value()}});
    outcome = velmora("blank-checks",
                      {"--db", "Payroll.mdb", "--count", "3", "--start", "1", "--pdf", path("e.pdf")});
    EXPECT_EQ(outcome.exitCode, 9) << outcome.errors;
    EXPECT_NE(outcome.errors.find("velmora: NOTE: You must fill in the fields"), std::string::npos)
        << outcome.errors;
    EXPECT_EQ(outcome.errors.find("::"), std::string::npos) << outcome.errors;

    EXPECT_FALSE(fs::exists(programDir.dir() / "many.pdf"));
    EXPECT_FALSE(fs::exists(programDir.dir() / "q.pdf"));
    EXPECT_FALSE(fs::exists(programDir.dir() / "d.pdf"));
    EXPECT_EQ(comments(), "");
}

TEST_F(StockCommandTest, AnEarlierPdfIsKeptWithoutOverwriteAndACountOfNoneTouchesNothing) {
    std::ofstream(programDir.dir() / "out.pdf") << "the vouchers of last week";
    for (const auto& [verb, arguments] : std::vector<std::pair<QString, QStringList>>{
             {"blank-checks",
              {"--db", "Payroll.mdb", "--count", "3", "--start", "1", "--pdf", path("out.pdf")}},
             {"deposit-tickets", {"--db", "Payroll.mdb", "--count", "3", "--pdf", path("out.pdf")}}}) {
        const VelmoraRun kept = velmora(verb, arguments);
        EXPECT_EQ(kept.exitCode, 5) << kept.errors;
        EXPECT_NE(kept.errors.find("give --overwrite to replace it"), std::string::npos) << kept.errors;
    }
    const VelmoraRun page = velmora("test-page", {"--pdf", path("out.pdf")}, false);
    EXPECT_EQ(page.exitCode, 5) << page.errors;
    EXPECT_EQ(testing::fileContents(programDir.dir() / "out.pdf"), "the vouchers of last week");

    // A count of 0 prints nothing: the status tells it, and no file changes (the run's history
    // line is written all the same, naming the numbers it did not use).
    const VelmoraRun none = velmora("blank-checks", {"--db", "Payroll.mdb", "--count", "0", "--start", "7",
                                                     "--pdf", path("out.pdf"), "--overwrite"});
    EXPECT_EQ(none.exitCode, 6) << none.errors;
    EXPECT_NE(none.errors.find("nothing to print"), std::string::npos) << none.errors;
    EXPECT_EQ(testing::fileContents(programDir.dir() / "out.pdf"), "the vouchers of last week");
    EXPECT_TRUE(comments().starts_with("Printed blank checks from check #7 to #6 on ")) << comments();

    const VelmoraRun replaced = velmora("test-page", {"--pdf", path("out.pdf"), "--overwrite"}, false);
    EXPECT_EQ(replaced.exitCode, 0) << replaced.errors;
    EXPECT_EQ(PdfProbe(programDir.dir() / "out.pdf").pageCount(), 1);
}

TEST_F(StockCommandTest, BlankChecksGoThroughAPrinterQueueAsToTheirPdf) {
    testing::CupsTestServer cups;
    if (!cups.running())
        GTEST_SKIP() << "No CUPS test server: " << cups.whyNot();
    const VelmoraRun outcome =
        velmora("blank-checks", {"--db", "Payroll.mdb", "--count", "3", "--start", "700", "--printer",
                                 QString::fromStdString(cups.queue())});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::vector<int> jobs = testing::reportedJobs(outcome.errors);
    ASSERT_EQ(jobs.size(), 1u) << outcome.errors;
    const fs::path printed = cups.waitForJob(jobs[0]);
    ASSERT_FALSE(printed.empty()) << "cups-pdf wrote no PDF for job " << jobs[0];
    PdfProbe pdf(printed);
    ASSERT_EQ(pdf.pageCount(), 1);
    pdf.word(0, "702");
    // The third check's routing number in ink, from the queue's printable origin (0.2 inch).
    const double micrTop = 14.4 + (200 + 2 * 5020 + 4055) / 20.0;
    const double routingLeft = 14.4 + (525 + 3330) / 20.0;
    EXPECT_GT(pdf.darkPixels(0, routingLeft, micrTop, routingLeft + 80, micrTop + 16), 100);
    EXPECT_TRUE(comments().starts_with("Printed blank checks from check #700 to #702 on ")) << comments();
}

} // namespace
} // namespace velmora
