#include "cli/CommandHelp.h"

#include "cli/PrintCommand.h"
#include "print/StockProducts.h"
#include "support/TempDir.h"

#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct Outcome {
    int exitCode = -1;
    std::string output;
    std::string errors;
};

Outcome run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

Outcome velmora(const QStringList& arguments) {
    return run(VELMORA_BINARY_DIR "/velmora", arguments);
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(CommandArgumentsTest, OptionsAreCheckedAgainstTheCommandsDescription) {
    const CommandHelp& print = *findCommandHelp("print");
    auto parsed = parseArguments(print, {"--db", "A.mdb", "--once", "--pdf=out.pdf", "--confirm", "yes",
                                         "--start-label", "7", "--overwrite"});
    ASSERT_TRUE(parsed.ok()) << parsed.message();
    EXPECT_EQ(parsed->value("--db"), "A.mdb");
    EXPECT_EQ(parsed->value("--pdf"), "out.pdf");
    EXPECT_EQ(parsed->value("--start-label"), "7");
    EXPECT_TRUE(parsed->has("--overwrite"));
    EXPECT_TRUE(parsed->has("--once"));
    EXPECT_FALSE(parsed->has("--monthly"));
    EXPECT_EQ(parsed->value("--monthly"), std::nullopt);

    const std::pair<Strings, std::string> refused[] = {
        {{"--twice"}, "unknown option '--twice'"},
        {{"--db"}, "--db needs a value"},
        {{"--once=yes"}, "--once takes no value"},
        {{"--confirm", "maybe"}, "--confirm takes yes or no"},
        {{"A.mdb"}, "unexpected argument 'A.mdb'"},
        {{"--db", "A.mdb", "--db=B.mdb"}, "--db is given twice; give it once"},
        {{"--once", "--once"}, "--once is given twice; give it once"},
    };
    for (const auto& [args, message] : refused) {
        const auto result = parseArguments(print, args);
        EXPECT_FALSE(result.ok()) << args.front();
        EXPECT_EQ(result.message(), message);
    }

    // Operands where a command takes them; its options still checked.
    const auto files = parseArguments(*findCommandHelp("convert"), {"A.mdb", "PC.OVL"});
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files->operands, (Strings{"A.mdb", "PC.OVL"}));
    EXPECT_FALSE(parseArguments(*findCommandHelp("convert"), {"A.mdb", "--force"}).ok());
}

TEST(CommandArgumentsTest, UsageTextsFitATerminalAndListEveryOptionAndStatus) {
    std::vector<const CommandHelp*> all{&programHelp()};
    for (const CommandHelp& command : commandHelps())
        all.push_back(&command);
    for (const CommandHelp* command : all) {
        const std::string usage = usageText(*command);
        std::istringstream lines(usage);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 80u) << command->name << ": " << line;
        for (const OptionHelp& option : command->options)
            EXPECT_NE(usage.find(std::string("  ") + option.name), std::string::npos) << option.name;
        for (const ExitStatusHelp& exit : command->exitStatuses)
            EXPECT_NE(usage.find("  " + std::to_string(exit.status) + "  " + exit.meaning), std::string::npos)
                << usage;
    }
    EXPECT_EQ(usageText(*findCommandHelp("print")).rfind("usage: velmora [--dir DIR] print --db NAME.mdb", 0),
              0u);
}

// The manual page as man reads it: per command section (.SS), the tags of its .TP entries with the
// fonts taken out, and the text under each tag.
struct ManualSection {
    std::map<std::string, std::string> entries; // tag -> text
};

std::map<std::string, ManualSection> readManual(const std::string& roff) {
    const auto plain = [](std::string text) {
        text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
        text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
        return std::regex_replace(text, std::regex(R"(^\.B )"), "");
    };
    std::map<std::string, ManualSection> sections;
    std::string section;
    std::istringstream lines(roff);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with(".SH "))
            section = line.substr(4);
        else if (line.starts_with(".SS "))
            section = line.substr(4);
        else if (line == ".TP") {
            std::string tag;
            std::string text;
            std::getline(lines, tag);
            std::getline(lines, text);
            sections[section].entries[plain(tag)] = plain(text);
        }
    }
    return sections;
}

