#include "entry/EntryWarnings.h"

#include "db/AmountWords.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/MicrRules.h"

#include <iterator>
#include <string_view>

namespace velmora::entry {

namespace f = db::field;

namespace {

// Rooms in twips, from the check layout, each ending 100 twips before the next item as the printed
// line does: the account holder's lines end before the check number and date column (9600), the
// payee before the amount (9000) after "PAY TO THE ORDER OF:  " (about 3400 twips of 12 pt bold
// italic capitals), the bank's city and the memo before the draft texts and the signature line
// (6600); the bank name runs to the page's right edge (11520). The payee prints again beside the
// draft texts in 8.25 pt, where it has more room.
// clang-format off
constexpr PrintedLine kPrintedLines[] = {
    {"business name",            {f::kBusinessName, nullptr, nullptr},   9500,        12, 0},
    {"name line",                {f::kFirstName, f::kLastName, nullptr}, 9500,        12, 1}, // a space between
    {"address",                  {f::kAddress, nullptr, nullptr},        9500,        10, 0},
    {"city, state and zip line", {f::kCity, f::kState, f::kZip},         9500,        10, 4}, // ", " and two spaces
    {"phone line",               {f::kPhone, nullptr, nullptr},          9500,        10, 4}, // "PH: "
    {"payee",                    {f::kPayTo, nullptr, nullptr},          8900 - 3400, 12, 0},
    {"bank name",                {f::kBank, nullptr, nullptr},           11520,       12, 0},
    {"bank city and state line", {f::kBankCity, f::kBankState, nullptr}, 6500,        10, 2}, // ", "
    {"memo",                     {f::kFor, nullptr, nullptr},            6500,        10, 5}, // "For: "
};
// clang-format on

// An average character is half the font size wide: points * 20 twips / 2.
constexpr int kTwipsPerCharacterPerPoint = 10;

// The template check's texts as blank stock prints them, each line with the room its product gives
// it: on blank checks (and the Quicken(tm) checks, laid out alike) the account holder from 1500 twips
// and the bank from 6000, each ending 100 twips before the next column; on deposit tickets both from
// the horizontal start (delivered as 525) to 100 twips before the deposit grid at 6000 on the page.
struct StockLine {
    const char* product;
    PrintedLine line;
};
// clang-format off
constexpr StockLine kStockLines[] = {
    {"blank checks",    {"business name",            {f::kBusinessName, nullptr, nullptr},   4400, 10, 0}},
    {"blank checks",    {"name line",                {f::kFirstName, f::kLastName, nullptr}, 4400, 10, 1}},
    {"blank checks",    {"address",                  {f::kAddress, nullptr, nullptr},        4400,  8, 0}},
    {"blank checks",    {"city, state and zip line", {f::kCity, f::kState, f::kZip},         4400,  8, 4}},
    {"blank checks",    {"bank name",                {f::kBank, nullptr, nullptr},           3900,  8, 0}},
    {"blank checks",    {"bank city and state line", {f::kBankCity, f::kBankState, nullptr}, 3900,  8, 2}},
    {"deposit tickets", {"business name",            {f::kBusinessName, nullptr, nullptr},   5375, 12, 0}},
    {"deposit tickets", {"name line",                {f::kFirstName, f::kLastName, nullptr}, 5375, 12, 1}},
    {"deposit tickets", {"address",                  {f::kAddress, nullptr, nullptr},        5375, 10, 0}},
    {"deposit tickets", {"city, state and zip line", {f::kCity, f::kState, f::kZip},         5375, 10, 4}},
    {"deposit tickets", {"phone line",               {f::kPhone, nullptr, nullptr},          5375, 10, 4}},
    {"deposit tickets", {"bank name",                {f::kBank, nullptr, nullptr},           5375, 10, 0}},
    {"deposit tickets", {"bank city and state line", {f::kBankCity, f::kBankState, nullptr}, 5375, 10, 2}},
};
// clang-format on

// The fields printed on a line, and the number of characters of their text.
std::size_t lineCharacters(const CheckEntry& entry, const PrintedLine& line,
                           std::vector<std::string>& fields) {
    std::size_t characters = 0;
    for (const char* name : line.fields) {
        if (!name)
            break;
        fields.emplace_back(name);
        characters += characterCount(entry.field(name).textOrEmpty());
    }
    return characters;
}

// The warnings of the template check of a check database: a line of the blank stock printed from it
// that will be cut, with every product that cuts it.
void addStockWarnings(const CheckEntry& entry, std::vector<EntryWarning>& warnings) {
    for (std::size_t i = 0; i < std::size(kStockLines); ++i) {
        const PrintedLine& line = kStockLines[i].line;
        bool earlier = false; // the line was told with an earlier product
        for (std::size_t j = 0; j < i; ++j)
            earlier = earlier || std::string_view(kStockLines[j].line.name) == line.name;
        if (earlier)
            continue;
        std::vector<std::string> fields;
        const std::size_t characters = lineCharacters(entry, line, fields);
        std::string where;
        for (std::size_t j = i; j < std::size(kStockLines); ++j) {
            const PrintedLine& same = kStockLines[j].line;
            if (std::string_view(same.name) != line.name || characters <= std::size_t(characterBudget(same)))
                continue;
            where += (where.empty() ? "" : " and ") + std::to_string(characterBudget(same)) +
                     (where.empty() ? " characters fit on " : " on ") + kStockLines[j].product;
        }
        if (!where.empty())
            warnings.push_back(
                {std::move(fields), std::string("The ") + line.name +
                                        " of this first check is too long for blank stock: only about " +
                                        where + ", and the end is cut off there."});
    }
}

} // namespace

std::span<const PrintedLine> printedLines() {
    return kPrintedLines;
}

int characterBudget(const PrintedLine& line) {
    return line.roomTwips / (line.points * kTwipsPerCharacterPerPoint) - line.fixedCharacters;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80; // continuation bytes are not counted
    return count;
}

std::string printedLineWarning(const PrintedLine& line, std::size_t characters) {
    const int budget = characterBudget(line);
    if (characters <= static_cast<std::size_t>(budget))
        return {};
    return "Only about " + std::to_string(budget) + " characters of the " + line.name +
           " fit on the printed check: the end will be cut off.";
}

std::string amountInWordsWarning(bool printsWords, const std::optional<db::Money>& amount) {
    if (!printsWords || (amount && db::amountInWords(*amount)))
        return {};
    return "The amount in words prints only for an amount above zero: this check prints without it.";
}

std::vector<EntryWarning> entryWarnings(const CheckEntry& entry) {
    std::vector<EntryWarning> warnings;
    auto add = [&](std::vector<std::string> fields, std::string text) {
        if (!text.empty())
            warnings.push_back({std::move(fields), std::move(text)});
    };
    for (const PrintedLine& line : kPrintedLines) {
        std::vector<std::string> fields;
        const std::size_t characters = lineCharacters(entry, line, fields);
        add(std::move(fields), printedLineWarning(line, characters));
    }
    add({f::kAmount}, amountInWordsWarning(entry.printsAmountInWords(), entry.field(f::kAmount).money()));
    // Blank stock is printed from the first check, of a check database only.
    if (entry.field(f::kId).integer() == 1 && entry.templateValues().type() == db::DatabaseType::Check)
        addStockWarnings(entry, warnings);
    add({f::kAba}, entry.routingWarning());
    add({f::kAccount}, micrCharactersWarning(entry.field(f::kAccount).textOrEmpty()));
    add({f::kCheck}, entry.checkNumberWarning());
    return warnings;
}

} // namespace velmora::entry
