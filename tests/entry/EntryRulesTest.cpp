#include "db/CheckRecord.h"
#include "entry/EntryWarnings.h"
#include "entry/MicrRules.h"
#include "entry/RecordOptions.h"
#include "entry/TypedValues.h"
#include "support/ScriptedDialogs.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace velmora::entry;
using velmora::db::Money;

namespace {

TEST(TypedValues, AmountTakesAtMostTwoDecimalsAndBlankClears) {
    EXPECT_EQ(parseAmountText(" 12.5 ").value(), Money::fromCents(1250));
    EXPECT_EQ(parseAmountText("1250").value(), Money::fromCents(125000));
    EXPECT_EQ(parseAmountText("  ").value(), std::nullopt);
    for (const char* bad : {"12.345", "abc", "$12", "1,250.00", "12.3.4", "."}) {
        auto parsed = parseAmountText(bad);
        EXPECT_FALSE(parsed) << bad;
        EXPECT_NE(parsed.message().find("at most two decimals"), std::string::npos);
    }
}

TEST(TypedValues, CheckNumberIsAWholeNumberThatTheFieldHolds) {
    EXPECT_EQ(parseCheckNumberText("0").value(), 0);
    EXPECT_EQ(parseCheckNumberText(" 456 ").value(), 456);
    EXPECT_EQ(parseCheckNumberText("2147483647").value(), 2147483647);
    EXPECT_EQ(parseCheckNumberText("").value(), std::nullopt);
    for (const char* bad : {"2147483648", "99999999999999999999", "-1", "12.0", "12a", "1 2", "+5"})
        EXPECT_FALSE(parseCheckNumberText(bad)) << bad;
}

TEST(PrintOptions, MapBothWaysAndShowAnythingElseBlank) {
    EXPECT_EQ(printOptionShownText("Once"), "One Time");
    EXPECT_EQ(printOptionShownText("Monthly"), "Multiple Times");
    EXPECT_EQ(printOptionShownText("Never"), "Don't Print");
    for (const velmora::db::Value& other : {velmora::db::Value(), velmora::db::Value(""),
                                            velmora::db::Value("once"), velmora::db::Value("Weekly")})
        EXPECT_EQ(printOptionShownText(other), "");
    EXPECT_EQ(printOptionStoredValue("Multiple Times"), "Monthly");
    EXPECT_EQ(printOptionStoredValue("One Time"), "Once");
    EXPECT_EQ(printOptionStoredValue("Don't Print"), "Never");
    EXPECT_EQ(printOptionStoredValue("Multiple"), std::nullopt);
    EXPECT_EQ(printOptionStoredValue("Monthly"), std::nullopt);
}

TEST(VerifyMicrRow, ReportsEachMismatchAccountFirstOrSuccess) {
    const std::string row = "A071000013A 1234D5678C 0456";
    EXPECT_EQ(micrRowMessages(row, "071000013", "34D56"),
              std::vector<std::string>{
                  "Routing and Account numbers were successfully verified to the Bottom Check Row!"});
    EXPECT_EQ(
        micrRowMessages(row, "071000014", "1234D5678"),
        std::vector<std::string>{"Bank Routing Number does NOT match bottom check row field used to verify "
                                 "the bank routing number!"});
    const auto both = micrRowMessages(row, "999", "777");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both[0].find("Account Number"), std::string::npos);
    EXPECT_NE(both[1].find("Routing Number"), std::string::npos);
    // Empty numbers count as found; a missing row is its own message.
    EXPECT_EQ(micrRowMessages(row, "", "").size(), 1u);
    EXPECT_EQ(micrRowMessages(std::nullopt, "1", "2"),
              std::vector<std::string>{
                  "The bottom check row field to verify account and routing numbers does not exist!"});

    velmora::testing::ScriptedDialogs dialogs;
    VerifyMicrRow(dialogs, row, "999", "777");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].buttons, velmora::DialogButtons::Ok);
    EXPECT_EQ(dialogs.shown()[0].title, "");
}

TEST(RoutingNumber, CheckDigitWeights371) {
    EXPECT_TRUE(routingCheckDigitValid("071000013"));
    EXPECT_TRUE(routingCheckDigitValid("011000015"));
    EXPECT_FALSE(routingCheckDigitValid("071000014"));
    EXPECT_FALSE(routingCheckDigitValid("07100001"));
    EXPECT_FALSE(routingCheckDigitValid("07100001X"));
    EXPECT_EQ(routingNumberWarning("071000013"), "");
    EXPECT_EQ(routingNumberWarning(""), "");
    EXPECT_EQ(routingNumberWarning("123D56789"), ""); // Canadian transit number
    EXPECT_NE(routingNumberWarning("071000014"), "");
    EXPECT_NE(routingNumberWarning("1234"), "");
}

TEST(MicrCharacters, OnlyWhatTheFontDrawsPassesAndTheRestIsNamedOnce) {
    EXPECT_EQ(micrCharactersWarning("12D34 5d6 C"), "");
    EXPECT_EQ(micrCharactersWarning(""), "");
    // Each character once, in the order typed, a character beyond ASCII whole.
    const std::string warning = micrCharactersWarning("12-34-x5-\xC3\xA9");
    EXPECT_NE(warning.find("\"-\" \"x\" \"\xC3\xA9\":"), std::string::npos) << warning;

    // A routing number is first tested for what the MICR line can print, a Canadian one too.
    EXPECT_EQ(routingNumberWarning("07100001-3"), micrCharactersWarning("07100001-3"));
    EXPECT_NE(routingNumberWarning("123D5678x"), "");
    EXPECT_EQ(routingNumberWarning("123D56789"), "");
}

TEST(PrintedLines, EveryPrintedTextHasOneLineAndItsBudget) {
    namespace f = velmora::db::field;
    // Every text of the check that prints in the body font, on exactly one line.
    std::vector<std::string> fields;
    for (const PrintedLine& line : printedLines())
        for (const char* field : line.fields)
            if (field)
                fields.emplace_back(field);
    std::vector<std::string> expected = {f::kBusinessName, f::kFirstName, f::kLastName, f::kAddress, f::kCity,
                                         f::kState,        f::kZip,       f::kPhone,    f::kPayTo,   f::kBank,
                                         f::kBankCity,     f::kBankState, f::kFor};
    std::sort(fields.begin(), fields.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(fields, expected);

    auto line = [](std::string_view name) {
        return *std::find_if(printedLines().begin(), printedLines().end(),
                             [&](const PrintedLine& l) { return l.name == name; });
    };
    // The payee: about 45 characters of 12 pt bold italic between its label and the amount.
    const PrintedLine payee = line("payee");
    EXPECT_GE(characterBudget(payee), 40);
    EXPECT_LE(characterBudget(payee), 50);
    EXPECT_EQ(printedLineWarning(payee, characterBudget(payee)), "");
    EXPECT_NE(printedLineWarning(payee, characterBudget(payee) + 1).find("payee"), std::string::npos);
    // The bank's city and the memo end at the draft texts, well before the account holder's lines.
    EXPECT_LT(characterBudget(line("bank city and state line")),
              characterBudget(line("city, state and zip line")));
    EXPECT_LT(characterBudget(line("memo")), characterBudget(line("address")));

    // Characters, not bytes.
    EXPECT_EQ(characterCount("Zo\xC3\xAB M\xC3\xBCller"), 10u);
}

} // namespace
