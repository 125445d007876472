#include "print/PrintRun.h"

#include "base/Clock.h"
#include "db/RecordSet.h"
#include "db/RegisterQueries.h"
#include "print/PrintLock.h"
#include "print/RecordingSurface.h"
#include "support/AnotherProcess.h"
#include "support/Fixtures.h"
#include "support/RunVelmora.h"
#include "support/ScriptedDialogs.h"
#include "support/Stores.h"

#include <QProcess>
#include <array>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace velmora::print {
namespace {

using db::DatabaseType;
using db::Value;
using testing::addCheck;
using testing::readCheck;
using testing::setCheckFields;
namespace f = db::field;

const char* const kChecksQuestionStart = "The print job has been sent to the printer.";
const char* const kLabelsQuestion = "Did all labels print? If you choose YES, all labels selected to print "
                                    "ONE TIME will be set to not print again.";

// Runs a hook when a question is asked, before answering it from the script.
class HookedDialogs : public testing::ScriptedDialogs {
public:
    std::function<void()> onQuestion;
    DialogAnswer show(const MessageBox& box) override {
        if (box.buttons == DialogButtons::YesNo && onQuestion)
            onQuestion();
        return ScriptedDialogs::show(box);
    }
};

class PrintRunTest : public ::testing::Test {
protected:
    PrintRunTest()
        : surface({"Times New Roman", "MICR65"}) {
        Clock::setToday(Date{2026, 12, 6});
        setup.horizontalStart = 525;
        setup.verticalStart = 200;
        setup.stock88mm = true;
    }
    ~PrintRunTest() override { Clock::setToday(std::nullopt); }

    db::CheckDatabase& open(DatabaseType type) {
        database.emplace(programDir.createDatabase(type == DatabaseType::Draft ? "Drafts" : "Payroll", type));
        return *database;
    }
    RunReport run(PrintSelection selection) {
        PrintRun printRun(*database, setup, dialogs);
        return printRun.run(selection, surface, surface);
    }
    std::vector<std::string> printedTexts() const {
        std::vector<std::string> all;
        for (const auto& t : surface.texts())
            all.push_back(t.text);
        return all;
    }
    std::optional<std::int64_t> lastCheck() { return database->readProperties()->lastCheck; }

    testing::ProgramDirFixture programDir;
    std::optional<db::CheckDatabase> database;
    HookedDialogs dialogs;
    RecordingSurface surface;
    CheckPageSetup setup;
};

// The runs that must go alike from a file and from a check database on the server: one body each.
class PrintRunOnBothStoresTest : public PrintRunTest, public ::testing::WithParamInterface<testing::Store> {
protected:
    void SetUp() override { VELMORA_SKIP_WITHOUT(store); }
    db::CheckDatabase& open(DatabaseType type) {
        database.emplace(store.createDatabase(type == DatabaseType::Draft ? "Drafts" : "Payroll", type));
        return *database;
    }
    testing::StoreFixture store{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(BothStores, PrintRunOnBothStoresTest, ::testing::ValuesIn(testing::kBothStores),
                         testing::storeName);

// What only a check database on the server can meet.
class PrintRunOnServerTest : public PrintRunOnBothStoresTest {};
INSTANTIATE_TEST_SUITE_P(ServerOnly, PrintRunOnServerTest, ::testing::Values(testing::Store::Server),
                         testing::storeName);

TEST_F(PrintRunTest, NothingSelectedSaysSoAndPrintsNothing) {
    open(DatabaseType::Check);
    const RunReport report = run({});
    EXPECT_TRUE(report.nothingSelected);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Nothing to do.");
    EXPECT_EQ(
        dialogs.shown()[0].text,
        "You have not selected anything to print. Please select the proper check box from the list for what "
        "you want to print. To print blank checks, choose Print Blank Checks from the upper left menu. ");
    EXPECT_TRUE(surface.jobs().empty());
}

TEST_P(PrintRunOnBothStoresTest, YesSetsOneTimeChecksToNeverWithAHistoryLine) {
    open(DatabaseType::Check);
    setCheckFields(*database, 1,
                   {{f::kPrint, "Once"}, {f::kCheck, 1000}, {f::kAmount, db::Money::fromCents(500)}});
    const auto once = addCheck(*database, {{f::kPrint, "Once"},
                                           {f::kCheck, 1234},
                                           {f::kAmount, db::Money::fromCents(1250)},
                                           {f::kComments, "old notes"}});
    const auto never = addCheck(*database, {{f::kPrint, "Never"}, {f::kCheck, 1235}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);

    const RunReport report = run({.once = true});
    EXPECT_TRUE(report.ok());
    EXPECT_TRUE(report.checksConfirmed);
    EXPECT_EQ(report.checksPrinted, 2); // the template check prints like any other record
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "Please load check stock in the printer now and press OK");
    EXPECT_EQ(dialogs.shown()[0].title, "");
    const MessageBox& question = dialogs.shown()[1];
    EXPECT_EQ(question.title, " ");
    EXPECT_EQ(question.icon, DialogIcon::Critical);
    EXPECT_EQ(question.buttons, DialogButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(question.text.rfind(kChecksQuestionStart, 0), 0u);
    EXPECT_EQ(surface.sentJobCount(), 1);

    const auto printed = readCheck(*database, once);
    EXPECT_EQ(printed.print, "Never");
    EXPECT_EQ(printed.printed, "12/6/2026");
    EXPECT_EQ(printed.comments, "Printed this check as #1234 For $12.5 on 12/6/2026  \r\nold notes");
    EXPECT_EQ(printed.check, 1234);
    EXPECT_EQ(readCheck(*database, 1).comments, "Printed this check as #1000 For $5 on 12/6/2026  \r\n");
    const auto untouched = readCheck(*database, never);
    EXPECT_FALSE(untouched.printed);
    EXPECT_FALSE(untouched.comments);
}

TEST_P(PrintRunOnBothStoresTest, NoChangesNothingButTheDatesOfRecurringChecks) {
    open(DatabaseType::Draft);
    const auto once = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 7}, {f::kDate, "1/1/2020"}});
    const auto monthly =
        addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 8}, {f::kDate, "1/1/2020"}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);

    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_FALSE(report.checksConfirmed);
    EXPECT_EQ(report.checksPrinted, 2);
    const auto a = readCheck(*database, once);
    EXPECT_EQ(a.print, "Once");
    EXPECT_EQ(a.date, "1/1/2020");
    EXPECT_FALSE(a.comments);
    const auto b = readCheck(*database, monthly);
    EXPECT_EQ(b.check, 8);
    EXPECT_EQ(b.date, "12/6/2026"); // the date it printed with
    EXPECT_FALSE(b.printed);
    EXPECT_NE(surface.findText("12/6/2026"), nullptr);
    EXPECT_NE(surface.findText("1/1/2020"), nullptr);
}

