#include "entry/TypedValues.h"

#include "base/Text.h"

#include <cctype>

namespace velmora::entry {

Result<std::optional<db::Money>> parseAmountText(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty())
        return std::optional<db::Money>();
    if (auto amount = db::Money::parse(text)) {
        if (amount->cents() > db::kMaxAmountCents || amount->cents() < -db::kMaxAmountCents)
            return Result<std::optional<db::Money>>::failure(
                "The amount cannot be more than 999999999.99 (nor less than -999999999.99).");
        return std::optional<db::Money>(*amount);
    }
    return Result<std::optional<db::Money>>::failure(
        "The amount must be a number with at most two decimals, for example 1250.00 (no dollar sign or thousands separators).");
}

Result<std::optional<std::int64_t>> parseCheckNumberText(std::string_view text) {
    text = trimBlanks(text);
    if (text.empty())
        return std::optional<std::int64_t>();
    std::int64_t number = 0;
    bool valid = text.size() <= 10;
    for (char c : text) {
        if (!valid || !std::isdigit(static_cast<unsigned char>(c))) {
            valid = false;
            break;
        }
        number = number * 10 + (c - '0');
    }
    if (!valid || number > kMaxStoredCheckNumber)
        return Result<std::optional<std::int64_t>>::failure(
            "The check number must be a whole number from 0 to 2,147,483,647 (checks are usually numbered from 101 to 999999).");
    return std::optional<std::int64_t>(number);
}

} // namespace velmora::entry
