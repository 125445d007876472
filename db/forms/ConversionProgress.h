#pragma once

#include "base/Dialogs.h"
#include "jet/Converter.h"

#include <filesystem>
#include <string>

class QWidget;

namespace velmora::db {

// Converts a Jet file in place on a thread of its own while this thread keeps the windows painted.
// When the conversion takes more than a moment a modal progress dialog (objectName
// "ConversionProgress") comes up, whose Cancel (or Escape) stops it; until the conversion has ended
// the user can do nothing else in the program, so no screen sees a half-converted folder. Returns
// once the conversion has ended, whichever way.
[[nodiscard]] jet::ConversionResult convertWithProgress(const std::filesystem::path& file, jet::FileKind kind,
                                                        jet::ConvertOptions options,
                                                        QWidget* parent = nullptr);

enum class ConversionOutcome { Converted, Declined, Failed };

// Offers to convert a Jet file in place. A file whose first pages show already that it cannot be
// converted (truncated, encrypted, of another version) is reported at once. Otherwise the user is
// asked; on Yes the file is converted with progress, and what was converted, or why nothing was, is
// told. `afterFailure`, when given, closes the message of a failure.
[[nodiscard]] ConversionOutcome offerConversion(Dialogs& dialogs, const std::filesystem::path& file,
                                                jet::FileKind kind, const jet::ConvertOptions& options,
                                                const std::string& afterFailure = {},
                                                QWidget* parent = nullptr);

} // namespace velmora::db
