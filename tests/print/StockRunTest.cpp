#include "print/StockRun.h"

#include "base/Clock.h"
#include "db/Connection.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using db::DatabaseType;
using Strings = std::vector<std::string>;
namespace f = db::field;

// A small blank-stock product: the business name, the check number top right and on the MICR line,
// and cut marks on plain paper except for the last slot of a page on 92mm stock.
bool businessName(const StockSlot& slot, Items& items) {
    if (!slot.templateCheck->businessName)
        return false;
    items.emplace_back(*slot.templateCheck->businessName);
    return true;
}
bool number(const StockSlot& slot, Items& items) {
    items.push_back(*slot.number);
    return true;
}
bool cutMark(const StockSlot& slot, Items& items) {
    if (!slot.plainPaper || !(slot.stock88mm || slot.pageOffset < 8000))
        return false;
    items.emplace_back(std::string("-"));
    return true;
}

constexpr RowStyle kText{Face::Text, 10, false, false};
constexpr RowStyle kMicr{Face::Micr, 12, false, false};
const StockRow kNumberedSlot[] = {
    {From::Top, {kText, {1500}, 0, businessName}},
    {From::Top, {kText, {10000}, 0, number}},
    {From::MicrLine, {kMicr, {1535}, 0, number}},
    {From::CutMarks, {kText, {0, true}, 0, cutMark}},
};
const StockRow kPlainSlot[] = {
    {From::MicrLine, {kMicr, {1535}, 0, businessName}},
    {From::CutMarks, {kText, {0, true}, 0, cutMark}},
};
const SlotPart kNumbered[] = {{kNumberedSlot}};
const SlotPart kPlain[] = {{kPlainSlot}};

StockProduct testStock(PageRule rule = PageRule::AsSetUp, bool numbered = true) {
    return {.name = "test stock",
            .itemName = "test item",
            .countPrompt = "How many?",
            .historyOpening =
                numbered ? std::optional<std::string>("Printed test stock from check #") : std::nullopt,
            .needsFilledTemplate = numbered,
            .needs88mm = rule == PageRule::OnePerPage,
            .notice = std::nullopt,
            .missingMicrFontText = "No MICR font",
            .pageRule = rule,
            .parts = numbered ? std::span<const SlotPart>(kNumbered) : std::span<const SlotPart>(kPlain)};
}

class StockRunTest : public ::testing::Test {
protected:
    StockRunTest()
        : surface({"Times New Roman", "MICR65"}) {
        Clock::setToday(Date{2026, 12, 6});
        setup.horizontalStart = 525;
        setup.verticalStart = 200;
        setup.stock88mm = true;
        database.emplace(program.createDatabase("Payroll", DatabaseType::Check));
        testing::setCheckFields(*database, 1,
                                {{f::kBusinessName, "Harbor Lane Bakery"}, {f::kComments, "old"}});
    }
    ~StockRunTest() override { Clock::setToday(std::nullopt); }

    // Runs `product` with these answers to the count and starting-number prompts.
    JobReport run(const StockProduct& product, std::optional<std::string> count,
                  std::optional<std::string> start = std::nullopt, PrintSurface* on = nullptr) {
        dialogs.queueInput(std::move(count));
        dialogs.queueInput(std::move(start));
        StockRun job(*database, setup, product);
        return runJob(job, on ? *on : surface, dialogs, database->connection());
    }
    // The texts of each page of the only job, page by page.
    std::vector<Strings> pages() const {
        std::vector<Strings> all;
        for (const auto& page : surface.jobs().at(0).pages) {
            all.emplace_back();
            for (const auto& text : page.texts)
                all.back().push_back(text.text);
        }
        return all;
    }
    std::optional<std::string> templateComments() { return testing::readCheck(*database, 1).comments; }
    // The runs of blank stock the register holds, as "product first-last printed".
    Strings blankStockRuns() {
        Strings runs;
        for (db::Statement all(database->connection(), "SELECT Product, FirstCheck, LastCheck, Printed "
                                                       "FROM BlankStock ORDER BY ID");
             all.step();)
            runs.push_back(all.columnText(0) + " " + all.columnText(1) + "-" + all.columnText(2) + " " +
                           all.columnText(3));
        return runs;
    }

    testing::ProgramDirFixture program;
    std::optional<db::CheckDatabase> database;
    testing::ScriptedDialogs dialogs;
    RecordingSurface surface;
    CheckPageSetup setup;
};

