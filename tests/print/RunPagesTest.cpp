#include "print/RunPages.h"

#include "base/Clock.h"
#include "base/Product.h"
#include "print/PageImage.h"
#include "print/PrintRun.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using db::DatabaseType;
using testing::addCheck;
using testing::readCheck;
namespace f = db::field;
using Page = RecordingSurface::Page;

const std::vector<std::string> kFaces{"Times New Roman", product::kMicrFontName};

std::string describe(const RecordingSurface::Text& t) {
    return t.text + " @" + std::to_string(t.x) + "," + std::to_string(t.y) + " " + t.font.face + " " +
           std::to_string(t.font.points) + (t.font.bold ? " bold" : "") + (t.font.italic ? " italic" : "");
}

std::vector<std::string> describe(const Page& page) {
    std::vector<std::string> texts;
    for (const auto& text : page.texts)
        texts.push_back(describe(text));
    return texts;
}

class RunPagesTest : public ::testing::Test {
protected:
    RunPagesTest() {
        Clock::setToday(Date{2026, 12, 6});
        setup.horizontalStart = 525;
        setup.verticalStart = 200;
        setup.stock88mm = true;
    }
    ~RunPagesTest() override { Clock::setToday(std::nullopt); }

    db::CheckDatabase& open(DatabaseType type, const std::string& name = "Pages") {
        database.emplace(programDir.createDatabase(name, type));
        return *database;
    }
    // Checks of every kind a run meets: one-time and recurring, with fields missing, with labels.
    void addChecks(int count) {
        for (int i = 0; i < count; ++i) {
            const bool recurring = i % 3 == 1;
            addCheck(*database,
                     {{f::kPrint, recurring ? "Monthly" : "Once"},
                      {f::kCheck, 3000 + i},
                      {f::kDate, "1/1/2020"},
                      {f::kPayTo, "Payee " + std::to_string(i)},
                      {f::kAmount, db::Money::fromCents(1000 + i)},
                      {f::kBusinessName, i % 2 ? db::Value("Shop " + std::to_string(i)) : db::Value()},
                      {f::kZip, i % 4 ? db::Value("62701") : db::Value()},
                      {f::kAba, "071000013"},
                      {f::kAccount, "12D345"},
                      {f::kLabelPrint, i != 3},
                      {f::kLastName, "Holder" + std::to_string(i)}});
        }
    }
    // The pages the run itself prints, checks and labels, with the labels from `startLabel`.
    std::vector<RecordingSurface::Job> printed(const PrintSelection& selection,
                                               const std::string& startLabel) {
        RecordingSurface surface(kFaces);
        testing::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::No);
        dialogs.queueInput(startLabel);
        dialogs.queueAnswer(DialogAnswer::No);
        PrintRun(*database, setup, dialogs).run(selection, surface, surface);
        return surface.jobs();
    }

    // The pages of a selection's checks or labels, as the preview opens them.
    std::unique_ptr<CheckPages> checkPages(const PrintSelection& selection, DatabaseType type) {
        auto pages = CheckPages::open(*database, selection, setup, type, "Times New Roman");
        EXPECT_TRUE(pages) << pages.message();
        return pages ? std::move(*pages) : nullptr;
    }
    std::unique_ptr<LabelPages> labelPages(const PrintSelection& selection, int startLabel) {
        auto pages = LabelPages::open(*database, selection, "Times New Roman", startLabel);
        EXPECT_TRUE(pages) << pages.message();
        return pages ? std::move(*pages) : nullptr;
    }

    testing::ProgramDirFixture programDir;
    std::optional<db::CheckDatabase> database;
    CheckPageSetup setup;
};

