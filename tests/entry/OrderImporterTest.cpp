#include "entry/OrderImporter.h"

#include "base/Clock.h"
#include "entry/CheckEntry.h"
#include "support/Fixtures.h"
#include "support/OrderForms.h"
#include "support/ScriptedDialogs.h"

#include <QString>
#include <gtest/gtest.h>
#include <random>

namespace velmora {
namespace {

using entry::CutFieldValue;
using entry::TrimAtLineEnd;
using testing::kCardLines;
using testing::kOrderComments;
using testing::kOrderForm;
using testing::readCheck;
using testing::setCheckFields;
using Strings = std::vector<std::string>;
using namespace std::literals;
namespace f = db::field;

const char* const kVerified =
    "Routing and Account numbers were successfully verified to the Bottom Check Row!";
// The order form of the tests has a seven-digit check number, cut to the six the field takes.
const char* const kNumberCut =
    "CheckNumber \"1234567\" in the order form has more digits than the check number takes (6): only "
    "\"123456\" was imported. Correct the check number before you print the check.";
const char* const kNoBottomRow =
    "The bottom check row field to verify account and routing numbers does not exist!";
const char* const kAccountMismatch =
    "Bank Account Number does NOT match bottom check row field used to verify account number!";
const char* const kRoutingMismatch =
    "Bank Routing Number does NOT match bottom check row field used to verify "
    "the bank routing number!";

bool isValidUtf8(const std::string& text) {
    return QString::fromUtf8(text).toUtf8().toStdString() == text;
}

TEST(CutFieldValueTest, TakesTheValueAfterTheLabelsFirstOccurrenceUpToTheLineEnd) {
    // Counted from the label's first letter, wherever the label stands; blanks after the colon go.
    EXPECT_EQ(CutFieldValue(kOrderForm, "BankName", 10, 60), "First Pacific Bank");
    EXPECT_EQ(CutFieldValue(kOrderForm, "CustomerFirstName", 19, 60), "Maria");
    EXPECT_EQ(CutFieldValue("Ref. BankName: Acme\r\n", "BankName", 10, 60), "Acme");
    // The first occurrence, found case-sensitively.
    EXPECT_EQ(CutFieldValue("bankname: a\r\nBankName: b\r\nBankName: c\r\n", "BankName", 10, 60), "b");
    // A value longer than its length is cut: seven digits keep their first six.
    EXPECT_EQ(CutFieldValue(kOrderForm, "CheckNumber", 13, 6), "123456");
    // The last line, without a line end, keeps its leading blanks and its full length.
    EXPECT_EQ(CutFieldValue("BankName: A\r\nCustomerZip:   97301-1234", "CustomerZip", 13, 30),
              "  97301-1234");
    EXPECT_EQ(CutFieldValue("CustomerZip:   97301-1234", "CustomerZip", 13, 5), "  973");
    // The bottom check row starts at the label's sixth letter.
    EXPECT_EQ(CutFieldValue(kOrderForm, "BottomCheckRow", 5, 60), "mCheckRow: A123000220A 4471D0921C 1001");
    // A line that ends right after the label gives an empty value, a value of blanks too.
    EXPECT_EQ(CutFieldValue("BankName: \r\nBankCity: X", "BankName", 10, 60), "");
    EXPECT_EQ(CutFieldValue("BankName:     \r\n", "BankName", 10, 60), "");
}

TEST(CutFieldValueTest, AMissingLabelCutsAsIfItStoodAtPositionZero) {
    // Character number `offset` (counted from 1) is the first of the value.
    EXPECT_EQ(CutFieldValue("0123456789abcdefghij", "Missing", 5, 3), "456");
    EXPECT_EQ(CutFieldValue("0123456789abcdefghij", "Missing", 1, 3), "012");
    EXPECT_EQ(CutFieldValue("0123456789abcdefghij", "Missing", 0, 3), "012");
    EXPECT_EQ(CutFieldValue("0123456789\r\nabc", "Missing", 5, 60), "456789");
    // Beyond the end of the text nothing is left, and a short text gives what it has.
    EXPECT_EQ(CutFieldValue("0123456789", "Missing", 11, 5), "");
    EXPECT_EQ(CutFieldValue("0123456789", "Missing", 9, 5), "89");
    EXPECT_EQ(CutFieldValue("BankName", "BankName", 10, 60), "");
    EXPECT_EQ(CutFieldValue("", "BankName", 10, 60), "");
}

TEST(CutFieldValueTest, CountsCharactersAndNeverSplitsOne) {
    // Two-, three- and four-byte characters each count one.
    EXPECT_EQ(CutFieldValue("Name: Müller-Lüdenscheidt\r\n", "Name", 6, 6), "Müller");
    EXPECT_EQ(CutFieldValue("Name: €€€€€", "Name", 6, 3), "€€€");
    EXPECT_EQ(CutFieldValue("ééééé Name: x", "Name", 6, 1), "x");
    EXPECT_EQ(CutFieldValue("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80", "Missing", 2, 1),
              "\xF0\x9F\x98\x80");
    // Bytes that are not UTF-8 are their Windows-1252 characters, one each; the unassigned ones are
    // U+FFFD. Overlong forms and encoded surrogates are not UTF-8 either.
    EXPECT_EQ(CutFieldValue("Name: M\xFCller\x80\r\n", "Name", 6, 60), "Müller€");
    EXPECT_EQ(CutFieldValue("Name: \x81\x93x\x94", "Name", 6, 60), "\xEF\xBF\xBD“x”");
    EXPECT_EQ(CutFieldValue("Name: \xC0\xAF\xED\xA0\x80", "Name", 6, 3), "À¯í");
    EXPECT_EQ(CutFieldValue("Name: \xE2\x82", "Name", 6, 60), "\xC3\xA2\xE2\x80\x9A"); // â and ‚
    for (std::string_view bytes : {"\xFF\xFE\xFD"sv, "\xC3"sv, "\xE2\x82\xAC\xF4\x90\x80\x80"sv, "a\0b"sv}) {
        const std::string text = "Name: " + std::string(bytes);
        EXPECT_TRUE(isValidUtf8(CutFieldValue(text, "Name", 6, 60))) << bytes;
    }
}

TEST(CutFieldValueTest, TrimAtLineEndKeepsWhatStandsBeforeTheFirstCarriageReturn) {
    EXPECT_EQ(TrimAtLineEnd("   Maria Delgado  \r\nCustomerCity: x\r\n"), "Maria Delgado  ");
    EXPECT_EQ(TrimAtLineEnd("\r  after"), "");
    // Without a carriage return nothing is removed, not even a line feed or leading blanks.
    EXPECT_EQ(TrimAtLineEnd("  Maria\nDelgado"), "  Maria\nDelgado");
    // Only blanks are leading blanks.
    EXPECT_EQ(TrimAtLineEnd("\t Maria\r"), "\t Maria");
}

TEST(CutFieldValueTest, OrderFormTextEndsEveryLineWithCrLfAndIsValidUtf8) {
    EXPECT_EQ(entry::orderFormText("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\rd\r\n\r\n");
    EXPECT_EQ(entry::orderFormText(std::string("x\0y", 3)), "x\xEF\xBF\xBDy");
    EXPECT_EQ(entry::orderFormText("Caf\xE9 \xE2\x82\xAC"), "Café €");
    // A form mailed with LF line ends cuts as its CR LF original.
    std::string unixForm = kOrderForm;
    for (std::size_t at; (at = unixForm.find("\r\n")) != std::string::npos;)
        unixForm.erase(at, 1);
    EXPECT_EQ(entry::orderFormText(unixForm), kOrderForm);
}

class OrderImporterTest : public ::testing::Test {
protected:
    OrderImporterTest() {
        Clock::setToday(Date{2024, 3, 7});
        setCheckFields(database, 1, {{f::kPayTo, "Velmora Inc."}, {f::kCheck, 1000}});
    }
    ~OrderImporterTest() override { Clock::setToday(std::nullopt); }

    void openEntry() {
        ASSERT_TRUE(entry.open("Orders.mdb"));
        dialogs.clear();
    }
    entry::OrderImportReport import(const std::string& text) {
        dialogs.clear();
        return entry::importOrderForm(entry, text);
    }
    std::int64_t currentId() { return entry.field(f::kId).integer().value_or(0); }

    testing::ProgramDirFixture program;
    db::CheckDatabase database = program.createDatabase("Orders", db::DatabaseType::Draft);
    testing::ScriptedDialogs dialogs;
    entry::CheckEntry entry{dialogs, program.dir()};
};

TEST_F(OrderImporterTest, AnOrderGoesIntoANewCheckWhenTheCurrentOneNamesItsAccountHolder) {
    const auto ann = testing::addCheck(
        database, {{f::kBusinessName, "Acme"}, {f::kFirstName, "Ann"}, {f::kCheck, 1500}, {f::kPayTo, "X"}});
    openEntry();

    const auto report = import(kOrderForm);
    EXPECT_TRUE(report.written);
    EXPECT_TRUE(report.newCheck);
    ASSERT_EQ(report.recordId, currentId());
    EXPECT_GT(currentId(), ann);
    EXPECT_EQ(dialogs.shownTexts(), (Strings{kNumberCut, kVerified}));
    EXPECT_EQ(report.verification, Strings{kVerified});
    ASSERT_EQ(report.shortened.size(), 1u);
    EXPECT_EQ(report.shortened[0].value, "1234567");

    const db::CheckRecord saved = readCheck(database, currentId());
    EXPECT_EQ(saved.bank, "First Pacific Bank");
    EXPECT_EQ(saved.bankCity, "Portland");
    EXPECT_EQ(saved.bankState, "OR");
    EXPECT_EQ(saved.aba, "123000220");
    EXPECT_EQ(saved.account, "4471D0921");
    EXPECT_EQ(saved.check, 123456);
    EXPECT_EQ(saved.businessName, "Harbor Lane Bakery");
    EXPECT_EQ(saved.firstName, "Maria");
    EXPECT_EQ(saved.lastName, "Delgado");
    EXPECT_EQ(saved.address, "1420 Harbor Lane");
    EXPECT_EQ(saved.city, "Salem");
    EXPECT_EQ(saved.state, "OR");
    EXPECT_EQ(saved.zip, "97301");
    EXPECT_EQ(saved.phone, "(503) 555-0142");
    EXPECT_EQ(saved.amount, db::Money::fromCents(4550));
    EXPECT_EQ(saved.comments, kOrderComments);
    // What New gave and the order does not name stays: the template's payee, the print option, the date.
    EXPECT_EQ(saved.payTo, "Velmora Inc.");
    EXPECT_EQ(saved.print, "Once");
    EXPECT_EQ(saved.date, "3/7/2024");
    EXPECT_EQ(report.fieldsWritten.size(), 15u);
    EXPECT_TRUE(report.skipped.empty());
    // The check that was current is untouched.
    EXPECT_EQ(readCheck(database, ann).firstName, "Ann");
    EXPECT_EQ(readCheck(database, ann).bank, std::nullopt);

    // The same form with LF line ends, and a card: the card layout of seven lines, the last without
    // a line end.
    std::string withCard = std::string(kCardLines) + kOrderForm;
    for (std::size_t at; (at = withCard.find("\r\n")) != std::string::npos;)
        withCard.erase(at, 1);
    ASSERT_TRUE(import(withCard).written);
    EXPECT_EQ(readCheck(database, currentId()).comments,
              std::string(kOrderComments) +
                  "CardNumber: 4111111111111111\r\nCardExpDate: 09\r\nCardExpYear: 2027\r\nCardType: Visa");
    EXPECT_EQ(readCheck(database, currentId()).firstName, "Maria");
}

TEST_F(OrderImporterTest, OnlyACheckThatHoldsNoOrderYetIsFilledInPlace) {
    // A check on its way (a business name, a memo, a note) and a private customer's imported draft,
    // whose business name is empty: a paste never overwrites either.
    const auto started = testing::addCheck(database, {{f::kBusinessName, "Acme"},
                                                      {f::kPayTo, "Velmora Inc."},
                                                      {f::kCheck, 2001},
                                                      {f::kComments, "Called on Monday\r\n"},
                                                      {f::kFor, "Rent"}});
    const auto draft = testing::addCheck(database, {{f::kFirstName, "Ann"},
                                                    {f::kPayTo, "Velmora Inc."},
                                                    {f::kCheck, 2002},
                                                    {f::kComments, "EMailAddress: ann@example.com\r\n"}});
    openEntry();
    const std::string partial = "CustomerFirstName: Maria\r\nBankName: Second Bank\r\nCheckNumber: \r\n";
    for (const auto id : {started, draft}) {
        ASSERT_TRUE(entry.records()->moveTo(id));
        auto report = import(partial);
        EXPECT_TRUE(report.written);
        EXPECT_TRUE(report.newCheck) << id;
        EXPECT_NE(currentId(), id);
        // Text that is no order at all is no reason to wipe one either.
        ASSERT_TRUE(entry.records()->moveTo(id));
        EXPECT_TRUE(import("Thanks!").newCheck) << id;
    }
    EXPECT_EQ(readCheck(database, started).comments, "Called on Monday\r\n");
    EXPECT_EQ(readCheck(database, started).firstName, std::nullopt);
    EXPECT_EQ(readCheck(database, draft).firstName, "Ann");
    EXPECT_EQ(readCheck(database, draft).comments, "EMailAddress: ann@example.com\r\n");

    // A check as New leaves it (the template's payee; a memo that is only the chosen product type)
    // takes the order in place, and keeps what the order does not name.
    ASSERT_TRUE(entry.newCheck());
    entry.chooseProductType("Drafts");
    const auto fresh = currentId();
    const auto number = entry.field(f::kCheck).integer().value_or(0);
    auto report = import(partial);
    EXPECT_FALSE(report.newCheck);
    EXPECT_EQ(currentId(), fresh);
    const db::CheckRecord saved = readCheck(database, fresh);
    EXPECT_EQ(saved.firstName, "Maria");
    EXPECT_EQ(saved.bank, "Second Bank");
    EXPECT_EQ(saved.check, number); // as New numbered it: an empty value is no value
    EXPECT_EQ(saved.payTo, "Velmora Inc.");
    EXPECT_EQ(saved.memo, "Drafts");
    // Comments take the details: the missing ones cut at their fixed offsets of this text.
    EXPECT_EQ(saved.comments, "BankPhoneNumber: e: Maria\r\nEMailAddress: ria\r\ne: Maria\r\n");
    EXPECT_EQ(report.fieldsWritten, (Strings{f::kBank, f::kFirstName}));
    // Now it holds an order: the next one makes a new check.
    ASSERT_TRUE(import(partial).newCheck);
    EXPECT_EQ(readCheck(database, currentId()).check, number + 1);

    // The template holds the payee of every draft: it is filled in place only as a new database has it.
    entry.gotoFirstCheck();
    EXPECT_TRUE(import(partial).newCheck);
    EXPECT_EQ(readCheck(database, 1).firstName, std::nullopt);
    testing::ProgramDirFixture other;
    (void)other.createDatabase("Fresh", db::DatabaseType::Draft);
    entry::CheckEntry newDatabase(dialogs, other.dir());
    ASSERT_TRUE(newDatabase.open("Fresh.mdb"));
    EXPECT_FALSE(entry::importOrderForm(newDatabase, kOrderForm).newCheck);
    EXPECT_EQ(newDatabase.field(f::kId).integer(), 1);
    EXPECT_EQ(newDatabase.field(f::kFirstName).text(), "Maria");
}

TEST_F(OrderImporterTest, InACheckDatabaseANewCheckWithTheTemplatesAccountHolderTakesTheOrder) {
    testing::ProgramDirFixture other;
    auto payroll = other.createDatabase("Payroll", db::DatabaseType::Check);
    testing::fillTemplateCheck(payroll);
    entry::CheckEntry checks(dialogs, other.dir());
    ASSERT_TRUE(checks.open("Payroll.mdb"));
    ASSERT_TRUE(checks.newCheck());
    ASSERT_EQ(checks.field(f::kBusinessName).text(), "Harbor Lane Bakery");
    const auto fresh = checks.field(f::kId).integer();
    EXPECT_FALSE(
        entry::importOrderForm(checks, "CustomerFirstName: Maria\r\nBankName: Second Bank\r\n").newCheck);
    EXPECT_EQ(checks.field(f::kId).integer(), fresh);
    EXPECT_EQ(checks.field(f::kBank).text(), "Second Bank");
    // A typed amount makes it a check being written: the next order goes into a new one.
    ASSERT_TRUE(checks.newCheck());
    ASSERT_TRUE(checks.setFieldText(f::kAmount, "12.34"));
    EXPECT_TRUE(entry::importOrderForm(checks, kOrderForm).newCheck);
}

TEST_F(OrderImporterTest, TextWithoutAnyLabelStillMakesTheCheckAndFilesItsFragments) {
    testing::addCheck(database, {{f::kBusinessName, "Acme"}, {f::kFirstName, "Ann"}, {f::kCheck, 1500}});
    openEntry();
    const std::string text = "Thank you for your order! It ships within three working days of payment.";
    const auto report = import(text);
    EXPECT_TRUE(report.written);
    EXPECT_TRUE(report.newCheck);
    EXPECT_EQ(dialogs.shownTexts(), Strings{kNoBottomRow});
    const db::CheckRecord saved = readCheck(database, currentId());
    EXPECT_EQ(saved.check, 1501);
    EXPECT_EQ(saved.bank, std::nullopt);
    EXPECT_EQ(saved.firstName, std::nullopt);
    // Bank phone from character 17, e-mail from 22, special comments from 17.
    EXPECT_EQ(saved.comments, "BankPhoneNumber: ur order! It ships within\r\n"
                              "EMailAddress: der! It ships within three working days of payment.\r\n"
                              "ur order! It ships within three working days of payment.\r\n");
    EXPECT_TRUE(report.fieldsWritten.empty());
}

TEST_F(OrderImporterTest, AValueTheFieldCannotHoldIsSkippedWithAMessageAndTheRestIsImported) {
    testing::addCheck(database, {{f::kBusinessName, "Acme"}, {f::kFirstName, "Ann"}, {f::kCheck, 1500}});
    openEntry();
    auto withValues = [](const std::string& number, const std::string& cost) {
        std::string form = kOrderForm;
        form.replace(form.find("1234567"), 7, number);
        form.replace(form.find("45.50"), 5, cost);
        return form;
    };
    auto report = import(withValues("12a", "$45.50"));
    EXPECT_TRUE(report.written);
    ASSERT_EQ(report.skipped.size(), 2u);
    EXPECT_EQ(report.skipped[0].label, "CheckNumber");
    EXPECT_EQ(report.skipped[0].value, "12a");
    EXPECT_EQ(report.skipped[1].label, "TotalCost");
    EXPECT_EQ(report.skipped[1].value, "$45.50");
    const Strings shown = dialogs.shownTexts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(
        shown[0].rfind("CheckNumber \"12a\" in the order form was not imported. The check number must be", 0),
        0u)
        << shown[0];
    EXPECT_EQ(
        shown[1].rfind("TotalCost \"$45.50\" in the order form was not imported. The amount must be", 0), 0u)
        << shown[1];
    EXPECT_EQ(shown[2], kVerified); // the import went on
    db::CheckRecord saved = readCheck(database, currentId());
    EXPECT_EQ(saved.check, 1501); // as New numbered it
    EXPECT_EQ(saved.amount, std::nullopt);
    EXPECT_EQ(saved.lastName, "Delgado");
    EXPECT_EQ(saved.comments, kOrderComments);

    // Too many decimals and past what an amount can be; blanks only are no value at all.
    for (const char* cost : {"45.505", "99999999999.99", "1,250.00", "-"}) {
        report = import(withValues("1001", cost));
        ASSERT_EQ(report.skipped.size(), 1u) << cost;
        EXPECT_EQ(report.skipped[0].value, cost);
        EXPECT_EQ(readCheck(database, currentId()).check, 1001);
    }
    // Blanks alone (the last line) are no number at all: the amount keeps its value, none.
    std::string blankCost = kOrderForm;
    blankCost.erase(blankCost.find("TotalCost: 45.50\r\n"), 18);
    blankCost += "\r\nTotalCost:    ";
    report = import(blankCost);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(readCheck(database, currentId()).amount, std::nullopt);
    EXPECT_EQ(readCheck(database, currentId()).check, 123456);
}

TEST_F(OrderImporterTest, VerificationTakesTheNumbersAndTheRowAsCut) {
    openEntry();
    auto verify = [&](const std::string& routing, const std::string& account, const std::string& row) {
        const std::string form = "BankRoutingNumber: " + routing + "\r\nBankAccountNumber: " + account +
                                 "\r\nCustomerFirstName: Maria\r\nBottomCheckRow: " + row + "\r\n";
        return import(form).verification;
    };
    // Inside a longer run of digits; when both fail, two boxes, the account's first.
    EXPECT_EQ(verify("123000220", "4471", "A9123000220A 9944712C 1001"), Strings{kVerified});
    EXPECT_EQ(verify("1", "2", "A3A 4C"), (Strings{kAccountMismatch, kRoutingMismatch}));
    EXPECT_EQ(dialogs.shownTexts(), (Strings{kAccountMismatch, kRoutingMismatch}));
    // The label's rest stands in the row: the "m" of the label is searched as well.
    EXPECT_EQ(verify("mCheckRow", "", "A3A"), Strings{kVerified});

    // Without a routing label the value cut at its fixed offset is verified: here the text's first
    // line gives it, and it is in the row, though the record's routing number was not changed.
    ASSERT_TRUE(entry.newCheck());
    const db::Value routingBefore = entry.field(f::kAba);
    const auto report = import("BankAccountNumber: 071000013\r\nBottomCheckRow: A071000013A 071000013C\r\n");
    EXPECT_EQ(report.verification, Strings{kVerified});
    EXPECT_FALSE(report.newCheck);
    EXPECT_EQ(entry.field(f::kAba), routingBefore);
    EXPECT_EQ(readCheck(database, currentId()).account, "071000013");
}

TEST_F(OrderImporterTest, AnOrderIsSavedWholeOrNotAtAll) {
    const auto ann = testing::addCheck(database, {{f::kBusinessName, "Acme"}, {f::kFirstName, "Ann"}});
    openEntry();
    const auto count = [&] {
        return db::RecordSet(database.connection(), db::schema::account()).recordCount();
    };
    database.connection().exec(
        "CREATE TRIGGER NoNew BEFORE INSERT ON Account BEGIN SELECT RAISE(ABORT, 'the disk is full'); END");
    auto report = import(kOrderForm);
    EXPECT_FALSE(report.written);
    EXPECT_EQ(dialogs.shownTexts().back().rfind("The order form was not imported; nothing was saved.\n\n", 0),
              0u);
    EXPECT_NE(dialogs.shownTexts().back().find("the disk is full"), std::string::npos);
    EXPECT_EQ(readCheck(database, ann).firstName, "Ann");
    EXPECT_EQ(readCheck(database, ann).bank, std::nullopt);
    EXPECT_EQ(count(), 2);

    // The new check is made, its values cannot be saved: the new check goes with them, and the
    // screen shows the check it showed.
    database.connection().exec("DROP TRIGGER NoNew");
    database.connection().exec(
        "CREATE TRIGGER NoChange BEFORE UPDATE ON Account WHEN NEW.Comments IS NOT NULL "
        "BEGIN SELECT RAISE(ABORT, 'read-only'); END");
    report = import(kOrderForm);
    EXPECT_FALSE(report.written);
    EXPECT_TRUE(report.fieldsWritten.empty());
    EXPECT_NE(dialogs.shownTexts().back().find("read-only"), std::string::npos)
        << dialogs.shownTexts().back();
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(currentId(), ann);
    // A template whose values cannot be read makes no check either.
    database.connection().exec("DROP TRIGGER NoChange");
    database.connection().exec("UPDATE Account SET Bank = zeroblob(2000000) WHERE ID = 1");
    EXPECT_FALSE(import(kOrderForm).written);
    EXPECT_NE(dialogs.shownTexts().back().find("record 1 holds 1.9 MB in the field Bank"), std::string::npos)
        << dialogs.shownTexts().back();
    EXPECT_EQ(count(), 2);
}

TEST_F(OrderImporterTest, AnyBytesAtAllAreTakenAndOversizedTextIsRefusedWhole) {
    openEntry();
    // Megabytes of random bytes without a line end: labels hidden in them are still found.
    std::mt19937 random(7);
    std::string noise(3 << 20, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    noise.insert(noise.size() / 2, "CustomerFirstName: Maria\r\nBankName: B\xE4nk\r\n");
    auto report = import(noise);
    ASSERT_TRUE(report.written);
    const db::CheckRecord saved = readCheck(database, currentId());
    EXPECT_EQ(saved.firstName, "Maria");
    EXPECT_EQ(saved.bank, "Bänk");
    for (const auto& text : {saved.comments, saved.aba, saved.account, saved.city})
        EXPECT_TRUE(!text || isValidUtf8(*text));

    const auto before = currentId();
    report = import(std::string(entry::kMaxOrderFormBytes + 1, 'x'));
    EXPECT_FALSE(report.written);
    EXPECT_EQ(dialogs.shownTexts(),
              Strings{"This text is too long to be an order form (more than 32 MB): nothing was imported."});
    EXPECT_EQ(currentId(), before);
}

} // namespace
} // namespace velmora