TEST_F(PrintRunTest, NoSavesTheDatesOfAllRecurringChecksOrOfNone) {
    open(DatabaseType::Draft);
    const auto first = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 7}, {f::kDate, "1/1/2020"}});
    const auto refusing =
        addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 8}, {f::kDate, "1/1/2020"}});
    database->connection().exec("CREATE TRIGGER refuse BEFORE UPDATE OF \"Date\" ON Account WHEN OLD.ID = " +
                                std::to_string(refusing) +
                                " BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    const RunReport report = run({.monthly = true});
    EXPECT_FALSE(report.checksConfirmed);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(dialogs.shown().back().title, "Dates not saved");
    EXPECT_NE(report.problems[0].find("saving the date of record " + std::to_string(refusing)),
              std::string::npos)
        << report.problems[0];
    EXPECT_NE(report.problems[0].find("No date has been saved."), std::string::npos) << report.problems[0];
    EXPECT_EQ(readCheck(*database, first).date, "1/1/2020");
    EXPECT_EQ(readCheck(*database, refusing).date, "1/1/2020");
}

TEST_P(PrintRunOnBothStoresTest, CheckDatabaseRenumbersFromThePhysicallyLastRecord) {
    open(DatabaseType::Check);
    const auto first = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 2000}});
    const auto second = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 17}});
    const auto once = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1049}});
    addCheck(*database, {{f::kPrint, "Never"}, {f::kCheck, 1050}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);

    EXPECT_TRUE(run({.once = true, .monthly = true}).checksConfirmed);
    EXPECT_EQ(readCheck(*database, first).check, 1051);
    EXPECT_EQ(readCheck(*database, second).check, 1052);
    EXPECT_EQ(lastCheck(), 1052);
    // The history line names the number the check was printed under.
    EXPECT_EQ(readCheck(*database, first).comments->rfind("Printed this check as #2000 For $", 0), 0u);
    EXPECT_EQ(readCheck(*database, first).printed, "12/6/2026");
    EXPECT_EQ(readCheck(*database, first).print, "Monthly");
    // A one-time check becomes Never and is not renumbered as well.
    EXPECT_EQ(readCheck(*database, once).check, 1049);
    EXPECT_EQ(readCheck(*database, once).print, "Never");
}

TEST_P(PrintRunOnBothStoresTest, RenumberedCheckNumbersWrapTo101) {
    open(DatabaseType::Draft);
    const auto high = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 999900}});
    const auto low = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 5}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    run({.monthly = true});
    EXPECT_EQ(readCheck(*database, high).check, 101);
    EXPECT_EQ(readCheck(*database, low).check, 6);
    EXPECT_FALSE(lastCheck()); // drafts count on from their own number

    open(DatabaseType::Check);
    addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 999900}});
    const auto wrapped = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 999900}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    run({.monthly = true});
    EXPECT_EQ(readCheck(*database, wrapped).check, 102);
    EXPECT_EQ(lastCheck(), 102);
}

TEST_F(PrintRunTest, OneTimeBoxWithoutOneTimeChecksStillAsks) {
    open(DatabaseType::Check);
    addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 5}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true});
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.checksPrinted, 0);
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(surface.jobs().empty()); // an empty job sends no sheet
    EXPECT_EQ(readCheck(*database, 2).check, 5);
}

TEST_F(PrintRunTest, FiveChecksOnTwoPerPageStockMakeThreePages) {
    open(DatabaseType::Check);
    setup.stock88mm = false;
    setup.twoPerPage = true;
    for (int i = 0; i < 5; ++i)
        addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 100 + i}, {f::kPayTo, "Payee"}});
    int lastPage = 0;
    PrintRun printRun(*database, setup, dialogs);
    printRun.setProgress([&](const RunProgress& p) {
        EXPECT_EQ(p.pages, p.stage == RunProgress::Stage::Checks ? 3 : 0);
        lastPage = static_cast<int>(p.page);
    });
    printRun.run({.once = true}, surface, surface);
    ASSERT_EQ(surface.jobs().size(), 1u);
    std::vector<int> perPage;
    for (const auto& page : surface.jobs()[0].pages) {
        int count = 0;
        for (const auto& t : page.texts)
            count += t.text == "PAY TO THE ORDER OF:  Payee";
        perPage.push_back(count);
    }
    EXPECT_EQ(perPage, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(lastPage, 3); // "No": no saving stage after the last page
}

