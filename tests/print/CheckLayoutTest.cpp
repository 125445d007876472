#include "print/CheckLayout.h"

#include "db/AmountWords.h"
#include "print/RecordingSurface.h"

#include <gtest/gtest.h>

namespace velmora::print {
namespace {

using Text = RecordingSurface::Text;
using db::CheckRecord;

constexpr double X0 = 525;
constexpr double V = 200;

CheckRecord fullRecord() {
    CheckRecord r;
    r.businessName = "Acme Supply";
    r.firstName = "Ann";
    r.lastName = "Lee";
    r.address = "1 Main St";
    r.city = "Springfield";
    r.state = "IL";
    r.zip = "62701";
    r.phone = "555-1234";
    r.payTo = "Bob's Garage";
    r.amount = db::Money::fromCents(1250);
    r.date = "3/4/2026";
    r.check = 1234;
    r.memo = "Invoice 7";
    r.bank = "First Bank";
    r.bankCity = "Chicago";
    r.bankState = "IL";
    r.aba = "071000013";
    r.account = "12D345 678";
    return r;
}

class CheckLayoutTest : public ::testing::Test {
protected:
    CheckLayoutTest()
        : surface({"Times New Roman", "MICR65"}) {}

    CheckPageSetup setup(bool stock88 = true) const {
        CheckPageSetup s;
        s.horizontalStart = X0;
        s.verticalStart = V;
        s.stock88mm = stock88;
        return s;
    }
    // Lays one check out in the first slot and ends the job.
    void drawOne(const CheckRecord& record, db::DatabaseType type, bool stock88 = true) {
        drawOne(record, type, setup(stock88));
    }
    void drawOne(const CheckRecord& record, db::DatabaseType type, const CheckPageSetup& pageSetup) {
        CheckLayout layout(type, {"Times New Roman", "MICR65"});
        CheckPlacement placement(pageSetup);
        layout.draw(surface, record, placement);
        skipFailure(surface.EndDocument());
    }
    // The setup with the amount options.
    CheckPageSetup amountOptions(bool words, bool cents, double horizontalStart = X0) const {
        CheckPageSetup s = setup();
        s.horizontalStart = horizontalStart;
        s.amountInWords = words;
        s.amountWithCents = cents;
        return s;
    }
    double lineHeight(double points, bool bold = false, bool italic = false) const {
        return surface.metrics().lineHeight({"Times New Roman", points, bold, italic});
    }
    const Text& find(const std::string& text) const {
        const Text* found = surface.findText(text);
        if (!found)
            throw std::runtime_error("not printed: " + text);
        return *found;
    }
    // The texts in the order printed.
    std::vector<std::string> printed() const {
        std::vector<std::string> all;
        for (const Text& t : surface.texts())
            all.push_back(t.text);
        return all;
    }
    RecordingSurface surface;
};

void expectAt(const Text& text, double x, double y) {
    EXPECT_NEAR(text.x, x, 1e-6) << text.text;
    EXPECT_NEAR(text.y, y, 1e-6) << text.text;
}

TEST_F(CheckLayoutTest, CheckDatabaseOn88mmStockPlacesEveryItem) {
    drawOne(fullRecord(), db::DatabaseType::Check);
    const double name = lineHeight(12, true, true);
    const double small = lineHeight(10, false, true);

    expectAt(find("Acme Supply"), X0, V);
    EXPECT_TRUE(find("Acme Supply").font.bold && find("Acme Supply").font.italic);
    expectAt(find("Ann Lee"), X0, V + name);
    expectAt(find("1 Main St"), X0, V + 2 * name);
    EXPECT_EQ(find("1 Main St").font.points, 10);
    EXPECT_FALSE(find("1 Main St").font.bold);
    EXPECT_TRUE(find("1 Main St").font.italic);
    expectAt(find("Springfield, IL  62701"), X0, V + 2 * name + small);
    expectAt(find("PH: 555-1234"), X0, V + 2 * name + 2 * small);

    expectAt(find("PAY TO THE ORDER OF:  Bob's Garage"), X0, V + 1800);
    EXPECT_TRUE(find("PAY TO THE ORDER OF:  Bob's Garage").font.italic);
    // The amount is a number item between the asterisks, each item after the previous one.
    const Text& stars = find("**$");
    expectAt(stars, X0 + 9000, V + 1800);
    EXPECT_FALSE(stars.font.italic);
    const Text& amount = find(" 12.5 ");
    EXPECT_NEAR(amount.x, stars.x + surface.metrics().textWidth("**$", stars.font), 1e-6);
    EXPECT_NEAR(find("**").x, amount.x + surface.metrics().textWidth(" 12.5 ", amount.font), 1e-6);

    expectAt(find("First Bank"), X0, V + 2400);
    expectAt(find("Chicago, IL"), X0, V + 2400 + lineHeight(12, true));
    expectAt(find("For: Invoice 7"), X0, V + 3100);
    expectAt(find("_____________________________________"), X0 + 6600, V + 3200);
    EXPECT_EQ(surface.findText("Payment authorized by accountholder"), nullptr);

    // Number and date top right; the number is a number item with a blank each side.
    const auto texts = surface.texts();
    const Text* topNumber = nullptr;
    for (const Text& t : texts)
        if (t.text == " 1234 " && t.font.face == "Times New Roman")
            topNumber = &t;
    ASSERT_NE(topNumber, nullptr);
    expectAt(*topNumber, X0 + 9600, V + 300);
    EXPECT_TRUE(topNumber->font.bold);
    expectAt(find("3/4/2026"), X0 + 9600, V + 300 + lineHeight(12, true));
}

TEST_F(CheckLayoutTest, MicrLineCarriesItsSymbolsAndBlanks) {
    drawOne(fullRecord(), db::DatabaseType::Check);
    std::vector<Text> micr;
    for (const Text& t : surface.texts())
        if (t.font.face == "MICR65")
            micr.push_back(t);
    ASSERT_EQ(micr.size(), 9u);
    const std::vector<std::string> expected = {"C", " 1234 ",     "C",  "A", "071000013",
                                               "A", "12D345 678", "C ", "  "};
    for (std::size_t i = 0; i < micr.size(); ++i) {
        EXPECT_EQ(micr[i].text, expected[i]);
        EXPECT_EQ(micr[i].font.points, 12);
        EXPECT_FALSE(micr[i].font.bold || micr[i].font.italic);
        EXPECT_NEAR(micr[i].y, V + 4055, 1e-6);
    }
    EXPECT_NEAR(micr[0].x, X0 + 1535, 1e-6);
    EXPECT_NEAR(micr[3].x, X0 + 3330, 1e-6);
    EXPECT_NEAR(micr[6].x, X0 + 5655, 1e-6);
}

TEST_F(CheckLayoutTest, On92mmStockTheMicrLineIsLower) {
    drawOne(fullRecord(), db::DatabaseType::Check, false);
    EXPECT_NEAR(find("A").y, V + 4269, 1e-6);
}

TEST_F(CheckLayoutTest, NullFieldsSkipTheirLinesButEmptyTextsTakeThem) {
    CheckRecord record = fullRecord();
    record.businessName.reset();
    record.firstName.reset();
    record.zip.reset(); // city and state stay, but the city line belongs to the zip
    record.phone = "";
    record.bankState.reset();
    record.check.reset();
    record.aba.reset();
    drawOne(record, db::DatabaseType::Check);
    // Without a business name the name line starts at the top; a last name alone still makes it.
    expectAt(find(" Lee"), X0, V);
    expectAt(find("1 Main St"), X0, V + lineHeight(12, true, true));
    EXPECT_EQ(surface.findText("Springfield, IL  "), nullptr);
    expectAt(find("PH: "), X0, V + lineHeight(12, true, true) + lineHeight(10, false, true));
    EXPECT_EQ(surface.findText("Chicago, "), nullptr);
    // No number: neither top right nor on the MICR line; the date takes the number's place.
    EXPECT_EQ(surface.findText("C"), nullptr);
    EXPECT_EQ(surface.findText("A"), nullptr);
    expectAt(find("3/4/2026"), X0 + 9600, V + 300);

    surface.clearRecording();
    record = fullRecord();
    record.businessName = "";
    record.firstName.reset();
    record.lastName.reset();
    drawOne(record, db::DatabaseType::Check);
    expectAt(find(""), X0, V);
    expectAt(find("1 Main St"), X0, V + lineHeight(12, true, true));
}

TEST_F(CheckLayoutTest, DraftTextsAndTheMemoShift) {
    CheckRecord record = fullRecord();
    drawOne(record, db::DatabaseType::Draft);
    const double memo = lineHeight(10);
    const double small = lineHeight(8.25);
    EXPECT_EQ(surface.findText("_____________________________________"), nullptr);
    const std::string receipt = "This check when paid is a receipt for amount due on date indicated";
    // With a memo the line feed and the receipt follow it.
    expectAt(find(receipt), X0, V + 3100 + memo + small);
    EXPECT_EQ(find(receipt).font.points, 8.25);
    expectAt(find("Payment authorized by accountholder"), X0 + 6600, V + 2700);
    expectAt(find("Indemnification agreement provided by:"), X0 + 6600, V + 2700 + small);
    const auto texts = surface.texts();
    const auto payee =
        std::find_if(texts.begin(), texts.end(), [](const Text& t) { return t.text == "Bob's Garage"; });
    ASSERT_NE(payee, texts.end());
    expectAt(*payee, X0 + 6600, V + 2700 + 2 * small);
    EXPECT_TRUE(payee->font.italic);

    surface.clearRecording();
    record.memo.reset();
    drawOne(record, db::DatabaseType::Draft);
    expectAt(find(" "), X0, V + 3100);
    expectAt(find(receipt), X0, V + 3100 + small);

    // Neither draft nor check: neither the draft texts nor the signature line.
    surface.clearRecording();
    drawOne(fullRecord(), db::DatabaseType::Other);
    EXPECT_EQ(surface.findText(receipt), nullptr);
    EXPECT_EQ(surface.findText("_____________________________________"), nullptr);
}

TEST_F(CheckLayoutTest, HelvReplacesTimesWhenThePrinterLacksIt) {
    RecordingSurface other({"times new roman", "MICR65"});
    EXPECT_EQ(chooseTextFont(other), "Helv");
    EXPECT_EQ(chooseTextFont(surface), "Times New Roman");
}

// Slot tops and page breaks of a run of checks, with the cut marks of plain paper.
struct PlacedRun {
    std::vector<std::size_t> checksPerPage;
    std::vector<double> slotTops;
    std::vector<std::vector<double>> cutMarkYs; // per page
};

PlacedRun placeChecks(int count, CheckPageSetup setup) {
    RecordingSurface surface({"Times New Roman", "MICR65"});
    CheckLayout layout(db::DatabaseType::Check, {"Times New Roman", "MICR65"});
    CheckPlacement placement(setup);
    PlacedRun run;
    CheckRecord record = fullRecord();
    for (int i = 0; i < count; ++i) {
        run.slotTops.push_back(placement.slotTop());
        layout.draw(surface, record, placement);
        placement.advance(surface);
    }
    skipFailure(surface.EndDocument());
    EXPECT_EQ(surface.sentJobCount(), 1);
    for (const auto& page : surface.jobs().at(0).pages) {
        std::size_t checks = 0;
        std::vector<double> cuts;
        for (const Text& t : page.texts) {
            checks += t.text == "Acme Supply";
            if (t.text == "-") {
                EXPECT_TRUE(t.x == 0 || t.x == 10500) << t.x;
                if (t.x == 0)
                    cuts.push_back(t.y);
            }
        }
        run.checksPerPage.push_back(checks);
        run.cutMarkYs.push_back(cuts);
    }
    return run;
}

// The right end of a recorded text, in twips.
double rightOf(const RecordingSurface& surface, const Text& text) {
    return text.x + surface.metrics().textWidth(text.text, text.font);
}

TEST_F(CheckLayoutTest, LongTextsStopBeforeTheItemToTheirRight) {
    CheckRecord r = fullRecord();
    const std::string longText(120, 'W');
    r.businessName = r.address = r.payTo = r.bankCity = r.memo = r.date = r.bank = longText;
    drawOne(r, db::DatabaseType::Draft);
    const Text* amount = surface.findText("**$");
    const Text* authorized = surface.findText("Payment authorized by accountholder");
    ASSERT_TRUE(amount && authorized);
    for (const Text& text : surface.texts()) {
        if (text.text.find("WWW") == std::string::npos)
            continue;
        EXPECT_TRUE(text.text.ends_with("...")) << text.text;
        double limit = 11520;
        if (text.x < X0 + 100 && text.y < V + 1200) // the account holder block
            limit = X0 + 9600;                      // the check number and date
        else if (text.y == V + 1800)                // the payee line
            limit = amount->x;
        else if (text.x < X0 + 100 && text.y > V + 2500) // bank city and memo, beside the draft texts
            limit = authorized->x;
        EXPECT_LT(rightOf(surface, text), limit) << text.text;
    }
}

TEST_F(CheckLayoutTest, ShortTextsPrintWholeAndAmountsAreNeverCut) {
    CheckRecord r = fullRecord();
    r.amount = db::Money::fromCents(99999999999);
    drawOne(r, db::DatabaseType::Check);
    EXPECT_NE(surface.findText("PAY TO THE ORDER OF:  Bob's Garage"), nullptr);
    EXPECT_NE(surface.findText("Acme Supply"), nullptr);
    EXPECT_NE(surface.findText(" 999999999.99 "), nullptr);
}

// The texts of a recording as "text@x,y", in the order printed.
std::vector<std::string> placedTexts(const std::vector<Text>& texts) {
    std::vector<std::string> all;
    for (const Text& t : texts)
        all.push_back(t.text + "@" + std::to_string(t.x) + "," + std::to_string(t.y));
    return all;
}

TEST_F(CheckLayoutTest, TheAmountOptionsChangeTheAmountAloneAndAddOnlyTheWordsLine) {
    for (const db::DatabaseType type : {db::DatabaseType::Check, db::DatabaseType::Draft}) {
        surface.clearRecording();
        drawOne(fullRecord(), type, amountOptions(false, false));
        std::vector<std::string> off = placedTexts(surface.texts());
        surface.clearRecording();
        drawOne(fullRecord(), type, amountOptions(true, true));
        std::vector<std::string> on = placedTexts(surface.texts());

        // Off: "**$", " 12.5 ", "**"; on: "**$12.50**", then the words, their asterisks and " Dollars".
        const auto amountAt = std::find(off.begin(), off.end(),
                                        "**$@" + std::to_string(X0 + 9000) + "," + std::to_string(V + 1800));
        ASSERT_NE(amountAt, off.end());
        const auto offAt = amountAt - off.begin();
        ASSERT_LT(static_cast<std::size_t>(offAt + 3), on.size());
        EXPECT_EQ(on[offAt], "**$12.50**@" + std::to_string(X0 + 9000) + "," + std::to_string(V + 1800));
        EXPECT_EQ(on[offAt + 1].rfind("Twelve and 50/100@", 0), 0u) << on[offAt + 1];
        EXPECT_EQ(on[offAt + 2].find_first_not_of('*'), on[offAt + 2].find('@')) << on[offAt + 2];
        EXPECT_EQ(on[offAt + 3].rfind(" Dollars@", 0), 0u) << on[offAt + 3];
        off.erase(amountAt, amountAt + 3);
        on.erase(on.begin() + offAt, on.begin() + offAt + 4);
        EXPECT_EQ(on, off);
    }
}

TEST_F(CheckLayoutTest, AmountWithCentsClosesTheAsterisksUpToTheFigures) {
    const std::pair<std::optional<std::int64_t>, const char*> amounts[] = {
        {123456, "**$1,234.56**"}, {215000, "**$2,150.00**"}, {7500, "**$75.00**"},
        {-7500, "**$-75.00**"},    {std::nullopt, "**$**"},
    };
    for (const auto& [cents, printed] : amounts) {
        surface.clearRecording();
        CheckRecord record = fullRecord();
        record.amount = cents ? std::optional(db::Money::fromCents(*cents)) : std::nullopt;
        drawOne(record, db::DatabaseType::Check, amountOptions(false, true));
        const Text& amount = find(printed);
        expectAt(amount, X0 + 9000, V + 1800);
        EXPECT_EQ(amount.font.points, 12);
        EXPECT_TRUE(amount.font.bold);
        EXPECT_FALSE(amount.font.italic);
        EXPECT_EQ(surface.findText(" Dollars"), nullptr) << "no words without their option";
    }
}

TEST_F(CheckLayoutTest, TheAmountInWordsRunsFromTheLeftStartToTheAmountBoxBetweenPayeeAndBank) {
    for (const double x0 : {X0, 1300.0}) {
        surface.clearRecording();
        CheckRecord record = fullRecord();
        record.amount = db::Money::fromCents(123456);
        drawOne(record, db::DatabaseType::Check, amountOptions(true, false, x0));
        const Text& words = find("One thousand two hundred thirty-four and 56/100");
        const double top = V + 1800 + lineHeight(12, true);
        expectAt(words, x0, top);
        EXPECT_EQ(words.font.points, 12);
        EXPECT_FALSE(words.font.bold || words.font.italic);
        // Asterisks close up to the words and fill the line; " Dollars" ends within one asterisk of
        // the amount box's right edge, never past it.
        const auto texts = surface.texts();
        const auto at =
            std::find_if(texts.begin(), texts.end(), [&](const Text& t) { return t.text == words.text; });
        ASSERT_TRUE(at != texts.end() && at + 2 < texts.end());
        const Text& stars = *(at + 1);
        const Text& dollars = *(at + 2);
        EXPECT_GT(stars.text.size(), 10u);
        EXPECT_EQ(stars.text.find_first_not_of('*'), std::string::npos);
        EXPECT_NEAR(stars.x, rightOf(surface, words), 1e-6);
        EXPECT_EQ(dollars.text, " Dollars");
        EXPECT_NEAR(dollars.x, rightOf(surface, stars), 1e-6);
        const double limit = x0 + 10900;
        EXPECT_LE(rightOf(surface, dollars), limit);
        EXPECT_GT(rightOf(surface, dollars), limit - surface.metrics().textWidth("*", stars.font));
        // Its line lies below the payee's and ends above the bank's name.
        EXPECT_LE(top + lineHeight(12, true), V + 2400);
        expectAt(find("First Bank"), x0, V + 2400);
    }
    // An amount without words prints no line, and nothing else moves.
    for (const std::optional<std::int64_t> cents :
         {std::optional<std::int64_t>(0), std::optional<std::int64_t>(-1), std::optional<std::int64_t>()}) {
        surface.clearRecording();
        CheckRecord record = fullRecord();
        record.amount = cents ? std::optional(db::Money::fromCents(*cents)) : std::nullopt;
        drawOne(record, db::DatabaseType::Draft, amountOptions(true, false));
        EXPECT_EQ(surface.findText(" Dollars"), nullptr);
        expectAt(find("First Bank"), X0, V + 2400);
    }
}

TEST_F(CheckLayoutTest, ALongAmountInWordsIsSetSmallerButWholeAndNeverPassesTheAmountBox) {
    RecordingSurface helv({"MICR65"}); // a printer without Times New Roman prints in "Helv"
    for (RecordingSurface* on : {&surface, &helv}) {
        const std::string face = chooseTextFont(*on);
        for (const std::int64_t cents :
             {std::int64_t{77777777777}, std::int64_t{37337337373}, db::kMaxAmountCents}) {
            for (const double x0 : {X0, 1300.0}) {
                on->clearRecording();
                CheckRecord record = fullRecord();
                record.amount = db::Money::fromCents(cents);
                CheckLayout layout(db::DatabaseType::Check, {face, "MICR65"});
                layout.draw(*on, record, CheckPlacement(amountOptions(true, true, x0)));
                skipFailure(on->EndDocument());
                const std::string words = db::amountInWords(*record.amount).value();
                const Text* line = on->findText(words);
                ASSERT_NE(line, nullptr) << face << ": " << words;
                EXPECT_LT(line->font.points, 12) << face << ": " << words;
                EXPECT_GE(line->font.points, 8) << face << ": " << words;
                const Text* dollars = on->findText(" Dollars");
                ASSERT_NE(dollars, nullptr);
                EXPECT_EQ(dollars->font.points, line->font.points);
                EXPECT_LE(rightOf(*on, *dollars), x0 + 10900) << face << ": " << words;
            }
        }
    }
}

TEST(CheckPlacementTest, ThreeOrTwoChecksToAPage) {
    CheckPageSetup setup;
    setup.verticalStart = 300;
    setup.stock88mm = true;
    PlacedRun run = placeChecks(5, setup);
    EXPECT_EQ(run.checksPerPage, (std::vector<std::size_t>{3, 2}));
    EXPECT_EQ(run.slotTops, (std::vector<double>{300, 5320, 10340, 300, 5320}));

    setup.stock88mm = false;
    run = placeChecks(7, setup);
    EXPECT_EQ(run.checksPerPage, (std::vector<std::size_t>{3, 3, 1}));
    EXPECT_EQ(run.slotTops[2], 300 + 10540);

    setup.twoPerPage = true;
    run = placeChecks(5, setup);
    EXPECT_EQ(run.checksPerPage, (std::vector<std::size_t>{2, 2, 1}));
    EXPECT_EQ(run.slotTops, (std::vector<double>{300, 5570, 300, 5570, 300}));
    EXPECT_EQ(CheckPlacement(setup).pagesFor(5), 3);

    // Two to a page has no effect on 88mm stock.
    setup.stock88mm = true;
    EXPECT_EQ(placeChecks(5, setup).checksPerPage, (std::vector<std::size_t>{3, 2}));
    EXPECT_EQ(CheckPlacement(setup).pagesFor(6), 2);
}

TEST(CheckPlacementTest, CutMarksOnPlainPaperSpareTheLastSlotOfAThreeCheckPage) {
    CheckPageSetup setup;
    setup.verticalStart = 200;
    setup.stock88mm = true;
    setup.plainPaper = true;
    PlacedRun run = placeChecks(4, setup);
    ASSERT_EQ(run.cutMarkYs.size(), 2u);
    EXPECT_EQ(run.cutMarkYs[0], (std::vector<double>{200 + 4455, 200 + 5020 + 4455}));
    EXPECT_EQ(run.cutMarkYs[1], (std::vector<double>{200 + 4455}));

    setup.stock88mm = false;
    setup.twoPerPage = true;
    run = placeChecks(2, setup);
    EXPECT_EQ(run.cutMarkYs[0], (std::vector<double>{200 + 4670, 200 + 5270 + 4670}));

    setup.plainPaper = false;
    run = placeChecks(2, setup);
    EXPECT_TRUE(run.cutMarkYs[0].empty());
}

} // namespace
} // namespace velmora::print
