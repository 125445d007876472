#include "app/Password.h"
#include "app/Settings.h"
#include "app/forms/Pass.h"
#include "app/forms/StartupConversion.h"
#include "db/forms/FileOpen.h"
#include "gui/RecordingNavigator.h"
#include "jet/JetSamples.h"
#include "jet/VelmoraMapping.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Access (Jet) files met by the screens: the offer on the selection screen, the conversion with its
// progress dialog, and the settings file converted before the password screen.
namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using jet::JetType;

class JetConversionFormsTest : public ::testing::Test {
protected:
    JetConversionFormsTest() {
        session_.programDir = program_.dir();
        session_.dialogs = &dialogs_;
    }

    jet::ConvertOptions options(fs::path reader = testing::readerProgram()) const {
        jet::ConvertOptions result;
        result.readerProgram = std::move(reader);
        result.stallTimeout = 10s;
        return result;
    }

    // A reader that stands in for velmora-jet-reader and sends a small check database.
    fs::path checkDatabaseReader() {
        const jet::JetSchema schema = testing::jetCheckDatabaseSchema(); // with a column Fax and a table Log
        const testing::JetRows rows{
            {"ACCOUNT",
             {{{"ID", std::int64_t{1}}, {"PayTo", "Template"}, {"check", std::int64_t{1000}}},
              {{"ID", std::int64_t{7}}, {"PayTo", "Globex"}, {"Amount", std::int64_t{123456}}},
              {{"ID", std::int64_t{9}}, {"PayTo", "Initech"}, {"Amount", std::int64_t{250000}}}}},
            {"Properties", {{{"AccountType", "Check"}, {"Description", "Payroll"}}}}};
        auto plan = jet::planCheckDatabase(schema, "Payroll.mdb");
        return testing::fakeReader(scripts_.path(), testing::readerOutput(schema, *plan, rows));
    }

    std::unique_ptr<FileOpen> openFileOpen(const jet::ConvertOptions& conversion) {
        auto screen = std::make_unique<FileOpen>(session_, navigator_);
        screen->setConversionOptions(conversion);
        screen->show();
        screen->start();
        return screen;
    }
    QStringList listed(FileOpen& screen) {
        QStringList names;
        auto* list = screen.findChild<QListWidget*>("File1");
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    // Selects the file and presses OK with the keyboard.
    void choose(FileOpen& screen, const QString& name) {
        auto* list = screen.findChild<QListWidget*>("File1");
        list->clearSelection();
        list->findItems(name, Qt::MatchExactly).front()->setSelected(true);
        QTest::keyClick(list, Qt::Key_Return);
    }

    testing::ProgramDirFixture program_;
    testing::TempDir scripts_; // stand-in readers, kept out of the program folder
    testing::ScriptedDialogs dialogs_;
    testing::RecordingNavigator navigator_;
    Session session_;
};

TEST_F(JetConversionFormsTest, AJetFileIsOfferedForConversionAndOneThatHoldsNoChecksIsRefused) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    testing::copyWritable(*nwind, program_.dir() / "Northwind.mdb");
    const auto listing = testing::folderListing(program_.dir());
    const std::string original = testing::checksum(program_.dir() / "Northwind.mdb");
    auto screen = openFileOpen(options());
    EXPECT_EQ(listed(*screen), (QStringList{"Northwind.mdb", "Payroll.mdb"})) << "listed like any other";

    dialogs_.queueAnswer(DialogAnswer::No);
    choose(*screen, "Northwind.mdb");
    ASSERT_EQ(dialogs_.shown().size(), 1u);
    const MessageBox& offer = dialogs_.shown()[0];
    EXPECT_EQ(offer.buttons, DialogButtons::YesNo);
    EXPECT_EQ(offer.defaultAnswer, DialogAnswer::Yes);
    EXPECT_TRUE(offer.text.starts_with("Northwind.mdb is an Access (Jet) database.")) << offer.text;
    EXPECT_NE(
        offer.text.find("A converted copy takes the name Northwind.mdb, and the original is kept beside "
                        "it, unchanged, as Northwind.mdb.jet."),
        std::string::npos)
        << offer.text;
    EXPECT_TRUE(navigator_.calls.empty()) << "No stays on the screen";
    EXPECT_TRUE(screen->isVisible());

    dialogs_.clear();
    dialogs_.queueAnswer(DialogAnswer::Yes);
    choose(*screen, "Northwind.mdb");
    ASSERT_EQ(dialogs_.shown().size(), 2u);
    EXPECT_EQ(dialogs_.shownTexts()[1], "Northwind.mdb is not a check database: it has no table Account.\n\n"
                                        "Nothing was changed: Northwind.mdb is as it was.");
    EXPECT_EQ(dialogs_.shown()[1].icon, DialogIcon::Exclamation);
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(session_.currentDatabase, "");
    EXPECT_EQ(testing::folderListing(program_.dir()), listing);
    EXPECT_EQ(testing::checksum(program_.dir() / "Northwind.mdb"), original);