TEST_F(PrintRunTest, AFailedCommitChangesNothingAndSaysWhichStepFailed) {
    open(DatabaseType::Check);
    const auto a = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1}});
    const auto b = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 2}});
    const auto c = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 3}});
    // The third record refuses to be changed once printed, as a full disk would.
    database->connection().exec(
        "CREATE TRIGGER refuse BEFORE UPDATE OF \"Check\" ON Account WHEN OLD.\"Check\" = 3 "
        "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);

    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_FALSE(report.checksConfirmed);
    ASSERT_EQ(report.problems.size(), 1u);
    const MessageBox& told = dialogs.shown().back();
    EXPECT_EQ(told.title, "Database not updated");
    EXPECT_NE(told.text.find("renumbering check #3 (record " + std::to_string(c) + ")"), std::string::npos)
        << told.text;
    EXPECT_NE(told.text.find("disk I/O error"), std::string::npos);
    EXPECT_NE(told.text.find("No record has been changed"), std::string::npos);
    // The changes before the failing record were rolled back with it.
    EXPECT_EQ(readCheck(*database, a).print, "Once");
    EXPECT_FALSE(readCheck(*database, a).comments);
    EXPECT_EQ(readCheck(*database, b).check, 2);
    EXPECT_FALSE(readCheck(*database, b).printed);
    EXPECT_FALSE(lastCheck());
}

TEST_F(PrintRunTest, ADatabaseLockedByAnotherProgramIsReportedAndLeftAsItWas) {
    open(DatabaseType::Check);
    const auto a = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1}});
    std::optional<db::Connection> other;
    dialogs.onQuestion = [&] {
        other.emplace(database->path(), db::OpenMode::ReadWrite);
        other->exec("BEGIN IMMEDIATE");
    };
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true});
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("starting the changes"), std::string::npos) << report.problems[0];
    other->exec("ROLLBACK");
    EXPECT_EQ(readCheck(*database, a).print, "Once");
}

TEST_P(PrintRunOnBothStoresTest, AJobThatCouldNotBeSentAsksNothingAndMarksNothing) {
    open(DatabaseType::Check);
    const auto once = addCheck(
        *database, {{f::kPrint, "Once"}, {f::kCheck, 1}, {f::kLabelPrint, true}, {f::kLastName, "Li"}});
    surface.setFailJobStart(true);
    // Were the questions asked, these answers would mark the records.
    for (int i = 0; i < 4; ++i)
        dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true, .onceLabels = true});
    for (const MessageBox& box : dialogs.shown())
        EXPECT_NE(box.buttons, DialogButtons::YesNo) << box.text;
    ASSERT_EQ(dialogs.shown().size(), 3u); // load stock, checks not printed, labels not printed
    EXPECT_EQ(dialogs.shown()[1].title, "Checks not printed");
    EXPECT_NE(dialogs.shown()[1].text.find("Nothing has been marked as printed"), std::string::npos);
    EXPECT_EQ(dialogs.shown()[2].title, "Labels not printed");
    EXPECT_TRUE(report.outputFailed);
    EXPECT_EQ(report.checksPrinted, 0);
    EXPECT_FALSE(report.checksConfirmed || report.labelsConfirmed);
    EXPECT_EQ(readCheck(*database, once).print, "Once");
    EXPECT_TRUE(readCheck(*database, once).labelPrint);
}

TEST_P(PrintRunOnBothStoresTest, YesMarksOnlyRecordsThatPrintedAsTheyWere) {
    open(DatabaseType::Check);
    const auto a = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 10}, {f::kComments, "old"}});
    const auto b = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 11}});
    std::int64_t added = 0;
    // While the question is open, another user adds a check to print: it was not on the job.
    dialogs.onQuestion = [&] { added = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 12}}); };
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    RunReport report = run({.once = true});
    EXPECT_TRUE(report.checksConfirmed);
    EXPECT_EQ(readCheck(*database, a).print, "Never");
    EXPECT_EQ(readCheck(*database, b).print, "Never");
    EXPECT_EQ(readCheck(*database, added).print, "Once");
    EXPECT_FALSE(readCheck(*database, added).comments);

    // Changed or deleted between the job and the answer: nothing is marked, and the records are named.
    const auto c = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 13}});
    const auto d = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 14}});
    dialogs.clear();
    dialogs.onQuestion = [&] {
        setCheckFields(*database, c, {{f::kComments, "voided by hand"}});
        database->connection().exec("DELETE FROM \"Account\" WHERE \"ID\" = " + std::to_string(d));
    };
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    report = run({.once = true});
    EXPECT_FALSE(report.checksConfirmed);
    const MessageBox& told = dialogs.shown().back();
    EXPECT_EQ(told.title, "Database not updated");
    EXPECT_NE(told.text.find("check #13 (record " + std::to_string(c) + ") was changed"), std::string::npos)
        << told.text;
    EXPECT_NE(told.text.find("record " + std::to_string(d) + " was deleted"), std::string::npos) << told.text;
    EXPECT_EQ(readCheck(*database, added).print, "Once");
    EXPECT_EQ(readCheck(*database, c).print, "Once");
}

