#include "db/AmountWords.h"

#include "db/CheckRecord.h"

#include <array>
#include <cctype>
#include <cstdint>

namespace velmora::db {

namespace {

// clang-format off
constexpr std::array<const char*, 20> kOnes{
    "", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
    "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<const char*, 10> kTens{
    "", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};
// clang-format on

// Appends a word to `words`, a blank before it unless it is the first.
void say(std::string& words, const std::string& word) {
    if (!words.empty())
        words += ' ';
    words += word;
}

// 1 to 999 in words: "two hundred thirty-four", "eleven", "ninety".
std::string belowThousand(unsigned number) {
    std::string words;
    if (number >= 100)
        say(words, std::string(kOnes[number / 100]) + " hundred");
    const unsigned rest = number % 100;
    if (rest >= 20)
        say(words,
            std::string(kTens[rest / 10]) + (rest % 10 != 0 ? std::string("-") + kOnes[rest % 10] : ""));
    else if (rest > 0)
        say(words, kOnes[rest]);
    return words;
}

} // namespace

std::optional<std::string> amountInWords(Money amount) {
    const std::int64_t cents = amount.cents();
    if (cents <= 0 || cents > kMaxAmountCents)
        return std::nullopt;
    const std::int64_t dollars = cents / 100;
    std::string words;
    struct Group {
        std::int64_t size;
        const char* name;
    };
    for (const Group group : {Group{1'000'000, "million"}, Group{1'000, "thousand"}, Group{1, ""}}) {
        const auto count = static_cast<unsigned>(dollars / group.size % 1000);
        if (count == 0)
            continue;
        say(words, belowThousand(count));
        if (*group.name)
            say(words, group.name);
    }
    if (words.empty())
        words = "zero"; // cents alone: "Zero and 45/100"
    words.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(words.front())));
    const auto fraction = static_cast<unsigned>(cents % 100);
    return words + " and " + static_cast<char>('0' + fraction / 10) + static_cast<char>('0' + fraction % 10) +
           "/100";
}

} // namespace velmora::db
