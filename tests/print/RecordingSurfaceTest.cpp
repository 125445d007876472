#include "print/RecordingSurface.h"

#include "print/FontCatalog.h"

#include <QFont>
#include <QFontInfo>
#include <gtest/gtest.h>
#include <limits>

namespace velmora::print {
namespace {

using Text = RecordingSurface::Text;

std::string textOf(const Text& text) {
    return text.text;
}

class RecordingSurfaceTest : public ::testing::Test {
protected:
    RecordingSurfaceTest()
        : surface({"Times New Roman", "MICR65"}) {
        skipFailure(surface.SetFontName("Times New Roman"));
        skipFailure(surface.SetFontSize(12));
    }
    PrintSurface::FontState font(double points, bool bold = false) const {
        return {"Times New Roman", points, bold, false};
    }
    RecordingSurface surface;
};

TEST(PrintedTextTest, NumbersCarryABlankOrSignBeforeAndABlankAfter) {
    EXPECT_EQ(printedText(std::int64_t{0}), " 0 ");
    EXPECT_EQ(printedText(std::int64_t{1234}), " 1234 ");
    EXPECT_EQ(printedText(std::int64_t{-7}), "-7 ");
    EXPECT_EQ(printedText(db::Money::fromCents(1250)), " 12.5 ");
    EXPECT_EQ(printedText(db::Money::fromCents(10000)), " 100 ");
    EXPECT_EQ(printedText(db::Money::fromCents(0)), " 0 ");
    EXPECT_EQ(printedText(db::Money::fromCents(-305)), "-3.05 ");
    EXPECT_EQ(printedText(db::Money::fromCents(-5)), "-0.05 ");
    EXPECT_EQ(printedText(std::string(" text as is ")), " text as is ");
}

TEST(PrintedTextTest, EveryWholeNumberAndAmountPrintsWithoutOverflow) {
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(printedText(lowest), "-9223372036854775808 ");
    EXPECT_EQ(printedText(highest), " 9223372036854775807 ");
    EXPECT_EQ(printedText(db::Money::fromCents(lowest)), "-92233720368547758.08 ");
    EXPECT_EQ(printedText(db::Money::fromCents(highest)), " 92233720368547758.07 ");
    EXPECT_EQ(printedText(db::Money::fromCents(-10)), "-0.1 ");
}

TEST_F(RecordingSurfaceTest, ATextLongerThanAnyLineIsCutBeforeItIsMeasured) {
    skipFailure(surface.SetFontName("Times New Roman"));
    // Ten megabytes of a payee cost no more than a line's worth of characters.
    const std::string huge(10'000'000, 'W');
    skipFailure(surface.PrintItems({huge, std::string("next")}, LineEnding::Stay));
    ASSERT_EQ(surface.texts().size(), 2u);
    EXPECT_EQ(surface.texts()[0].text.size(), kMaxItemCharacters);
    EXPECT_EQ(surface.texts()[1].text, "next");
    EXPECT_DOUBLE_EQ(surface.measure(huge), surface.measure(std::string(kMaxItemCharacters, 'W')));
    // Cut between characters, never inside one.
    std::string accented;
    for (std::size_t i = 0; i < kMaxItemCharacters + 5; ++i)
        accented += "\u00e9";
    EXPECT_EQ(firstCharacters(accented, kMaxItemCharacters).size(), 2 * kMaxItemCharacters);
    EXPECT_EQ(firstCharacters("short", 400), "short");
}

TEST_F(RecordingSurfaceTest, LineHeightIsTheFullTextHeightOfTheFont) {
    // About 1.15 times the point size (in twips, 20 to the point) for the faces used.
    for (double points : {12.0, 10.0, 8.25}) {
        const double height = surface.metrics().lineHeight(font(points));
        EXPECT_NEAR(height / (points * 20), 1.15, 0.02) << points;
    }
    EXPECT_GT(surface.metrics().lineHeight(font(12)), surface.metrics().lineHeight(font(10)));
}

TEST_F(RecordingSurfaceTest, EndLineAdvancesByTheLineHeightOfThePrintedLine) {
    skipFailure(surface.SetX(500));
    skipFailure(surface.SetY(1000));
    ASSERT_TRUE(surface.PrintItems({std::string("Twelve point")}, LineEnding::EndLine).ok());
    EXPECT_EQ(surface.x(), 0);
    skipFailure(surface.SetFontSize(10));
    skipFailure(surface.PrintItems({std::string("Ten point")}, LineEnding::EndLine));
    skipFailure(surface.PrintItems({std::string("Ten again")}, LineEnding::EndLine));

    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_DOUBLE_EQ(texts[0].x, 500);
    EXPECT_DOUBLE_EQ(texts[0].y, 1000);
    EXPECT_DOUBLE_EQ(texts[1].x, 0);
    EXPECT_DOUBLE_EQ(texts[1].y, 1000 + surface.metrics().lineHeight(font(12)));
    EXPECT_DOUBLE_EQ(texts[2].y, texts[1].y + surface.metrics().lineHeight(font(10)));
    EXPECT_EQ(texts[1].font.points, 10);
}

TEST_F(RecordingSurfaceTest, ABlankEndLineIsALineFeed) {
    skipFailure(surface.SetFontSize(8.25));
    skipFailure(surface.SetX(6600));
    skipFailure(surface.SetY(3100));
    skipFailure(surface.PrintItems({std::string(" ")}, LineEnding::EndLine));
    EXPECT_EQ(surface.x(), 0);
    EXPECT_DOUBLE_EQ(surface.y(), 3100 + surface.metrics().lineHeight(font(8.25)));
}

TEST_F(RecordingSurfaceTest, ItemsFollowEachOtherAndStayEndsRightOfTheText) {
    skipFailure(surface.SetBold(true));
    skipFailure(surface.SetX(9525));
    skipFailure(surface.SetY(2000));
    skipFailure(surface.PrintItems({std::string("**$"), db::Money::fromCents(1250), std::string("**")},
                                   LineEnding::Stay));

    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 3u);
    std::vector<std::string> printed;
    std::transform(texts.begin(), texts.end(), std::back_inserter(printed), textOf);
    EXPECT_EQ(printed, (std::vector<std::string>{"**$", " 12.5 ", "**"}));
    const auto& metrics = surface.metrics();
    EXPECT_DOUBLE_EQ(texts[1].x, 9525 + metrics.textWidth("**$", font(12, true)));
    EXPECT_DOUBLE_EQ(texts[2].x, texts[1].x + metrics.textWidth(" 12.5 ", font(12, true)));
    EXPECT_DOUBLE_EQ(surface.x(), texts[2].x + metrics.textWidth("**", font(12, true)));
    EXPECT_DOUBLE_EQ(surface.y(), 2000);
    for (const Text& text : texts) {
        EXPECT_EQ(text.y, 2000);
        EXPECT_TRUE(text.font.bold);
    }
    // Bold text is wider than regular text, and a blank has a width.
    EXPECT_GT(metrics.textWidth("Amount", font(12, true)), metrics.textWidth("Amount", font(12)));
    EXPECT_GT(metrics.textWidth(" ", font(12)), 0);
}

TEST_F(RecordingSurfaceTest, PagesStartWithTheirFirstOutput) {
    skipFailure(surface.SetBold(true));
    skipFailure(surface.PrintItems({std::string("one")}, LineEnding::EndLine));
    skipFailure(surface.NewPage());
    EXPECT_EQ(surface.x(), 0);
    EXPECT_EQ(surface.y(), 0);
    EXPECT_TRUE(surface.font().bold);
    skipFailure(surface.NewPage());
    skipFailure(surface.SetLineWidth(4));
    skipFailure(surface.DrawLine(6000, 100, 10600, 100));
    skipFailure(surface.NewPage());
    ASSERT_TRUE(surface.EndDocument().ok());

    ASSERT_EQ(surface.jobs().size(), 1u);
    const auto& pages = surface.jobs()[0].pages;
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].texts.size(), 1u);
    ASSERT_EQ(pages[1].lines.size(), 1u);
    EXPECT_EQ(pages[1].lines[0].width, 4);
    EXPECT_EQ(pages[1].lines[0].x2, 10600);
    EXPECT_TRUE(surface.jobs()[0].sent);
}