    // A SQLite database is opened at once, whatever its name.
    dialogs_.clear();
    choose(*screen, "Payroll.mdb");
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_EQ(navigator_.calls, Strings{"DataEntry"});
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
}

TEST_F(JetConversionFormsTest, AJetFileThatCannotBeConvertedIsToldWithoutAnOffer) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path cut = program_.dir() / "Cut.mdb";
    const fs::path locked = program_.dir() / "Locked.mdb";
    testing::copyWritable(*nwind, cut);
    testing::truncateFile(cut, fs::file_size(cut) - 1000);
    testing::copyWritable(*nwind, locked);
    testing::invertBytes(locked, 0x3e, 2); // the database key of an encrypted file
    const auto listing = testing::folderListing(program_.dir());
    auto screen = openFileOpen(options());

    choose(*screen, "Cut.mdb");
    choose(*screen, "Locked.mdb");
    EXPECT_EQ(dialogs_.shownTexts(),
              (Strings{"Cut.mdb is truncated or damaged: it ends in the middle of a page.\n\n"
                       "Nothing was changed: Cut.mdb is as it was.",
                       "Locked.mdb is encrypted; remove the encryption in Access, then convert it again.\n\n"
                       "Nothing was changed: Locked.mdb is as it was."}));
    EXPECT_TRUE(navigator_.calls.empty());
    EXPECT_EQ(testing::folderListing(program_.dir()), listing);
}

TEST_F(JetConversionFormsTest, AConvertedDatabaseOpensWithItsOriginalKeptBesideIt) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = program_.dir() / "Payroll.mdb";
    testing::copyWritable(*nwind, file); // a true Jet header; the stand-in reader sends the rows
    const std::string original = testing::checksum(file);
    auto screen = openFileOpen(options(checkDatabaseReader()));

    dialogs_.queueAnswer(DialogAnswer::Yes);
    choose(*screen, "Payroll.mdb");
    ASSERT_EQ(dialogs_.shown().size(), 2u);
    const MessageBox& told = dialogs_.shown()[1];
    EXPECT_EQ(told.icon, DialogIcon::Information);
    EXPECT_EQ(told.text,
              "Payroll.mdb has been converted, and every table checked against the original:\n"
              "  Account: 3 rows\n"
              "  Properties: 1 row\n\n"
              "The original is kept, unchanged, as Payroll.mdb.jet.\n\n"
              "Left out:\n"
              "  column Fax of table ACCOUNT (Text): not a field of a check database\n"
              "  table Log (0 rows): not a table of a check database\n\n"
              "Noticed on the way:\n"
              "  Table ACCOUNT, ID 7: the field Amount has fractions of a cent: 12.3456 is stored as 12.35.");
    EXPECT_EQ(navigator_.calls, Strings{"DataEntry"});
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");
    EXPECT_FALSE(screen->isVisible());

    auto database = db::CheckDatabase::open(file);
    ASSERT_TRUE(database) << database.message();
    EXPECT_EQ(testing::readCheck(*database, 9).payTo, std::optional<std::string>("Initech"));
    EXPECT_EQ(testing::checksum(program_.dir() / "Payroll.mdb.jet"), original);
    EXPECT_EQ(listed(*openFileOpen(options())), QStringList{"Payroll.mdb"})
        << "the kept original is no database";
}

