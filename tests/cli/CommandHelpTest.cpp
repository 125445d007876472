#include "cli/Command.h"
#include "print/StockProducts.h"
#include "support/RunVelmora.h"
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
using testing::runVelmora;

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(CommandArgumentsTest, OptionsAreCheckedAgainstTheCommandsDescription) {
    const Command& print = *findCommand("print");
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
    // A handler asking for an option its command does not take is the program's mistake, not silence.
    EXPECT_THROW((void)parsed->has("--onse"), std::logic_error);

    const Strings target = {"--pdf", "a.pdf"};
    const std::pair<Strings, std::string> refused[] = {
        {{"--twice"}, "unknown option '--twice'"},
        {{"--db"}, "--db needs a value"},
        {{"--once=yes"}, "--once takes no value"},
        {{"--confirm", "maybe"}, "--confirm takes yes or no"},
        {{"A.mdb"}, "unexpected argument 'A.mdb'"},
        {{"--db", "A.mdb", "--db=B.mdb"}, "--db is given twice; give it once"},
        {{"--once", "--once"}, "--once is given twice; give it once"},
        // What the command needs as a whole: its database, one of its outputs, values it takes.
        {{"--once", "--pdf", "a.pdf"}, "--db names the check database to print from"},
        {{"--db", "A.mdb", "--once"}, "give either --pdf FILE or --printer QUEUE"},
        {{"--db", "A.mdb", "--pdf", "a.pdf", "--printer", "lp"}, "give either --pdf FILE or --printer QUEUE"},
        {{"--db", "A.mdb", "--pdf", "a.pdf", "--start-label", "0"},
         "--start-label takes 1 to 30 (a label of this sheet, numbered down each column) or a higher number "
         "(label 1 of a new sheet)"},
    };
    for (const auto& [args, message] : refused) {
        const auto result = parseArguments(print, args);
        EXPECT_FALSE(result.ok()) << args.front();
        EXPECT_EQ(result.message(), message);
    }
    const Command& blank = *findCommand("blank-checks");
    EXPECT_EQ(
        parseArguments(blank, {"--db", "A.mdb", "--count", "3,000", "--start", "1", "--pdf", "a"}).message(),
        "--count takes a number of items, at most 1000000");
    EXPECT_EQ(parseArguments(blank, {"--db", "A.mdb", "--count", "3", "--pdf", "a"}).message(),
              "--start takes the first check number: a whole number of up to nine digits");
    EXPECT_EQ(parseArguments(*findCommand("deposit-tickets"), {"--db", "A", "--count", "3", "--start", "1"})
                  .message(),
              "unknown option '--start'");

    // Operands where a command takes them; its options still checked.
    const Command& convert = *findCommand("convert");
    const auto files = parseArguments(convert, {"A.mdb", "PC.OVL"});
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(files->operands(), (Strings{"A.mdb", "PC.OVL"}));
    EXPECT_FALSE(parseArguments(convert, {"A.mdb", "--force"}).ok());
    EXPECT_EQ(parseArguments(convert, {}).message(), "name at least one file");
}

// The status lines of a usage text: "  N  meaning", wrapped lines joined.
std::vector<std::pair<int, std::string>> statusLines(const std::string& usage) {
    std::vector<std::pair<int, std::string>> lines;
    std::istringstream in(usage.substr(usage.find("Exit status:\n") + 13));
    const std::regex entry(R"(^  (\d+) +(.*)$)");
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, entry))
            lines.emplace_back(std::stoi(match[1]), match[2]);
        else if (!lines.empty())
            lines.back().second += " " + line.substr(line.find_first_not_of(' '));
    }
    return lines;
}

TEST(CommandArgumentsTest, UsageTextsFitATerminalAndListEveryOptionAndStatus) {
    std::vector<const Command*> all{&programCommand()};
    for (const Command& command : commands())
        all.push_back(&command);
    for (const Command* command : all) {
        const std::string usage = usageText(*command);
        std::istringstream lines(usage);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size(), 80u) << command->name << ": " << line;
        for (const Option& option : command->options)
            EXPECT_NE(usage.find("  " + option.name), std::string::npos) << option.name;
        std::vector<std::pair<int, std::string>> listed;
        for (const ExitHelp& exit : command->exits)
            listed.emplace_back(exitCode(exit.exit), exit.meaning());
        EXPECT_EQ(statusLines(usage), listed) << usage;
    }
    // The synopses are made from the options: a needed one bare, a group of alternatives in
    // parentheses, the rest in brackets, the operands and standard input last.
    const auto synopsis = [](const char* verb) { return synopsesOf(*findCommand(verb)).front(); };
    EXPECT_EQ(
        synopsis("print"),
        "--db NAME.mdb [--server SERVICE] [--once] [--monthly] [--labels-once] [--labels-monthly] [--start-label N] "
        "(--pdf FILE | --printer QUEUE) [--overwrite] [--confirm yes|no] [--printed NUMBERS] "
        "[--password-file FILE]");
    EXPECT_EQ(synopsis("quicken-voucher"),
              "--db NAME.mdb [--server SERVICE] --count N --start NUMBER (--pdf FILE | --printer QUEUE) "
              "[--overwrite] [--confirm yes|no] [--password-file FILE]");
    EXPECT_EQ(synopsis("import-order"),
              "--db NAME.mdb [--server SERVICE] [--password-file FILE] < order.txt");
    EXPECT_EQ(synopsis("convert"), "FILE...");
    EXPECT_EQ(synopsis("help"), "[COMMAND]");
    EXPECT_EQ(usageText(*findCommand("print")).rfind("usage: velmora [--dir DIR] print --db NAME.mdb", 0),
              0u);
}

