#include "app/Clock.h"
#include "print/PdfProbe.h"
#include "support/Fixtures.h"

#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing::PdfProbe;
namespace f = db::field;

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

// `velmora print` as a scheduled job runs it: no display, the password in a file.
class PrintCommandTest : public ::testing::Test {
protected:
    PrintCommandTest()
        : database(programDir.createDatabase("Drafts", db::DatabaseType::Draft)) {
        std::ofstream(programDir.dir() / "password.txt") << "Tulip\n";
    }

    Outcome velmora(QStringList arguments, const std::string& password = "password.txt") {
        QProcess process;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        arguments =
            QStringList{"--dir", QString::fromStdString(programDir.dir().string()), "print"} + arguments;
        arguments << "--password-file" << QString::fromStdString((programDir.dir() / password).string());
        process.start(VELMORA_BINARY_DIR "/velmora", arguments);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardError().toStdString()};
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
                                                   {f::kAmount, Money::fromCents(9900)},
                                                   {f::kAba, "071000013"},
                                                   {f::kAccount, "12D345"},
                                                   {f::kLabelPrint, true},
                                                   {f::kLastName, "Simpson"}});
    const auto monthly =
        testing::addCheck(database, {{f::kPrint, "Monthly"}, {f::kCheck, 77}, {f::kPayTo, "Initech"}});
    const Outcome outcome = velmora({"--db", "Drafts.mdb", "--once", "--monthly", "--labels-once", "--pdf",
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
    const Outcome outcome = velmora({"--db", "Drafts.mdb", "--once", "--pdf", path("out.pdf")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find("answered No"), std::string::npos);
    EXPECT_TRUE(PdfProbe(programDir.dir() / "out.pdf").loaded());
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
}

TEST_F(PrintCommandTest, RefusesWithAClearMessageAndItsOwnExitStatus) {
    const auto once = testing::addCheck(database, {{f::kPrint, "Once"}, {f::kCheck, 5}});
    std::ofstream(programDir.dir() / "wrong.txt") << "daisy\n";
    std::ofstream(programDir.dir() / "notes.mdb") << "not a database at all";

    Outcome outcome =
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

    EXPECT_FALSE(std::filesystem::exists(programDir.dir() / "out.pdf"));
    EXPECT_EQ(testing::readCheck(database, once).print, "Once");
}

} // namespace
} // namespace velmora