TEST_F(RecordingSurfaceTest, AJobBeginsWithItsFirstOutputAndEndsWithEndDocument) {
    ASSERT_TRUE(surface.EndDocument().ok());
    skipFailure(surface.NewPage());
    skipFailure(surface.EndDocument());
    EXPECT_TRUE(surface.jobs().empty());

    skipFailure(surface.SetItalic(true));
    skipFailure(surface.PrintItems({std::string("checks")}, LineEnding::EndLine));
    EXPECT_TRUE(surface.documentOpen());
    skipFailure(surface.EndDocument());
    EXPECT_FALSE(surface.documentOpen());
    skipFailure(surface.PrintItems({std::string("labels")}, LineEnding::EndLine));
    skipFailure(surface.EndDocument());

    ASSERT_EQ(surface.sentJobCount(), 2);
    // The font outlives the job; the position starts again at the corner.
    EXPECT_TRUE(surface.jobs()[1].pages[0].texts[0].font.italic);
    EXPECT_EQ(surface.jobs()[1].pages[0].texts[0].y, 0);
}

TEST_F(RecordingSurfaceTest, AJobThatCannotStartFailsEveryStepWithoutStoppingThem) {
    surface.setFailJobStart(true);
    EXPECT_FALSE(surface.PrintItems({std::string("lost")}, LineEnding::EndLine).ok());
    EXPECT_DOUBLE_EQ(surface.y(), surface.metrics().lineHeight(font(12))); // the position still moves
    EXPECT_FALSE(surface.DrawLine(0, 0, 100, 0).ok());
    skipFailure(surface.NewPage());
    EXPECT_FALSE(surface.PrintItems({std::string("lost")}, LineEnding::EndLine).ok());
    EXPECT_FALSE(surface.EndDocument().ok());
    EXPECT_TRUE(surface.jobs().empty());

    surface.setFailJobStart(false);
    EXPECT_TRUE(surface.PrintItems({std::string("kept")}, LineEnding::EndLine).ok());
    EXPECT_TRUE(surface.EndDocument().ok());
    EXPECT_EQ(surface.sentJobCount(), 1);
}

