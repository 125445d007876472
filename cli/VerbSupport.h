#pragma once

#include "app/SettingsStore.h"
#include "cli/Command.h"
#include "print/PageSource.h"
#include "print/PdfOutput.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// What the headless commands share.

// The options several commands take, by name; their descriptions are made once (cli/Verbs.cpp).
namespace option {
inline constexpr const char* kDatabase = "--db";
inline constexpr const char* kServer = "--server";
inline constexpr const char* kPdf = "--pdf";
inline constexpr const char* kPrinter = "--printer";
inline constexpr const char* kOverwrite = "--overwrite";
inline constexpr const char* kConfirm = "--confirm";
inline constexpr const char* kPasswordFile = "--password-file";
} // namespace option

// Where a printing command prints: the PDF file or the printer queue its options name (exactly one of
// them), and whether an earlier PDF file may be replaced.
struct PrintTarget {
    std::optional<std::filesystem::path> pdf;
    std::optional<std::string> printer;
    bool overwrite = false;

    explicit PrintTarget(const Arguments& arguments);
    // The surface the job goes to; null (after telling why) when the queue would not take it.
    std::unique_ptr<print::PrintSurface> open(std::string_view verb) const;
    // "velmora VERB: warning: ..." on what the printer (or the paper of a PDF) will cut off.
    void warn(std::string_view verb, const print::ItemOutside& outside) const;
};

// --password-file, when given.
std::optional<std::filesystem::path> passwordFile(const Arguments& arguments);
// --confirm yes.
bool confirmed(const Arguments& arguments);

// What a headless command asks before it touches a check database: the settings file of the program
// folder, and the program password it guards.
struct Admission {
    enum class Refusal { None, NoSettings, NotAllowed };
    Refusal refusal = Refusal::None;
    std::string message;                        // why, when refused
    std::optional<app::SettingsStore> settings; // open when admitted

    bool admitted() const { return refusal == Refusal::None; }
    // How a command that was refused ends.
    Exit exit() const { return refusal == Refusal::NoSettings ? Exit::NoSettings : Exit::NotAllowed; }
};

// Opens the settings file and checks the password: the first line of `passwordFile` when given,
// otherwise asked on the terminal (never on standard input, which may carry the command's data). A
// password file that other users can read is still used, with a warning on standard error.
Admission admitWithPassword(std::string_view verb, const std::filesystem::path& programDir,
                            const std::optional<std::filesystem::path>& passwordFile);

// The file that --db names: a bare name is taken in the program folder, a path as it is given.
std::filesystem::path databasePath(const std::filesystem::path& programDir, const std::string& name);
// The office's database server: the one --server names, or else the one of the settings (empty when
// neither names one); TLS is required when the settings say so, or when they cannot be read.
ServerAddress serverOf(const Arguments& arguments, app::SettingsStore& settings);
// The check database --db names: with --server, the check database of that name on the server;
// otherwise the file, as databasePath() finds it.
DatabaseLocation databaseLocation(const std::filesystem::path& programDir, const Arguments& arguments,
                                  app::SettingsStore& settings);
// The program folder of the invocation: --dir, or the default one.
std::filesystem::path programDirOf(const Invocation& invocation);

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
// tell(), then `exit` for the verb to return.
Exit fail(std::string_view verb, Exit exit, const std::string& message);
// A usage error that the table of options cannot tell (options that go only together): fail() with
// the verb's usage after the message.
Exit usageError(std::string_view verb, const std::string& message);

} // namespace velmora::cli
