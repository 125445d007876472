#include "print/StockProducts.h"

#include "base/Clock.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using db::DatabaseType;
using Strings = std::vector<std::string>;
namespace f = db::field;

class StockProductsTest : public ::testing::Test {
protected:
    StockProductsTest()
        : surface({"Times New Roman", "MICR65"}) {
        Clock::setToday(Date{2026, 12, 6});
        setup.horizontalStart = 525;
        setup.verticalStart = 200;
        setup.stock88mm = true;
        database.emplace(program.createDatabase("Payroll", DatabaseType::Check));
        testing::fillTemplateCheck(*database);
        testing::setCheckFields(*database, 1, {{f::kComments, "old"}});
    }
    ~StockProductsTest() override { Clock::setToday(std::nullopt); }

    // Runs a product with these answers to the count and starting-number prompts.
    JobReport run(std::string_view verb, std::optional<std::string> count,
                  std::optional<std::string> start = "100", const std::string& tranCode = "") {
        surface.clearRecording();
        dialogs.clear();
        dialogs.queueInput(std::move(count));
        if (stockProduct(verb).historyOpening)
            dialogs.queueInput(std::move(start));
        StockRun job(*database, setup, stockProduct(verb), tranCode);
        return runJob(job, surface, dialogs, database->connection());
    }
    // How many slots each page holds, counted by the routing number printed once per slot.
    std::vector<int> slotsPerPage() const {
        std::vector<int> counts;
        for (const auto& page : surface.jobs().at(0).pages) {
            counts.push_back(0);
            for (const auto& text : page.texts)
                counts.back() += text.text == "211274450";
        }
        return counts;
    }
    const RecordingSurface::Text& at(const std::string& text) const {
        const auto* found = surface.findText(text);
        if (!found)
            throw std::runtime_error("not printed: " + text);
        return *found;
    }
    double lineHeight(double points) const {
        return surface.metrics().lineHeight({"Times New Roman", points, false, false});
    }
    std::optional<std::string> templateComments() { return testing::readCheck(*database, 1).comments; }
    bool printed(const std::string& text) const { return surface.findText(text) != nullptr; }

    testing::ProgramDirFixture program;
    std::optional<db::CheckDatabase> database;
    testing::ScriptedDialogs dialogs;
    RecordingSurface surface;
    CheckPageSetup setup;
};

TEST_F(StockProductsTest, ABlankCheckPutsEveryItemWhereItsTableSays) {
    ASSERT_TRUE(run("blank-checks", "1", "0101").confirmed);
    const double x0 = 525;
    const double top = 200;
    const auto expectAt = [&](const std::string& text, double x, double y) {
        const auto& found = at(text);
        EXPECT_EQ(found.x, x) << text;
        EXPECT_EQ(found.y, y) << text;
    };
    expectAt("Harbor Lane Bakery", x0 + 1500, top);
    expectAt("Maria Okafor", x0 + 1500, top + lineHeight(10));
    expectAt("Casco Savings", x0 + 6000, top);
    expectAt("Portland, ME", x0 + 6000, top + lineHeight(8));
    expectAt("PAY", x0, top + 980);
    expectAt("ORDER OF: ", x0, top + 980 + 2 * lineHeight(10));
    expectAt(std::string(64, '_'), x0 + 1100, top + 1350);
    expectAt(std::string(64, '_') + " Dollars", x0 + 1100, top + 1350 + 3 * lineHeight(10));
    expectAt("Memo: " + std::string(42, '_'), x0, top + 3500);
    expectAt(std::string(12, '_'), x0 + 9100, top + 2 * lineHeight(12));
    expectAt(std::string(55, '_'), x0 + 6050, top + 3500);
    expectAt("Authorized Signature ", x0 + 6050, top + 3500 + lineHeight(8));
    expectAt("$ _________", x0 + 9100, top + 1350);
    const auto& city = at("Portland, ME  04101");
    EXPECT_TRUE(city.font.italic);
    EXPECT_EQ(city.font.points, 8);
    EXPECT_FALSE(at("Casco Savings").font.italic) << "italic ends with the holder block";

    // The MICR line: the number as typed, the routing number between transit symbols, the account
    // number and the on-us symbol.
    const auto texts = surface.texts();
    Strings micr;
    for (const auto& text : texts) {
        if (text.font.face == "MICR65") {
            micr.push_back(text.text);
            EXPECT_EQ(text.y, top + 4055) << text.text;
        }
    }
    EXPECT_EQ(micr, (Strings{"0101", "A", "211274450", "A", "40021977", "C ", "  "}));
    EXPECT_EQ(texts[14].text, "0101") << "the number top right";
    EXPECT_EQ(texts[14].x, x0 + 10000);
    EXPECT_TRUE(texts[14].font.bold);
    EXPECT_EQ(at("A").x, x0 + 3330);
    EXPECT_EQ(at("40021977").x, x0 + 5655);
}

