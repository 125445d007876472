#include "entry/CheckEntry.h"

#include "app/SettingsStore.h"
#include "base/Clock.h"
#include "db/CheckQueries.h"
#include "entry/EntryWarnings.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::entry;
using db::DatabaseType;
using velmora::testing::addCheck;
using velmora::testing::readCheck;
using velmora::testing::setCheckFields;

namespace {

const char* const kLastMessage = "This is the last check in the account - choose NEW to create a new check.";
const char* const kFirstMessage = "This is the first check in the account.";

class CheckEntryTest : public ::testing::Test {
protected:
    CheckEntryTest() { Clock::setToday(Date{2024, 3, 7}); }
    ~CheckEntryTest() override { Clock::setToday(std::nullopt); }

    db::CheckDatabase& create(DatabaseType type) {
        database.emplace(program.createDatabase("Payroll", type));
        return *database;
    }
    void openEntry() {
        ASSERT_TRUE(entry.open("Payroll.mdb"));
        dialogs.clear();
    }
    std::int64_t currentId() { return entry.field("ID").integer().value_or(0); }
    std::string text(const char* field) { return entry.field(field).textOrEmpty(); }

    velmora::testing::ProgramDirFixture program;
    std::optional<db::CheckDatabase> database;
    velmora::testing::ScriptedDialogs dialogs;
    CheckEntry entry{dialogs, program.dir()};
};

TEST_F(CheckEntryTest, OpeningAnUntouchedDatabaseAsksForTheTemplateDatesItAndShowsTheLastCheck) {
    create(DatabaseType::Draft);
    addCheck(*database, {{"PayTo", "Ann"}, {"Check", 455}});
    addCheck(*database, {{"PayTo", "Bob"}, {"Check", 456}});

    ASSERT_TRUE(entry.open("Payroll.mdb"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Note");
    EXPECT_EQ(dialogs.shown()[0].text.rfind("Please fill in the fields of the first check", 0), 0u);
    EXPECT_EQ(readCheck(*database, 1).date, "3/7/2024");
    EXPECT_EQ(text("PayTo"), "Bob");
    EXPECT_EQ(entry.windowTitle(), "Draft Database: Payroll");

    // A template with only a payee is filled in enough; a dated template keeps its date.
    setCheckFields(*database, 1, {{"PayTo", "Velmora Inc."}, {"Date", "1/2/2020"}});
    dialogs.clear();
    ASSERT_TRUE(entry.open("Payroll.mdb"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(readCheck(*database, 1).date, "1/2/2020");
}

TEST_F(CheckEntryTest, AFileThatIsNotACheckDatabaseIsReportedByName) {
    std::ofstream(program.dir() / "Junk.mdb") << "not a database at all";
    EXPECT_FALSE(entry.open("Junk.mdb"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("Junk.mdb"), std::string::npos);
    EXPECT_FALSE(entry.isOpen());

    dialogs.clear();
    EXPECT_FALSE(entry.open("Missing.mdb"));
    EXPECT_NE(dialogs.shownTexts().at(0).find("Missing.mdb"), std::string::npos);
}

TEST_F(CheckEntryTest, NewInADraftDatabaseTakesThePayeeAndLabelFlagOnly) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1,
                   {{"PayTo", "Velmora Inc."}, {"LabelPrint", true}, {"FirstName", "Tom"}, {"Check", 455}});
    openEntry();

    entry.newCheck();
    const auto added = readCheck(*database, currentId());
    EXPECT_EQ(added.id, 2);
    EXPECT_EQ(added.payTo, "Velmora Inc.");
    EXPECT_TRUE(added.labelPrint);
    EXPECT_EQ(added.firstName, std::nullopt);
    EXPECT_EQ(added.print, "Once");
    EXPECT_EQ(added.date, "3/7/2024");
    EXPECT_EQ(added.check, 456);
    EXPECT_EQ(entry.options().printOption, "One Time");
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(CheckEntryTest, NewInACheckDatabaseCopiesFilledHolderAndBankFieldsAndNeverALabel) {
    create(DatabaseType::Check);
    setCheckFields(*database, 1,
                   {{"BusinessName", "Acme"},
                    {"FirstName", ""},
                    {"Bank", "First Bank"},
                    {"ABA", "071000013"},
                    {"Account", "12D345"},
                    {"PayTo", "Not copied"},
                    {"LabelPrint", true},
                    {"Check", 4000}});
    openEntry();
    EXPECT_FALSE(readCheck(*database, 1).labelPrint); // rewritten at every load
    EXPECT_EQ(entry.windowTitle(), "Check Database: Payroll");
    EXPECT_EQ(entry.templateValues().taken.businessName, "Acme");

    setCheckFields(*database, 1, {{"LabelPrint", true}});
    entry.newCheck();
    EXPECT_FALSE(readCheck(*database, 1).labelPrint);
    const auto added = readCheck(*database, currentId());
    EXPECT_EQ(added.businessName, "Acme");
    EXPECT_EQ(added.firstName, std::nullopt); // an empty template field copies nothing
    EXPECT_EQ(added.bank, "First Bank");
    EXPECT_EQ(added.aba, "071000013");
    EXPECT_EQ(added.account, "12D345");
    EXPECT_EQ(added.payTo, std::nullopt);
    EXPECT_FALSE(added.labelPrint);
    EXPECT_EQ(added.check, 4001);
}

TEST_F(CheckEntryTest, NewNumbersFromTheLastRecordAndLastCheckWithTheWrapLimit) {
    create(DatabaseType::Check);
    setCheckFields(*database, 1, {{"FirstName", "Tom"}});
    addCheck(*database, {{"Check", 455}});
    openEntry();
    entry.newCheck();
    EXPECT_EQ(entry.field("Check").integer(), 456);

    database->connection().exec("UPDATE Properties SET LastCheck = 4000");
    entry.newCheck();
    EXPECT_EQ(entry.field("Check").integer(), 4001);

    ASSERT_TRUE(entry.setFieldText("Check", "999900"));
    entry.newCheck();
    EXPECT_EQ(entry.field("Check").integer(), 999901);
    entry.newCheck();
    EXPECT_EQ(entry.field("Check").integer(), 101);
}

TEST_F(CheckEntryTest, NewUnderAFilterNumbersFromTheLastMatchAndStaysInTheSet) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"LastName", "Smith"}, {"Check", 300}});
    addCheck(*database, {{"LastName", "Jones"}, {"Check", 900}});
    openEntry();
    entry.setFilter(db::fieldContains(db::Dialect::Sqlite, db::field::kLastName, "mit"));
    ASSERT_EQ(text("LastName"), "Smith");

    entry.newCheck();
    EXPECT_EQ(entry.field("Check").integer(), 301);
    const auto added = currentId();
    entry.previous();
    EXPECT_EQ(text("LastName"), "Smith");
    entry.next();
    EXPECT_EQ(currentId(), added);
}

// The Search menu's entry of this control.
const SearchEntry& searchEntry(std::string_view control) {
    for (const SearchEntry& entry : searchEntries()) {
        if (entry.control == control)
            return entry;
    }
    throw std::logic_error("no search entry " + std::string(control));
}

TEST_F(CheckEntryTest, SearchBrowsesTheMatchesAndTypedQuotesOnlyEverMatchText) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto obrien = addCheck(*database, {{"Check", 145}, {"LastName", "O'Brien"}});
    const auto b = addCheck(*database, {{"Check", 455}, {"LastName", ""}});
    const auto c = addCheck(*database, {{"Check", 4500}, {"LastName", "Smith"}});
    const auto bracket = addCheck(*database, {{"Check", 1234}, {"LastName", "Smith]"}});
    const auto unnamed = addCheck(*database, {{"Check", 77}});
    openEntry();
    auto search = [&](const char* control, std::optional<std::string> typed) {
        dialogs.clear();
        dialogs.queueInput(std::move(typed));
        entry.search(searchEntry(control));
    };
    auto browse = [&] {
        std::vector<std::int64_t> ids{currentId()};
        for (entry.next(); dialogs.shown().empty(); entry.next())
            ids.push_back(currentId());
        return ids;
    };