TEST_F(JetConversionFormsTest, CancelOrEscapeDuringTheConversionLeavesEverythingAsItWas) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = program_.dir() / "Payroll.mdb";
    testing::copyWritable(*nwind, file);
    const auto listing = testing::folderListing(program_.dir());
    const std::string original = testing::checksum(file);
    // A reader that never answers: the conversion runs until it is cancelled.
    auto screen = openFileOpen(options(testing::scriptReader(scripts_.path(), "exec sleep 60")));

    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        dialogs_.clear();
        dialogs_.queueAnswer(DialogAnswer::Yes);
        bool blockedTheScreen = false, stayedWhileCancelling = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* progress = QApplication::activeModalWidget();
            if (!progress || progress->objectName() != "ConversionProgress" || !progress->isVisible())
                return;
            watch.stop();
            blockedTheScreen = progress->windowTitle() == "Converting Payroll.mdb" &&
                               progress->windowModality() == Qt::ApplicationModal;
            auto* cancel = progress->findChild<QPushButton*>("Cancel");
            if (escape)
                QTest::keyClick(progress, Qt::Key_Escape);
            else
                QTest::mouseClick(cancel, Qt::LeftButton);
            // The dialog stays until the conversion has stopped.
            stayedWhileCancelling =
                progress->isVisible() && !cancel->isEnabled() &&
                progress->findChild<QLabel*>("Status")->text().startsWith("Cancelling the conversion");
        });
        watch.start(20);
        const auto start = std::chrono::steady_clock::now();
        choose(*screen, "Payroll.mdb");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_TRUE(blockedTheScreen);
        EXPECT_TRUE(stayedWhileCancelling);
        ASSERT_EQ(dialogs_.shown().size(), 2u);
        EXPECT_EQ(dialogs_.shownTexts()[1], "The conversion of Payroll.mdb was cancelled.\n\n"
                                            "Nothing was changed: Payroll.mdb is as it was.");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the progress dialog has gone";
        EXPECT_TRUE(navigator_.calls.empty());
        EXPECT_TRUE(screen->isVisible());
        EXPECT_EQ(testing::folderListing(program_.dir()), listing);
        EXPECT_EQ(testing::checksum(file), original);
    }
}

TEST_F(JetConversionFormsTest, AJetSettingsFileIsConvertedAtStartAndItsOldPasswordStillOpensTheProgram) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path settingsFile = program_.dir() / kSettingsFileName;
    testing::copyWritable(*nwind, settingsFile);
    const auto listing = testing::folderListing(program_.dir());
    const std::string original = testing::checksum(settingsFile);

    // No, and a file that holds no settings: the program cannot start, and nothing is changed.
    dialogs_.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(settingsReadyAtStart(session_, options()));
    dialogs_.queueAnswer(DialogAnswer::Yes);
    EXPECT_FALSE(settingsReadyAtStart(session_, options()));
    ASSERT_EQ(dialogs_.shown().size(), 4u);
    EXPECT_TRUE(dialogs_.shownTexts()[0].starts_with("The settings file PC.OVL is an Access (Jet) file."));
    EXPECT_TRUE(dialogs_.shownTexts()[0].ends_with("No ends the program and changes nothing."));
    EXPECT_EQ(
        dialogs_.shownTexts()[1],
        "Velmora cannot start on a settings file in the Access form, so it ends now. PC.OVL is unchanged; "
        "the conversion is offered again at the next start, or run velmora convert PC.OVL.");
    EXPECT_EQ(dialogs_.shownTexts()[3], "PC.OVL is not a settings file: it has no table Properties.\n\n"
                                        "Nothing was changed: PC.OVL is as it was.\n\n"
                                        "Velmora cannot start on a settings file in the Access form, so it "
                                        "ends now.");
    EXPECT_EQ(testing::folderListing(program_.dir()), listing);
    EXPECT_EQ(testing::checksum(settingsFile), original);

    // Yes, with the settings read: the password, stored as plain text, is taken as a hash.
    const jet::JetSchema schema = testing::jetSettingsSchema();
    auto plan = jet::planSettings(schema, kSettingsFileName);
    const testing::JetRows rows{
        {"Properties", {{{"5", std::int64_t{600}}, {"AlignStart", std::int64_t{350}}}}},
        {"A", {{{"ENTER", "marigold"}}}},
        {"BusinessType", {{{"ID", std::int64_t{1}}, {"BusinessType", "Checks"}}}}};
    dialogs_.clear();
    dialogs_.queueAnswer(DialogAnswer::Yes);
    ASSERT_TRUE(settingsReadyAtStart(
        session_, options(testing::fakeReader(scripts_.path(), testing::readerOutput(schema, *plan, rows)))));
    ASSERT_EQ(dialogs_.shown().size(), 2u);
    EXPECT_NE(dialogs_.shownTexts()[1].find("It still holds the old password as plain text"),
              std::string::npos)
        << dialogs_.shownTexts()[1];
    EXPECT_EQ(testing::checksum(program_.dir() / "PC.OVL.jet"), original);
    EXPECT_TRUE(settingsReadyAtStart(session_, options())) << "nothing more to convert";

    dialogs_.clear();
    Pass pass(session_, navigator_, [] { return Strings{"MICR65"}; });
    pass.show();
    pass.start();
    QTest::keyClicks(pass.findChild<QLineEdit*>("Password"), "MariGold");
    QTest::keyClick(pass.findChild<QLineEdit*>("Password"), Qt::Key_Return);
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
    EXPECT_EQ(SettingsStore::open(program_.dir())->read().horizontalStart, 600);
}

} // namespace
} // namespace velmora
