#include "export/forms/ExportFileScreen.h"

#include "export/ExportFormats.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using exporting::ExportFileScreen;

class ExportFileScreenTest : public ::testing::Test {
protected:
    ExportFileScreenTest()
        : database(program.createDatabase("Drafts", db::DatabaseType::Draft)) {
        session.programDir = program.dir();
        session.currentDatabase = "Drafts.mdb";
        session.dialogs = &dialogs;
        testing::addCheck(database,
                          {{"LastName", "Smith"}, {"Check", 1001}, {"Amount", db::Money::fromCents(2500)}});
        screen.show();
        screen.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&screen));
    }

    template <typename T> T* child(const char* name) {
        T* widget = screen.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << "no control named " << name;
        return widget;
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    testing::ScriptedDialogs dialogs;
    Session session;
    ExportFileScreen screen{session, dialogs};
    fs::path exportFile = program.dir() / "EXPORT.TXT";
};

TEST_F(ExportFileScreenTest, ShowsBothExportsTopToBottomAndIsUsedByKeyboard) {
    EXPECT_EQ(screen.objectName(), "ExportFile");
    EXPECT_EQ(screen.windowTitle(), "Export / Import Menu");
    const std::vector<QWidget*> controls = {child<QLabel>("CustomerExplanation"),
                                            child<QPushButton>("ExportCustomers"),
                                            child<QLabel>("AllExplanation"), child<QPushButton>("ExportAll")};
    for (std::size_t i = 1; i < controls.size(); ++i)
        EXPECT_LT(controls[i - 1]->y(), controls[i]->y());
    EXPECT_EQ(
        child<QLabel>("AllExplanation")->text(),
        "The \"Export ALL Check Information\" button exports all information (including check, routing and "
        "transit numbers) in a database to a file named \"EXPORT.TXT\" in the program directory.");
    EXPECT_EQ(child<QPushButton>("ExportCustomers")->text(), "Export Customer Information Only");
    EXPECT_EQ(child<QPushButton>("ExportAll")->text(), "Export ALL Check Information");

    // Tab to the second button, Space presses it: the full export, its message, and the screen closes.
    EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>("ExportCustomers"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>("ExportAll"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(dialogs.shownTexts(),
              std::vector<std::string>{exporting::CheckInformationExport().completionMessage()});
    EXPECT_EQ(dialogs.shown()[0].title, "");
    EXPECT_FALSE(screen.isVisible());
    EXPECT_NE(testing::fileContents(exportFile).find("\"Smith\",\"\",\"\",\"\",\"\",\"\",\"\",1001,25,"),
              std::string::npos);
}

TEST_F(ExportFileScreenTest, AFailedExportIsReportedWithTheFileAndTheScreenStays) {
    std::ofstream(exportFile) << "the last good export\r\n";
    fs::permissions(exportFile, fs::perms::owner_write, fs::perm_options::remove);
    QTest::mouseClick(child<QPushButton>("ExportCustomers"), Qt::LeftButton);
    fs::permissions(exportFile, fs::perms::owner_write, fs::perm_options::add);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Critical);
    EXPECT_NE(dialogs.shown()[0].text.find(exportFile.string()), std::string::npos)
        << dialogs.shown()[0].text;
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(testing::fileContents(exportFile), "the last good export\r\n");

    // Enter presses the default button, the customer export.
    dialogs.clear();
    QTest::keyClick(&screen, Qt::Key_Return);
    EXPECT_EQ(dialogs.shownTexts(),
              std::vector<std::string>{exporting::CustomerInformationExport().completionMessage()});
    EXPECT_NE(testing::fileContents(exportFile).find("\"\",\"\",\"Smith\",\"\",\"\",\"\",\"\",\"\"\r\n"),
              std::string::npos);
}

TEST_F(ExportFileScreenTest, ALinkOrAProgramFileIsRefusedAsOnTheCommandLineAndACutValueIsTold) {
    // EXPORT.TXT planted as a link to another check database.
    fs::copy_file(database.path(), program.dir() / "Other.mdb");
    const std::string other = testing::fileContents(program.dir() / "Other.mdb");
    fs::create_symlink(program.dir() / "Other.mdb", exportFile);
    QTest::mouseClick(child<QPushButton>("ExportAll"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("symbolic link"), std::string::npos) << dialogs.shown()[0].text;
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(testing::fileContents(program.dir() / "Other.mdb"), other);

    // A value no name or memo is long is cut, and the screen says where.
    fs::remove(exportFile);
    testing::addCheck(database, {{"For", std::string(100'000, 'm')}});
    dialogs.clear();
    QTest::mouseClick(child<QPushButton>("ExportAll"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, exporting::CheckInformationExport().completionMessage());
    EXPECT_NE(dialogs.shown()[1].text.find("line 3 (For)"), std::string::npos) << dialogs.shown()[1].text;
    EXPECT_EQ(static_cast<unsigned>(fs::status(exportFile).permissions()), 0600u);
}

} // namespace
} // namespace velmora
