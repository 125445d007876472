#include "cli/PrintCommand.h"

#include "app/Password.h"
#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "cli/CliDialogs.h"
#include "db/CheckDatabase.h"
#include "print/PdfSurface.h"
#include "print/PrintRun.h"
#include "print/forms/PrinterSurface.h"

#include <QPrinterInfo>
#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

const char* const kUsageText =
    "usage: velmora [--dir DIR] print --db NAME.mdb [--once] [--monthly] [--labels-once] [--labels-monthly]\n"
    "                [--start-label N] (--pdf FILE | --printer QUEUE) [--confirm yes|no]\n"
    "                [--password-file FILE]\n"
    "Prints the selected checks and labels of a check database as the Print button does.\n"
    "  --once, --monthly            checks selected to print one time / multiple times\n"
    "  --labels-once, --labels-monthly  their labels\n"
    "  --start-label N              first label on the sheet (1 to 30; default 1)\n"
    "  --pdf FILE                   write the checks to FILE and the labels to FILE-labels.pdf\n"
    "  --printer QUEUE              send both jobs to a printer queue\n"
    "  --confirm yes|no             the answer to \"did all print?\" (default no: nothing is marked)\n"
    "  --password-file FILE         read the program password from the first line of FILE\n"
    "                               (otherwise it is asked on the terminal)\n"
    "Exit status: 0 printed, 1 a job or the record changes failed, 2 usage or nothing selected,\n"
    "3 wrong password, 4 no usable database, 5 output cannot be written.\n";

struct PrintOptions {
    std::string database;
    print::PrintSelection selection;
    std::string startLabel;
    std::optional<fs::path> pdf;
    std::optional<std::string> printer;
    bool confirm = false;
    std::optional<fs::path> passwordFile;
};

int usageError(const std::string& message) {
    std::cerr << "velmora print: " << message << "\n" << kUsageText;
    return kUsage;
}

// Fills `options` from the arguments; a message when they do not make a print run.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, PrintOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        std::optional<std::string> given;
        if (arg == "--once") {
            options.selection.once = true;
        } else if (arg == "--monthly") {
            options.selection.monthly = true;
        } else if (arg == "--labels-once") {
            options.selection.onceLabels = true;
        } else if (arg == "--labels-monthly") {
            options.selection.monthlyLabels = true;
        } else if (arg == "--db" || arg == "--start-label" || arg == "--pdf" || arg == "--printer" ||
                   arg == "--confirm" || arg == "--password-file") {
            given = value();
            if (!given)
                return arg + " needs a value";
            if (arg == "--db")
                options.database = *given;
            else if (arg == "--start-label")
                options.startLabel = *given;
            else if (arg == "--pdf")
                options.pdf = *given;
            else if (arg == "--printer")
                options.printer = *given;
            else if (arg == "--password-file")
                options.passwordFile = *given;
            else if (*given == "yes" || *given == "no")
                options.confirm = *given == "yes";
            else
                return "--confirm takes yes or no";
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.database.empty())
        return "--db names the check database to print from";
    if (options.pdf.has_value() == options.printer.has_value())
        return "give either --pdf FILE or --printer QUEUE";
    if (!options.startLabel.empty() && !print::PrintRun::parseStartLabel(options.startLabel))
        return "--start-label must be a whole number from 1 to 30";
    return std::nullopt;
}

std::optional<std::string> readPasswordFile(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Asks on the controlling terminal with the echo off; std::nullopt when there is no terminal.
std::optional<std::string> askPassword() {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY);
    if (tty < 0)
        return std::nullopt;
    const std::string prompt = "Velmora password: ";
    [[maybe_unused]] auto written = ::write(tty, prompt.data(), prompt.size());
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    std::string line;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        line += c;
    if (isTerminal)
        ::tcsetattr(tty, TCSAFLUSH, &saved);
    written = ::write(tty, "\n", 1);
    ::close(tty);
    return line;
}

// "out.pdf" -> "out-labels.pdf".
fs::path labelsFileFor(const fs::path& pdf) {
    fs::path labels = pdf;
    labels.replace_filename(pdf.stem().string() + "-labels" + pdf.extension().string());
    return labels;
}