TEST_F(RecordingSurfaceTest, RejectsSizesAndWidthsThatCannotPrint) {
    EXPECT_FALSE(surface.SetFontSize(0).ok());
    EXPECT_FALSE(surface.SetFontSize(-8).ok());
    EXPECT_EQ(surface.font().points, 12);
    EXPECT_FALSE(surface.SetLineWidth(0).ok());
    EXPECT_EQ(surface.lineWidth(), 1);
}

TEST(TextFontTest, OnlyAFaceNamedExactlyTimesNewRomanIsTaken) {
    EXPECT_EQ(chooseTextFont(RecordingSurface({"times new roman"})), "Helv");
    EXPECT_EQ(chooseTextFont(RecordingSurface({"Times New Roman "})), "Helv");
    EXPECT_EQ(chooseTextFont(RecordingSurface(std::vector<std::string>{})), "Helv");
    EXPECT_EQ(chooseTextFont(RecordingSurface({"Arial", "MICR65", "Times New Roman"})), "Times New Roman");
    RecordingSurface surface({"Arial", "micr65"});
    EXPECT_EQ(surface.FontCount(), 2);
    EXPECT_EQ(surface.FontNameAt(1), "micr65");
    EXPECT_EQ(surface.FontNameAt(2), "");
    EXPECT_EQ(surface.FontNameAt(-1), "");
    EXPECT_FALSE(offersFace(surface, "MICR65"));
}

