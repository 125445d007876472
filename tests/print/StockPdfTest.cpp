#include "print/PdfSurface.h"
#include "print/RecordingSurface.h"
#include "print/StockProducts.h"
#include "print/TestPage.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using testing::PdfProbe;

// Twips from the printable origin to points from the paper's corner (a quarter inch margin).
double paperPoints(double twips) {
    return twips / 20.0 + 18.0;
}

class StockPdfTest : public ::testing::Test {
protected:
    StockPdfTest()
        : database(program.createDatabase("Payroll", db::DatabaseType::Check)) {
        testing::fillTemplateCheck(database);
        setup.horizontalStart = 525;
        setup.verticalStart = 200;
        setup.stock88mm = true;
        setup.plainPaper = true;
    }

    // The product printed on `surface` with a count of 3 from number 1001.
    void print(const StockProduct& product, PrintSurface& surface) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueInput("3");
        dialogs.queueInput("1001");
        StockRun job(database, setup, product, "45");
        ASSERT_TRUE(runJob(job, surface, dialogs, database.connection()).sent);
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    CheckPageSetup setup;
    testing::TempDir dir;
};

TEST_F(StockPdfTest, EveryProductLandsOnPaperWhereItWasLaidOutWithItsMicrLineInked) {
    for (const StockProduct& product : stockProducts()) {
        const std::string name = product.name;
        const auto file = dir / (name + ".pdf");
        {
            PdfSurface pdf(file.string());
            if (!offersFace(pdf, "MICR65"))
                GTEST_SKIP() << "The MICR65 font is not registered in this build";
            print(product, pdf);
        }
        RecordingSurface recording({"Times New Roman", "MICR65"});
        print(product, recording);
        PdfProbe probe(file);
        ASSERT_TRUE(probe.loaded()) << name;
        ASSERT_EQ(static_cast<std::size_t>(probe.pageCount()), recording.jobs().at(0).pages.size()) << name;

        // Each text of the first page, read back by its first word, within half a point.
        const auto words = probe.words(0);
        for (const RecordingSurface::Text& text : recording.jobs().at(0).pages.at(0).texts) {
            if (text.font.face == "MICR65")
                continue;
            const auto start = text.text.find_first_not_of(' ');
            // The right cut mark of a deposit ticket stands beyond the edge of a letter page.
            if (start == std::string::npos || paperPoints(text.x) >= probe.pageSize(0).first)
                continue;
            const std::string word = text.text.substr(start, text.text.find(' ', start) - start);
            const double left =
                paperPoints(text.x + recording.metrics().textWidth(text.text.substr(0, start), text.font));
            const bool found = std::any_of(words.begin(), words.end(), [&](const PdfProbe::Word& w) {
                return w.text == word && std::abs(w.left - left) <= 0.5 &&
                       std::abs(w.top - paperPoints(text.y)) <= 0.5;
            });
            EXPECT_TRUE(found) << name << ": \"" << word << "\" at " << text.x << ", " << text.y;
        }

        // The MICR line of each slot of the first page has ink across the routing number.
        const PrintSurface::FontState micr{"MICR65", 12, false, false};
        for (const RecordingSurface::Text& text : recording.jobs().at(0).pages.at(0).texts) {
            if (text.font.face != "MICR65" || text.text != "211274450")
                continue;
            const double width = recording.metrics().textWidth(text.text, micr);
            EXPECT_GT(probe.darkPixels(0, paperPoints(text.x), paperPoints(text.y),
                                       paperPoints(text.x + width),
                                       paperPoints(text.y + recording.metrics().lineHeight(micr))),
                      300)
                << name << " at " << text.y;
        }
        bool micrEmbedded = false;
        for (const PdfProbe::Font& font : probe.fonts())
            micrEmbedded |= font.name.find("MICR65") != std::string::npos && font.embedded;
        EXPECT_TRUE(micrEmbedded) << name;
    }
}

// What a recording holds, text by text and line by line, to compare two of them.
std::vector<std::string> everything(const RecordingSurface& surface) {
    std::vector<std::string> all;
    for (const auto& job : surface.jobs()) {
        for (const auto& page : job.pages) {
            all.push_back("page");
            for (const RecordingSurface::Text& t : page.texts)
                all.push_back(t.text + "@" + std::to_string(t.x) + "," + std::to_string(t.y) + " " +
                              t.font.face + " " + std::to_string(t.font.points) +
                              (t.font.bold ? " bold" : "") + (t.font.italic ? " italic" : ""));
            for (const RecordingSurface::Line& l : page.lines)
                all.push_back("line " + std::to_string(l.x1) + "," + std::to_string(l.y1) + " " +
                              std::to_string(l.x2) + "," + std::to_string(l.y2) + " " +
                              std::to_string(l.width));
        }
    }
    return all;
}

TEST_F(StockPdfTest, BlankStockKeepsItsHandWrittenAmountLinesWhateverTheAmountOptions) {
    for (const StockProduct& product : stockProducts()) {
        RecordingSurface plain({"Times New Roman", "MICR65"});
        print(product, plain);
        setup.amountInWords = setup.amountWithCents = true;
        RecordingSurface withOptions({"Times New Roman", "MICR65"});
        print(product, withOptions);
        setup.amountInWords = setup.amountWithCents = false;
        EXPECT_EQ(everything(withOptions), everything(plain)) << product.name;
    }
}

