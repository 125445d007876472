#include "shell/StartupConversion.h"

#include "app/SettingsStore.h"
#include "base/Product.h"
#include "db/JetHeader.h"
#include "db/forms/ConversionProgress.h"

namespace velmora::shell {

namespace {
// clang-format off
constexpr const char* kCannotStart = " cannot start on a settings file in the Access form, so it ends now.";
constexpr const char* kOfferedAgain = " is unchanged; the conversion is offered again at the next start, or run velmora convert ";
// clang-format on
} // namespace

bool settingsReadyAtStart(Session& session, const jet::ConvertOptions& options) {
    const auto file = session.programDir / app::kSettingsFileName;
    if (!db::isJetFile(file))
        return true;
    const std::string cannotStart = product::kName + std::string(kCannotStart);
    const db::ConversionOutcome outcome =
        db::offerConversion(*session.dialogs, file, jet::FileKind::Settings, options, cannotStart);
    if (outcome == db::ConversionOutcome::Declined)
        session.dialogs->show(
            {cannotStart + " " + app::kSettingsFileName + kOfferedAgain + app::kSettingsFileName + ".",
             {},
             DialogButtons::Ok,
             DialogIcon::Information});
    return outcome == db::ConversionOutcome::Converted;
}

} // namespace velmora::shell
