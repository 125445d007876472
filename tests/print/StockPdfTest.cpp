#include "print/PdfProbe.h"
#include "print/PdfSurface.h"
#include "print/RecordingSurface.h"
#include "print/StockProducts.h"
#include "print/TestPage.h"
#include "support/Fixtures.h"
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
    void print(StockKind kind, PrintSurface& surface) {
        testing::ScriptedDialogs dialogs;
        dialogs.queueInput("3");
        dialogs.queueInput("1001");
        StockRun job(database, setup, stockProduct(kind), "45");
        ASSERT_TRUE(runJob(job, surface, dialogs, database.connection()).sent);
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    CheckPageSetup setup;
    testing::TempDir dir;
};

TEST_F(StockPdfTest, EveryProductLandsOnPaperWhereItWasLaidOutWithItsMicrLineInked) {
    for (StockKind kind : {StockKind::BlankChecks, StockKind::DepositTickets, StockKind::Quicken3Up,
                           StockKind::QuickenVoucher}) {
        const std::string name = stockProduct(kind).name;
        const auto file = dir / (name + ".pdf");
        {
            PdfSurface pdf(file.string());
            if (!offersFace(pdf, "MICR65"))
                GTEST_SKIP() << "The MICR65 font is not registered in this build";
            print(kind, pdf);
        }
        RecordingSurface recording({"Times New Roman", "MICR65"});
        print(kind, recording);
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
    for (StockKind kind : {StockKind::BlankChecks, StockKind::DepositTickets, StockKind::Quicken3Up,
                           StockKind::QuickenVoucher}) {
        RecordingSurface plain({"Times New Roman", "MICR65"});
        print(kind, plain);
        setup.amountInWords = setup.amountWithCents = true;
        RecordingSurface withOptions({"Times New Roman", "MICR65"});
        print(kind, withOptions);
        setup.amountInWords = setup.amountWithCents = false;
        EXPECT_EQ(everything(withOptions), everything(plain)) << stockProduct(kind).name;
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

TEST_F(StockPdfTest, TheTestPageMarksTheBaselineAndPrintsTheSampleLineOnIt) {
    const auto file = dir / "test-page.pdf";
    PdfSurface pdf(file.string());
    if (!offersFace(pdf, "MICR65"))
        GTEST_SKIP() << "The MICR65 font is not registered in this build";
    ASSERT_TRUE(printTestPage(pdf, setup));
    PdfProbe probe(file);
    ASSERT_EQ(probe.pageCount(), 1);
    RecordingSurface recording({"MICR65"});
    const PrintSurface::FontState micr{"MICR65", 12, false, false};
    const double ascent = recording.metrics().ascent(micr);
    for (int slot = 0; slot < 3; ++slot) {
        const CheckOutline check = checkOutline(setup, 200 + slot * 5020, ascent);
        EXPECT_NEAR(check.bottom - check.baseline, 270, 0.01) << "3/16 inch";
        // The routing number's transit symbol sits in position 43, 5 11/16 inch from the right edge.
        EXPECT_NEAR(check.right - (525 + 3330), 1440 * (5 + 11.0 / 16), 0.01);
        // Ink on the baseline mark across the page, and the sample line's glyphs standing on it.
        const double baseline = paperPoints(check.baseline);
        EXPECT_GT(probe.darkPixels(0, paperPoints(2000), baseline - 0.3, paperPoints(2100), baseline + 0.3),
                  0);
        EXPECT_GT(probe.darkPixels(0, paperPoints(525 + 3330), baseline - 8.4,
                                   paperPoints(525 + 3330 + 11 * 180), baseline - 0.5),
                  300);
    }
    // The rulers are numbered in twips.
    bool ruled = false;
    for (const auto& word : probe.words(0))
        ruled |= word.text == "1440" && std::abs(word.left - paperPoints(1460)) < 0.5;
    EXPECT_TRUE(ruled);
}

} // namespace
} // namespace velmora::print
