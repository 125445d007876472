#include "app/SettingsStore.h"
#include "base/Clock.h"
#include "print/PrintLock.h"
#include "support/CupsTestServer.h"
#include "support/Fixtures.h"
#include "support/PdfProbe.h"
#include "support/RunVelmora.h"

#include <QProcess>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velmora {
namespace {

using testing::PdfProbe;
namespace f = db::field;

using testing::VelmoraRun;

namespace fs = std::filesystem;

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Every word of every page of a PDF, one string.
std::string allWords(const fs::path& file) {
    PdfProbe pdf(file);
    std::string text;
    for (int page = 0; page < pdf.pageCount(); ++page)
        for (const PdfProbe::Word& word : pdf.words(page))
            text += word.text + " ";
    return text;
}

// The temporary files a job writes beside its output, left behind.
int leftoverParts(const fs::path& dir) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        count += entry.path().filename().string().find(".tmp-") != std::string::npos ? 1 : 0;
    return count;
}

// `velmora print` as a scheduled job runs it: no display, the password in a file.
class PrintCommandTest : public ::testing::Test {
protected:
    PrintCommandTest()
        : database(programDir.createDatabase("Drafts", db::DatabaseType::Draft)) {
        std::ofstream(programDir.dir() / "password.txt") << "Tulip\n";
    }

    // `velmora --dir DIR print ARGUMENTS --password-file FILE`, run in the program folder.
    VelmoraRun velmora(QStringList arguments, const std::string& password = "password.txt",
                       const std::function<void()>& inChild = {}) {
        arguments << "--password-file" << testing::argument(programDir.dir() / password);
        return velmoraRaw(QStringList{"--dir", testing::argument(programDir.dir()), "print"} + arguments,
                          inChild);
    }
    VelmoraRun velmoraRaw(const QStringList& arguments, const std::function<void()>& inChild = {}) {
        return testing::runVelmora(arguments, options(inChild));
    }
    testing::RunOptions options(const std::function<void()>& inChild = {}) const {
        return {.workingDir = programDir.dir(), .inChild = inChild};
    }
    // Both options of how the checks print their amount, in the settings file.
    void storeAmountOptions(bool on) {
        auto store = app::SettingsStore::open(programDir.dir());
        ASSERT_TRUE(store) << store.message();
        db::SettingsRecord settings;
        settings.amountInWords = settings.amountWithCents = on;
        ASSERT_TRUE(store->write(settings, {db::setting::kAmountInWords, db::setting::kAmountWithCents}));
    }
    QString path(const std::string& name) const {
        return QString::fromStdString((programDir.dir() / name).string());
    }

    testing::ProgramDirFixture programDir;
    db::CheckDatabase database;
};

TEST_F(PrintCommandTest, PrintsChecksAndLabelsToPdfAndMarksThemOnYes) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"},
                                                   {f::kCheck, 4321},
                                                   {f::kPayTo, "Globex"},
                                                   {f::kAmount, db::Money::fromCents(9900)},
                                                   {f::kAba, "071000013"},
                                                   {f::kAccount, "12D345"},
                                                   {f::kLabelPrint, true},
                                                   {f::kLastName, "Simpson"}});
    const auto monthly =
        testing::addCheck(database, {{f::kPrint, "Monthly"}, {f::kCheck, 77}, {f::kPayTo, "Initech"}});
    const VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--once", "--monthly", "--labels-once", "--pdf",
                                        path("out.pdf"), "--confirm", "yes"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("Please load check stock in the printer now and press OK"),
              std::string::npos);
    EXPECT_NE(outcome.errors.find("Did all labels print?"), std::string::npos);

    PdfProbe checks(programDir.dir() / "out.pdf");
    ASSERT_TRUE(checks.loaded());
    EXPECT_EQ(checks.pageCount(), 1);
    // Payee at the slot's left edge (525 twips from the quarter-inch margin), 1800 twips down.
    const PdfProbe::Word payee = checks.word(0, "Globex");
    EXPECT_NEAR(payee.top, 18 + (200 + 1800) / 20.0, 1.0);
    checks.word(0, "Initech");
    checks.word(0, "4321");
    // The MICR line prints ink, not only a font name: the routing number's box is dark.
    const double micrTop = 18 + (200 + 4055) / 20.0;
    const double routingLeft = 18 + (525 + 3330) / 20.0;
    EXPECT_GT(checks.darkPixels(0, routingLeft, micrTop, routingLeft + 80, micrTop + 16), 100);
    bool micrEmbedded = false;
    for (const auto& font : checks.fonts())
        micrEmbedded |= font.name.find("MICR65") != std::string::npos && font.embedded;
    EXPECT_TRUE(micrEmbedded);

    PdfProbe labels(programDir.dir() / "out-labels.pdf");
    ASSERT_TRUE(labels.loaded());
    const PdfProbe::Word name = labels.word(0, "Simpson");
    EXPECT_NEAR(name.left, 18 + 200 / 20.0, 1.0);
    EXPECT_NEAR(name.top, 18 + 700 / 20.0, 1.0);

    const auto today = formatDateText(Clock::today());
    EXPECT_EQ(testing::readCheck(database, once).print, "Never");
    EXPECT_EQ(testing::readCheck(database, once).printed, today);
    EXPECT_EQ(testing::readCheck(database, once).labelPrinted, today);
    EXPECT_FALSE(testing::readCheck(database, once).labelPrint);
    EXPECT_EQ(testing::readCheck(database, monthly).check, 78);
}

