#include "cli/VerbSupport.h"

#include "app/Password.h"
#include "app/ProgramDir.h"
#include "cli/Terminal.h"
#include "print/PdfSurface.h"
#include "print/printer/CupsPrinters.h"
#include "print/printer/PrinterSurface.h"

#include <iostream>

namespace velmora::cli {

Admission admitWithPassword(std::string_view verb, const std::filesystem::path& programDir,
                            const std::optional<std::filesystem::path>& passwordFile) {
    Admission admission;
    auto refuse = [&](Admission::Refusal refusal, std::string message) {
        admission.refusal = refusal;
        admission.message = std::move(message);
        admission.settings.reset();
        return std::move(admission);
    };
    auto settings = app::SettingsStore::open(programDir);
    if (!settings)
        return refuse(Admission::Refusal::NoSettings, settings.message());
    admission.settings.emplace(std::move(settings.value()));

    std::string why;
    bool shared = false;
    const std::optional<std::string> typed = passwordFile
                                                 ? readPasswordFile(passwordFile->string(), why, shared)
                                                 : askPasswordOnTerminal("Velmora password: ");
    if (typed && shared)
        tell(verb, "warning: the password file " + passwordFile->string() +
                       " can be read by other users; make it yours alone (chmod 600 " +
                       passwordFile->string() + ")");
    if (!typed)
        return refuse(Admission::Refusal::NotAllowed,
                      passwordFile ? "cannot read the password from " + passwordFile->string() + ": " + why
                                   : std::string("no terminal to ask for the password; use --password-file"));
    const Result<app::PasswordCheck> check = app::checkPassword(admission.settings->connection(), *typed);
    if (!check)
        return refuse(Admission::Refusal::NoSettings, check.message());
    if (check.value() != app::PasswordCheck::Matches)
        return refuse(Admission::Refusal::NotAllowed, "wrong password");
    return admission;
}

PrintTarget::PrintTarget(const Arguments& arguments)
    : pdf(arguments.value(option::kPdf))
    , printer(arguments.value(option::kPrinter))
    , overwrite(arguments.has(option::kOverwrite)) {}

std::unique_ptr<print::PrintSurface> PrintTarget::open(std::string_view verb) const {
    if (pdf)
        return std::make_unique<print::PdfSurface>(pdf->string());
    // Before anything is printed: a queue that would not take the job marks and writes nothing.
    if (Status usable = print::cups::checkQueue(*printer); !usable) {
        fail(verb, Exit::OutputNotWritten, usable.message() + ". Nothing was printed.");
        return nullptr;
    }
    return std::make_unique<print::PrinterSurface>(
        print::PrinterChoice{print::PrinterChoice::Kind::Printer, *printer});
}

void PrintTarget::warn(std::string_view verb, const print::ItemOutside& outside) const {
    tell(verb, "warning: " + print::describeItemOutside(
                                 outside, printer ? "the printable area of the printer " + *printer
                                                  : std::string("the paper")));
}

std::optional<std::filesystem::path> passwordFile(const Arguments& arguments) {
    if (auto file = arguments.value(option::kPasswordFile))
        return *file;
    return std::nullopt;
}

bool confirmed(const Arguments& arguments) {
    return arguments.value(option::kConfirm) == "yes";
}

std::filesystem::path programDirOf(const Invocation& invocation) {
    return invocation.programDir.value_or(app::defaultProgramDir());
}

std::filesystem::path databasePath(const std::filesystem::path& programDir, const std::string& name) {
    const std::filesystem::path given(name);
    return given.has_parent_path() ? given : programDir / given;
}

ServerAddress serverOf(const Arguments& arguments, app::SettingsStore& settings) {
    const Result<db::SettingsRecord> record = settings.read();
    ServerAddress server = record ? record->server() : ServerAddress{{}, true};
    if (auto named = arguments.value(option::kServer))
        server.name = *named;
    return server;
}

DatabaseLocation databaseLocation(const std::filesystem::path& programDir, const Arguments& arguments,
                                  app::SettingsStore& settings) {
    const std::string name = *arguments.value(option::kDatabase);
    if (arguments.has(option::kServer))
        return DatabaseLocation::onServer(serverOf(arguments, settings), name);
    return DatabaseLocation::inFile(databasePath(programDir, name));
}

std::string counted(std::int64_t count, const std::string& thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

print::ReplaceConsent overwriteOption(bool overwrite) {
    return [overwrite](const std::filesystem::path&) -> std::optional<std::string> {
        if (overwrite)
            return std::nullopt;
        return "it already exists; give --overwrite to replace it";
    };
}

namespace {

// The length of the UTF-8 sequence that starts `text`, and its code point; 0 when it is none.
std::size_t utf8Sequence(std::string_view text, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                         : (lead & 0xF8) == 0xF0 ? 4
                                                 : 0;
    if (length == 0 || length > text.size())
        return 0;
    point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        point = (point << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and points beyond Unicode are no UTF-8.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kLeast[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF)
        return 0;
    return length;
}

std::string hex(unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

} // namespace

std::string terminalText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        char32_t point = 0;
        const std::size_t length = utf8Sequence(text, point);
        if (length == 0) {
            shown += "\\x" + hex(static_cast<unsigned char>(text[0]), 2);
            text.remove_prefix(1);
            continue;
        }
        if ((point < 0x20 && point != '\t' && point != '\n') || point == 0x7F)
            shown += "\\x" + hex(point, 2);
        else if (point >= 0x80 && point < 0xA0)
            shown += "\\u" + hex(point, 4);
        else
            shown.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return shown;
}

void tell(std::string_view verb, const std::string& message) {
    std::cerr << "velmora " << verb << ": " << terminalText(message) << "\n";
}

Exit fail(std::string_view verb, Exit exit, const std::string& message) {
    tell(verb, message);
    return exit;
}

Exit usageError(std::string_view verb, const std::string& message) {
    tell(verb, message);
    if (const Command* command = findCommand(verb))
        std::cerr << usageText(*command);
    return Exit::Usage;
}

} // namespace velmora::cli
