#pragma once

#include "app/SettingsStore.h"
#include "base/Result.h"
#include "db/RecordSet.h"
#include "db/SettingsRecord.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::app {

// The program-wide options that are not printer settings, without their screen: the product types of
// PC.OVL shown one at a time, the bank tran code, the backup-on-exit flag, how entered checks print
// their amount, and the office's database server of the shared check databases.
//
// The name typed for the shown product type is handed to every command that leaves it, which stores
// it first and does nothing else when that fails, so a typed name is never dropped unseen. The other
// options are stored together, when the screen closes.
class ProgramSetup {
public:
    // Opens the settings file at its first product type and reads the settings record; the message
    // says why it could not.
    static Result<ProgramSetup> open(const std::filesystem::path& programDir);

    // The product type shown; std::nullopt while the table holds none.
    const std::optional<db::ProductTypeRecord>& current() const { return current_; }
    // The settings record as read when the setup was opened.
    const db::SettingsRecord& settings() const { return settings_; }

    // Stores the name typed for the shown product type; a name that is unchanged writes nothing.
    Status storeProductType(std::string_view typed);

    enum class Move { First, Previous, Next, Last };
    // Stores the typed name, then moves; past either end the first or last product type stays shown.
    Status move(Move to, std::string_view typed);
    // Stores the typed name, then adds an empty product type, stored at once, and shows it.
    Status addProductType(std::string_view typed);

    // Whether the shown product type may be deleted: the first one (ID 1) may only be changed.
    bool canDeleteCurrent() const;
    // Deletes the shown product type (one that canDeleteCurrent()) and shows the first.
    Status deleteCurrent();

    // The options of the settings record the screen edits besides the product types.
    struct Options {
        std::string tranCode;
        bool backupOnExit = false;
        bool amountInWords = false;
        bool amountWithCents = false;
        ServerAddress server; // empty: no server
    };
    // Stores the options in the settings record; a server address that could not be used (one
    // holding a password, say) is refused with the reason, and nothing is stored.
    Status storeOptions(const Options& chosen);

private:
    explicit ProgramSetup(SettingsStore store)
        : store_(std::move(store)) {}
    // Runs a step on the product types and shows the row it leaves current; a database error becomes
    // the failure.
    template <typename Step> Status guarded(Step&& step);
    void readCurrent();

    SettingsStore store_;
    std::unique_ptr<db::RecordSet> types_;
    std::optional<db::ProductTypeRecord> current_;
    db::SettingsRecord settings_;
};

} // namespace velmora::app