    search("CheckNum", "45");
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].prompt, searchEntry("CheckNum").prompt);
    EXPECT_EQ(dialogs.asked()[0].title, "");
    EXPECT_EQ(browse(), (std::vector<std::int64_t>{obrien, b, c}));
    EXPECT_EQ(dialogs.shownTexts(), std::vector<std::string>{kLastMessage});

    // A quote is text to find, never part of the statement.
    search("LastName", "'");
    EXPECT_EQ(browse(), std::vector<std::int64_t>{obrien});
    search("LastName", "]");
    EXPECT_EQ(browse(), std::vector<std::int64_t>{bracket});
    search("LastName", "' OR 1=1 --");
    EXPECT_EQ(dialogs.shownTexts(), std::vector<std::string>{kNoMatches});
    EXPECT_EQ(currentId(), 1); // then all checks, from the first
    EXPECT_EQ(entry.records()->recordCount(), 6);

    // The pattern characters act as patterns; a cancelled question leaves out only the unfilled.
    search("LastName", "Sm?th");
    EXPECT_EQ(browse(), (std::vector<std::int64_t>{c, bracket}));
    search("CheckNum", "4#0");
    EXPECT_EQ(browse(), std::vector<std::int64_t>{c});
    search("LastName", std::nullopt);
    EXPECT_EQ(browse(), (std::vector<std::int64_t>{obrien, b, c, bracket}));
    EXPECT_NE(unnamed, 0);

    search("AllInAccount", "ignored");
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(entry.records()->recordCount(), 6);
}