TEST_F(StockProductsTest, TheTemplateDecidesWhichLinesPrint) {
    // First name only: the name and a trailing blank. No Zip: no city line, even with city and state.
    // An empty bank state is not Null: the bank's city line prints.
    testing::setCheckFields(*database, 1,
                            {{f::kLastName, db::Value()}, {f::kZip, db::Value()}, {f::kBankState, ""}});
    run("blank-checks", "1");
    EXPECT_TRUE(printed("Maria "));
    EXPECT_FALSE(printed("Portland, ME  "));
    EXPECT_EQ(at("Portland, ").y, 200 + lineHeight(8));

    // Neither name: the address follows the business name; no bank state: no bank city line.
    testing::setCheckFields(*database, 1, {{f::kFirstName, db::Value()}, {f::kBankState, db::Value()}});
    run("blank-checks", "1");
    EXPECT_EQ(at("12 Quay Street").y, 200 + lineHeight(10));
    EXPECT_FALSE(printed("Portland, "));
}

TEST_F(StockProductsTest, NumbersRunOnAsNumbersAndTheHistoryLineNamesTheFirstAsTyped) {
    ASSERT_TRUE(run("blank-checks", "3", "0101").confirmed);
    Strings numbers;
    for (const auto& text : surface.texts()) {
        if (text.x == 525 + 10000 || text.x == 525 + 1535)
            numbers.push_back(text.text);
    }
    EXPECT_EQ(numbers, (Strings{"0101", "0101", " 102 ", " 102 ", " 103 ", " 103 "}));
    EXPECT_EQ(templateComments(), "Printed blank checks from check #0101 to #103 on 12/6/2026  \r\nold");

    ASSERT_TRUE(run("quicken-3up", "4", "500").confirmed);
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{3, 1}));
    EXPECT_EQ(templateComments()->substr(0, 63),
              "Printed Quicken 3up checks from check #500 to #503 on 12/6/2026");
}

TEST_F(StockProductsTest, CountsOfSevenFillThePagesOfEachStock) {
    run("blank-checks", "7");
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{3, 3, 1}));
    setup.twoPerPage = true;
    run("blank-checks", "7");
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{3, 3, 1})) << "two to a page is for 92mm stock only";
    run("quicken-3up", "7");
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{3, 3, 1}));
    setup.stock88mm = false;
    run("blank-checks", "7");
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{2, 2, 2, 1}));
    run("deposit-tickets", "7");
    EXPECT_EQ(slotsPerPage(), (std::vector<int>{3, 3, 1})) << "deposit tickets ignore two to a page";
    const auto* third = &surface.jobs().at(0).pages.at(0).texts;
    double lowest = 0;
    for (const auto& text : *third) {
        if (text.text == "211274450")
            lowest = std::max(lowest, text.y);
    }
    EXPECT_EQ(lowest, 200 + 2 * 5270 + 4269) << "92mm pitch and MICR offset";
}

TEST_F(StockProductsTest, CutMarksOnPlainPaper) {
    setup.plainPaper = true;
    setup.stock88mm = false;
    const auto cutMarks = [&] {
        std::vector<std::pair<double, double>> marks;
        for (const auto& text : surface.texts()) {
            if (text.text == "-")
                marks.emplace_back(text.x, text.y);
        }
        return marks;
    };
    // On 92mm paper the page's edge cuts the third check.
    run("blank-checks", "3");
    EXPECT_EQ(cutMarks(),
              (std::vector<std::pair<double, double>>{
                  {0, 200 + 4670}, {10500, 200 + 4670}, {0, 200 + 5270 + 4670}, {10500, 200 + 5270 + 4670}}));
    run("deposit-tickets", "3");
    EXPECT_EQ(cutMarks().size(), 4u);
    EXPECT_EQ(cutMarks()[1].first, 12000) << "the ticket's right mark stands further right";
    setup.stock88mm = true;
    run("quicken-3up", "3");
    EXPECT_EQ(cutMarks().size(), 6u);
    EXPECT_EQ(cutMarks()[4].second, 200 + 2 * 5020 + 4455);
}

