#include "support/Fixtures.h"

#include <QProcess>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

// `velmora export` as a script runs it: no display, the password in a file.
class ExportCommandTest : public ::testing::Test {
protected:
    ExportCommandTest()
        : database(program.createDatabase("Drafts", db::DatabaseType::Draft)) {
        std::ofstream(program.dir() / "password.txt") << "Tulip\n";
        std::ofstream(program.dir() / "wrong.txt") << "Rose\n";
        testing::setCheckFields(database, 1, {{"BusinessName", "Harbor \"Lane\""}, {"FirstName", nullptr}});
        testing::addCheck(database, {{"LastName", "Smith, Jr."}, {"Amount", db::Money::fromCents(1250)}});
    }

    Outcome velmora(QStringList arguments, const char* password = "password.txt") {
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(
            VELMORA_BINARY_DIR "/velmora",
            QStringList{"--dir", QString::fromStdString(program.dir().string()), "export"} + arguments +
                QStringList{"--password-file", QString::fromStdString((program.dir() / password).string())});
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardError().toStdString()};
    }

    testing::ProgramDirFixture program;
    db::CheckDatabase database;
    fs::path exportFile = program.dir() / "EXPORT.TXT";
};

TEST_F(ExportCommandTest, WritesTheExportFileOfTheProgramFolderOrTheFileNamed) {
    Outcome done = velmora({"--db", "Drafts.mdb", "--customers"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_EQ(done.errors, "velmora export: 2 records written to " + exportFile.string() + "\n");
    const std::string customers = testing::fileContents(exportFile);
    EXPECT_EQ(customers.rfind(R"("Harbor ""Lane""","",)", 0), 0u) << customers;
    EXPECT_NE(customers.find("\r\n\"\",\"\",\"Smith, Jr.\","), std::string::npos) << customers;

    const fs::path elsewhere = program.dir() / "all.csv";
    done = velmora({"--db", "Drafts.mdb", "--all", "--output", QString::fromStdString(elsewhere.string())});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_NE(testing::fileContents(elsewhere).find(",12.5,"), std::string::npos);
    EXPECT_EQ(testing::fileContents(exportFile), customers); // untouched
}

TEST_F(ExportCommandTest, RefusesWithoutWritingAnything) {
    EXPECT_EQ(velmora({"--db", "Drafts.mdb"}).exitCode, 2);
    EXPECT_EQ(velmora({"--db", "Drafts.mdb", "--all", "--customers"}).exitCode, 2);
    EXPECT_EQ(velmora({"--all"}).exitCode, 2);
    EXPECT_EQ(velmora({"--db", "Drafts.mdb", "--all"}, "wrong.txt").exitCode, 3);
    EXPECT_EQ(velmora({"--db", "Missing.mdb", "--all"}).exitCode, 4);
    const Outcome overDatabase = velmora(
        {"--db", "Drafts.mdb", "--all", "--output", QString::fromStdString(database.path().string())});
    EXPECT_EQ(overDatabase.exitCode, 5);
    EXPECT_NE(overDatabase.errors.find("program's own files"), std::string::npos) << overDatabase.errors;
    const Outcome noFolder = velmora({"--db", "Drafts.mdb", "--all", "--output", "/nonexistent/EXPORT.TXT"});
    EXPECT_EQ(noFolder.exitCode, 5);
    EXPECT_NE(noFolder.errors.find("/nonexistent/EXPORT.TXT"), std::string::npos) << noFolder.errors;
    EXPECT_FALSE(fs::exists(exportFile));
    EXPECT_TRUE(testing::readCheck(database, 1).businessName.has_value()); // the database as it was
}

} // namespace
} // namespace velmora