TEST_F(CheckEntryTest, NewAndDeleteWorkWithinASearch) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto smith = addCheck(*database, {{"LastName", "Smith"}, {"Check", 300}});
    addCheck(*database, {{"LastName", "Jones"}, {"Check", 900}});
    openEntry();
    dialogs.queueInput("smi");
    entry.search(searchEntry("LastName"));
    ASSERT_EQ(currentId(), smith);
    // A typed change is saved before the search runs.
    dialogs.queueInput("JON");
    ASSERT_TRUE(entry.setFieldText("FirstName", "Ann"));
    entry.search(searchEntry("LastName"));
    EXPECT_EQ(readCheck(*database, smith).firstName, "Ann");
    EXPECT_EQ(text("LastName"), "Jones");
    dialogs.queueInput("smi");
    entry.search(searchEntry("LastName"));

    entry.newCheck(); // numbered from the last match; stays in the set though it does not match
    EXPECT_EQ(entry.field("Check").integer(), 301);
    dialogs.queueAnswer(DialogAnswer::Yes);
    entry.deleteCheck();
    EXPECT_EQ(currentId(), smith);
    dialogs.clear();
    entry.next();
    EXPECT_EQ(dialogs.shownTexts(), std::vector<std::string>{kLastMessage});
    EXPECT_EQ(currentId(), smith);
}

TEST_F(CheckEntryTest, NextAndPreviousStopAtTheEndsWithTheirMessages) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"PayTo", "Ann"}});
    openEntry();

    entry.next();
    EXPECT_EQ(dialogs.shownTexts(), std::vector<std::string>{kLastMessage});
    EXPECT_EQ(text("PayTo"), "Ann");
    entry.previous();
    EXPECT_EQ(currentId(), 1);
    dialogs.clear();
    entry.previous();
    EXPECT_EQ(dialogs.shownTexts(), std::vector<std::string>{kFirstMessage});
    EXPECT_EQ(currentId(), 1);
}

TEST_F(CheckEntryTest, TypedChangesAreSavedWhenTheRecordIsLeftAndBadNumbersAreRefused) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"PayTo", "Ann"}, {"Amount", velmora::db::Money::fromCents(1000)}});
    openEntry();

    ASSERT_TRUE(entry.setFieldText("PayTo", "Annie"));
    ASSERT_TRUE(entry.setFieldText("Amount", "12.5"));
    const Status refused = entry.setFieldText("Amount", "12.345");
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message().find("two decimals"), std::string::npos);
    EXPECT_FALSE(entry.setFieldText("Check", "2147483648"));
    EXPECT_EQ(entry.field("Amount").money(), velmora::db::Money::fromCents(1250));
    EXPECT_EQ(readCheck(*database, id).payTo, "Ann"); // not saved yet

    entry.previous();
    EXPECT_EQ(readCheck(*database, id).payTo, "Annie");
    EXPECT_EQ(readCheck(*database, id).amount, velmora::db::Money::fromCents(1250));
    EXPECT_EQ(readCheck(*database, id).check, std::nullopt);
}

