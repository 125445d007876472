#include "entry/MicrRules.h"

#include "base/MicrCharacters.h"

#include <algorithm>
#include <cctype>

namespace velmora::entry {

std::vector<std::string> micrRowMessages(const std::optional<std::string>& bottomRow,
                                         std::string_view routing, std::string_view account) {
    if (!bottomRow)
        return {"The bottom check row field to verify account and routing numbers does not exist!"};
    std::vector<std::string> messages;
    const bool accountFound = bottomRow->find(account) != std::string::npos;
    const bool routingFound = bottomRow->find(routing) != std::string::npos;
    if (!accountFound)
        messages.emplace_back(
            "Bank Account Number does NOT match bottom check row field used to verify account number!");
    if (!routingFound)
        messages.emplace_back(
            "Bank Routing Number does NOT match bottom check row field used to verify the bank routing number!");
    if (accountFound && routingFound)
        messages.emplace_back(
            "Routing and Account numbers were successfully verified to the Bottom Check Row!");
    return messages;
}

void VerifyMicrRow(Dialogs& dialogs, const std::optional<std::string>& bottomRow, std::string_view routing,
                   std::string_view account) {
    for (auto& message : micrRowMessages(bottomRow, routing, account))
        dialogs.inform(std::move(message));
}

namespace {
bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}
} // namespace

bool routingCheckDigitValid(std::string_view routing) {
    if (routing.size() != 9 || !allDigits(routing))
        return false;
    constexpr int kWeights[] = {3, 7, 1};
    int sum = 0;
    for (std::size_t i = 0; i < routing.size(); ++i)
        sum += (routing[i] - '0') * kWeights[i % 3];
    return sum % 10 == 0;
}

std::string micrCharactersWarning(std::string_view text) {
    std::vector<std::string_view> missing; // each character once, in the order typed
    for (std::size_t i = 0; i < text.size();) {
        // A character beyond ASCII is several bytes of UTF-8: it is named whole.
        std::size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
            ++length;
        const std::string_view character = text.substr(i, length);
        if ((length > 1 || !micrHasSymbol(static_cast<unsigned char>(character[0]))) &&
            std::find(missing.begin(), missing.end(), character) == missing.end())
            missing.push_back(character);
        i += length;
    }
    if (missing.empty())
        return {};
    std::string names;
    for (std::string_view character : missing)
        names += (names.empty() ? "\"" : " \"") + std::string(character) + "\"";
    return "The MICR line cannot print " + names + ": use digits, spaces and D for a dash.";
}

std::string routingNumberWarning(std::string_view routing) {
    if (std::string characters = micrCharactersWarning(routing); !characters.empty())
        return characters;
    if (routing.empty() || routing.find('D') != std::string_view::npos)
        return {};
    if (routing.size() != 9 || !allDigits(routing))
        return "A routing number has 9 digits.";
    if (!routingCheckDigitValid(routing))
        return "This routing number fails the check digit test: compare it with the check.";
    return {};
}

} // namespace velmora::entry