TEST_F(PrintCommandTest, WithoutConfirmNothingIsMarked) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}});
    // A run without labels does not write, and so does not test, the labels file.
    std::filesystem::create_directory(programDir.dir() / "out-labels.pdf");
    const VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("answered No"), std::string::npos);
    EXPECT_TRUE(PdfProbe(programDir.dir() / "out.pdf").loaded());
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
}

TEST_F(PrintCommandTest, PrintedConfirmsTheChecksItNamesOnly) {
    std::vector<std::int64_t> ids;
    for (const std::int64_t number : {1001, 1002, 1003, 1004, 1006})
        ids.push_back(testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, number}}));
    // A number the run did not print: which checks printed cannot be told, so none is marked.
    VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--overwrite",
                                  "--confirm", "yes", "--printed", "1001-1005"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("--printed 1001-1005 names checks that this run did not print"),
              std::string::npos)
        << outcome.errors;
    EXPECT_EQ(testing::readCheck(database, ids[0]).print, "Once");

    outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--overwrite", "--confirm",
                       "yes", "--printed", "1001-1003,1006"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("answered Yes for 4 of 5 checks (--printed 1001-1003,1006)"),
              std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find("4 of the checks were marked as printed"), std::string::npos)
        << outcome.errors;
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(testing::readCheck(database, ids[i]).print, i == 3 ? "Once" : "Never") << i;
    EXPECT_EQ(testing::registerEntries(database).size(), 4u);

    for (const QStringList& wrong : {QStringList{"--printed", "1001-1003"},                     // without yes
                                     QStringList{"--confirm", "yes", "--printed", "1003-1001"}, // backwards
                                     QStringList{"--confirm", "yes", "--printed", "1001,,1002"}})
        EXPECT_EQ(
            velmora(QStringList{"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")} + wrong).exitCode,
            2)
            << wrong.join(' ').toStdString();
}