// Pages drawn one at a time, in order on one surface and each on its own in any order, are the
// pages the run prints.
void expectSamePages(PageSource& pages, const std::vector<Page>& expected) {
    ASSERT_EQ(pages.pageCount(), static_cast<std::int64_t>(expected.size()));
    RecordingSurface inOrder(kFaces);
    for (std::int64_t page = 0; page < pages.pageCount(); ++page)
        ASSERT_TRUE(pages.drawPage(page, inOrder));
    skipFailure(inOrder.EndDocument());
    ASSERT_EQ(inOrder.jobs().size(), 1u);
    ASSERT_EQ(inOrder.jobs()[0].pages.size(), expected.size());
    for (std::size_t page = 0; page < expected.size(); ++page)
        EXPECT_EQ(describe(inOrder.jobs()[0].pages[page]), describe(expected[page])) << "page " << page;
    for (std::int64_t page = pages.pageCount() - 1; page >= 0; page -= 2) {
        RecordingSurface alone(kFaces);
        ASSERT_TRUE(pages.drawPage(page, alone));
        skipFailure(alone.EndDocument());
        ASSERT_EQ(alone.jobs().at(0).pages.size(), 1u) << "page " << page;
        EXPECT_EQ(describe(alone.jobs()[0].pages[0]), describe(expected[static_cast<std::size_t>(page)]))
            << "page " << page << " drawn on its own";
    }
}

TEST_F(RunPagesTest, PagesDrawnOnTheirOwnAreThePagesTheRunPrints) {
    struct Case {
        bool stock88mm;
        bool twoPerPage;
        bool plainPaper;
        DatabaseType type;
        const char* startLabel;
        bool amountOptions = false; // in words, with cents
    };
    int made = 0;
    for (const Case& c : {Case{true, false, false, DatabaseType::Draft, "27"},
                          Case{false, true, true, DatabaseType::Check, ""},
                          Case{false, false, true, DatabaseType::Check, "45", true}}) {
        SCOPED_TRACE(std::string("88mm ") + (c.stock88mm ? "yes" : "no") + ", two a page " +
                     (c.twoPerPage ? "yes" : "no") + ", start label " + c.startLabel);
        open(c.type, "Pages" + std::to_string(++made));
        addChecks(11);
        setup.stock88mm = c.stock88mm;
        setup.twoPerPage = c.twoPerPage;
        setup.plainPaper = c.plainPaper;
        setup.amountInWords = setup.amountWithCents = c.amountOptions;
        const PrintSelection selection{.once = true, .monthly = true, .onceLabels = true};
        const std::vector<RecordingSurface::Job> run = printed(selection, c.startLabel);
        ASSERT_EQ(run.size(), 2u);
        const auto& firstPage = run[0].pages.at(0).texts;
        EXPECT_EQ(std::any_of(firstPage.begin(), firstPage.end(),
                              [](const RecordingSurface::Text& t) { return t.text == " Dollars"; }),
                  c.amountOptions);

        const auto checks = checkPages(selection, c.type);
        EXPECT_EQ(checks->checkCount(), 11);
        expectSamePages(*checks, run[0].pages);
        const auto labels = labelPages(selection, *parseStartLabel(c.startLabel));
        EXPECT_EQ(labels->labelCount(), 6); // the one-time checks but one
        expectSamePages(*labels, run[1].pages);
        database.reset();
    }
}

TEST_F(RunPagesTest, APreviewOfRecordsThatCannotBeCountedIsToldAndShowsNothing) {
    open(DatabaseType::Draft);
    addChecks(2);
    database->connection().exec("DROP TABLE Account");
    EXPECT_FALSE(CheckPages::open(*database, {.once = true}, setup, DatabaseType::Draft, "Times New Roman"));
    EXPECT_FALSE(LabelPages::open(*database, {.onceLabels = true}, "Times New Roman"));
    testing::ScriptedDialogs dialogs;
    RecordingSurface surface(kFaces);
    PrintRun run(*database, setup, dialogs);
    EXPECT_EQ(run.preview({.once = true, .onceLabels = true}, surface), nullptr);
    ASSERT_EQ(dialogs.shownTexts().size(), 1u);
    EXPECT_TRUE(dialogs.shownTexts()[0].starts_with("The records to show could not be read: "))
        << dialogs.shownTexts()[0];
}

