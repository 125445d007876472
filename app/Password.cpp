#include "app/Password.h"

#include "db/ErrorText.h"
#include "db/RecordSet.h"
#include "db/SettingsRecord.h"

#include <QString>
#include <charconv>
#include <cstdint>
#include <optional>
#include <sodium.h>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace velmora::app {

namespace {
constexpr const char* kPasswordField = db::setting::kPassword;
constexpr std::string_view kHashPrefix = "$argon2";

void requireSodium() {
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot be initialised");
}

// A stored hash names the memory and passes that checking a password against it takes. The settings
// file is data: a damaged or forged one must not make every log-in take gigabytes or hours.
constexpr std::uint64_t kMaxHashMemoryKiB = std::uint64_t{256} * 1024;
constexpr std::uint64_t kMaxHashPasses = 16;
constexpr std::uint64_t kMaxHashLanes = 16;

std::optional<std::uint64_t> costParameter(std::string_view text, std::string_view name) {
    if (!text.starts_with(name))
        return std::nullopt;
    text.remove_prefix(name.size());
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Why the stored hash may not be checked, or std::nullopt when its costs are within bounds.
// The form is "$argon2id$v=19$m=19456,t=2,p=1$salt$hash" (or argon2i).
std::optional<std::string> hashCostProblem(std::string_view stored) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = stored.find('$', start);
        parts.push_back(stored.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (parts.size() != 6 || (parts[1] != "argon2id" && parts[1] != "argon2i") || parts[2] != "v=19")
        return "its password record is not a valid password hash";
    const std::string_view costs = parts[3];
    const auto firstComma = costs.find(',');
    const auto secondComma =
        costs.find(',', firstComma == std::string_view::npos ? firstComma : firstComma + 1);
    if (firstComma == std::string_view::npos || secondComma == std::string_view::npos)
        return "its password record is not a valid password hash";
    const auto memory = costParameter(costs.substr(0, firstComma), "m=");
    const auto passes = costParameter(costs.substr(firstComma + 1, secondComma - firstComma - 1), "t=");
    const auto lanes = costParameter(costs.substr(secondComma + 1), "p=");
    if (!memory || !passes || !lanes)
        return "its password record is not a valid password hash";
    if (*memory > kMaxHashMemoryKiB || *passes > kMaxHashPasses || *lanes > kMaxHashLanes)
        return "its password record asks for " + std::to_string(*memory / 1024) + " MiB of memory and " +
               std::to_string(*passes) + " passes to check a password, more than the " +
               std::to_string(kMaxHashMemoryKiB / 1024) + " MiB and " + std::to_string(kMaxHashPasses) +
               " passes allowed";
    return std::nullopt;
}
} // namespace

std::string toLowerCase(const std::string& text) {
    return QString::fromStdString(text).toLower().toStdString();
}

Result<std::string> hashPassword(const std::string& lowerCasePassword) {
    if (sodium_init() < 0)
        return Result<std::string>::failure("libsodium cannot be initialised");
    char hash[crypto_pwhash_STRBYTES];
    // Argon2id with 19 MiB and two passes: the common recommendation for interactive log-ins, and
    // small enough that a scheduled print job stays a small process. The parameters travel in the
    // hash, so stronger ones can be chosen later without touching stored passwords.
    constexpr unsigned long long kPasses = 2;
    constexpr std::size_t kMemory = std::size_t{19} * 1024 * 1024;
    if (crypto_pwhash_str(hash, lowerCasePassword.data(), lowerCasePassword.size(), kPasses, kMemory) != 0)
        return Result<std::string>::failure("out of memory while hashing the password");
    return std::string(hash);
}

Result<PasswordCheck> checkPassword(db::Connection& settings, const std::string& typed) {
    try {
        db::RecordSet record(settings, db::schema::password());
        if (!record.hasCurrent())
            return Result<PasswordCheck>::failure("The password record cannot be read.");
        const auto stored = record.field(kPasswordField).text();
        if (!stored)
            return PasswordCheck::Wrong;
        const std::string candidate = toLowerCase(typed);
        if (stored->starts_with(kHashPrefix)) {
            if (const auto problem = hashCostProblem(*stored))
                return Result<PasswordCheck>::failure(
                    "The settings file " + settings.path().filename().string() + " is damaged: " + *problem +
                    ". " + db::restoreAdvice(settings.path()));
            requireSodium();
            return crypto_pwhash_str_verify(stored->c_str(), candidate.data(), candidate.size()) == 0
                       ? PasswordCheck::Matches
                       : PasswordCheck::Wrong;
        }
        if (candidate != *stored)
            return PasswordCheck::Wrong;
        const Result<std::string> hash = hashPassword(candidate);
        if (!hash)
            return Result<PasswordCheck>::failure("The password record cannot be read: " + hash.message());
        record.edit();
        record.setField(kPasswordField, *hash);
        record.update();
        return PasswordCheck::Matches;
    } catch (const std::exception& error) { // a database error, or no memory for the hashing
        return Result<PasswordCheck>::failure(std::string("The password record cannot be read: ") +
                                              error.what());
    }
}

Status changePassword(db::Connection& settings, const std::string& newPassword) {
    try {
        db::RecordSet record(settings, db::schema::password());
        const Result<std::string> hash = hashPassword(toLowerCase(newPassword));
        if (!hash)
            return Status::failure("The new password could not be saved: " + hash.message());
        if (record.hasCurrent()) {
            record.edit();
        } else {
            record.addNew();
        }
        record.setField(kPasswordField, *hash);
        record.update();
    } catch (const std::exception& error) { // a database error
        return Status::failure(std::string("The new password could not be saved: ") + error.what());
    }
    return {};
}

} // namespace velmora::app
