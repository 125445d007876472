#include "print/CheckLayout.h"
#include "print/RecordingSurface.h"
#include "support/Fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace velmora::print {
namespace {

using db::CheckRecord;

// The entered checks as they have always printed, text by text: where, in which font, what. Options
// added to the check layout must leave every one of these pages as it was while they are off. After
// a deliberate change of the layout, VELMORA_REWRITE_RECORDING=1 writes the file anew.
const char* const kRecordingFile = VELMORA_SOURCE_DIR "/tests/print/entered-checks-as-printed.txt";

std::vector<CheckRecord> records() {
    CheckRecord full;
    full.businessName = "Acme Supply";
    full.firstName = "Ann";
    full.lastName = "Lee";
    full.address = "1 Main St";
    full.city = "Springfield";
    full.state = "IL";
    full.zip = "62701";
    full.phone = "555-1234";
    full.payTo = "Bob's Garage";
    full.amount = db::Money::fromCents(123456);
    full.date = "3/4/2026";
    full.check = 1234;
    full.memo = "Invoice 7";
    full.bank = "First Bank";
    full.bankCity = "Chicago";
    full.bankState = "IL";
    full.aba = "071000013";
    full.account = "12D345 678";

    CheckRecord sparse; // Null fields skip their lines
    sparse.lastName = "Lee";
    sparse.zip = "62701";
    sparse.amount = db::Money::fromCents(7500);

    CheckRecord cut = full; // texts cut before the item to their right
    cut.businessName = cut.payTo = cut.memo = cut.bank = std::string(150, 'W');
    cut.amount = db::Money::fromCents(db::kMaxAmountCents);

    CheckRecord negative = full;
    negative.amount = db::Money::fromCents(-5);
    CheckRecord zero = full;
    zero.amount = db::Money::fromCents(0);
    CheckRecord noAmount = full;
    noAmount.amount.reset();
    return {full, sparse, cut, negative, zero, noAmount};
}

// One job per database type and stock, every record in turn, written out line by line.
std::string recordedPages() {
    std::string out;
    char line[160];
    for (const db::DatabaseType type : {db::DatabaseType::Check, db::DatabaseType::Draft}) {
        for (const bool stock88mm : {true, false}) {
            CheckPageSetup setup;
            setup.horizontalStart = 525;
            setup.verticalStart = 200;
            setup.stock88mm = stock88mm;
            setup.twoPerPage = !stock88mm;
            setup.plainPaper = true;
            RecordingSurface surface({"Times New Roman", "MICR65"});
            const CheckLayout layout(type, {"Times New Roman", "MICR65"});
            CheckPlacement placement(setup);
            for (const CheckRecord& record : records()) {
                layout.draw(surface, record, placement);
                placement.advance(surface);
            }
            skipFailure(surface.EndDocument());
            std::snprintf(line, sizeof line, "job %s %s\n",
                          type == db::DatabaseType::Check ? "check" : "draft", stock88mm ? "88mm" : "92mm");
            out += line;
            for (const auto& page : surface.jobs().at(0).pages) {
                out += "page\n";
                for (const RecordingSurface::Text& text : page.texts) {
                    std::snprintf(line, sizeof line, "%.2f %.2f %s %.2f %d %d |", text.x, text.y,
                                  text.font.face.c_str(), text.font.points, text.font.bold ? 1 : 0,
                                  text.font.italic ? 1 : 0);
                    out += line + text.text + "|\n";
                }
            }
        }
    }
    return out;
}

TEST(CheckPagesAsPrintedTest, EveryTextOfTheEnteredChecksIsWhereAndAsItAlwaysWas) {
    const std::string recorded = recordedPages();
    if (std::getenv("VELMORA_REWRITE_RECORDING")) {
        std::ofstream(kRecordingFile, std::ios::binary) << recorded;
        GTEST_SKIP() << "Wrote " << kRecordingFile;
    }
    const std::string expected = testing::fileContents(kRecordingFile);
    ASSERT_FALSE(expected.empty()) << kRecordingFile;
    // Line by line, so that a difference names its text.
    std::istringstream want(expected), got(recorded);
    std::string wanted, gotten;
    int number = 0;
    while (std::getline(want, wanted)) {
        ++number;
        ASSERT_TRUE(std::getline(got, gotten)) << "missing from line " << number << ": " << wanted;
        ASSERT_EQ(gotten, wanted) << "line " << number;
    }
    EXPECT_FALSE(std::getline(got, gotten)) << "more than before, from line " << number + 1 << ": " << gotten;
}

} // namespace
} // namespace velmora::print