TEST_F(RunPagesTest, ThePreviewChangesNoRecordNotEvenADate) {
    open(DatabaseType::Draft);
    const auto monthly = addCheck(*database, {{f::kPrint, "Monthly"},
                                              {f::kCheck, 8},
                                              {f::kDate, "1/1/2020"},
                                              {f::kLabelPrint, true},
                                              {f::kLastName, "Lee"}});
    const auto once = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 9}});
    testing::ScriptedDialogs dialogs;
    RecordingSurface surface(kFaces);
    PrintRun run(*database, setup, dialogs);
    std::unique_ptr<RunPages> pages =
        run.preview({.once = true, .monthly = true, .monthlyLabels = true}, surface);
    ASSERT_TRUE(pages);
    ASSERT_EQ(pages->pageCount(), 2); // the checks, then the labels on a sheet of their own
    for (std::int64_t page = 0; page < pages->pageCount(); ++page)
        ASSERT_TRUE(pages->drawPage(page, surface));
    skipFailure(surface.EndDocument());
    ASSERT_EQ(surface.jobs().at(0).pages.size(), 2u);
    EXPECT_NE(surface.findText("12/6/2026"), nullptr); // the recurring check shows today's date
    const auto& label = surface.jobs()[0].pages[1].texts.at(0);
    EXPECT_EQ(label.text, "Lee");
    EXPECT_EQ(label.x, 200);
    EXPECT_EQ(label.y, 700);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(readCheck(*database, monthly).date, "1/1/2020");
    EXPECT_EQ(readCheck(*database, once).print, "Once");
    EXPECT_FALSE(pages->drawPage(2, surface)); // there is no third page

    EXPECT_FALSE(run.preview({}, surface));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Nothing to do.");
}

// The laser printer of the CUPS tests: 0.2 inch margins left, top and right, 0.3 inch at the bottom.
const PrintableArea kLaserArea{(8.5 - 0.4) * 1440, (11 - 0.5) * 1440};

TEST_F(RunPagesTest, TheMicrLineOfTheLastCheckOn92mmStockFallsBelowTheArea) {
    open(DatabaseType::Check);
    addChecks(4);
    setup.stock88mm = false;
    const PrintSelection once{.once = true, .monthly = true};
    const auto pages = checkPages(once, DatabaseType::Check);
    const Result<std::optional<ItemOutside>> found = findItemOutside(*pages, kLaserArea);
    ASSERT_TRUE(found) << found.message();
    ASSERT_TRUE(found.value());
    const ItemOutside& item = *found.value();
    EXPECT_TRUE(item.micr);
    EXPECT_EQ(item.side, ItemOutside::Side::Bottom);
    EXPECT_EQ(item.page, 0);
    // The third check of the first page (the template check is not set to print).
    EXPECT_EQ(item.owner, "check #3002 (record 4)");

    // By as much as the MICR line's cell reaches below the area, as the layout placed it.
    RecordingSurface recording(kFaces);
    ASSERT_TRUE(pages->drawPage(0, recording));
    const std::vector<RecordingSurface::Text> texts = recording.texts();
    const RecordingSurface::Text* lowest = nullptr;
    for (const auto& text : texts)
        if (!lowest || text.y > lowest->y)
            lowest = &text;
    ASSERT_TRUE(lowest);
    EXPECT_EQ(lowest->font.face, product::kMicrFontName);
    EXPECT_EQ(lowest->y, 200 + 2 * 5270 + 4269);
    const double below = lowest->y + recording.metrics().cellHeight(lowest->font) - kLaserArea.height;
    EXPECT_NEAR(item.twips, below, 1e-6);
    EXPECT_GT(item.twips, 0);

    const std::string told = describeItemOutside(item, "the printable area of the printer Office");
    EXPECT_EQ(told.rfind("The MICR line of check #3002 (record 4) on page 1 would print ", 0), 0u) << told;
    const std::string twips = std::to_string(static_cast<long long>(std::ceil(below)));
    EXPECT_NE(told.find(twips + " twips ("), std::string::npos) << told;
    EXPECT_NE(told.find(" below the printable area of the printer Office"), std::string::npos) << told;
    EXPECT_NE(told.find("decrease the Vertical Starting Position by at least " + twips + "."),
              std::string::npos)
        << told;

    // Raised by that much, everything fits; on 88mm stock or two to a page it always did.
    setup.verticalStart -= std::ceil(below);
    EXPECT_FALSE(findItemOutside(*checkPages(once, DatabaseType::Check), kLaserArea).value());
    setup.verticalStart = 200;
    for (const auto& [stock88mm, twoPerPage] : {std::pair(true, false), std::pair(false, true)}) {
        setup.stock88mm = stock88mm;
        setup.twoPerPage = twoPerPage;
        EXPECT_FALSE(findItemOutside(*checkPages(once, DatabaseType::Check), kLaserArea).value());
    }
}

