#include "entry/EntryWarnings.h"

#include "db/AmountWords.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/MicrRules.h"

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
        std::size_t characters = 0;
        for (const char* name : line.fields) {
            if (!name)
                break;
            fields.emplace_back(name);
            characters += characterCount(entry.field(name).textOrEmpty());
        }
        add(std::move(fields), printedLineWarning(line, characters));
    }
    add({f::kAmount}, amountInWordsWarning(entry.printsAmountInWords(), entry.field(f::kAmount).money()));
    add({f::kAba}, entry.routingWarning());
    add({f::kAccount}, micrCharactersWarning(entry.field(f::kAccount).textOrEmpty()));
    add({f::kCheck}, entry.checkNumberWarning());
    return warnings;
}

} // namespace velmora::entry
