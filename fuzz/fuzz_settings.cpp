// Arbitrary bytes opened as the settings file PC.OVL: the settings record read as every screen reads
// it and the program password checked. A damaged file must be refused with a message, and checking
// the password must never take more memory or time than the stored hash is allowed to ask for.
#include "FuzzSupport.h"
#include "app/Password.h"
#include "app/SettingsStore.h"
#include "db/SettingsRecord.h"

#include <cstdint>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& dir = fuzz::scratchDir();
    fuzz::writeInput(dir / app::kSettingsFileName, data, size);
    auto settings = app::SettingsStore::open(dir);
    if (!settings) {
        fuzz::require(!settings.message().empty(), "a refused settings file without a message");
        return 0;
    }
    const Result<db::SettingsRecord> record = settings->read();
    fuzz::require(record.ok() || !record.message().empty(),
                  "an unreadable settings record without a message");
    const Result<app::PasswordCheck> check =
        app::checkPassword(settings->connection(), db::setting::kDeliveredPassword);
    fuzz::require(check.ok() || !check.message().empty(), "a failed password check without a message");
    return 0;
}