TEST_F(PrintCommandTest, RefusesWithAClearMessageAndItsOwnExitStatus) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}});
    std::ofstream(programDir.dir() / "wrong.txt") << "daisy\n";
    std::ofstream(programDir.dir() / "notes.mdb") << "not a database at all";

    VelmoraRun outcome =
        velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--confirm", "yes"}, "wrong.txt");
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_NE(outcome.errors.find("wrong password"), std::string::npos);

    outcome = velmora({"--db", "Missing.mdb", "--once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_NE(outcome.errors.find("Missing.mdb does not exist"), std::string::npos) << outcome.errors;

    outcome = velmora({"--db", "notes.mdb", "--once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_NE(outcome.errors.find("not a usable check database"), std::string::npos) << outcome.errors;

    outcome = velmora(
        {"--db", "Drafts.mdb", "--once", "--pdf", path("no such folder/out.pdf"), "--confirm", "yes"});
    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_NE(outcome.errors.find("does not exist"), std::string::npos) << outcome.errors;

    std::filesystem::create_directory(programDir.dir() / "out-labels.pdf");
    outcome = velmora({"--db", "Drafts.mdb", "--labels-once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_NE(outcome.errors.find("it is a folder"), std::string::npos) << outcome.errors;

    outcome = velmora({"--db", "Drafts.mdb", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.errors.find("You have not selected anything to print."), std::string::npos);

    outcome = velmora({"--db", "Drafts.mdb", "--once", "--start-label", "0", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.errors.find("or a higher number (label 1 of a new sheet)"), std::string::npos)
        << outcome.errors;

    EXPECT_FALSE(std::filesystem::exists(programDir.dir() / "out.pdf"));
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
}

TEST_F(PrintCommandTest, ALongPayeeNeverRunsIntoTheAmount) {
    testing::addCheck(database,
                      {{f::kPrint, "Once"},
                       {f::kCheck, 7},
                       {f::kAmount, db::Money::fromCents(123456)},
                       {f::kPayTo, "Wolfeschlegelsteinhausenbergerdorff Worldwide Widget Wholesalers "
                                   "Incorporated of Western Wyoming and Wisconsin"},
                       {f::kFor, std::string(300, 'M')}});
    const VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    PdfProbe pdf(programDir.dir() / "out.pdf");
    ASSERT_TRUE(pdf.loaded());
    const PdfProbe::Word amount = pdf.word(0, "1234.56");
    const PdfProbe::Word authorized = pdf.word(0, "Payment");
    bool elided = false;
    for (const PdfProbe::Word& word : pdf.words(0)) {
        const bool payeeLine = std::abs(word.top - amount.top) < 2 && word.left < amount.left;
        if (payeeLine) {
            EXPECT_LT(word.right, amount.left - 2) << word.text; // boxes apart, not touching
        } else if (word.text.starts_with("MMM")) {
            EXPECT_LT(word.right, authorized.left - 2) << word.text; // the memo before the draft texts
        }
        elided |= word.text.ends_with("...");
    }
    EXPECT_TRUE(elided);
}

TEST_F(PrintCommandTest, TheAmountOptionsStoredInTheSettingsReachThePrintedChecks) {
    testing::addCheck(database, {{f::kPrint, "Once"},
                                 {f::kCheck, 7},
                                 {f::kPayTo, "Globex"},
                                 {f::kAmount, db::Money::fromCents(123456)}});
    storeAmountOptions(true);
    VelmoraRun outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("on.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::string on = allWords(programDir.dir() / "on.pdf");
    EXPECT_NE(on.find("**$1,234.56**"), std::string::npos) << on;
    EXPECT_NE(on.find("One thousand two hundred thirty-four and 56/100***"), std::string::npos) << on;
    EXPECT_NE(on.find("*** Dollars"), std::string::npos) << on;

    storeAmountOptions(false);
    outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("off.pdf")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::string off = allWords(programDir.dir() / "off.pdf");
    EXPECT_NE(off.find("**$ 1234.56 **"), std::string::npos) << off;
    EXPECT_EQ(off.find("Dollars"), std::string::npos) << off;
}

TEST_F(PrintCommandTest, AnEarlierFileIsReplacedOnlyWithOverwriteAndNothingToPrintTouchesNone) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}, {f::kPayTo, "Acme"}});
    std::ofstream(programDir.dir() / "out.pdf") << "last month's checks";
    const VelmoraRun kept =
        velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--confirm", "yes"});
    EXPECT_EQ(kept.exitCode, 5) << kept.errors;
    EXPECT_NE(kept.errors.find("Cannot write " + (programDir.dir() / "out.pdf").string() +
                               ": it already exists; give --overwrite to replace it"),
              std::string::npos)
        << kept.errors;
    EXPECT_EQ(kept.errors.find("Please load check stock"), std::string::npos) << kept.errors;
    EXPECT_EQ(contentOf(programDir.dir() / "out.pdf"), "last month's checks");
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");

    // With --overwrite the run replaces it, with a file no other user may read.
    const VelmoraRun replaced =
        velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--overwrite"}, "password.txt",
                [] { ::umask(022); });
    EXPECT_EQ(replaced.exitCode, 0) << replaced.errors;
    EXPECT_NE(allWords(programDir.dir() / "out.pdf").find("Acme"), std::string::npos);
    EXPECT_EQ(static_cast<unsigned>(fs::status(programDir.dir() / "out.pdf").permissions()), 0600u);

    // Nothing to print: the earlier files stay as they were, and the status alone says so.
    testing::setCheckFields(database, once, {{f::kPrint, "Never"}});
    std::ofstream(programDir.dir() / "out.pdf") << "last month's checks";
    std::ofstream(programDir.dir() / "out-labels.pdf") << "last month's labels";
    const VelmoraRun nothing = velmora({"--db", "Drafts.mdb", "--once", "--labels-once", "--pdf",
                                        path("out.pdf"), "--confirm", "yes", "--overwrite"});
    EXPECT_EQ(nothing.exitCode, 6) << nothing.errors;
    EXPECT_NE(nothing.errors.find("nothing to print"), std::string::npos) << nothing.errors;
    EXPECT_EQ(contentOf(programDir.dir() / "out.pdf"), "last month's checks");
    EXPECT_EQ(contentOf(programDir.dir() / "out-labels.pdf"), "last month's labels");
    EXPECT_NE(velmora({"--help"}).output.find("6  nothing to print"), std::string::npos);

    // Labels to print but no checks: the checks' file stays, the labels' one is replaced.
    testing::addCheck(database, {{f::kPrint, "Never"}, {f::kLabelPrint, true}, {f::kLastName, "Ames"}});
    const VelmoraRun labelsOnly =
        velmora({"--db", "Drafts.mdb", "--once", "--labels-once", "--pdf", path("out.pdf"), "--overwrite"});
    EXPECT_EQ(labelsOnly.exitCode, 0) << labelsOnly.errors;
    EXPECT_NE(labelsOnly.errors.find("0 checks and 1 label printed"), std::string::npos) << labelsOnly.errors;
    EXPECT_EQ(contentOf(programDir.dir() / "out.pdf"), "last month's checks");
    EXPECT_NE(allWords(programDir.dir() / "out-labels.pdf").find("Ames"), std::string::npos);
}

TEST_F(PrintCommandTest, NeverWritesOverAProgramFile) {
    const auto once =
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}, {f::kLabelPrint, true}});
    const fs::path dir = programDir.dir();
    testing::TempDir elsewhere;
    std::ofstream(dir / "Drafts.bak") << "yesterday's backup";
    std::ofstream(dir / "Other.mdb") << "another database";
    std::ofstream(dir / "Other-labels.pdf") << "not a program file";
    std::ofstream(dir / "Drafts.mdb.jet") << "the Access original, kept";
    fs::create_symlink(dir / "Drafts.mdb", dir / "link.pdf");
    fs::create_hard_link(dir / "PC.OVL", dir / "hard.pdf");
    fs::copy_file(dir / "Drafts.mdb", dir / "Keep.mdb");
    fs::copy_file(dir / "Drafts.mdb", elsewhere / "march.pdf"); // a check database by its content
    const std::vector<fs::path> files{dir / "Drafts.mdb",     dir / "PC.OVL",    dir / "template.ref",
                                      dir / "Drafts.bak",     dir / "Other.mdb", dir / "Drafts.mdb.jet",
                                      elsewhere / "march.pdf"};
    std::map<fs::path, std::string> before;
    for (const fs::path& file : files)
        before[file] = contentOf(file);

    for (const std::string& target : std::vector<std::string>{
             "Drafts.mdb", "./PC.OVL", "template.ref", "Drafts.bak", "Other.mdb", "Drafts.mdb.jet",
             "link.pdf", "hard.pdf", (elsewhere / "march.pdf").string()}) {
        const VelmoraRun outcome =
            velmora({"--db", "Drafts.mdb", "--once", "--pdf", QString::fromStdString(target), "--confirm",
                     "yes", "--overwrite"});
        EXPECT_EQ(outcome.exitCode, 5) << target << ": " << outcome.errors;
        EXPECT_TRUE(outcome.errors.find("which is never written over") != std::string::npos ||
                    outcome.errors.find("keeps for its own files") != std::string::npos ||
                    outcome.errors.find("symbolic link") != std::string::npos)
            << target << ": " << outcome.errors;
    }
    // The labels' file is derived from the checks' one and is checked the same way: Keep.mdb's
    // labels would go to Keep-labels.mdb, which is not a program file, but "Other" names one.
    fs::create_hard_link(dir / "Other.mdb", dir / "Some-labels.pdf");
    const VelmoraRun labels = velmora({"--db", "Drafts.mdb", "--labels-once", "--pdf", path("Some.pdf")});
    EXPECT_EQ(labels.exitCode, 5) << labels.errors;
    for (const fs::path& file : files)
        EXPECT_EQ(contentOf(file), before[file]) << file;
    EXPECT_FALSE(fs::exists(dir / "Some.pdf"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.pdf"));
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
}

TEST_F(PrintCommandTest, AnOutputThatCannotBeWrittenMarksNothing) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}, {f::kPayTo, "Acme"}});
    for (const char* target : {"/dev/full", "/proc/velmora-test.pdf"}) {
        const VelmoraRun outcome =
            velmora({"--db", "Drafts.mdb", "--once", "--pdf", target, "--confirm", "yes"});
        EXPECT_EQ(outcome.exitCode, 5) << target << ": " << outcome.errors;
        EXPECT_EQ(outcome.errors.find("printed"), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find("QPainter"), std::string::npos) << outcome.errors;
    }

    // The disk fills while the PDF is written: a file-size limit (ulimit -f, whose signal the
    // program itself makes harmless) cuts the writes short.
    for (int i = 0; i < 40; ++i)
        testing::addCheck(
            database, {{f::kPrint, "Once"}, {f::kCheck, 100 + i}, {f::kPayTo, "Payee " + std::to_string(i)}});
    std::ofstream(programDir.dir() / "out.pdf") << "yesterday's checks";
    const VelmoraRun full =
        velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--confirm", "yes", "--overwrite"},
                "password.txt", [] {
                    const rlimit limit{24 * 1024, 24 * 1024};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                });
    EXPECT_EQ(full.exitCode, 5) << full.errors;
    EXPECT_NE(full.errors.find("Could not write the PDF file"), std::string::npos) << full.errors;
    EXPECT_NE(full.errors.find("file-size limit"), std::string::npos) << full.errors;
    EXPECT_NE(full.errors.find("Nothing has been marked as printed"), std::string::npos) << full.errors;
    EXPECT_EQ(full.errors.find("Did all checks print properly?"), std::string::npos) << full.errors;
    EXPECT_EQ(contentOf(programDir.dir() / "out.pdf"), "yesterday's checks");
    EXPECT_EQ(leftoverParts(programDir.dir()), 0);
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");

    // Without the limit the same run writes a whole PDF of all its pages.
    const VelmoraRun written =
        velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf"), "--overwrite"});
    EXPECT_EQ(written.exitCode, 0) << written.errors;
    EXPECT_GT(fs::file_size(programDir.dir() / "out.pdf"), 24u * 1024);
    EXPECT_EQ(PdfProbe(programDir.dir() / "out.pdf").pageCount(), 14);
}

