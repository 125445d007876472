#include "app/forms/StartupConversion.h"

#include "app/Product.h"
#include "app/Settings.h"
#include "db/forms/ConversionProgress.h"
#include "jet/JetHeader.h"

namespace velmora {

namespace {
// clang-format off
constexpr const char* kCannotStart = " cannot start on a settings file in the Access form, so it ends now.";
constexpr const char* kOfferedAgain = " is unchanged; the conversion is offered again at the next start, or run velmora convert ";
// clang-format on
} // namespace

bool settingsReadyAtStart(Session& session, const jet::ConvertOptions& options) {
    const auto file = session.programDir / kSettingsFileName;
    if (!jet::isJetFile(file))
        return true;
    const std::string cannotStart = product::kName + std::string(kCannotStart);
    const ConversionOutcome outcome =
        offerConversion(*session.dialogs, file, jet::FileKind::Settings, options, cannotStart);
    if (outcome == ConversionOutcome::Declined)
        session.dialogs->show(
            {cannotStart + " " + kSettingsFileName + kOfferedAgain + kSettingsFileName + ".",
             {},
             DialogButtons::Ok,
             DialogIcon::Information});
    return outcome == ConversionOutcome::Converted;
}

} // namespace velmora
