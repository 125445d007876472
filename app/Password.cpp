#include "app/Password.h"

#include "db/RecordSet.h"
#include "db/Schema.h"

#include <QString>
#include <sodium.h>
#include <stdexcept>

namespace velmora {

namespace {
constexpr const char* kPasswordField = "ENTER";
constexpr std::string_view kHashPrefix = "$argon2";

void requireSodium() {
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot be initialised");
}
} // namespace

std::string toLowerCase(const std::string& text) {
    return QString::fromStdString(text).toLower().toStdString();
}

std::string hashPassword(const std::string& lowerCasePassword) {
    requireSodium();
    char hash[crypto_pwhash_STRBYTES];
    // Argon2id with 19 MiB and two passes: the common recommendation for interactive log-ins, and
    // small enough that a scheduled print job stays a small process. The parameters travel in the
    // hash, so stronger ones can be chosen later without touching stored passwords.
    constexpr unsigned long long kPasses = 2;
    constexpr std::size_t kMemory = 19u * 1024u * 1024u;
    if (crypto_pwhash_str(hash, lowerCasePassword.data(), lowerCasePassword.size(), kPasses, kMemory) != 0)
        throw std::runtime_error("out of memory while hashing the password");
    return hash;
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
            requireSodium();
            return crypto_pwhash_str_verify(stored->c_str(), candidate.data(), candidate.size()) == 0
                       ? PasswordCheck::Matches
                       : PasswordCheck::Wrong;
        }
        if (candidate != *stored)
            return PasswordCheck::Wrong;
        record.edit();
        record.setField(kPasswordField, hashPassword(candidate));
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
        const std::string hash = hashPassword(toLowerCase(newPassword));
        if (record.hasCurrent()) {
            record.edit();
        } else {
            record.addNew();
        }
        record.setField(kPasswordField, hash);
        record.update();
    } catch (const std::exception& error) { // a database error, or no memory for the hashing
        return Status::failure(std::string("The new password could not be saved: ") + error.what());
    }
    return {};
}

} // namespace velmora