TEST_F(StockProductsTest, DepositTicketsCarryTheTranCodeAndTheGrid) {
    ASSERT_TRUE(run("deposit-tickets", "2", std::nullopt, "77").confirmed);
    ASSERT_EQ(dialogs.asked().size(), 1u) << "no starting number";
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text.substr(0, 54),
              "Some banks use different routing numbers or insert an ");
    EXPECT_NE(dialogs.shown()[1].text.find("deposit tickets.  \n\nTo get to Program Setup"),
              std::string::npos);
    EXPECT_EQ(at("77").x, at("C   ").x + surface.metrics().textWidth("C   ", {"MICR65", 12, false, false}));
    EXPECT_EQ(at("PH: 207-555-0142").y, 200 + 2 * lineHeight(12) + 2 * lineHeight(10));
    EXPECT_EQ(at("Casco Savings").y, 200 + 2700);
    EXPECT_EQ(at("Date: _______________").y, 200 + 1800 + lineHeight(14));
    EXPECT_EQ(at("TOTAL DEPOSIT").x, 6050);
    // Each caption stands inside its row of the grid, clear of the lines above and below it.
    const double rowTops[] = {800, 1300, 1800, 2300};
    const char* captions[] = {"CURRENCY", "COINS", "CHECKS", "TOTAL DEPOSIT"};
    for (int row = 0; row < 4; ++row) {
        const double y = at(captions[row]).y - 200;
        EXPECT_GT(y, rowTops[row] + 60) << captions[row];
        EXPECT_LT(y + lineHeight(10), rowTops[row] + 500 - 60) << captions[row];
    }
    EXPECT_EQ(templateComments(), "old") << "deposit tickets write no history";

    // The grid of the second slot: nine lines at fixed x, the last two thick.
    const auto& lines = surface.jobs().at(0).pages.at(0).lines;
    ASSERT_EQ(lines.size(), 18u);
    const double top = 200 + 5020;
    EXPECT_EQ(lines[9].x1, 6000);
    EXPECT_EQ(lines[9].y1, top + 800);
    EXPECT_EQ(lines[9].y2, top + 2800);
    EXPECT_EQ(lines[12].x1, 10600);
    EXPECT_EQ(lines[17].width, 4);
    EXPECT_EQ(lines[17].y1, top + 2800);
    EXPECT_EQ(lines[17].x2, 10600);
    EXPECT_EQ(lines[15].width, 1);

    // An empty tran code leaves six blanks after the on-us symbol; an empty template still prints the
    // heading, the date line, the grid and the captions.
    database->connection().exec("UPDATE Account SET BusinessName = NULL, FirstName = NULL, LastName = NULL, "
                                "Address = NULL, Zip = NULL, Phone = NULL, Bank = NULL, BankState = NULL, "
                                "ABA = NULL WHERE ID = 1");
    run("deposit-tickets", "1");
    Strings texts;
    for (const auto& text : surface.texts())
        texts.push_back(text.text);
    EXPECT_EQ(texts, (Strings{"DEPOSIT TICKET", "Date: _______________", "40021977", "C   ", "", "   ",
                              "CURRENCY", "COINS", "CHECKS", "TOTAL DEPOSIT"}));
}

