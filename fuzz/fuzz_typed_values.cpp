// Arbitrary text typed into the amount and check number boxes. What is taken must lie within what a
// check carries and read back to the same value from the text the screen then shows.
#include "FuzzSupport.h"
#include "entry/TypedValues.h"

#include <cstdint>
#include <string>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto amount = entry::parseAmountText(text);
    if (amount && amount.value()) {
        const db::Money taken = *amount.value();
        fuzz::require(taken.cents() >= -db::kMaxAmountCents && taken.cents() <= db::kMaxAmountCents,
                      "an amount past the bounds was taken");
        const auto again = entry::parseAmountText(taken.toFixedText());
        fuzz::require(again && again.value() == taken, "an amount does not read back from its text");
        fuzz::require(db::Money::parse(taken.toShortestText()) == taken,
                      "the shortest text is another amount");
    }
    fuzz::require(amount.ok() || !amount.message().empty(), "a refused amount without a message");

    const auto number = entry::parseCheckNumberText(text);
    if (number && number.value()) {
        const std::int64_t taken = *number.value();
        fuzz::require(taken >= 0 && taken <= db::kMaxCheckNumber, "a check number past the bounds");
        const auto again = entry::parseCheckNumberText(std::to_string(taken));
        fuzz::require(again && again.value() == taken, "a check number does not read back from its text");
    }
    fuzz::require(number.ok() || !number.message().empty(), "a refused check number without a message");

    // Any text at all, through the general amount parser and both of its texts.
    if (const auto money = db::Money::parse(text)) {
        (void)money->toFixedText();
        (void)money->toShortestText();
    }
    return 0;
}