TEST_F(PrintCommandTest, StatusesAndMessagesSayWhatHappened) {
    VelmoraRun outcome = velmoraRaw({"--help"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.output.find("usage: velmora"), std::string::npos);
    EXPECT_NE(outcome.output.find("  print"), std::string::npos) << outcome.output;
    outcome = velmoraRaw({"--version"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(outcome.output, "Velmora Version 7.02\n");
    outcome = velmoraRaw({"--dir", path(""), "print", "--dir", path("other"), "--db", "Drafts.mdb"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.errors.find("--dir is given twice"), std::string::npos) << outcome.errors;

    testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}, {f::kLabelPrint, true}});
    outcome = velmora({"--db", "Drafts.mdb", "--once", "--labels-once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("1 check and 1 label printed; no record was marked"), std::string::npos)
        << outcome.errors;

    // A password file that never ends is refused after its first few kilobytes.
    outcome = velmoraRaw({"--dir", path(""), "print", "--db", "Drafts.mdb", "--once", "--pdf",
                          path("out.pdf"), "--password-file", "/dev/zero"});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_NE(outcome.errors.find("longer than 4096 bytes"), std::string::npos) << outcome.errors;

    fs::remove(programDir.dir() / "PC.OVL");
    outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 7) << outcome.errors;
}

TEST_F(PrintCommandTest, TwoRunsAtOnceNeverPrintTheSameCheckNumbers) {
    db::CheckDatabase payroll = programDir.createDatabase("Payroll", db::DatabaseType::Check);
    for (int i = 0; i < 20; ++i)
        testing::addCheck(payroll, {{f::kPrint, "Monthly"}, {f::kCheck, 1001 + i}});
    QProcess first;
    QProcess second;
    for (QProcess* run : {&first, &second}) {
        testing::prepareVelmora(*run, options());
        const QString out = run == &first ? path("first.pdf") : path("second.pdf");
        run->start(testing::velmoraProgram(),
                   {"--dir", path(""), "print", "--db", "Payroll.mdb", "--monthly", "--pdf", out, "--confirm",
                    "yes", "--password-file", path("password.txt")});
    }
    int printed = 0;
    for (QProcess* run : {&first, &second}) {
        ASSERT_TRUE(run->waitForFinished(60000));
        const int code = run->exitCode();
        EXPECT_TRUE(code == 0 || code == 8) << code << run->readAllStandardError().toStdString();
        printed += code == 0 ? 1 : 0;
    }
    ASSERT_GE(printed, 1);
    const std::string one = allWords(programDir.dir() / "first.pdf");
    const std::string two = allWords(programDir.dir() / "second.pdf");
    // Exactly one of the runs printed the numbers the checks had; a later one printed new numbers.
    EXPECT_NE(one.find("1001") == std::string::npos, two.find("1001") == std::string::npos) << one << two;
    // Each run that printed left one history line in every check.
    const std::string comments = testing::readCheck(payroll, 2).comments.value_or("");
    std::size_t lines = 0;
    for (std::size_t at = comments.find("Printed this check"); at != std::string::npos;
         at = comments.find("Printed this check", at + 1))
        ++lines;
    EXPECT_EQ(lines, static_cast<std::size_t>(printed));

    // A run that finds the database taken waits a moment, then says so with its own status.
    Result<print::PrintLock> held = print::PrintLock::acquire(payroll);
    ASSERT_TRUE(held);
    const VelmoraRun refused = velmora({"--db", "Payroll.mdb", "--monthly", "--pdf", path("third.pdf")});
    EXPECT_EQ(refused.exitCode, 8) << refused.errors;
    EXPECT_NE(refused.errors.find("Another print run is printing from Payroll.mdb"), std::string::npos);
}

TEST_F(PrintCommandTest, CtrlCAtThePasswordPromptGivesTheTerminalItsEchoBack) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slaveName = ::ptsname(master);
    const int slave = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    QProcess process;
    // The terminal becomes the controlling terminal of velmora, in a session of its own.
    testing::prepareVelmora(process, options([name = slaveName.c_str()] {
                                ::setsid();
                                const int tty = ::open(name, O_RDWR);
                                ::ioctl(tty, TIOCSCTTY, 0);
                            }));
    process.start(testing::velmoraProgram(),
                  {"--dir", path(""), "print", "--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")});
    ASSERT_TRUE(process.waitForStarted());
    std::string shown;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (shown.find("password: ") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 100) > 0) {
            char buffer[256];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got > 0)
                shown.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ASSERT_NE(shown.find("Velmora password: "), std::string::npos) << shown;
    termios attributes{};
    // The echo goes off just after the prompt is written.
    for (int i = 0; i < 100; ++i) {
        ::tcgetattr(slave, &attributes);
        if ((attributes.c_lflag & ECHO) == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(attributes.c_lflag & ECHO, 0u);
    const char interrupt = '\x03';
    ASSERT_EQ(::write(master, &interrupt, 1), 1);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by the signal, as it should be
    ::tcgetattr(slave, &attributes);
    EXPECT_NE(attributes.c_lflag & ECHO, 0u);
    ::close(slave);
    ::close(master);
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

using testing::PdfProbe;
namespace f = db::field;

// The margins of the test queue's printer (0.2 inch left and top) and of the PDF output (a quarter
// inch), in points: the same layout lands that much apart on the paper.
constexpr double kPrinterMargin = 14.4;
constexpr double kPdfMargin = 18;

class CupsPrintCommandTest : public PrintCommandTest {
protected:
    testing::CupsTestServer cups;
};

TEST_F(CupsPrintCommandTest, PrintsThroughAQueueExactlyAsThePdfOutputAndMarksOnYes) {
    if (!cups.running())
        GTEST_SKIP() << "No CUPS test server: " << cups.whyNot();
    storeAmountOptions(true); // the lines they add go through the queue like the others
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 4; ++i)
        ids.push_back(testing::addCheck(database, {{f::kPrint, "Once"},
                                                   {f::kCheck, 2001 + i},
                                                   {f::kPayTo, "Payee" + std::to_string(i)},
                                                   {f::kAmount, db::Money::fromCents(12345 + i)},
                                                   {f::kBank, "Prairie Bank"},
                                                   {f::kAba, "071000013"},
                                                   {f::kAccount, "12D345"},
                                                   {f::kLabelPrint, i == 0},
                                                   {f::kLastName, "Zimmer"}}));
    const VelmoraRun direct = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("direct.pdf")});
    ASSERT_EQ(direct.exitCode, 0) << direct.errors;
    // The queue's defaults are A4, landscape, two copies, two pages to a sheet and fit to page:
    // none of them may reach the job.
    const VelmoraRun sent = velmora({"--db", "Drafts.mdb", "--once", "--labels-once", "--printer",
                                     QString::fromStdString(cups.queue()), "--confirm", "yes"});
    ASSERT_EQ(sent.exitCode, 0) << sent.errors;
    const std::vector<int> jobs = testing::reportedJobs(sent.errors);
    ASSERT_EQ(jobs.size(), 2u) << sent.errors;
    const fs::path checksFile = cups.waitForJob(jobs[0]);
    const fs::path labelsFile = cups.waitForJob(jobs[1]);
    ASSERT_FALSE(checksFile.empty()) << "cups-pdf wrote no PDF for job " << jobs[0];
    ASSERT_FALSE(labelsFile.empty()) << "cups-pdf wrote no PDF for job " << jobs[1];
    const std::map<std::string, std::string> fixed{
        {"copies", "1"},        {"media", "Letter"},        {"orientation-requested", "3"},
        {"number-up", "1"},     {"fit-to-page", "0"},       {"print-scaling", "none"},
        {"sides", "one-sided"}, {"job-sheets", "none,none"}};
    EXPECT_EQ(cups.jobOptions(jobs[0]), fixed);
    EXPECT_EQ(cups.jobOptions(jobs[1]), fixed);

    PdfProbe printed(checksFile);
    PdfProbe expected(programDir.dir() / "direct.pdf");
    ASSERT_EQ(expected.pageCount(), 2);
    expected.word(0, "**$123.45**");
    expected.word(0, "Dollars");
    ASSERT_EQ(printed.pageCount(), expected.pageCount());
    for (int page = 0; page < printed.pageCount(); ++page) {
        EXPECT_NEAR(printed.pageSize(page).first, 612, 0.5) << "letter, portrait";
        EXPECT_NEAR(printed.pageSize(page).second, 792, 0.5) << "letter, portrait";
        // Each word of the direct PDF has its ink, moved by the difference of the margins, in the
        // queue's PDF: same place to the half point, same size (no scaling).
        int compared = 0;
        const std::vector<PdfProbe::Word> words = expected.words(page);
        for (const PdfProbe::Word& word : words) {
            constexpr double slack = 1;
            const PdfProbe::Box window{word.left - slack, word.top - slack, word.right + slack,
                                       word.bottom + slack};
            const double shift = kPrinterMargin - kPdfMargin;
            const auto want = expected.inkBox(page, window);
            const auto got = printed.inkBox(
                page, {window.left + shift, window.top + shift, window.right + shift, window.bottom + shift});
            if (!want)
                continue;
            ++compared;
            ASSERT_TRUE(got) << "no ink where \"" << word.text << "\" belongs on page " << page;
            EXPECT_NEAR(got->left - kPrinterMargin, want->left - kPdfMargin, 0.5) << word.text;
            EXPECT_NEAR(got->top - kPrinterMargin, want->top - kPdfMargin, 0.5) << word.text;
            EXPECT_NEAR(got->right - kPrinterMargin, want->right - kPdfMargin, 0.5) << word.text;
            EXPECT_NEAR(got->bottom - kPrinterMargin, want->bottom - kPdfMargin, 0.5) << word.text;
        }
        EXPECT_GE(compared, static_cast<int>(words.size() * 9 / 10)) << "page " << page;
        EXPECT_GT(compared, 20) << "page " << page;
    }
    // The MICR line is there in ink: the routing number's box is dark at the printer's origin.
    const double micrTop = kPrinterMargin + (200 + 4055) / 20.0;
    const double routingLeft = kPrinterMargin + (525 + 3330) / 20.0;
    EXPECT_GT(printed.darkPixels(0, routingLeft, micrTop, routingLeft + 80, micrTop + 16), 100);
    EXPECT_GT(printed.darkPixels(1, routingLeft, micrTop, routingLeft + 80, micrTop + 16), 100);

    // The label's name line starts at the first label's corner from the printer's origin.
    PdfProbe labels(labelsFile);
    ASSERT_EQ(labels.pageCount(), 1);
    labels.expectLineAt(0, kPrinterMargin + 200 / 20.0, kPrinterMargin + 700 / 20.0);

    for (const std::int64_t id : ids)
        EXPECT_EQ(testing::readCheck(database, id).print, "Never");
    EXPECT_FALSE(testing::readCheck(database, ids[0]).labelPrint);
}

