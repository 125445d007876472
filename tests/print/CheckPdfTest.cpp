#include "db/AmountWords.h"
#include "print/CheckLayout.h"
#include "print/PdfSurface.h"
#include "print/RecordingSurface.h"
#include "support/PdfProbe.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using testing::PdfProbe;

// Twips from the printable origin to points from the paper's corner (a quarter inch margin).
double paperPoints(double twips) {
    return twips / 20.0 + 18.0;
}

db::CheckRecord check(std::int64_t cents) {
    db::CheckRecord record;
    record.businessName = "Harbor Lane Bakery";
    record.payTo = "Casco Electric";
    record.amount = db::Money::fromCents(cents);
    record.bank = "Casco Savings";
    record.check = 1001;
    record.aba = "211274450";
    record.account = "40021977";
    return record;
}

// Entered checks with the amount options on, printed to a PDF and read back.
class CheckPdfTest : public ::testing::Test {
protected:
    CheckPageSetup amountOptions(double horizontalStart, double verticalStart) const {
        CheckPageSetup setup;
        setup.horizontalStart = horizontalStart;
        setup.verticalStart = verticalStart;
        setup.stock88mm = true;
        setup.amountInWords = true;
        setup.amountWithCents = true;
        return setup;
    }
    PdfProbe print(const std::vector<db::CheckRecord>& records, const CheckPageSetup& setup) {
        const auto file = dir / "checks.pdf";
        {
            PdfSurface pdf(file.string());
            const CheckLayout layout(db::DatabaseType::Check, {chooseTextFont(pdf), "MICR65"});
            CheckPlacement placement(setup);
            for (const db::CheckRecord& record : records) {
                layout.draw(pdf, record, placement);
                placement.advance(pdf);
            }
            EXPECT_TRUE(pdf.EndDocument());
        }
        return PdfProbe(file);
    }
    // The words of one line of a page, left to right: those whose top is within a point of `top`.
    static std::vector<PdfProbe::Word> line(const PdfProbe& pdf, double top) {
        std::vector<PdfProbe::Word> found;
        for (const PdfProbe::Word& word : pdf.words(0))
            if (std::abs(word.top - top) < 1)
                found.push_back(word);
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.left < b.left; });
        return found;
    }
    static std::string joined(const std::vector<PdfProbe::Word>& words) {
        std::string text;
        for (const PdfProbe::Word& word : words)
            text += (text.empty() ? "" : " ") + word.text;
        return text;
    }

    RecordingSurface recording{{"Times New Roman", "MICR65"}};
    testing::TempDir dir;
};

TEST_F(CheckPdfTest, TheAmountWithCentsAndInWordsLandWhereLaidOutAtEitherStartingPosition) {
    const double wordsLine = recording.metrics().lineHeight({"Times New Roman", 12, true, false});
    for (const auto& [x0, v] : {std::pair{525.0, 200.0}, std::pair{1100.0, 650.0}}) {
        SCOPED_TRACE("starting at " + std::to_string(x0) + ", " + std::to_string(v));
        const PdfProbe pdf = print({check(123456), check(215000), check(7500)}, amountOptions(x0, v));
        ASSERT_EQ(pdf.pageCount(), 1);
        const std::pair<const char*, const char*> slots[] = {
            {"**$1,234.56**", "One thousand two hundred thirty-four and 56/100"},
            {"**$2,150.00**", "Two thousand one hundred fifty and 00/100"},
            {"**$75.00**", "Seventy-five and 00/100"},
        };
        for (int slot = 0; slot < 3; ++slot) {
            const double top = v + slot * 5020;
            const PdfProbe::Word amount = pdf.word(0, slots[slot].first);
            EXPECT_NEAR(amount.left, paperPoints(x0 + 9000), 0.5);
            EXPECT_NEAR(amount.top, paperPoints(top + 1800), 0.5);

            // The words from the left start, the asterisks after them, " Dollars" at the box's edge.
            const std::vector<PdfProbe::Word> words = line(pdf, paperPoints(top + 1800 + wordsLine));
            ASSERT_GE(words.size(), 2u);
            EXPECT_NEAR(words.front().left, paperPoints(x0), 0.5);
            const std::string text = joined(words);
            EXPECT_EQ(text.rfind(std::string(slots[slot].second) + "***", 0), 0u) << text;
            EXPECT_EQ(words.back().text, "Dollars");
            EXPECT_LE(words.back().right, paperPoints(x0 + 10900) + 0.1);
            EXPECT_GT(words.back().right, paperPoints(x0 + 10900) - 6) << "within an asterisk of the edge";
            EXPECT_LT(words.back().bottom, paperPoints(top + 2400)) << "above the bank's name";
            EXPECT_EQ(joined(line(pdf, paperPoints(top + 2400))), "Casco Savings") << "where it always was";
        }
    }
}

TEST_F(CheckPdfTest, TheLongestAmountsInWordsStayWholeAndInkNothingPastTheAmountBox) {
    const double wordsLine = recording.metrics().lineHeight({"Times New Roman", 12, true, false});
    for (const std::int64_t cents : {std::int64_t{77777777777}, db::kMaxAmountCents}) {
        const PdfProbe pdf = print({check(cents)}, amountOptions(525, 200));
        const double top = paperPoints(200 + 1800 + wordsLine);
        const std::vector<PdfProbe::Word> words = line(pdf, top);
        ASSERT_FALSE(words.empty());
        const std::string text = joined(words);
        EXPECT_EQ(text.rfind(*db::amountInWords(db::Money::fromCents(cents)), 0), 0u) << text;
        EXPECT_EQ(words.back().text, "Dollars") << text;
        const double limit = paperPoints(525 + 10900);
        EXPECT_LE(words.back().right, limit + 0.1);
        // No ink from just past the amount box to the paper's edge, on the whole height of the line.
        EXPECT_EQ(pdf.darkPixels(0, limit + 0.5, top + 1, pdf.pageSize(0).first, words.back().bottom, 300),
                  0);
    }
}

} // namespace
} // namespace velmora::print