TEST_F(CheckEntryTest, DeleteProtectsTheTemplateAsksWithNoAsDefaultAndMovesBack) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto ann = addCheck(*database, {{"PayTo", "Ann"}});
    const auto bob = addCheck(*database, {{"PayTo", "Bob"}});
    openEntry();

    entry.deleteCheck(); // the default answer is No
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& question = dialogs.shown()[0];
    EXPECT_EQ(question.text, "Do you really want to delete this check?");
    EXPECT_EQ(question.title, "WARNING");
    EXPECT_EQ(question.buttons, DialogButtons::YesNo);
    EXPECT_EQ(question.icon, DialogIcon::Critical);
    EXPECT_EQ(question.defaultAnswer, DialogAnswer::No);
    EXPECT_EQ(currentId(), bob);

    dialogs.queueAnswer(DialogAnswer::Yes);
    entry.deleteCheck();
    EXPECT_EQ(currentId(), ann);
    EXPECT_EQ(entry.records()->recordCount(), 2);

    entry.gotoFirstCheck();
    dialogs.clear();
    entry.deleteCheck();
    EXPECT_EQ(dialogs.shownTexts(),
              std::vector<std::string>{"You CANNOT delete the first check in an account "
                                       "database - it is used to setup default fields."});
    EXPECT_EQ(entry.records()->recordCount(), 2);
}

TEST_F(CheckEntryTest, DeletingTheFirstOfAFilteredSetShowsAnotherRecord) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"LastName", "Smith"}});
    const auto smythe = addCheck(*database, {{"LastName", "Smithe"}});
    openEntry();
    entry.setFilter(db::fieldContains(db::Dialect::Sqlite, db::field::kLastName, "Smi"));

    dialogs.queueAnswer(DialogAnswer::Yes);
    entry.deleteCheck();
    EXPECT_EQ(currentId(), smythe);
    // Deleting the only record left shows all checks again.
    dialogs.queueAnswer(DialogAnswer::Yes);
    entry.deleteCheck();
    EXPECT_EQ(currentId(), 1);
    EXPECT_EQ(entry.records()->recordCount(), 1);
}

TEST_F(CheckEntryTest, ListChoicesStoreTheirValues) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"For", "old memo"}, {"Print", "Weekly"}});
    openEntry();
    EXPECT_EQ(entry.options().printOption, "");
    EXPECT_EQ(entry.productTypes().entries.front(), "Checks");

    entry.choosePrintOption("Multiple Times");
    entry.chooseProductType("Rent");
    EXPECT_EQ(readCheck(*database, id).print, "Monthly");
    EXPECT_EQ(readCheck(*database, id).businessType, "Rent");
    EXPECT_EQ(readCheck(*database, id).memo, "Rent");
    entry.choosePrintOption("Monthly"); // not an entry of the list: changes nothing
    EXPECT_EQ(readCheck(*database, id).print, "Monthly");

    entry.previous();
    entry.next();
    EXPECT_EQ(entry.options().printOption, "Multiple Times");
    EXPECT_EQ(entry.options().productType, "Rent");
}

TEST_F(CheckEntryTest, AnEmptyFirstProductTypeHidesTheList) {
    create(DatabaseType::Draft);
    {
        auto settings = app::SettingsStore::open(program.dir());
        ASSERT_TRUE(settings);
        settings->connection().exec("UPDATE BusinessType SET BusinessType = '' WHERE ID = 1");
    }
    openEntry();
    EXPECT_FALSE(entry.productTypes().visible);
    EXPECT_TRUE(entry.productTypes().entries.empty());
}

