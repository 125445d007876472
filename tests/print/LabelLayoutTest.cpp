#include "print/LabelLayout.h"

#include "print/PrintRun.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using Text = RecordingSurface::Text;
namespace f = db::field;

TEST(LabelLayoutTest, LabelsAreNumberedDownEachColumn) {
    const std::pair<int, LayoutOrigin> expected[] = {
        {1, {200, 700}},     {10, {200, 13687}}, {11, {4200, 700}},
        {20, {4200, 13687}}, {21, {8200, 700}},  {30, {8200, 13687}},
    };
    for (const auto& [number, origin] : expected) {
        EXPECT_EQ(LabelLayout::position(number).x, origin.x) << number;
        EXPECT_EQ(LabelLayout::position(number).y, origin.y) << number;
    }
    EXPECT_EQ(LabelLayout::position(12).y, 2143);
    EXPECT_EQ(LabelLayout::position(23).y, 3586);
}

class LabelPrintTest : public ::testing::Test {
protected:
    LabelPrintTest()
        : database(programDir.createDatabase("Drafts", db::DatabaseType::Draft))
        , surface({"Times New Roman", "MICR65"}) {}

    double lineHeight(bool bold) const {
        return surface.metrics().lineHeight({"Times New Roman", 10, bold, bold});
    }
    // Prints the labels of every one-time check from `start`; the texts of each page.
    std::vector<std::vector<Text>> printFrom(const std::string& start) {
        dialogs.queueInput(start);
        PrintRun run(database, {}, dialogs);
        run.run({.onceLabels = true}, surface, surface);
        std::vector<std::vector<Text>> pages;
        for (const auto& page : surface.jobs().at(0).pages)
            pages.push_back(page.texts);
        return pages;
    }

    testing::ProgramDirFixture programDir;
    db::CheckDatabase database;
    testing::ScriptedDialogs dialogs;
    RecordingSurface surface;
};

TEST_F(LabelPrintTest, StartingAtLabel11FillsTheSheetAndGoesOnToTheNext) {
    for (int i = 1; i <= 21; ++i)
        testing::addCheck(
            database,
            {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kBusinessName, "Label " + std::to_string(i)}});
    const auto pages = printFrom("11");
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].size(), 20u);
    EXPECT_EQ(pages[0].front().text, "Label 1");
    EXPECT_EQ(pages[0].front().x, 4200);
    EXPECT_EQ(pages[0].front().y, 700);
    // The 20th label of the run is label 30: the bottom of the right column.
    EXPECT_EQ(pages[0].back().text, "Label 20");
    EXPECT_EQ(pages[0].back().x, 8200);
    EXPECT_EQ(pages[0].back().y, 13687);
    EXPECT_EQ(pages[1].front().text, "Label 21");
    EXPECT_EQ(pages[1].front().x, 200);
    EXPECT_EQ(pages[1].front().y, 700);
    EXPECT_TRUE(pages[1].front().font.bold && pages[1].front().font.italic);
    EXPECT_EQ(pages[1].front().font.points, 10);
}

TEST_F(LabelPrintTest, AStartPastTheSheetBeginsANewSheetAtLabel1) {
    testing::addCheck(database, {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kBusinessName, "Acme"}});
    const auto pages = printFrom("45");
    ASSERT_EQ(pages.size(), 1u); // the page break before the first output feeds no empty sheet
    EXPECT_EQ(pages[0].front().x, 200);
    EXPECT_EQ(pages[0].front().y, 700);
}

TEST_F(LabelPrintTest, MissingNamesMoveTheLinesUp) {
    // First name only: the name and a blank form the name line.
    testing::addCheck(database, {{f::kPrint, "Once"},
                                 {f::kLabelPrint, true},
                                 {f::kBusinessName, "Acme"},
                                 {f::kFirstName, "Ann"},
                                 {f::kAddress, "1 Main"},
                                 {f::kCity, "Springfield"},
                                 {f::kState, "IL"},
                                 {f::kZip, "62701"},
                                 {f::kPhone, "555"}});
    // Neither name: the address right under the business name.
    testing::addCheck(
        database,
        {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kBusinessName, "Beta"}, {f::kAddress, "2 Main"}});
    // Nothing but an address: it takes the first line.
    testing::addCheck(database, {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kAddress, "3 Main"}});
    const auto pages = printFrom("");
    const auto& t = pages.at(0);
    std::vector<std::string> texts;
    for (const Text& text : t)
        texts.push_back(text.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Acme", "Ann", " ", "1 Main", "Springfield, IL  62701", "Beta",
                                               "2 Main", "3 Main"}));
    const double bold = lineHeight(true);
    EXPECT_EQ(t[1].y, 700 + bold);
    EXPECT_EQ(t[3].y, 700 + 2 * bold);
    EXPECT_FALSE(t[3].font.bold || t[3].font.italic);
    EXPECT_EQ(t[4].y, 700 + 2 * bold + lineHeight(false));
    EXPECT_EQ(t[5].y, 2143);
    EXPECT_EQ(t[6].y, 2143 + bold);
    EXPECT_EQ(t[7].x, 200);
    EXPECT_EQ(t[7].y, 3586);
}

TEST(LabelLayoutTest, ALongAddressStaysOnItsLabel) {
    RecordingSurface surface({"Times New Roman", "MICR65"});
    db::CheckRecord record;
    record.businessName = std::string(80, 'M');
    record.address = "12345 Northwest Extraordinarily Long Boulevard Extension, Building 7, Suite 1200";
    LabelLayout("Times New Roman").draw(surface, record, 1);
    ASSERT_EQ(surface.texts().size(), 2u);
    for (const auto& text : surface.texts()) {
        EXPECT_TRUE(text.text.ends_with("...")) << text.text;
        // The next column starts at 4200.
        EXPECT_LT(text.x + surface.metrics().textWidth(text.text, text.font), 200 + 3600 + 0.01);
    }
}

} // namespace
} // namespace velmora::print
