#include "app/Password.h"
#include "app/forms/PassScreen.h"
#include "db/DatabaseFiles.h"
#include "db/forms/FileOpenScreen.h"
#include "jet/VelmoraMapping.h"
#include "shell/StartupConversion.h"
#include "support/Fixtures.h"
#include "support/JetSamples.h"
#include "support/RecordingNavigator.h"
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
using Strings = std::vector<std::string>;

class JetConversionFormsTest : public ::testing::Test {
protected:
    JetConversionFormsTest() {
        session_.programDir = program_.dir();
        session_.dialogs = &dialogs_;
    }
    static jet::ConvertOptions options(fs::path reader = testing::readerProgram()) {
        return {std::move(reader), std::chrono::seconds(10), {}};
    }
    // A stand-in for the reader that sends these rows of a file shaped like `schema`.
    fs::path reader(const jet::JetSchema& schema, const jet::Planner& planner, const testing::JetRows& rows) {
        auto plan = planner(schema, "file");
        return testing::fakeReader(scripts_.path(), testing::readerOutput(schema, *plan, rows));
    }
    std::unique_ptr<db::FileOpenScreen> openFileOpen(const jet::ConvertOptions& conversion) {
        auto screen = std::make_unique<db::FileOpenScreen>(session_, navigator_);
        screen->setConversionOptions(conversion);
        screen->show();
        return screen;
    }
    // Selects the file and presses OK with the keyboard.
    void choose(db::FileOpenScreen& screen, const QString& name) {
        auto* list = screen.findChild<QListWidget*>("File1");
        list->clearSelection();
        list->findItems(name, Qt::MatchExactly).front()->setSelected(true);
        QTest::keyClick(list, Qt::Key_Return);
    }
    void expectUnchanged(const fs::path& file, const std::string& checksum) {
        EXPECT_EQ(testing::folderListing(program_.dir()), listing_);
        EXPECT_EQ(testing::checksum(file), checksum);
        EXPECT_TRUE(navigator_.calls.empty());
    }

    testing::ProgramDirFixture program_;
    testing::TempDir scripts_; // stand-in readers, kept out of the program folder
    testing::ScriptedDialogs dialogs_;
    testing::RecordingNavigator navigator_;
    Session session_;
    std::set<std::string> listing_;
};

TEST_F(JetConversionFormsTest, AJetFileIsOfferedForConversionAndOneThatHoldsNoChecksIsRefused) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    program_.createDatabase("Payroll", db::DatabaseType::Check);
    testing::copyWritable(*nwind, program_.dir() / "Northwind.mdb");
    testing::copyWritable(*nwind, program_.dir() / "Cut.mdb");
    testing::truncateFile(program_.dir() / "Cut.mdb", fs::file_size(*nwind) - 1000);
    listing_ = testing::folderListing(program_.dir());
    auto screen = openFileOpen(options());

    dialogs_.queueAnswer(DialogAnswer::No);
    choose(*screen, "Northwind.mdb");
    dialogs_.queueAnswer(DialogAnswer::Yes);
    choose(*screen, "Northwind.mdb");
    choose(*screen, "Cut.mdb"); // its header tells at once that it cannot be converted: no offer
    const Strings shown = dialogs_.shownTexts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(dialogs_.shown()[0].buttons, DialogButtons::YesNo);
    EXPECT_TRUE(shown[0].starts_with("Northwind.mdb is an Access (Jet) database.")) << shown[0];
    EXPECT_TRUE(shown[0].ends_with("A converted copy takes the name Northwind.mdb, and the original is kept "
                                   "beside it, unchanged, as Northwind.mdb.jet."));
    EXPECT_EQ(shown[2], "Northwind.mdb is not a check database: it has no table Account.\n\n"
                        "Nothing was changed: Northwind.mdb is as it was.");
    EXPECT_EQ(shown[3], "Cut.mdb is truncated or damaged: it ends in the middle of a page.\n\n"
                        "Nothing was changed: Cut.mdb is as it was.");
    EXPECT_TRUE(screen->isVisible());
    expectUnchanged(program_.dir() / "Northwind.mdb", testing::checksum(*nwind));

    // A SQLite database is opened at once, whatever its name.
    dialogs_.clear();
    choose(*screen, "Payroll.mdb");
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
}

