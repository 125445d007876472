#include "support/Fixtures.h"
#include "support/RunVelmora.h"
#include "support/Stores.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

using testing::VelmoraRun;

// `velmora copy` as a script runs it, against the test server: the password in a file.
class CopyCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_SKIP_WITHOUT(store);
        std::ofstream(program.dir() / "password.txt") << "Tulip\n";
        fs::permissions(program.dir() / "password.txt", fs::perms(0600));
        auto database = program.createDatabase(name, db::DatabaseType::Check);
        testing::addCheck(database,
                          {{"PayTo", "Harbor Lane Bakery"}, {"Amount", db::Money::fromCents(1250)}});
        store.dropAtEnd(name);
    }

    VelmoraRun copy(const QStringList& arguments) {
        return testing::runVelmora(
            QStringList{"--dir", testing::argument(program.dir()), "copy"} + arguments +
            QStringList{"--server", QString::fromStdString(store.server().name), "--password-file",
                        testing::argument(program.dir() / "password.txt")});
    }

    testing::StoreFixture store{testing::Store::Server};
    testing::ProgramDirFixture program;
    const std::string name = "Payroll " + std::to_string(::getpid()); // the server's name of the file
    const QString file = QString::fromStdString(name + ".mdb");
};

TEST_F(CopyCommandTest, CopiesEitherWayAndTellsWhyNot) {
    VelmoraRun done = copy({file, "--to-server"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_EQ(done.output, name + ".mdb: copied to the database server as " + name +
                               " (4 tables, 3 rows, every field verified).\n");
    done = copy({file, "--to-server"});
    EXPECT_EQ(done.exitCode, 1);
    EXPECT_NE(done.errors.find(name + " already exists on the database server."), std::string::npos)
        << done.errors;

    done = copy({QString::fromStdString(name), "--to-file", "Back.mdb"});
    ASSERT_EQ(done.exitCode, 0) << done.errors;
    EXPECT_EQ(testing::readCheck(*db::CheckDatabase::open(program.dir() / "Back.mdb"), 2).payTo,
              "Harbor Lane Bakery");
    done = copy({QString::fromStdString(name), "--to-file", "Back.mdb"});
    EXPECT_EQ(done.exitCode, 1);
    EXPECT_NE(done.errors.find("Back.mdb already exists. It is replaced only with --replace."),
              std::string::npos)
        << done.errors;
    EXPECT_EQ(copy({QString::fromStdString(name), "--to-file", "Back.mdb", "--replace"}).exitCode, 0);

    EXPECT_EQ(copy({"Missing.mdb", "--to-server"}).exitCode, 4);
    EXPECT_EQ(copy({"Missing", "--to-file", "Missing.mdb"}).exitCode, 4);
    EXPECT_EQ(copy({file, "--to-server", "--replace"}).exitCode, 2);
}

} // namespace
} // namespace velmora