// The manual page as man reads it: per command section (.SS), its .TP entries in order, each the tag
// with the fonts taken out and the text under it.
using ManualSection = std::vector<std::pair<std::string, std::string>>;

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
            sections[section].emplace_back(plain(tag), plain(text));
        }
    }
    return sections;
}

TEST(CommandArgumentsTest, EachStockCommandListsOnlyTheStatusesItCanReturn) {
    const auto meanings = [](const std::string& name) {
        std::string all;
        for (const ExitHelp& exit : findCommand(name)->exits)
            all += std::to_string(exitCode(exit.exit)) + " " + exit.meaning() + "\n";
        return all;
    };
    // Deposit tickets take no starting number, write no history line, need no filled first check
    // and print on either stock.
    const std::string tickets = meanings("deposit-tickets");
    for (const char* never : {"starting number", "history", "name", "92mm"})
        EXPECT_EQ(tickets.find(never), std::string::npos) << never << " in\n" << tickets;
    EXPECT_EQ(tickets.find("\n1 "), std::string::npos) << tickets;
    EXPECT_NE(
        tickets.find("9 refused before printing: a draft database, or a count above 10000 not confirmed"),
        std::string::npos)
        << tickets;
    const std::string blank = meanings("blank-checks");
    EXPECT_NE(blank.find("history line"), std::string::npos);
    EXPECT_NE(blank.find("a first check without a name"), std::string::npos);
    EXPECT_EQ(blank.find("92mm"), std::string::npos) << blank;
    EXPECT_NE(meanings("quicken-voucher").find("92mm"), std::string::npos);
    // Each product is a verb, with the texts of its row.
    for (const print::StockProduct& product : print::stockProducts()) {
        const Command* verb = findCommand(product.verb);
        ASSERT_NE(verb, nullptr) << product.verb;
        EXPECT_EQ(verb->description, product.description);
        EXPECT_EQ(verb->findOption("--start") != nullptr, product.historyOpening.has_value()) << product.verb;
    }

    // The order importer does not claim to do what the screen's paste does: the paste may fill the
    // check on screen, the command always makes a new one.
    const Command& importer = *findCommand("import-order");
    EXPECT_EQ(importer.description.find("as File - Paste Order Form does"), std::string::npos);
}

TEST(ManualPageTest, TheInstalledPageTellsEveryOptionAndExitStatusOfEveryCommand) {
    const std::string roff = contentOf(fs::path(VELMORA_BINARY_DIR) / "man" / "velmora.1");
    ASSERT_FALSE(roff.empty()) << "the build writes man/velmora.1";
    EXPECT_EQ(roff, manualPage()) << "the installed page is the one the descriptions make";
    const auto manual = readManual(roff);

    std::vector<std::pair<std::string, const Command*>> expected{{"OPTIONS", &programCommand()}};
    for (const Command& command : commands())
        expected.emplace_back(command.name, &command);
    for (const auto& [section, command] : expected) {
        ASSERT_TRUE(manual.count(section)) << "no section " << section;
        ManualSection entries;
        for (const Option& option : command->options)
            entries.emplace_back(option.label() + (option.alias ? std::string(", ") + option.alias : ""),
                                 option.help);
        ManualSection statuses;
        for (const ExitHelp& exit : command->exits)
            statuses.emplace_back(std::to_string(exitCode(exit.exit)), exit.meaning());
        if (section == "OPTIONS") {
            EXPECT_EQ(manual.at(section), entries);
            EXPECT_EQ(manual.at("EXIT STATUS"), statuses);
        } else {
            entries.insert(entries.end(), statuses.begin(), statuses.end());
            EXPECT_EQ(manual.at(section), entries) << section;
        }
    }

    // groff reads it without a warning.
    QProcess groff;
    groff.start("groff", {"-man", "-Tutf8", "-ww", "-z", QString(VELMORA_BINARY_DIR "/man/velmora.1")});
    if (!groff.waitForFinished(60000) || groff.exitStatus() != QProcess::NormalExit)
        GTEST_SKIP() << "groff is not installed (package groff-base)";
    EXPECT_EQ(groff.exitCode(), 0);
    EXPECT_EQ(groff.readAllStandardError().toStdString(), "");
}

TEST(ManualPageTest, HelpVerbTellsWhatEachCommandsOwnHelpTells) {
    const auto program = runVelmora({"help"});
    EXPECT_EQ(program.exitCode, 0) << program.errors;
    EXPECT_EQ(program.output, runVelmora({"--help"}).output);
    for (const Command& command : commands()) {
        const QString name = QString::fromStdString(command.name);
        const auto help = runVelmora({"help", name});
        EXPECT_EQ(help.exitCode, 0) << help.errors;
        EXPECT_EQ(help.output, runVelmora({name, "--help"}).output) << command.name;
        EXPECT_EQ(help.output, usageText(command));
        EXPECT_NE(program.output.find("  " + command.name), std::string::npos) << command.name;
    }
    const auto unknown = runVelmora({"help", "shred"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.output, "");
    EXPECT_NE(unknown.errors.find("unknown command 'shred'"), std::string::npos) << unknown.errors;
    const auto refused = runVelmora({"print", "--db", "A.mdb", "--pdf", "a.pdf", "--confirm", "maybe"});
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
              (Strings{"--dir", "--help", "--version", "-h", "blank-checks", "check", "convert", "copy",
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
