#pragma once

#include "app/SettingsStore.h"
#include "print/PdfOutput.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// What the headless commands share.

// What a headless command asks before it touches a check database: the settings file of the program
// folder, and the program password it guards.
struct Admission {
    enum class Refusal { None, NoSettings, NotAllowed };
    Refusal refusal = Refusal::None;
    std::string message;                        // why, when refused
    std::optional<app::SettingsStore> settings; // open when admitted

    bool admitted() const { return refusal == Refusal::None; }
};

// Opens the settings file and checks the password: the first line of `passwordFile` when given,
// otherwise asked on the terminal (never on standard input, which may carry the command's data). A
// password file that other users can read is still used, with a warning on standard error.
Admission admitWithPassword(std::string_view verb, const std::filesystem::path& programDir,
                            const std::optional<std::filesystem::path>& passwordFile);

// The file that --db names: a bare name is taken in the program folder, a path as it is given.
std::filesystem::path databasePath(const std::filesystem::path& programDir, const std::string& name);

// "1 check", "2 checks".
std::string counted(std::int64_t count, const std::string& thing);

// The say of the command line on a PDF file that exists: it is replaced only with --overwrite.
print::ReplaceConsent overwriteOption(bool overwrite);

// `text` as it may go to a terminal: control characters (ESC, NUL, the other C0 and C1 codes but tab
// and line feed) and bytes that are no UTF-8 are shown escaped ("\x1b", "\u009b"), so that what a
// record or an order holds can never move the cursor, change colours or retitle the window.
std::string terminalText(std::string_view text);
// "velmora VERB: MESSAGE" on standard error, as terminalText().
void tell(std::string_view verb, const std::string& message);
// tell(), then `status` for the verb to return.
int fail(std::string_view verb, int status, const std::string& message);

} // namespace velmora::cli