std::optional<std::string> unwritable(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return "cannot write " + file.string() + ": the folder " + folder.string() + " does not exist";
    if (fs::is_directory(file, ec))
        return "cannot write " + file.string() + ": it is a folder";
    const bool exists = fs::exists(file, ec);
    if (::access((exists ? file : folder).c_str(), W_OK) != 0)
        return "cannot write " + file.string() + ": permission denied";
    return std::nullopt;
}

} // namespace

int runPrintCommand(const Invocation& invocation) {
    PrintOptions options;
    if (std::find(invocation.arguments.begin(), invocation.arguments.end(), "--help") !=
        invocation.arguments.end()) {
        std::cout << kUsageText;
        return kPrinted;
    }
    if (auto problem = parseOptions(invocation.arguments, options))
        return usageError(*problem);

    const fs::path programDir = invocation.programDir.value_or(defaultProgramDir());
    auto settings = SettingsStore::open(programDir);
    if (!settings) {
        std::cerr << "velmora print: " << settings.message() << "\n";
        return kNotAllowed;
    }
    const std::optional<std::string> typed =
        options.passwordFile ? readPasswordFile(*options.passwordFile) : askPassword();
    if (!typed) {
        std::cerr << "velmora print: "
                  << (options.passwordFile
                          ? "cannot read the password from " + options.passwordFile->string()
                          : std::string("no terminal to ask for the password; use --password-file"))
                  << "\n";
        return kNotAllowed;
    }
    const Result<PasswordCheck> check = checkPassword(settings->connection(), *typed);
    if (!check) {
        std::cerr << "velmora print: " << check.message() << "\n";
        return kNotAllowed;
    }
    if (check.value() != PasswordCheck::Matches) {
        std::cerr << "velmora print: wrong password\n";
        return kNotAllowed;
    }

    const fs::path databaseFile = fs::path(options.database).has_parent_path()
                                      ? fs::path(options.database)
                                      : programDir / options.database;
    auto database = db::CheckDatabase::open(databaseFile);
    if (!database) {
        std::cerr << "velmora print: " << database.message() << "\n";
        return kNoDatabase;
    }

    std::unique_ptr<print::PrintSurface> checks;
    std::unique_ptr<print::PrintSurface> labels;
    if (options.pdf) {
        const fs::path labelsFile = labelsFileFor(*options.pdf);
        // Only the files this run writes: a leftover labels file does not stop a run of checks.
        std::vector<fs::path> written;
        if (options.selection.checks())
            written.push_back(*options.pdf);
        if (options.selection.labels())
            written.push_back(labelsFile);
        for (const fs::path& file : written) {
            if (auto problem = unwritable(file)) {
                std::cerr << "velmora print: " << *problem << "\n";
                return kOutputUnwritable;
            }
        }
        checks = std::make_unique<print::PdfSurface>(options.pdf->string());
        labels = std::make_unique<print::PdfSurface>(labelsFile.string());
    } else {
        if (!QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(*options.printer))) {
            std::cerr << "velmora print: there is no printer queue named " << *options.printer << "\n";
            return kOutputUnwritable;
        }
        auto printer = std::make_unique<print::PrinterSurface>();
        printer->printer().setPrinterName(QString::fromStdString(*options.printer));
        checks = std::move(printer);
    }

    print::CheckPageSetup setup;
    try {
        setup = print::CheckPageSetup::fromSettings(settings->read());
    } catch (const db::Error& error) {
        std::cerr << "velmora print: " << error.what() << "\n";
        return kNotAllowed;
    }
    CliDialogs dialogs(std::cerr, options.confirm, options.startLabel);
    print::PrintRun run(*database, setup, dialogs);
    const print::RunReport report = run.run(options.selection, *checks, labels ? *labels : *checks);
    if (report.nothingSelected)
        return kUsage;
    std::cerr << "velmora print: " << report.checksPrinted << " checks and " << report.labelsPrinted
              << " labels printed";
    if (report.checksConfirmed || report.labelsConfirmed)
        std::cerr << "; the records were updated";
    std::cerr << "\n";
    return report.ok() ? kPrinted : kRunFailed;
}

} // namespace velmora::cli