TEST_F(CheckEntryTest, TheTemplateLabelBoxIsGreyedInACheckDatabaseAndAnOldLabelFieldIsRead) {
    create(DatabaseType::Check);
    setCheckFields(*database, 1, {{"FirstName", "Tom"}});
    addCheck(*database, {{"LabelPrint", true}});
    openEntry();
    EXPECT_EQ(entry.options().label, LabelBox::Checked);
    entry.gotoFirstCheck();
    EXPECT_EQ(entry.options().label, LabelBox::Greyed);

    database->connection().exec("ALTER TABLE Account ADD COLUMN LPrint INTEGER");
    database->connection().exec("UPDATE Account SET LPrint = 1 WHERE ID = 1");
    openEntry();
    entry.gotoFirstCheck();
    EXPECT_EQ(entry.options().label, LabelBox::Checked);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(CheckEntryTest, TemplateValuesStillLoadWhenTheTemplateLabelFlagCannotBeRewritten) {
    create(DatabaseType::Check);
    setCheckFields(*database, 1, {{"FirstName", "Tom"}, {"Bank", "First Bank"}, {"LabelPrint", true}});
    database->connection().exec("CREATE TRIGGER KeepTemplate BEFORE UPDATE OF LabelPrint ON Account "
                                "BEGIN SELECT RAISE(ABORT, 'template is locked'); END");
    openEntry();
    EXPECT_EQ(entry.windowTitle(), "Check Database: Payroll");
    EXPECT_EQ(entry.templateValues().taken.firstName, "Tom");
    EXPECT_EQ(entry.templateValues().taken.bank, "First Bank");
    EXPECT_FALSE(entry.templateValues().labelPrint);
}

TEST_F(CheckEntryTest, WarningsForRoutingDigitAndRepeatedCheckNumber) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}, {"Check", 456}});
    addCheck(*database, {{"Check", 456}, {"ABA", "071000014"}});
    openEntry();
    EXPECT_NE(entry.routingWarning(), "");
    ASSERT_TRUE(entry.setFieldText("ABA", "071000013"));
    EXPECT_EQ(entry.routingWarning(), "");

    EXPECT_EQ(entry.checkNumberWarning(), "Another check in this database has the number 456.");
    ASSERT_TRUE(entry.setFieldText("Check", "457"));
    EXPECT_EQ(entry.checkNumberWarning(), "");

    // A number the register holds on the check's account is warned about like a repeated one.
    db::RegisterEntry printed;
    printed.recordId = 1;
    printed.check = 457;
    printed.printed = "2024-03-01";
    printed.aba = "071000013";
    printed.account = "12D345";
    velmora::testing::addRegisterEntry(*database, printed);
    ASSERT_TRUE(entry.setFieldText("Account", "12-345"));
    EXPECT_EQ(entry.checkNumberWarning(),
              "Check #457 was printed on 3/1/2024 (record 1) and is in the register. "
              "Printed, this check would be refused.");
    ASSERT_TRUE(entry.setFieldText("Account", "999"));
    EXPECT_EQ(entry.checkNumberWarning(), "");
}

TEST_F(CheckEntryTest, NewPassesOverTheRegistersNumbersAndVoidPutsAHistoryLineOnTheCheck) {
    create(DatabaseType::Check);
    setCheckFields(*database, 1, {{"FirstName", "Maria"}, {"ABA", "211274450"}, {"Account", "40021977"}});
    const auto printed = addCheck(
        *database, {{"Check", 1001}, {"Comments", "old"}, {"Account", "40021977"}, {"ABA", "211274450"}});
    for (const std::int64_t number : {1001, 1002}) {
        db::RegisterEntry held;
        held.recordId = printed;
        held.check = number;
        held.printed = "2024-03-01";
        held.amount = db::Money::fromCents(2500);
        held.aba = "211274450";
        held.account = "4002 1977"; // blanks are no part of the account
        velmora::testing::addRegisterEntry(*database, held);
    }
    openEntry();
    ASSERT_TRUE(entry.newCheck());
    EXPECT_EQ(text("Check"), "1003");

    // File - Void a Printed Check offers the number on screen; here another is typed.
    dialogs.queueInput("1001");
    dialogs.queueInput("torn");
    ASSERT_TRUE(entry.voidPrintedCheck());
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[0].defaultText, "1003");
    EXPECT_EQ(
        dialogs.asked()[1].prompt.rfind("Check #1001 for $25.00, printed on 3/1/2024, is to be voided.", 0),
        0u);
    EXPECT_EQ(readCheck(*database, printed).comments,
              "Voided check #1001 For $25 on 3/7/2024: torn  \r\nold");
    EXPECT_TRUE(velmora::testing::registerEntries(*database).front().isVoid());
    // Once only; a cancelled question voids nothing.
    dialogs.clear();
    dialogs.queueInput("1001");
    EXPECT_FALSE(entry.voidPrintedCheck());
    EXPECT_NE(dialogs.shown().back().text.find("voided already"), std::string::npos);
    dialogs.queueInput("1002");
    dialogs.queueInput(std::nullopt);
    EXPECT_FALSE(entry.voidPrintedCheck());
    EXPECT_FALSE(velmora::testing::registerEntries(*database).back().isVoid());
}