TEST(CommandArgumentsTest, EachStockCommandListsOnlyTheStatusesItCanReturn) {
    const auto meanings = [](const char* name) {
        std::string all;
        for (const ExitStatusHelp& exit : findCommandHelp(name)->exitStatuses)
            all += std::to_string(exit.status) + " " + exit.meaning + "\n";
        return all;
    };
    // Deposit tickets take no starting number, write no history line, need no filled first check
    // and print on either stock.
    const std::string tickets = meanings("deposit-tickets");
    for (const char* never : {"starting number", "history", "empty", "92mm"})
        EXPECT_EQ(tickets.find(never), std::string::npos) << never << " in\n" << tickets;
    EXPECT_EQ(tickets.find(std::to_string(kRunFailed) + " "), std::string::npos) << tickets;
    const std::string blank = meanings("blank-checks");
    EXPECT_NE(blank.find("history line"), std::string::npos);
    EXPECT_EQ(blank.find("92mm"), std::string::npos) << blank;
    EXPECT_NE(meanings("quicken-3up").find("92mm"), std::string::npos);

    // The statuses follow what each verb's product really asks and refuses.
    const std::pair<const char*, print::StockKind> verbs[] = {
        {"blank-checks", print::StockKind::BlankChecks},
        {"deposit-tickets", print::StockKind::DepositTickets},
        {"quicken-3up", print::StockKind::Quicken3Up},
        {"quicken-voucher", print::StockKind::QuickenVoucher}};
    for (const auto& [verb, kind] : verbs) {
        const print::StockProduct& product = print::stockProduct(kind);
        const StockTraits& traits = *stockTraits(verb);
        EXPECT_EQ(traits.numbered, product.historyOpening.has_value()) << verb;
        EXPECT_EQ(traits.needsFilledTemplate, product.needsFilledTemplate) << verb;
        EXPECT_EQ(traits.needs88mm, product.needs88mm) << verb;
    }

    // The order importer does not claim to do what the screen's paste does: the paste may fill the
    // check on screen, the command always makes a new one.
    const CommandHelp& importer = *findCommandHelp("import-order");
    EXPECT_EQ(std::string(importer.description).find("as File - Paste Order Form does"), std::string::npos);
}

TEST(ManualPageTest, TheInstalledPageTellsEveryOptionAndExitStatusOfEveryCommand) {
    const std::string roff = contentOf(fs::path(VELMORA_BINARY_DIR) / "man" / "velmora.1");
    ASSERT_FALSE(roff.empty()) << "the build writes man/velmora.1";
    EXPECT_EQ(roff, manualPage()) << "the installed page is the one the descriptions make";
    const auto manual = readManual(roff);

    std::vector<std::pair<std::string, const CommandHelp*>> expected{{"OPTIONS", &programHelp()}};
    for (const CommandHelp& command : commandHelps())
        expected.emplace_back(command.name, &command);
    for (const auto& [section, command] : expected) {
        ASSERT_TRUE(manual.count(section)) << "no section " << section;
        const auto& entries = manual.at(section).entries;
        for (const OptionHelp& option : command->options) {
            std::string tag = option.name;
            if (option.argument)
                tag += std::string(" ") + option.argument;
            if (option.alias)
                tag += std::string(", ") + option.alias;
            ASSERT_TRUE(entries.count(tag)) << section << ": no entry " << tag;
            EXPECT_EQ(entries.at(tag), option.help);
        }
        const std::string statuses = section == "OPTIONS" ? "EXIT STATUS" : section;
        for (const ExitStatusHelp& exit : command->exitStatuses) {
            const auto& where = manual.at(statuses).entries;
            ASSERT_TRUE(where.count(std::to_string(exit.status)))
                << statuses << ": no status " << exit.status;
            EXPECT_EQ(where.at(std::to_string(exit.status)), exit.meaning);
        }
    }
    // Each status of the print run is told, up to the last one the program has.
    for (int status = 0; status <= 8; ++status)
        EXPECT_TRUE(manual.at("print").entries.count(std::to_string(status))) << status;

    // groff reads it without a warning.
    const Outcome groff =
        run("groff", {"-man", "-Tutf8", "-ww", "-z", QString(VELMORA_BINARY_DIR "/man/velmora.1")});
    if (groff.exitCode == -1)
        GTEST_SKIP() << "groff is not installed (package groff-base)";
    EXPECT_EQ(groff.exitCode, 0);
    EXPECT_EQ(groff.errors, "");
}