// The desk's connection to the server ends while the question is open (the server restarted, the
// network gone): nothing is marked, and the user is told so.
TEST_P(PrintRunOnServerTest, AConnectionLostBeforeTheAnswerMarksNothingAndSaysSo) {
    open(DatabaseType::Check);
    const auto once = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 10}});
    const auto monthly = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 11}});
    db::Statement backend(database->connection(), "SELECT pg_backend_pid()");
    ASSERT_TRUE(backend.step());
    const std::string pid = std::to_string(backend.columnInt(0));
    backend.reset();
    dialogs.onQuestion = [&] {
        db::Connection office = db::Connection::toServer(store.server(), {}, db::OpenMode::ReadWrite);
        office.exec("SELECT pg_terminate_backend(" + pid + ")");
    };
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_FALSE(report.checksConfirmed);
    ASSERT_FALSE(report.problems.empty());
    EXPECT_NE(dialogs.shown().back().text.find("connection"), std::string::npos)
        << dialogs.shown().back().text;

    db::CheckDatabase again = store.open("Payroll");
    EXPECT_EQ(readCheck(again, once).print, "Once");
    EXPECT_FALSE(readCheck(again, once).comments);
    EXPECT_EQ(readCheck(again, monthly).check, 11);
    EXPECT_FALSE(again.readProperties()->lastCheck);
}

TEST_F(PrintRunTest, ASecondRunOnTheDatabaseWaitsThenRefuses) {
    open(DatabaseType::Check);
    const auto once = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1}});
    {
        Result<PrintLock> first = PrintLock::acquire(*database);
        ASSERT_TRUE(first) << first.message();
        PrintRun second(*database, setup, dialogs);
        second.setLockWait(std::chrono::milliseconds(100));
        dialogs.queueAnswer(DialogAnswer::Yes);
        const RunReport report = second.run({.once = true}, surface, surface);
        EXPECT_TRUE(report.busy);
        ASSERT_EQ(dialogs.shown().size(), 1u); // not even the load-stock message
        EXPECT_NE(dialogs.shown()[0].text.find("Another print run is printing from Payroll.mdb"),
                  std::string::npos);
        EXPECT_EQ(surface.sentJobCount(), 0);
    }
    // The first run has ended: the database is free again, and no file was left beside it.
    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(run({.once = true}).checksConfirmed);
    EXPECT_EQ(readCheck(*database, once).print, "Never");
    EXPECT_EQ(testing::filesIn(programDir.dir()),
              (std::vector<std::string>{"PC.OVL", "Payroll.mdb", "template.ref"}));
}

// Another process that holds a lock until the test lets go: the print lock of the database it opens
// at `path`, or the lock file of an earlier version.
enum class Lock { PrintLock, OldLockFile };
testing::HeldByAnotherProcess lockedElsewhere(const std::filesystem::path& path, Lock lock) {
    return testing::HeldByAnotherProcess([&](const testing::HeldByAnotherProcess::Keep& keep) {
        if (lock == Lock::OldLockFile) {
            const int fd = ::open((path.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
            keep(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
            return;
        }
        auto database = db::CheckDatabase::open(path);
        const auto held = database ? PrintLock::acquire(*database) : Result<PrintLock>::failure("");
        keep(held.ok());
    });
}

TEST_F(PrintRunTest, TheLockIsOnTheFileWhateverNameItIsReachedBy) {
    open(DatabaseType::Check);
    addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1}});
    const auto dir = programDir.dir();
    std::filesystem::create_directory(dir / "elsewhere");
    std::filesystem::create_symlink(dir / "Payroll.mdb", dir / "elsewhere" / "Linked.mdb");
    std::filesystem::create_hard_link(dir / "Payroll.mdb", dir / "elsewhere" / "Second.mdb");
    const auto refusedWhileHeld = [&](const std::filesystem::path& path, Lock lock) {
        const auto other = lockedElsewhere(path, lock);
        EXPECT_TRUE(other.taken()) << path;
        dialogs.clear();
        PrintRun second(*database, setup, dialogs);
        second.setLockWait(std::chrono::milliseconds(100));
        return second.run({.once = true}, surface, surface).busy;
    };
    for (const char* name : {"elsewhere/Linked.mdb", "elsewhere/Second.mdb", "Payroll.mdb"})
        EXPECT_TRUE(refusedWhileHeld(dir / name, Lock::PrintLock)) << name;
    // A run of an earlier version still holds its lock file; one that has ended leaves it to be removed.
    EXPECT_TRUE(refusedWhileHeld(dir / "Payroll.mdb", Lock::OldLockFile));
    EXPECT_TRUE(std::filesystem::exists(dir / "Payroll.mdb.lock"));

    // Whoever holds the lock, SQLite's readers and writers of the file go on.
    {
        const auto other = lockedElsewhere(dir / "elsewhere/Linked.mdb", Lock::PrintLock);
        ASSERT_TRUE(other.taken());
        EXPECT_GT(addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 2}}), 0);
        EXPECT_EQ(readCheck(*database, 1).id, 1);
    }
    dialogs.clear();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(run({.once = true}).checksConfirmed);
    EXPECT_FALSE(std::filesystem::exists(dir / "Payroll.mdb.lock"));
}