TEST_F(StockRunTest, NumbersRunOnFromTheTypedTextAndTheHistoryLineNamesThemOnTheTemplateCheck) {
    const JobReport report = run(testStock(), "3", "0101");
    EXPECT_EQ(report.start, PrintJob::Start::Print);
    EXPECT_TRUE(report.confirmed) << "blank stock asks no question";
    EXPECT_EQ(report.printed, 3);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, kLoadCheckStock);
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[0].prompt, "How many?");
    // The first number prints as typed, the next ones as numbers with a blank on either side.
    EXPECT_EQ(pages(), (std::vector<Strings>{{"Harbor Lane Bakery", "0101", "0101", "Harbor Lane Bakery",
                                              " 102 ", " 102 ", "Harbor Lane Bakery", " 103 ", " 103 "}}));
    const auto* number = surface.findText("0101");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->x, 525 + 10000);
    EXPECT_EQ(templateComments(), "Printed test stock from check #0101 to #103 on 12/6/2026  \r\nold");
    // The numbers now on paper are in the register.
    EXPECT_EQ(blankStockRuns(), Strings{"test stock 101-103 2026-12-06"});
}

TEST_F(StockRunTest, PreparationRefusesInItsOrderBeforeAnythingIsAskedOrPrinted) {
    // A template without a business or first name is refused first, even in a draft database.
    testing::setCheckFields(*database, 1, {{f::kBusinessName, db::Value()}});
    database->connection().exec("UPDATE Properties SET AccountType = 'Draft'");
    EXPECT_EQ(run(testStock(), "3", "100").start, PrintJob::Start::Stop);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, "NOTE:");
    EXPECT_EQ(dialogs.shown()[1].text, "You must fill in the fields of the first check before you can print "
                                       "checks. Velmora uses the first check in each Database for printing "
                                       "blank checks. ");

    // A product that does not need the names refuses the draft database.
    dialogs.clear();
    EXPECT_EQ(run(testStock(PageRule::ThreePerPage, false), "3").start, PrintJob::Start::Stop);
    EXPECT_EQ(dialogs.shownTexts().back(), "Sorry - this function only works with CHECK databases, the "
                                           "current database is a Draft database.");

    // 88mm stock required, then a printer without the MICR font.
    database->connection().exec("UPDATE Properties SET AccountType = 'Check'");
    testing::setCheckFields(*database, 1, {{f::kFirstName, "Maria"}});
    setup.stock88mm = false;
    dialogs.clear();
    EXPECT_EQ(run(testStock(PageRule::OnePerPage), "1", "100").start, PrintJob::Start::Stop);
    EXPECT_EQ(dialogs.shownTexts().back(),
              "To print Quicken(tm) checks you must set check length to 88mm. Select "
              "the 88mm check length check box at the bottom of this screen.");
    setup.stock88mm = true;
    RecordingSurface withoutMicr({"Times New Roman"});
    dialogs.clear();
    EXPECT_EQ(run(testStock(), "1", "100", &withoutMicr).start, PrintJob::Start::Stop)
        << "the command ends, not the program";
    EXPECT_EQ(dialogs.shown().back().title, "WARNING");
    EXPECT_EQ(dialogs.shown().back().text, "No MICR font");

    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_TRUE(surface.jobs().empty());
    EXPECT_TRUE(withoutMicr.jobs().empty());
    EXPECT_EQ(templateComments(), "old");
}

TEST_F(StockRunTest, AnswersThatAreNotNumbersEndTheRunSilentlyAfterBothPrompts) {
    for (const auto& [count, start] : {std::pair<std::string, std::string>{"abc", "100"},
                                       {"3", ""},
                                       {"3", "1O1"},
                                       {"", "100"},
                                       {"3", "12.5"}}) {
        dialogs.clear();
        EXPECT_EQ(run(testStock(), count, start).start, PrintJob::Start::Stop) << count << " / " << start;
        EXPECT_EQ(dialogs.asked().size(), 2u) << "both prompts are always shown";
        EXPECT_EQ(dialogs.shown().size(), 1u) << "no message but the load-stock one";
    }
    dialogs.clear();
    EXPECT_EQ(run(testStock(), std::nullopt, std::nullopt).start, PrintJob::Start::Stop) << "cancelled";
    EXPECT_TRUE(surface.jobs().empty());
    EXPECT_EQ(templateComments(), "old");

    EXPECT_EQ(StockRun::parseCount(" 2.5 "), 2);
    EXPECT_EQ(StockRun::parseCount("-3"), 0);
    EXPECT_EQ(StockRun::parseCount("+4"), 4);
    EXPECT_EQ(StockRun::parseCount(".5"), 0);
    EXPECT_FALSE(StockRun::parseCount("1,000"));
    EXPECT_FALSE(StockRun::parseCount("99999999999999999999"));
    EXPECT_EQ(StockRun::parseStartNumber(" 0101 "), 101);
    EXPECT_FALSE(StockRun::parseStartNumber("-5"));
    EXPECT_FALSE(StockRun::parseStartNumber("1234567890"));
}

