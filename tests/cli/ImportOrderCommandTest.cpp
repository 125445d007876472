#include "support/Fixtures.h"
#include "support/OrderForms.h"
#include "support/RunVelmora.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace f = db::field;

using testing::VelmoraRun;

// `velmora import-order` as a mail filter runs it: the order form piped in, the password in a file.
class ImportOrderCommandTest : public ::testing::Test {
protected:
    ImportOrderCommandTest() { std::ofstream(programDir.dir() / "password.txt") << "Tulip\n"; }

    VelmoraRun importOrder(const QByteArray& order, const std::string& databaseName = "Orders.mdb",
                           const std::string& password = "password.txt") {
        return testing::runVelmora({"--dir", testing::argument(programDir.dir()), "import-order", "--db",
                                    QString::fromStdString(databaseName), "--password-file",
                                    testing::argument(programDir.dir() / password)},
                                   {.input = order});
    }

    testing::ProgramDirFixture programDir;
    db::CheckDatabase database = programDir.createDatabase("Orders", db::DatabaseType::Draft);
};

TEST_F(ImportOrderCommandTest, WritesTheOrderIntoANewCheckAndTellsTheVerification) {
    testing::setCheckFields(database, 1, {{f::kPayTo, "Velmora Inc."}});
    // The last check lacks a first name; the screen would fill it, the command never touches it.
    const auto last = testing::addCheck(database, {{f::kBusinessName, "Acme"}, {f::kCheck, 700}});

    const VelmoraRun outcome = importOrder(testing::kOrderForm);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find(
                  "velmora: Routing and Account numbers were successfully verified to the Bottom Check Row!"),
              std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find("the order is in the new check with ID 3 (check number 123456): 15 fields"),
              std::string::npos)
        << outcome.errors;
    const db::CheckRecord saved = testing::readCheck(database, 3);
    EXPECT_EQ(saved.firstName, "Maria");
    EXPECT_EQ(saved.payTo, "Velmora Inc.");
    EXPECT_EQ(saved.amount, db::Money::fromCents(4550));
    EXPECT_EQ(saved.comments, testing::kOrderComments);
    EXPECT_EQ(testing::readCheck(database, last).firstName, std::nullopt);

    // Bytes of any kind, a skipped amount and no bottom row: still a record, status 0.
    constexpr char kOddBytes[] = "CustomerLastName: M\xFCller\nTotalCost: 12 USD\n\0\xFF";
    const VelmoraRun odd = importOrder(QByteArray(kOddBytes, sizeof kOddBytes - 1));
    ASSERT_EQ(odd.exitCode, 0) << odd.errors;
    EXPECT_NE(odd.errors.find("TotalCost \"12 USD\" in the order form was not imported."), std::string::npos)
        << odd.errors;
    EXPECT_NE(odd.errors.find("bottom check row field to verify account and routing numbers does not exist"),
              std::string::npos);
    EXPECT_EQ(testing::readCheck(database, 4).lastName, "Müller");
    EXPECT_EQ(testing::readCheck(database, 4).check, 123457); // numbered on from the last check

    // A check number of seven digits is cut to the six the field takes, and that is told as a skipped
    // value is.
    const VelmoraRun seven = importOrder("CustomerLastName: Lund\nCheckNumber: 1234567\n");
    ASSERT_EQ(seven.exitCode, 0) << seven.errors;
    EXPECT_NE(seven.errors.find("CheckNumber \"1234567\" in the order form has more digits than the check "
                                "number takes (6): only \"123456\" was imported."),
              std::string::npos)
        << seven.errors;
    EXPECT_NE(seven.errors.find("1 value cut short"), std::string::npos) << seven.errors;
    EXPECT_EQ(testing::readCheck(database, 5).check, 123456);

    // What the order holds reaches the terminal escaped: no escape sequence, NUL or C1 code of it
    // can retitle the window or move the cursor; tabs and letters stay as they are.
    constexpr char kHostile[] = "TotalCost: \xC2\x9B"
                                "2J\x00\x1b]0;x\x07\tÜ\n";
    const VelmoraRun hostile = importOrder(QByteArray(kHostile, sizeof kHostile - 1));
    ASSERT_EQ(hostile.exitCode, 0) << hostile.errors;
    EXPECT_NE(hostile.errors.find("TotalCost \"\\u009b2J"), std::string::npos) << hostile.errors;
    EXPECT_NE(hostile.errors.find("\\x1b]0;x\\x07\tÜ\""), std::string::npos) << hostile.errors;
    for (const char raw : {'\x1b', '\x07', '\x00'})
        EXPECT_EQ(hostile.errors.find(raw), std::string::npos) << static_cast<int>(raw);
    EXPECT_EQ(hostile.errors.find("\xC2\x9B"), std::string::npos);
}

TEST_F(ImportOrderCommandTest, RefusalsHaveTheirOwnStatusesAndWriteNothing) {
    std::ofstream(programDir.dir() / "wrong.txt") << "daisy\n";
    std::ofstream(programDir.dir() / "notes.mdb") << "not a database at all";

    VelmoraRun outcome = importOrder(testing::kOrderForm, "Orders.mdb", "wrong.txt");
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_NE(outcome.errors.find("wrong password"), std::string::npos) << outcome.errors;
    outcome = importOrder(testing::kOrderForm, "Missing.mdb");
    EXPECT_EQ(outcome.exitCode, 4) << outcome.errors;
    EXPECT_NE(outcome.errors.find("Missing.mdb"), std::string::npos) << outcome.errors;
    outcome = importOrder(testing::kOrderForm, "notes.mdb");
    EXPECT_EQ(outcome.exitCode, 4) << outcome.errors;
    outcome = importOrder(QByteArray(33 << 20, 'x'));
    EXPECT_EQ(outcome.exitCode, 5) << outcome.errors;
    EXPECT_NE(outcome.errors.find("more than 32 MB"), std::string::npos) << outcome.errors;
    outcome = testing::runVelmora({"--dir", testing::argument(programDir.dir()), "import-order"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.errors.find("--db names the check database"), std::string::npos) << outcome.errors;

    // A database that takes no new check: status 1, and the last check is not written instead.
    const auto ann = testing::addCheck(database, {{f::kBusinessName, "Acme"}, {f::kFirstName, "Ann"}});
    database.connection().exec(
        "CREATE TRIGGER NoNew BEFORE INSERT ON Account BEGIN SELECT RAISE(ABORT, 'the disk is full'); END");
    outcome = importOrder(testing::kOrderForm);
    EXPECT_EQ(outcome.exitCode, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("the disk is full"), std::string::npos) << outcome.errors;
    EXPECT_EQ(testing::readCheck(database, ann).bank, std::nullopt);
    EXPECT_EQ(db::RecordSet(database.connection(), db::schema::account()).recordCount(), 2);

    outcome = testing::runVelmora({"import-order", "--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_NE(outcome.output.find("  5  standard input could not be read, or holds more than 32 MB"),
              std::string::npos);
    EXPECT_NE(testing::runVelmora({"--help"}).output.find("  import-order"), std::string::npos);
}

} // namespace
} // namespace velmora