// The arguments that make `velmora VERB` work in the check database `name` of the test's store, as
// another program or another desk would: the program folder, its password file, and the database.
QStringList elsewhere(const testing::StoreFixture& store, const std::filesystem::path& programDir,
                      const std::string& verb, const std::string& name) {
    const std::filesystem::path dir = store.store() == testing::Store::File ? store.dir() : programDir;
    std::ofstream(dir / "password.txt") << "Tulip\n";
    QStringList arguments{"--dir", testing::argument(dir), QString::fromStdString(verb), "--password-file",
                          testing::argument(dir / "password.txt")};
    if (store.store() == testing::Store::Server)
        arguments << "--server" << QString::fromStdString(store.server().name);
    return arguments << "--db" << QString::fromStdString(store.storedName(name));
}

// `velmora import-order` run to its end as a process of its own, as a mail filter runs it: an order
// without a check number, so that the new check is numbered as New numbers it. Its exit status.
int importOrderElsewhere(const QStringList& arguments) {
    return testing::runVelmora(arguments, {.input = "CustomerFirstName: Ann\r\nTotalCost: 10.00\r\n"})
        .exitCode;
}

TEST_P(PrintRunOnBothStoresTest, ChecksNumberedByAnotherProcessDuringARunNeverShareANumberWithIt) {
    open(DatabaseType::Check);
    const QStringList importing = elsewhere(store, programDir.dir(), "import-order", "Payroll");
    {
        db::Transaction adding(database->connection());
        for (int i = 0; i < 300; ++i)
            addCheck(*database, {{f::kPrint, i % 100 == 50 ? "Monthly" : "Once"},
                                 {f::kCheck, 1001 + i},
                                 {f::kAmount, db::Money::fromCents(100 + i)}});
        adding.commit();
    }
    const std::int64_t lastBefore = 301;
    std::vector<int> imports;
    PrintRun printRun(*database, setup, dialogs);
    // Orders arrive while the checks print, and while the question waits for its answer.
    printRun.setProgress([&](const RunProgress& progress) {
        if (progress.stage == RunProgress::Stage::Checks && progress.done == 100)
            imports.push_back(importOrderElsewhere(importing));
    });
    dialogs.onQuestion = [&] {
        for (int i = 0; i < 2; ++i)
            imports.push_back(importOrderElsewhere(importing));
    };
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = printRun.run({.once = true, .monthly = true}, surface, surface);
    EXPECT_EQ(imports, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(report.checksConfirmed);
    EXPECT_EQ(report.checksPrinted, 300) << "the checks that were set to print when the run started";

    db::Statement repeated(
        database->connection(),
        "SELECT \"Check\", count(*) FROM \"Account\" GROUP BY \"Check\" HAVING count(*) > 1");
    while (repeated.step())
        ADD_FAILURE() << "check number " << repeated.columnInt(0) << " is held by " << repeated.columnInt(1)
                      << " checks";
    for (std::int64_t id = lastBefore + 1; id <= lastBefore + 3; ++id) {
        EXPECT_EQ(readCheck(*database, id).firstName, "Ann");
        EXPECT_EQ(readCheck(*database, id).print, "Once") << "not on the job, not marked";
    }
    // The recurring checks are numbered on from the last check as it stands at the answer.
    const auto lastImported = readCheck(*database, lastBefore + 3).check.value_or(0);
    EXPECT_EQ(readCheck(*database, 52).check, lastImported + 1);
    EXPECT_EQ(lastCheck(), lastImported + 3);
}

// Two desks print from one check database on the server at the same moment, each a `velmora print`
// of its own: whichever runs first prints the checks, the other finds them busy or printed already,
// and no check number is printed twice.
TEST_P(PrintRunOnServerTest, TwoDesksPrintingAtOnceNeverPrintANumberTwice) {
    open(DatabaseType::Check);
    {
        db::Transaction adding(database->connection());
        for (int i = 0; i < 200; ++i)
            addCheck(
                *database,
                {{f::kPrint, "Once"}, {f::kCheck, 1001 + i}, {f::kAmount, db::Money::fromCents(500 + i)}});
        adding.commit();
    }
    std::array<QProcess, 2> desks;
    for (std::size_t i = 0; i < desks.size(); ++i) {
        testing::prepareVelmora(desks[i]);
        const auto pdf = programDir.dir() / ("desk" + std::to_string(i) + ".pdf");
        desks[i].start(testing::velmoraProgram(), elsewhere(store, programDir.dir(), "print", "Payroll")
                                                      << "--once"
                                                      << "--confirm"
                                                      << "yes"
                                                      << "--pdf" << testing::argument(pdf));
    }
    for (QProcess& desk : desks) {
        ASSERT_TRUE(desk.waitForFinished(60000));
        EXPECT_EQ(desk.exitStatus(), QProcess::NormalExit) << desk.readAllStandardError().toStdString();
    }
    db::Connection desk = store.connect("Payroll");
    db::Statement register_(desk, "SELECT count(*), count(DISTINCT \"Check\") FROM \"Register\"");
    ASSERT_TRUE(register_.step());
    EXPECT_EQ(register_.columnInt(0), 200) << "every check printed and recorded once";
    EXPECT_EQ(register_.columnInt(1), 200) << "no number printed twice";
    db::Statement left(desk, "SELECT count(*) FROM \"Account\" WHERE \"Print\" = 'Once'");
    ASSERT_TRUE(left.step());
    EXPECT_EQ(left.columnInt(0), 0);
}

TEST_F(PrintRunTest, ValuesNoCheckCanCarryAreRefusedBeforeAnythingPrints) {
    open(DatabaseType::Draft);
    const auto fine = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 2147483647}});
    const auto low = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 1}});
    const auto high = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 5}});
    // Written past the record layer, as a damaged file would hold them.
    database->connection().exec("UPDATE Account SET \"Check\" = -9223372036854775807 - 1 WHERE ID = " +
                                std::to_string(low));
    database->connection().exec("UPDATE Account SET \"Amount\" = 100000000000 WHERE ID = " +
                                std::to_string(high));
    const auto huge = addCheck(*database, {{f::kPrint, "Once"}, {f::kCheck, 6}});
    database->connection().exec("UPDATE Account SET Comments = zeroblob(3000000) WHERE ID = " +
                                std::to_string(huge));
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_TRUE(report.damagedData);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const std::string& text = dialogs.shown()[0].text;
    EXPECT_NE(text.find("record " + std::to_string(low) + " has the check number -9223372036854775808"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("record " + std::to_string(high) + " has an amount"), std::string::npos) << text;
    EXPECT_NE(text.find("record " + std::to_string(huge) + " holds 2.9 MB in the field Comments"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("record " + std::to_string(fine) + " "), std::string::npos) << text;
    EXPECT_EQ(surface.sentJobCount(), 0);
    EXPECT_EQ(readCheck(*database, fine).print, "Once");
    // The damaged record cannot be read through the record layer any more; its date is looked at as stored.
    db::Statement printedDate(database->connection(), "SELECT \"Printed\" FROM Account WHERE ID = ?1");
    printedDate.bind(1, high);
    ASSERT_TRUE(printedDate.step());
    EXPECT_TRUE(printedDate.isNull(0));
}

TEST_F(PrintRunTest, ARunKeepsNobodyOutWhileItPrintsAndDatesItsRecurringChecksAtTheAnswer) {
    open(DatabaseType::Draft);
    {
        db::Transaction adding(database->connection());
        for (int i = 0; i < 700; ++i)
            addCheck(*database, {{f::kPrint, "Monthly"}, {f::kCheck, 100 + i}, {f::kDate, "1/1/2020"}});
        adding.commit();
    }
    // Another user tries to write after every printed check, without waiting.
    db::Connection other(database->path(), db::OpenMode::ReadWrite);
    sqlite3_busy_timeout(other.handle(), 0);
    int lockedOut = 0;
    int longestLockout = 0;
    PrintRun printRun(*database, setup, dialogs);
    printRun.setProgress([&](const RunProgress& progress) {
        if (progress.stage != RunProgress::Stage::Checks)
            return;
        try {
            other.exec("BEGIN IMMEDIATE");
            other.exec("ROLLBACK");
            lockedOut = 0;
        } catch (const db::Error&) {
            longestLockout = std::max(longestLockout, ++lockedOut);
        }
    });
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    const RunReport report = printRun.run({.monthly = true}, surface, surface);
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.checksPrinted, 700);
    EXPECT_EQ(longestLockout, 0);
    // "No": the dates the checks printed with were saved all the same.
    db::Statement undated(database->connection(),
                          "SELECT count(*) FROM Account WHERE \"Date\" <> '12/6/2026' "
                          "AND \"Print\" = 'Monthly'");
    ASSERT_TRUE(undated.step());
    EXPECT_EQ(undated.columnInt(0), 0);
}