TEST_F(CheckEntryTest, AnAmountWithoutWordsIsWarnedAboutWhileTheChecksPrintTheAmountInWords) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    openEntry();
    const auto amountWarnings = [&] {
        std::vector<std::string> found;
        for (const EntryWarning& warning : entryWarnings(entry))
            if (warning.fields == std::vector<std::string>{"Amount"})
                found.push_back(warning.text);
        return found;
    };
    const auto storeAmountInWords = [&](bool on) {
        auto store = app::SettingsStore::open(program.dir());
        ASSERT_TRUE(store) << store.message();
        db::SettingsRecord settings;
        settings.amountInWords = on;
        ASSERT_TRUE(store->write(settings, {db::setting::kAmountInWords}));
        ASSERT_TRUE(entry.reloadSettings());
    };
    ASSERT_TRUE(entry.setFieldText("Amount", "0"));
    EXPECT_TRUE(amountWarnings().empty()) << "the option is off as delivered";

    storeAmountInWords(true);
    const std::vector<std::string> warned{
        "The amount in words prints only for an amount above zero: this check prints without it."};
    EXPECT_EQ(amountWarnings(), warned);
    ASSERT_TRUE(entry.setFieldText("Amount", "-3"));
    EXPECT_EQ(amountWarnings(), warned);
    ASSERT_TRUE(entry.setFieldText("Amount", ""));
    EXPECT_EQ(amountWarnings(), warned) << "no amount, no words";
    ASSERT_TRUE(entry.setFieldText("Amount", "0.01"));
    EXPECT_TRUE(amountWarnings().empty());

    ASSERT_TRUE(entry.setFieldText("Amount", "0"));
    storeAmountInWords(false);
    EXPECT_TRUE(amountWarnings().empty());
    EXPECT_TRUE(dialogs.shown().empty());
}

// A print run from the command line marks the check printed while the screen shows it.
TEST_F(CheckEntryTest, ChangesSavedElsewhereMeanwhileAreMergedOrTheUserIsAskedWhichToKeep) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"PayTo", "Ann"}, {"Comments", "old note"}, {"Print", "Once"}});
    openEntry();
    auto printElsewhere = [&](const char* history) {
        const std::string comments =
            std::string(history) + "\r\n" + readCheck(*database, id).comments.value_or("");
        setCheckFields(*database, id, {{"Comments", comments}, {"Print", "Never"}});
    };

    // Different fields: both are kept, and the screen shows the saved record.
    printElsewhere("Printed #1");
    ASSERT_TRUE(entry.setFieldText("PayTo", "Annie"));
    ASSERT_TRUE(entry.setFieldText("Comments", "old note")); // the box handed back as it was shown
    EXPECT_TRUE(entry.save());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(readCheck(*database, id).payTo, "Annie");
    EXPECT_EQ(readCheck(*database, id).comments, "Printed #1\r\nold note");
    EXPECT_EQ(readCheck(*database, id).print, "Never");
    EXPECT_EQ(text("Comments"), "Printed #1\r\nold note");

    // The same field: the user is asked; the default saves nothing and keeps the typed text.
    printElsewhere("Printed #2");
    ASSERT_TRUE(entry.setFieldText("Comments", "my note"));
    ASSERT_TRUE(entry.setFieldText("PayTo", "Ann B."));
    EXPECT_FALSE(entry.save());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].buttons, DialogButtons::YesNoCancel);
    EXPECT_EQ(dialogs.shown()[0].defaultAnswer, DialogAnswer::Cancel);
    EXPECT_NE(dialogs.shown()[0].text.find("the same fields: Comments."), std::string::npos);
    EXPECT_EQ(readCheck(*database, id).comments, "Printed #2\r\nPrinted #1\r\nold note");
    EXPECT_EQ(readCheck(*database, id).payTo, "Annie");
    EXPECT_EQ(text("Comments"), "my note");

    // No: the saved comments stay, the other change is saved.
    dialogs.queueAnswer(DialogAnswer::No);
    EXPECT_TRUE(entry.save());
    EXPECT_EQ(readCheck(*database, id).comments, "Printed #2\r\nPrinted #1\r\nold note");
    EXPECT_EQ(readCheck(*database, id).payTo, "Ann B.");

    // Yes: the user's comments replace them.
    printElsewhere("Printed #3");
    ASSERT_TRUE(entry.setFieldText("Comments", "my note"));
    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(entry.save());
    EXPECT_EQ(readCheck(*database, id).comments, "my note");
}

