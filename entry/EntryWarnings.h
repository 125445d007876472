#pragma once

#include "db/Money.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::entry {

class CheckEntry;

// A line of the printed check that carries typed text, and the room it gives that text.
//
// The room runs from where the typed text starts to where the printed line stops, short of the next
// thing printed on it: the amount at 9000 twips, the check number and date column at 9600, the draft
// texts and the signature line at 6600. The character budget takes an average character as half the
// font size wide (Times New Roman runs a little narrower in lower case and wider in capitals), so it
// is an estimate: the warning says the end will be cut, and the print run cuts what does not fit.
struct PrintedLine {
    const char* name;                  // how the warning names the line
    std::array<const char*, 3> fields; // the record fields printed on it, in order; unused ones null
    int roomTwips;
    int points;
    int fixedCharacters; // the separators and prefixes printed with the fields
};

// The lines of the printed check that show typed text, from the top left down.
std::span<const PrintedLine> printedLines();

// How many characters of the fields' text fit on the line.
int characterBudget(const PrintedLine& line);

// A quiet warning when `characters` of typed text do not fit on the line, "" when they do.
std::string printedLineWarning(const PrintedLine& line, std::size_t characters);

// A quiet warning when the checks print the amount in words and `amount` (Null: none) has none, ""
// otherwise.
std::string amountInWordsWarning(bool printsWords, const std::optional<db::Money>& amount);

// The number of characters of UTF-8 text as the printer sees them.
std::size_t characterCount(std::string_view text);

// One quiet warning of the data entry screen and the fields (boxes) it is about.
struct EntryWarning {
    std::vector<std::string> fields;
    std::string text;
};

// Every warning for the current record of the entry, in the order of the boxes on the check: texts
// longer than their printed line, an amount that cannot be written in words when the checks print it
// so, a repeated check number, and routing and account numbers the MICR line cannot print as typed.
// None of them stops the user.
std::vector<EntryWarning> entryWarnings(const CheckEntry& entry);

} // namespace velmora::entry