TEST_F(PrintRunTest, OnlyLabelsSkipTheCheckStepsAndMarkOneTimeLabels) {
    open(DatabaseType::Draft);
    const auto once =
        addCheck(*database, {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kLastName, "Once"}});
    const auto neverOff =
        addCheck(*database, {{f::kPrint, "Never"}, {f::kLabelPrint, false}, {f::kLastName, "Off"}});
    const auto neverOn =
        addCheck(*database, {{f::kPrint, "Never"}, {f::kLabelPrint, true}, {f::kLastName, "On"}});
    const auto monthly =
        addCheck(*database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, true}, {f::kLastName, "M"}});
    dialogs.queueInput("");
    dialogs.queueAnswer(DialogAnswer::Yes);
    // A check added while the question waits had no label on the sheets: it keeps its label to print.
    std::int64_t added = 0;
    dialogs.onQuestion = [&] {
        added = addCheck(*database, {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kLastName, "Later"}});
    };

    const RunReport report = run({.onceLabels = true});
    EXPECT_TRUE(report.labelsConfirmed);
    EXPECT_TRUE(readCheck(*database, added).labelPrint);
    EXPECT_FALSE(readCheck(*database, added).labelPrinted);
    EXPECT_EQ(report.labelsPrinted, 2);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, kLabelsQuestion);
    EXPECT_EQ(dialogs.shown()[0].title, "");
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Critical);
    EXPECT_EQ(dialogs.shown()[0].defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(printedTexts(), (std::vector<std::string>{"Once", "On"}));
    // Every one-time and don't-print record gets the date, also one whose label was not printed.
    for (auto id : {once, neverOff, neverOn}) {
        EXPECT_FALSE(readCheck(*database, id).labelPrint);
        EXPECT_EQ(readCheck(*database, id).labelPrinted, "12/6/2026");
    }
    EXPECT_TRUE(readCheck(*database, monthly).labelPrint);
    EXPECT_FALSE(readCheck(*database, monthly).labelPrinted);
}