TEST_F(JetConversionFormsTest, AConvertedDatabaseOpensWithItsOriginalKeptBesideIt) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = program_.dir() / "Payroll.mdb";
    testing::copyWritable(*nwind, file); // a true Jet header; the stand-in reader sends the rows
    const testing::JetRows rows{{"ACCOUNT",
                                 {{{"ID", std::int64_t{1}}, {"PayTo", "Template"}},
                                  {{"ID", std::int64_t{7}}, {"Amount", std::int64_t{123456}}},
                                  {{"ID", std::int64_t{9}}, {"PayTo", "Initech"}}}},
                                {"Properties", {{{"AccountType", "Check"}}}}};
    auto screen =
        openFileOpen(options(reader(testing::jetCheckDatabaseSchema(), jet::planCheckDatabase, rows)));

    dialogs_.queueAnswer(DialogAnswer::Yes);
    choose(*screen, "Payroll.mdb");
    ASSERT_EQ(dialogs_.shown().size(), 2u);
    const std::string told = dialogs_.shownTexts()[1];
    EXPECT_TRUE(
        told.starts_with("Payroll.mdb has been converted, and every table checked against the "
                         "original:\n  Account: 3 rows\n  Properties: 1 row\n\nThe original is kept, "
                         "unchanged, as Payroll.mdb.jet.\n\nLeft out:\n  column Fax of table ACCOUNT"))
        << told;
    EXPECT_TRUE(
        told.ends_with("\n  Table ACCOUNT, ID 7: the field Amount has fractions of a cent: 12.3456 is "
                       "stored as 12.35."))
        << told;
    EXPECT_EQ(navigator_.calls, Strings{"Check"});
    EXPECT_EQ(session_.currentDatabase, "Payroll.mdb");

    auto database = db::CheckDatabase::open(file);
    ASSERT_TRUE(database) << database.message();
    EXPECT_EQ(testing::readCheck(*database, 9).payTo, std::optional<std::string>("Initech"));
    EXPECT_EQ(testing::checksum(program_.dir() / "Payroll.mdb.jet"), testing::checksum(*nwind));
    EXPECT_EQ(db::listDatabases(program_.dir()), Strings{"Payroll.mdb"})
        << "the kept original is no database";
}

TEST_F(JetConversionFormsTest, CancelOrEscapeDuringTheConversionLeavesEverythingAsItWas) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path file = program_.dir() / "Payroll.mdb";
    testing::copyWritable(*nwind, file);
    listing_ = testing::folderListing(program_.dir());
    // A reader that never answers: the conversion runs until it is cancelled.
    auto screen = openFileOpen(options(testing::scriptReader(scripts_.path(), "exec sleep 60")));

    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        dialogs_.clear();
        dialogs_.queueAnswer(DialogAnswer::Yes);
        bool heldTheProgram = false, stayedWhileCancelling = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* progress = QApplication::activeModalWidget();
            if (!progress || progress->objectName() != "ConversionProgress")
                return;
            watch.stop();
            heldTheProgram = progress->windowTitle() == "Converting Payroll.mdb" &&
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
        choose(*screen, "Payroll.mdb");
        EXPECT_TRUE(heldTheProgram);
        EXPECT_TRUE(stayedWhileCancelling);
        EXPECT_EQ(dialogs_.shownTexts().back(), "The conversion of Payroll.mdb was cancelled.\n\n"
                                                "Nothing was changed: Payroll.mdb is as it was.");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the progress dialog has gone";
        expectUnchanged(file, testing::checksum(*nwind));
    }
}

TEST_F(JetConversionFormsTest, AJetSettingsFileIsConvertedAtStartAndItsOldPasswordStillOpensTheProgram) {
    VELMORA_REQUIRE_JET_SAMPLE(nwind, "nwind.mdb");
    const fs::path settingsFile = program_.dir() / app::kSettingsFileName;
    testing::copyWritable(*nwind, settingsFile);
    listing_ = testing::folderListing(program_.dir());

    // No, and a file that holds no settings: the program cannot start, and nothing is changed.
    dialogs_.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(shell::settingsReadyAtStart(session_, options()));
    dialogs_.queueAnswer(DialogAnswer::Yes);
    EXPECT_FALSE(shell::settingsReadyAtStart(session_, options()));
    const Strings shown = dialogs_.shownTexts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(shown[0].ends_with("PC.OVL.jet.\n\nNo ends the program and changes nothing.")) << shown[0];
    EXPECT_EQ(shown[1], "Velmora cannot start on a settings file in the Access form, so it ends now. PC.OVL "
                        "is unchanged; the conversion is offered again at the next start, or run velmora "
                        "convert PC.OVL.");
    EXPECT_TRUE(shown[3].starts_with("PC.OVL is not a settings file: it has no table Properties.\n\n"
                                     "Nothing was changed: PC.OVL is as it was.\n\nVelmora cannot start"));
    expectUnchanged(settingsFile, testing::checksum(*nwind));

    // Yes, with the settings read: the password, kept as plain text, is stored as a hash.
    const testing::JetRows rows{{"Properties", {{{"5", std::int64_t{600}}}}},
                                {"A", {{{"ENTER", "marigold"}}}},
                                {"BusinessType", {{{"ID", std::int64_t{1}}}}}};
    dialogs_.queueAnswer(DialogAnswer::Yes);
    ASSERT_TRUE(shell::settingsReadyAtStart(
        session_, options(reader(testing::jetSettingsSchema(), jet::planSettings, rows))));
    EXPECT_NE(dialogs_.shownTexts().back().find("It still holds the old password as plain text"),
              std::string::npos);
    EXPECT_EQ(testing::checksum(program_.dir() / "PC.OVL.jet"), testing::checksum(*nwind));

    dialogs_.clear();
    app::PassScreen pass(session_, navigator_, [] { return Strings{"MICR65"}; });
    pass.show();
    pass.start();
    QTest::keyClicks(pass.findChild<QLineEdit*>("Password"), "MariGold");
    QTest::keyClick(pass.findChild<QLineEdit*>("Password"), Qt::Key_Return);
    EXPECT_TRUE(dialogs_.shown().empty()) << dialogs_.shownTexts()[0];
    EXPECT_EQ(navigator_.calls, Strings{"FileOpen"});
}

} // namespace
} // namespace velmora
