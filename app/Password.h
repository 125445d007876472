#pragma once

#include "base/Result.h"

#include <string>

namespace velmora::db {
class Connection;
}

namespace velmora::app {

// The program password (table `A`, field `ENTER` of PC.OVL) is kept as a salted Argon2id hash of its
// lower-case form. A plain-text password left by an older settings file is accepted once and then
// replaced by its hash.

// The salted Argon2id hash of a password already in lower case; a failure when there is no memory to
// compute it.
Result<std::string> hashPassword(const std::string& lowerCasePassword);
std::string toLowerCase(const std::string& text);

enum class PasswordCheck { Matches, Wrong };

// Compares the lower-case form of what was typed with the stored password. A Null password never
// matches. Fails when the password record cannot be read (or the upgrade cannot be written).
Result<PasswordCheck> checkPassword(db::Connection& settings, const std::string& typed);

// Stores the lower-case form of the new password (hashed).
Status changePassword(db::Connection& settings, const std::string& newPassword);

} // namespace velmora::app