TEST_F(PrintRunTest, RecurringLabelsKeepPrintingAndChecksAndLabelsAreTwoJobs) {
    open(DatabaseType::Draft);
    const auto monthly = addCheck(
        *database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, true}, {f::kLastName, "M"}, {f::kCheck, 9}});
    const auto off = addCheck(*database, {{f::kPrint, "Monthly"}, {f::kLabelPrint, false}, {f::kCheck, 10}});
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    dialogs.queueInput(std::nullopt); // Cancel means label 1
    dialogs.queueAnswer(DialogAnswer::Yes);

    const RunReport report = run({.monthly = true, .monthlyLabels = true});
    EXPECT_EQ(surface.sentJobCount(), 2);
    EXPECT_EQ(dialogs.shown().back().title, " ");
    EXPECT_FALSE(report.checksConfirmed);
    EXPECT_TRUE(report.labelsConfirmed);
    EXPECT_TRUE(readCheck(*database, monthly).labelPrint);
    EXPECT_EQ(readCheck(*database, monthly).labelPrinted, "12/6/2026");
    EXPECT_EQ(readCheck(*database, off).labelPrinted, "12/6/2026");
    const auto& labelJob = surface.jobs().at(1);
    ASSERT_EQ(labelJob.pages.size(), 1u);
    EXPECT_EQ(labelJob.pages[0].texts.at(0).x, 200);
    EXPECT_EQ(labelJob.pages[0].texts.at(0).y, 700);
}

TEST_F(PrintRunTest, AStartLabelOutsideTheSheetIsAskedAgain) {
    open(DatabaseType::Draft);
    addCheck(*database, {{f::kPrint, "Once"}, {f::kLabelPrint, true}, {f::kLastName, "Lee"}});
    for (const char* answer : {"0", "-3", "abc", "2.5", " 12 "})
        dialogs.queueInput(answer);
    run({.onceLabels = true});
    EXPECT_EQ(dialogs.asked().size(), 5u);
    ASSERT_EQ(dialogs.shown().size(), 5u); // four refusals, then the question
    EXPECT_EQ(dialogs.shown()[0].text.rfind("\"0\" is not a label number.", 0), 0u);
    // It says what is taken: numbers past the sheet are, they start a new one.
    EXPECT_NE(dialogs.shown()[0].text.find("1 to 30 on this sheet"), std::string::npos);
    EXPECT_NE(dialogs.shown()[0].text.find("a higher number to start on label 1 of a new sheet"),
              std::string::npos);
    EXPECT_EQ(surface.texts().at(0).x, 4200);
    EXPECT_EQ(surface.texts().at(0).y, 700 + 1443);
}

// The register: what a confirmed run records, what the reprint step after a "No" marks, and the
// numbers a run refuses.
class RegisterRunTest : public PrintRunTest {
protected:
    // A check database with a filled template, two one-time checks and a recurring one on its account.
    void fill() {
        open(DatabaseType::Check);
        testing::fillTemplateCheck(*database);
        const auto check = [&](const char* print, std::int64_t number, const char* payee,
                               std::int64_t cents) {
            return addCheck(*database, {{f::kPrint, print},
                                        {f::kCheck, number},
                                        {f::kPayTo, payee},
                                        {f::kAmount, db::Money::fromCents(cents)},
                                        {f::kAba, "211274450"},
                                        {f::kAccount, "4002 1977"}});
        };
        first = check("Once", 1001, "Casco \"Feed\", Grain", 123456);
        second = check("Once", 1002, "Ørsted & Søn", 5);
        recurring = check("Monthly", 1003, "Rent", 90000);
    }
    std::vector<std::int64_t> registered() {
        std::vector<std::int64_t> numbers;
        for (const db::RegisterEntry& entry : testing::registerEntries(*database))
            numbers.push_back(entry.check);
        return numbers;
    }

    std::int64_t first = 0, second = 0, recurring = 0;
};

TEST_F(RegisterRunTest, YesRecordsEveryCheckAsItWasPrinted) {
    fill();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(run({.once = true, .monthly = true}).checksConfirmed);
    const std::vector<db::RegisterEntry> entries = testing::registerEntries(*database);
    ASSERT_EQ(entries.size(), 3u);
    const db::RegisterEntry& rent = entries[2];
    EXPECT_EQ(rent.check, 1003); // the number it printed under, not the one it has now
    EXPECT_EQ(readCheck(*database, recurring).check, 1004);
    EXPECT_EQ(rent.recordId, recurring);
    EXPECT_EQ(rent.printed, "2026-12-06");
    EXPECT_EQ(rent.amount, db::Money::fromCents(90000));
    EXPECT_EQ(rent.aba, "211274450");
    EXPECT_EQ(rent.account, "4002 1977");
    EXPECT_EQ(rent.state, "Issued");
    EXPECT_EQ(entries[0].payTo, "Casco \"Feed\", Grain");
    EXPECT_EQ(entries[0].run, rent.run);

    // The next run is another run; the renumbered check goes out under its new number.
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    run({.monthly = true});
    const std::vector<db::RegisterEntry> after = testing::registerEntries(*database);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[3].check, 1004);
    EXPECT_EQ(after[3].run, rent.run + 1);
}