TEST_F(StockPdfTest, TheTestPageAddsTheAmountInWordsLineToEachSlotWhenChecksPrintIt) {
    RecordingSurface off({"Times New Roman", "MICR65"});
    ASSERT_TRUE(printTestPage(off, setup));
    setup.amountInWords = true;
    setup.amountWithCents = true;
    RecordingSurface on({"Times New Roman", "MICR65"});
    ASSERT_TRUE(printTestPage(on, setup));

    // Where a check of each slot prints it: under the payee and amount line, from the left start.
    const double line = on.metrics().lineHeight({"Times New Roman", 12, true, false});
    std::vector<std::string> withoutWords;
    int slot = 0;
    for (const std::string& item : everything(on)) {
        if (item.find(" Dollars@") == std::string::npos && item.find("/100@") == std::string::npos &&
            item.find("**@") == std::string::npos) {
            withoutWords.push_back(item);
            continue;
        }
        if (item.rfind("One thousand two hundred thirty-four and 56/100@", 0) == 0) {
            EXPECT_EQ(item.substr(item.find('@') + 1, item.find(' ', item.find('@')) - item.find('@') - 1),
                      std::to_string(525.0) + "," + std::to_string(200 + slot * 5020 + 1800 + line));
            ++slot;
        }
    }
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(withoutWords, everything(off)) << "nothing else on the page moves";
}

TEST_F(StockPdfTest, TheTestPageMarksTheSheetWhereItIsAndMovesOnlyTheSampleLine) {
    // Where the words of the page are, at three sets of starting positions.
    struct Printed {
        PdfProbe::Word transit, position40, number;
        double baselineInk = 0;
    };
    const auto printAt = [&](double horizontal, double vertical, const std::string& name) {
        CheckPageSetup at = setup;
        at.horizontalStart = horizontal;
        at.verticalStart = vertical;
        const auto file = dir / name;
        PdfSurface pdf(file.string());
        EXPECT_TRUE(printTestPage(pdf, at));
        PdfProbe probe(file);
        EXPECT_EQ(probe.pageCount(), 1);
        Printed printed{probe.word(0, "33-43"), probe.word(0, "40"), probe.word(0, "1001")};
        // The baseline mark of the first check: a line of ink across the page under position 40.
        const SheetCheck first = sheetCheck(true, 0, PdfSurface::paperArea());
        const double baseline = paperPoints(first.baseline);
        printed.baselineInk =
            probe.darkPixels(0, paperPoints(200), baseline - 0.3, paperPoints(1200), baseline + 0.3);
        return printed;
    };
    {
        PdfSurface pdf((dir / "probe.pdf").string());
        if (!offersFace(pdf, "MICR65"))
            GTEST_SKIP() << "The MICR65 font is not registered in this build";
    }
    const Printed delivered = printAt(525, 200, "delivered.pdf");
    const Printed right = printAt(825, 200, "right.pdf");
    const Printed lower = printAt(525, 500, "lower.pdf");

    // The transit field and the positions stay where the sheet has them...
    for (const Printed* other : {&right, &lower}) {
        EXPECT_NEAR(other->transit.left, delivered.transit.left, 0.01);
        EXPECT_NEAR(other->transit.top, delivered.transit.top, 0.01);
        EXPECT_NEAR(other->position40.left, delivered.position40.left, 0.01);
        EXPECT_GT(other->baselineInk, 0);
    }
    // ...counted from the sheet's right edge, 8.5 inches from its left: position 43 (the transit
    // symbol that opens the routing number) begins 5 11/16 inches from it, 33 ends 4 5/16 from it.
    const SheetCheck first = sheetCheck(true, 0, PdfSurface::paperArea());
    EXPECT_NEAR(first.right + PdfSurface::paperArea().left, 8.5 * 1440, 0.01);
    EXPECT_NEAR(first.right - micrPositionRight(first, 43) + 180, 1440 * (5 + 11.0 / 16), 0.01);
    EXPECT_NEAR(first.right - micrPositionRight(first, 33), 1440 * (4 + 5.0 / 16), 0.01);
    EXPECT_NEAR(first.bottom - first.baseline, 270, 0.01) << "3/16 inch";
    EXPECT_GE(first.top, -PdfSurface::paperArea().top) << "no check above the sheet";

    // ...while the sample MICR line moves with the starting positions, 15 points for 300 twips.
    EXPECT_NEAR(right.number.left - delivered.number.left, 15, 0.5);
    EXPECT_NEAR(right.number.top, delivered.number.top, 0.5);
    EXPECT_NEAR(lower.number.top - delivered.number.top, 15, 0.5);
    EXPECT_NEAR(lower.number.left, delivered.number.left, 0.5);

    // The sample check number is printed as an entered check's: on-us symbols around the number with
    // a blank on each side.
    RecordingSurface recording({"Times New Roman", "MICR65"});
    ASSERT_TRUE(printTestPage(recording, setup));
    std::vector<std::string> field;
    for (const RecordingSurface::Text& text : recording.jobs().at(0).pages.at(0).texts) {
        if (text.font.face == "MICR65" && field.size() < 3)
            field.push_back(text.text);
    }
    EXPECT_EQ(field, (std::vector<std::string>{"C", " 1001 ", "C"}));
}

} // namespace
} // namespace velmora::print