TEST(OfferedFacesTest, TimesNewRomanIsOfferedAndPrintsInItsMetricTwin) {
    RecordingSurface surface;
    EXPECT_TRUE(offersFace(surface, "Times New Roman"));
    EXPECT_TRUE(offersFace(surface, "Liberation Serif"));
    EXPECT_EQ(chooseTextFont(surface), "Times New Roman");
    EXPECT_FALSE(offersFace(surface, "Helv"));
    EXPECT_FALSE(offersFace(surface, "times new roman"));

    const PrintSurface::FontState times{"Times New Roman", 12, false, false};
    const PrintSurface::FontState liberation{"Liberation Serif", 12, false, false};
    EXPECT_EQ(surface.metrics().resolvedFamily(times), "Liberation Serif");
    EXPECT_EQ(surface.metrics().textWidth("Pay to the order of", times),
              surface.metrics().textWidth("Pay to the order of", liberation));
}

TEST(OfferedFacesTest, EveryOfferedAliasPrintsInTheFaceItIsBoundTo) {
    const auto& aliases = metricCompatibleAliases();
    ASSERT_FALSE(aliases.empty());
    const std::vector<std::string> offered = offeredFaceNames();
    for (const FaceAlias& alias : aliases) {
        EXPECT_NE(std::find(offered.begin(), offered.end(), alias.name), offered.end()) << alias.name;
        EXPECT_NE(std::find(offered.begin(), offered.end(), alias.family), offered.end()) << alias.family;
        // Qt may add the foundry to the family it prints in: "URW Bookman [urw]".
        const QString printedIn = QFontInfo(QFont(QString::fromStdString(alias.name))).family();
        EXPECT_EQ(printedIn.section(QStringLiteral(" ["), 0, 0).toStdString(), alias.family) << alias.name;
        // Generic names fall back to whatever face is configured: never a metric twin.
        EXPECT_NE(alias.name, "serif");
        EXPECT_NE(alias.name, "emoji");
    }
    // A face nothing is metric-compatible with is not offered, although it would print in some face.
    EXPECT_EQ(std::find(offered.begin(), offered.end(), "Wingdings"), offered.end());
}

TEST(OfferedFacesTest, AFaceIsTakenAsOfferedExactlyWhenTheListOfFacesHoldsIt) {
    // Asked one at a time first, as a print run asks for its text font, then against the list.
    const std::vector<std::string> asked{"Times New Roman", "Arial", "Liberation Serif", "MICR65", "Helv",
                                         "times new roman", "serif", "Wingdings",        ""};
    std::vector<bool> answers;
    for (const std::string& face : asked)
        answers.push_back(isOfferedFaceName(face));
    const std::vector<std::string> offered = offeredFaceNames();
    for (std::size_t i = 0; i < asked.size(); ++i)
        EXPECT_EQ(answers[i], std::find(offered.begin(), offered.end(), asked[i]) != offered.end())
            << asked[i];
    for (const std::string& face : offered)
        EXPECT_TRUE(isOfferedFaceName(face)) << face;
}

TEST(OfferedFacesTest, AMissingFaceStillPrintsInASubstitute) {
    RecordingSurface surface;
    const PrintSurface::FontState helv{"Helv", 10, false, false};
    EXPECT_FALSE(surface.metrics().resolvedFamily(helv).empty());
    EXPECT_GT(surface.metrics().textWidth("Helv", helv), 0);
    skipFailure(surface.SetFontName("Helv"));
    EXPECT_TRUE(surface.PrintItems({std::string("substituted")}, LineEnding::EndLine).ok());
    EXPECT_EQ(surface.texts().at(0).font.face, "Helv");
}

} // namespace
} // namespace velmora::print