TEST_F(RunPagesTest, ItemsPastTheOtherEdgesAreFoundToo) {
    open(DatabaseType::Draft);
    addChecks(2);
    const PrintSelection once{.once = true, .monthly = true};
    // A horizontal start left of the printable area.
    setup.horizontalStart = -300;
    const auto leftOut = findItemOutside(*checkPages(once, DatabaseType::Draft), kLaserArea).value();
    ASSERT_TRUE(leftOut);
    EXPECT_EQ(leftOut->side, ItemOutside::Side::Left);
    EXPECT_NEAR(leftOut->twips, 300, 1e-6);
    EXPECT_NE(describeItemOutside(*leftOut, "the paper")
                  .find("increase the Horizontal Starting Position by at least 300."),
              std::string::npos);
    // A printer with half-inch margins: the date of the recurring check, today's, reaches furthest
    // past its right edge.
    setup.horizontalStart = 525;
    const auto rightOut =
        findItemOutside(*checkPages(once, DatabaseType::Draft), {7.5 * 1440, 10 * 1440}).value();
    ASSERT_TRUE(rightOut);
    EXPECT_EQ(rightOut->side, ItemOutside::Side::Right);
    EXPECT_FALSE(rightOut->micr);
    EXPECT_EQ(rightOut->owner, "check #3001 (record 3)");
    EXPECT_EQ(rightOut->text, "12/6/2026");
    // Labels: the last row of a sheet below a short printable area names its record.
    const auto low = findItemOutside(*labelPages({.onceLabels = true}, 10), {8 * 1440, 13900}).value();
    ASSERT_TRUE(low);
    EXPECT_EQ(low->owner, "the label of record 2"); // the first label, number 10, at the bottom
}

TEST_F(RunPagesTest, APageImageShowsThePageWhereThePrinterPrintsIt) {
    open(DatabaseType::Draft);
    addChecks(4);
    const auto pages = checkPages({.once = true, .monthly = true}, DatabaseType::Draft);
    constexpr double dpi = 72;
    PageImageSurface surface(dpi, QPointF(0.25, 0.25));
    const Result<QImage> image = surface.render(*pages, 1);
    ASSERT_TRUE(image) << image.message();
    EXPECT_EQ(image->width(), static_cast<int>(8.5 * dpi));
    EXPECT_EQ(image->height(), static_cast<int>(11 * dpi));
    const auto ink = [&](double left, double top, double width, double height) {
        int dark = 0;
        for (int y = static_cast<int>(top); y < static_cast<int>(top + height); ++y)
            for (int x = static_cast<int>(left); x < static_cast<int>(left + width); ++x)
                dark += qGray(image->pixel(x, y)) < 128 ? 1 : 0;
        return dark;
    };
    // The payee line of the page's first check, from the quarter-inch origin; the space below the
    // second check's slot on a page of two checks stays blank.
    const double origin = 0.25 * dpi;
    const double payeeTop = origin + (200 + 1800) * dpi / 1440;
    const double payeeLeft = origin + 525 * dpi / 1440;
    EXPECT_GT(ink(payeeLeft, payeeTop, 150, 12), 20);
    EXPECT_EQ(ink(0, origin + (200 + 2 * 5020) * dpi / 1440, 8.5 * dpi, 3 * dpi), 0);
    EXPECT_EQ(ink(0, 0, origin - 1, 11 * dpi), 0); // nothing left of the origin

    const Result<QImage> missing = surface.render(*pages, 2);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find("There is no page 3"), std::string::npos) << missing.message();
}

} // namespace
} // namespace velmora::print