TEST_F(RegisterRunTest, AfterANoTheTickedChecksAreMarkedAndTheOthersStay) {
    fill();
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::No);
    dialogs.queueTicks(std::vector<std::size_t>{0, 2}); // 1001 and the recurring 1003 printed properly
    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_TRUE(report.checksConfirmed);
    EXPECT_EQ(report.checksMarked, 2);
    ASSERT_EQ(dialogs.lists().size(), 1u);
    const ChoiceList& list = dialogs.lists()[0];
    EXPECT_EQ(list.columns, (std::vector<std::string>{"Check #", "Pay To", "Amount"}));
    EXPECT_EQ(list.rows[0], (std::vector<std::string>{"1001", "Casco \"Feed\", Grain", "$1,234.56"}));
    EXPECT_EQ(list.rows[1], (std::vector<std::string>{"1002", "Ørsted & Søn", "$0.05"}));

    EXPECT_EQ(registered(), (std::vector<std::int64_t>{1001, 1003}));
    EXPECT_EQ(readCheck(*database, first).print, "Never");
    EXPECT_EQ(readCheck(*database, recurring).check, 1004);
    const auto untouched = readCheck(*database, second);
    EXPECT_EQ(untouched.print, "Once");
    EXPECT_FALSE(untouched.comments);

    // The reprint prints the one left, and records it once; nothing is recorded twice.
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_EQ(run({.once = true}).checksPrinted, 1);
    EXPECT_EQ(registered(), (std::vector<std::int64_t>{1001, 1002, 1003}));
}

TEST_F(RegisterRunTest, NothingIsRecordedForANoAFailedJobOrAPreview) {
    fill();
    // "No", then the list cancelled; "No", then nothing ticked: today's "No".
    for (const bool cancelled : {true, false}) {
        dialogs.queueAnswer(DialogAnswer::Ok);
        dialogs.queueAnswer(DialogAnswer::No);
        dialogs.queueTicks(cancelled ? std::nullopt : std::optional(std::vector<std::size_t>{}));
        const RunReport report = run({.once = true, .monthly = true});
        EXPECT_FALSE(report.checksConfirmed);
        EXPECT_EQ(readCheck(*database, first).print, "Once");
        EXPECT_EQ(readCheck(*database, recurring).check, 1003);
    }
    surface.setFailJobStart(true);
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(run({.once = true}).outputFailed);
    surface.setFailJobStart(false);
    PrintRun printRun(*database, setup, dialogs);
    EXPECT_NE(printRun.preview({.once = true}, surface), nullptr);
    EXPECT_TRUE(registered().empty());
}

TEST_F(RegisterRunTest, NumbersThatWentOutAlreadyAreRefusedBeforeAnythingPrints) {
    fill();
    db::RegisterEntry voided;
    voided.recordId = 99;
    voided.check = 1002;
    voided.printed = "2026-11-01";
    voided.aba = "211274450";
    voided.account = "40021977";
    voided.state = "Void";
    voided.voided = "2026-11-02";
    testing::addRegisterEntry(*database, voided);
    // The same number on the same account twice in one run, and once on another account.
    const auto twice =
        addCheck(*database,
                 {{f::kPrint, "Once"}, {f::kCheck, 1001}, {f::kAba, "211274450"}, {f::kAccount, "40021977"}});
    addCheck(*database,
             {{f::kPrint, "Once"}, {f::kCheck, 1001}, {f::kAba, "211274450"}, {f::kAccount, "777"}});
    dialogs.queueAnswer(DialogAnswer::Yes);
    const RunReport report = run({.once = true, .monthly = true});
    EXPECT_TRUE(report.numbersTaken);
    EXPECT_EQ(surface.sentJobCount(), 0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Check numbers in use");
    EXPECT_EQ(dialogs.shown()[0].text,
              "Nothing was printed: record " + std::to_string(second) +
                  ": Check #1002 was voided on 11/2/2026 (record 99) and is never used again.; record " +
                  std::to_string(twice) + ": Record " + std::to_string(first) +
                  " prints check #1001 on the same account in this run. A check number goes out once on each "
                  "account. Give these checks other numbers on the data entry screen, then print again.");
    EXPECT_EQ(readCheck(*database, first).print, "Once");
}

TEST_F(RegisterRunTest, RenumberingPassesOverNumbersTheRegisterHolds) {
    fill();
    db::BlankStockRun blank;
    blank.printed = "2026-11-30";
    blank.product = "blank checks";
    blank.firstCheck = 1004;
    blank.lastCheck = 1010;
    blank.aba = "211274450";
    blank.account = "40021977";
    db::RegisterWriter(database->connection()).add(blank);
    dialogs.queueAnswer(DialogAnswer::Ok);
    dialogs.queueAnswer(DialogAnswer::Yes);
    run({.monthly = true});
    EXPECT_EQ(readCheck(*database, recurring).check, 1011);
    EXPECT_EQ(lastCheck(), 1011);
}

TEST(StartLabelTest, AnswersThatAreAccepted) {
    EXPECT_EQ(parseStartLabel(""), 1);
    EXPECT_EQ(parseStartLabel("   "), 1);
    EXPECT_EQ(parseStartLabel("1"), 1);
    EXPECT_EQ(parseStartLabel("30"), 30);
    EXPECT_EQ(parseStartLabel("007"), 7);
    EXPECT_GT(parseStartLabel("45").value_or(0), 30);
    EXPECT_GT(parseStartLabel("99999999999999999999").value_or(0), 30);
    for (const char* refused : {"0", "000", "-1", "+5", "1.0", "x", "1e2", "3 4"})
        EXPECT_FALSE(parseStartLabel(refused)) << refused;
}

} // namespace
} // namespace velmora::print