TEST(ManualPageTest, HelpVerbTellsWhatEachCommandsOwnHelpTells) {
    const Outcome program = velmora({"help"});
    EXPECT_EQ(program.exitCode, 0) << program.errors;
    EXPECT_EQ(program.output, velmora({"--help"}).output);
    for (const CommandHelp& command : commandHelps()) {
        const Outcome help = velmora({"help", command.name});
        EXPECT_EQ(help.exitCode, 0) << help.errors;
        EXPECT_EQ(help.output, velmora({command.name, "--help"}).output) << command.name;
        EXPECT_EQ(help.output, usageText(command));
        EXPECT_NE(program.output.find(std::string("  ") + command.name), std::string::npos) << command.name;
    }
    const Outcome unknown = velmora({"help", "shred"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.output, "");
    EXPECT_NE(unknown.errors.find("unknown command 'shred'"), std::string::npos) << unknown.errors;
    const Outcome refused = velmora({"print", "--db", "A.mdb", "--pdf", "a.pdf", "--confirm", "maybe"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.errors.rfind("velmora print: --confirm takes yes or no\nusage: velmora", 0), 0u)
        << refused.errors;
}

// What bash offers for the words typed so far (the last one being completed).
Strings complete(const Strings& words, const fs::path& home) {
    std::string array;
    for (const std::string& word : words)
        array += " '" + word + "'";
    const std::string script = "source '" + std::string(VELMORA_BINARY_DIR) +
                               "/bash-completion/velmora'; COMP_WORDS=(velmora" + array +
                               "); COMP_CWORD=" + std::to_string(words.size()) +
                               "; _velmora; printf '%s\\n' \"${COMPREPLY[@]}\"";
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.string()));
    environment.remove("XDG_DATA_HOME");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(home.string()));
    process.start("bash", {"--norc", "-c", QString::fromStdString(script)});
    process.waitForFinished(30000);
    Strings offered;
    std::istringstream lines(process.readAllStandardOutput().toStdString());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            offered.push_back(line);
    }
    std::sort(offered.begin(), offered.end());
    return offered;
}

TEST(BashCompletionTest, OffersTheCommandsOptionsAndValuesTheProgramTakes) {
    testing::TempDir home;
    fs::create_directories(home / ".local/share/velmora");
    fs::create_directories(home / "elsewhere");
    for (const char* file : {"Payroll.mdb", "Drafts.mdb", "PC.OVL"})
        std::ofstream(home / ".local/share/velmora" / file) << "x";
    std::ofstream(home / "elsewhere" / "Other.mdb") << "x";

    EXPECT_EQ(complete({""}, home.path()),
              (Strings{"--dir", "--help", "--version", "-h", "blank-checks", "check", "convert",
                       "deposit-tickets", "export", "help", "import-order", "positive-pay", "print",
                       "quicken-3up", "quicken-voucher", "test-page", "void"}));
    EXPECT_EQ(complete({"print", "--con"}, home.path()), Strings{"--confirm"});
    EXPECT_EQ(complete({"print", "--confirm", ""}, home.path()), (Strings{"no", "yes"}));
    EXPECT_EQ(complete({"print", "--labels"}, home.path()), (Strings{"--labels-monthly", "--labels-once"}));
    // Databases by name, from the program folder the command line names, else the default one.
    EXPECT_EQ(complete({"print", "--db", ""}, home.path()), (Strings{"Drafts.mdb", "Payroll.mdb"}));
    EXPECT_EQ(complete({"--dir", "elsewhere", "print", "--db", ""}, home.path()), Strings{"Other.mdb"});
    EXPECT_EQ(complete({"help", "pr"}, home.path()), Strings{"print"});
    EXPECT_EQ(complete({"--di"}, home.path()), Strings{"--dir"});
    EXPECT_EQ(complete({"--dir", "else"}, home.path()), Strings{"elsewhere"});
    EXPECT_EQ(complete({"convert", "elsewhere/O"}, home.path()), Strings{"elsewhere/Other.mdb"});

    const std::string installed = contentOf(fs::path(VELMORA_BINARY_DIR) / "bash-completion" / "velmora");
    EXPECT_EQ(installed, bashCompletion());
}

} // namespace
} // namespace velmora::cli