TEST_F(CupsPrintCommandTest, AQueueThatWouldNotTakeTheJobSaysSoAndMarksNothing) {
    if (!cups.running())
        GTEST_SKIP() << "No CUPS test server: " << cups.whyNot();
    const auto once =
        testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}, {f::kLabelPrint, true}});
    // A queue of this test's own, so that stopping it stops no other test's printing.
    const QString queue = QString("Velmora%1").arg(::getpid());
    ASSERT_EQ(cups.admin("lpadmin", {"-p", queue, "-E", "-v", QString::fromStdString(cups.device()), "-P",
                                     QString::fromStdString(cups.ppd().string())}),
              0);
    // Refused before anything is printed or asked.
    const auto attempt = [&] {
        VelmoraRun refused = velmora(
            {"--db", "Drafts.mdb", "--once", "--labels-once", "--printer", queue, "--confirm", "yes"});
        EXPECT_EQ(refused.errors.find("Please load check stock"), std::string::npos) << refused.errors;
        return refused;
    };

    ASSERT_EQ(cups.admin("cupsdisable", {queue}), 0);
    VelmoraRun outcome = attempt();
    EXPECT_EQ(outcome.exitCode, 5) << outcome.errors;
    EXPECT_NE(outcome.errors.find("The printer " + queue.toStdString() + " is stopped"), std::string::npos)
        << outcome.errors;

    ASSERT_EQ(cups.admin("cupsenable", {queue}), 0);
    ASSERT_EQ(cups.admin("cupsreject", {queue}), 0);
    outcome = attempt();
    EXPECT_EQ(outcome.exitCode, 5) << outcome.errors;
    EXPECT_NE(outcome.errors.find("is not accepting jobs"), std::string::npos) << outcome.errors;

    ASSERT_EQ(cups.admin("lpadmin", {"-x", queue}), 0);
    outcome = attempt();
    EXPECT_EQ(outcome.exitCode, 5) << outcome.errors;
    EXPECT_NE(outcome.errors.find("There is no printer named " + queue.toStdString()), std::string::npos)
        << outcome.errors;
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
    EXPECT_TRUE(testing::readCheck(database, once).labelPrint);
}

} // namespace
} // namespace velmora