TEST_F(StockProductsTest, AVoucherPageHoldsOneCheckAndTwoStubsWithItsNumber) {
    ASSERT_TRUE(run("quicken-voucher", "3", "700").confirmed);
    const auto& pages = surface.jobs().at(0).pages;
    ASSERT_EQ(pages.size(), 3u);
    const std::string third = " 702 ";
    std::vector<std::pair<double, bool>> numbers; // y and italic of each number on the third page
    for (const auto& text : pages[2].texts) {
        if (text.text == third && text.font.face != "MICR65")
            numbers.emplace_back(text.y, text.font.italic);
    }
    EXPECT_EQ(numbers, (std::vector<std::pair<double, bool>>{{200, false}, {5220, true}, {10240, true}}));
    EXPECT_EQ(templateComments()->substr(0, 67),
              "Printed Quicken voucher checks from check #700 to #702 on 12/6/2026");

    // Without a business name the stubs carry the number only.
    testing::setCheckFields(*database, 1, {{f::kBusinessName, db::Value()}});
    run("quicken-voucher", "1", "9");
    int stubTexts = 0;
    for (const auto& text : surface.texts())
        stubTexts += text.y >= 5220 ? 1 : 0;
    EXPECT_EQ(stubTexts, 2);
}

TEST_F(StockProductsTest, QuickenStockIsRefusedOn92mmBeforeAnyPrompt) {
    setup.stock88mm = false;
    for (const char* verb : {"quicken-3up", "quicken-voucher"}) {
        EXPECT_EQ(run(verb, "3").start, PrintJob::Start::Stop);
        EXPECT_TRUE(dialogs.asked().empty());
        ASSERT_EQ(dialogs.shown().size(), 2u);
        EXPECT_EQ(dialogs.shown()[1].title, "") << "the default title";
    }
    // The draft test comes first, after the load-stock message.
    database->connection().exec("UPDATE Properties SET AccountType = 'Draft'");
    for (const char* verb : {"quicken-3up", "deposit-tickets", "blank-checks"}) {
        EXPECT_EQ(run(verb, "3").start, PrintJob::Start::Stop);
        EXPECT_EQ(
            dialogs.shownTexts(),
            (Strings{
                "Please load check stock in the printer now and press OK",
                "Sorry - this function only works with CHECK databases, the current database is a Draft database."}));
    }
    EXPECT_TRUE(surface.jobs().empty());
}

TEST_F(StockProductsTest, ALargeCountIsPrintedOnlyOnceConfirmed) {
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    EXPECT_EQ(run("blank-checks", "10001").start, PrintJob::Start::Stop);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, "You asked for 10001 blank checks. Print all 10001?");
    EXPECT_EQ(dialogs.shown()[1].defaultAnswer, DialogAnswer::No);
    EXPECT_TRUE(surface.jobs().empty());
    EXPECT_EQ(templateComments(), "old");

    EXPECT_EQ(run("deposit-tickets", "10000").start, PrintJob::Start::Print);
    EXPECT_EQ(dialogs.shown().size(), 2u) << "the load-stock message and the tran code notice only";
}

TEST_F(StockProductsTest, AJobThatCouldNotBeSentWritesNoHistoryAndSaysSo) {
    surface.setFailJobStart(true);
    const JobReport report = run("blank-checks", "2");
    EXPECT_FALSE(report.sent);
    EXPECT_TRUE(report.outputFailed);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("No history line was written on the first check."), std::string::npos)
        << report.problems[0];
    EXPECT_EQ(templateComments(), "old");
}

TEST_F(StockProductsTest, APreviewShowsTheSlotsAndChangesNothing) {
    dialogs.clear();
    dialogs.queueInput("4");
    dialogs.queueInput("300");
    StockRun preview(*database, setup, stockProduct("blank-checks"), {}, StockRun::Mode::Preview);
    ASSERT_EQ(preview.prepare(dialogs, surface), PrintJob::Start::Print);
    EXPECT_TRUE(dialogs.shown().empty()) << "no load-stock message";
    EXPECT_EQ(preview.pageCount(), 2);
    ASSERT_TRUE(preview.drawPage(1, surface));
    EXPECT_EQ(preview.ownerAt(1, 0, 300), "check #303");
    ASSERT_TRUE(surface.EndDocument());
    EXPECT_TRUE(printed(" 303 "));
    EXPECT_FALSE(printed(" 302 "));
    std::string step;
    database->connection().exec("BEGIN");
    EXPECT_TRUE(preview.saveChanges(database->connection(), step));
    database->connection().exec("COMMIT");
    EXPECT_EQ(templateComments(), "old");
}

} // namespace
} // namespace velmora::print