TEST_F(CheckEntryTest, ARecordHoldingAnAmountNoCheckCanCarryIsReportedOnceAndCanBeMended) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    const auto id = addCheck(*database, {{"PayTo", "Ann"}});
    database->connection().exec("UPDATE Account SET Amount = -9223372036854775808 WHERE ID = 2");

    ASSERT_TRUE(entry.open("Payroll.mdb"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("record 2 holds -9223372036854775808 in the field Amount"),
              std::string::npos)
        << dialogs.shown()[0].text;
    EXPECT_TRUE(entry.field("Amount").isNull());
    EXPECT_EQ(text("PayTo"), "Ann");
    entry.previous();
    entry.next();
    EXPECT_EQ(dialogs.shown().size(), 1u) << "told once";

    ASSERT_TRUE(entry.setFieldText("Amount", "12.50"));
    EXPECT_TRUE(entry.save());
    EXPECT_EQ(readCheck(*database, id).amount, velmora::db::Money::fromCents(1250));
}

TEST_F(CheckEntryTest, DatabaseErrorsAreReportedAndTheEntryGoesOn) {
    create(DatabaseType::Draft);
    setCheckFields(*database, 1, {{"PayTo", "Velmora"}});
    addCheck(*database, {{"PayTo", "Ann"}});
    openEntry();
    ASSERT_TRUE(entry.setFieldText("PayTo", "Annie"));
    database->connection().exec("CREATE TRIGGER NoChanges BEFORE UPDATE ON Account "
                                "BEGIN SELECT RAISE(ABORT, 'changes are locked'); END");

    EXPECT_FALSE(entry.save());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("changes are locked"), std::string::npos);
    // The record is not left while its changes cannot be saved.
    entry.previous();
    EXPECT_EQ(text("PayTo"), "Annie");
    EXPECT_TRUE(entry.isOpen());

    // Another program holds the file locked for writing: New says so and makes no check.
    database->connection().exec("DROP TRIGGER NoChanges");
    ASSERT_TRUE(entry.save());
    dialogs.clear();
    database->connection().exec("BEGIN IMMEDIATE");
    EXPECT_NO_THROW(entry.newCheck());
    EXPECT_EQ(dialogs.shown().size(), 1u);
    database->connection().exec("ROLLBACK");
    EXPECT_EQ(entry.records()->recordCount(), 2);
    EXPECT_EQ(text("PayTo"), "Annie");

    // A check the database refuses to add is dropped; the screen stays usable on the last check.
    database->connection().exec("CREATE TRIGGER NoNew BEFORE INSERT ON Account "
                                "BEGIN SELECT RAISE(ABORT, 'no new checks'); END");
    dialogs.clear();
    entry.newCheck();
    EXPECT_NE(dialogs.shownTexts().at(0).find("no new checks"), std::string::npos);
    EXPECT_EQ(text("PayTo"), "Annie");
    dialogs.clear();
    entry.previous();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(currentId(), 1);
}

} // namespace