TEST_F(StockRunTest, ACountOfNothingEndsAnEmptyJobAndStillWritesTheHistoryLine) {
    EXPECT_TRUE(run(testStock(), "0", "500").confirmed);
    EXPECT_EQ(surface.sentJobCount(), 0) << "an empty job feeds no sheet";
    EXPECT_EQ(templateComments(), "Printed test stock from check #500 to #499 on 12/6/2026  \r\nold");
    EXPECT_TRUE(blankStockRuns().empty());

    // A product without numbers asks for the count only and writes nothing.
    dialogs.clear();
    EXPECT_TRUE(run(testStock(PageRule::ThreePerPage, false), "2").confirmed);
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(surface.sentJobCount(), 1);
    EXPECT_EQ(templateComments(), "Printed test stock from check #500 to #499 on 12/6/2026  \r\nold");
}

TEST_F(StockRunTest, SlotsFollowTheProductsPageRule) {
    const auto perPage = [&](const StockProduct& product) {
        surface.clearRecording();
        EXPECT_TRUE(run(product, "7", "100").confirmed);
        std::vector<std::size_t> counts;
        for (const auto& page : surface.jobs().at(0).pages) {
            std::size_t micr = 0;
            for (const auto& text : page.texts)
                micr += text.font.face == "MICR65";
            counts.push_back(micr);
        }
        return counts;
    };
    EXPECT_EQ(perPage(testStock()), (std::vector<std::size_t>{3, 3, 1}));
    setup.stock88mm = false;
    setup.twoPerPage = true;
    EXPECT_EQ(perPage(testStock()), (std::vector<std::size_t>{2, 2, 2, 1}));
    EXPECT_EQ(perPage(testStock(PageRule::ThreePerPage)), (std::vector<std::size_t>{3, 3, 1}));
    setup.stock88mm = true;
    EXPECT_EQ(perPage(testStock(PageRule::OnePerPage)), std::vector<std::size_t>(7, 1));

    // On 92mm plain paper the third slot of a page has no cut marks.
    setup.stock88mm = false;
    setup.twoPerPage = false;
    setup.plainPaper = true;
    surface.clearRecording();
    run(testStock(PageRule::ThreePerPage), "3", "100");
    std::vector<double> cuts;
    for (const auto& text : surface.texts()) {
        if (text.text == "-")
            cuts.push_back(text.y);
    }
    EXPECT_EQ(cuts, (std::vector<double>{200 + 4670, 200 + 5270 + 4670}));
}

TEST_F(StockRunTest, PositionsBeyondSixteenBitsAreNotSetAndTheRestOfTheSlotPrints) {
    setup.horizontalStart = 30000; // the check number's x, 40000, is beyond 16 bits
    setup.verticalStart = 25000;   // the second slot's top, 30020, still fits; the third does not
    run(testStock(), "3", "100");
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0].x, 31500);
    EXPECT_EQ(texts[1].text, "100");
    EXPECT_EQ(texts[1].x, 0) << "printed where the line before left the surface";
    EXPECT_EQ(texts[2].x, 31535);
    EXPECT_EQ(texts[3].y, 30020);
    EXPECT_EQ(texts[6].y, 30020) << "the third slot keeps the top it cannot move past";
}

TEST_F(StockRunTest, AHistoryLineThatCannotBeWrittenIsReported) {
    database->connection().exec("CREATE TRIGGER Frozen BEFORE UPDATE ON Account "
                                "BEGIN SELECT RAISE(ABORT, 'the first check is frozen'); END");
    const JobReport report = run(testStock(), "1", "100");
    EXPECT_TRUE(report.sent);
    EXPECT_FALSE(report.confirmed);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(dialogs.shown().back().title, "Database not updated");
    EXPECT_NE(report.problems[0].find("the first check is frozen"), std::string::npos) << report.problems[0];
    EXPECT_EQ(templateComments(), "old");
}

} // namespace
} // namespace velmora::print
