#include "db/CheckDatabase.h"
#include "db/DatabaseFiles.h"
#include "db/RecordSet.h"
#include "support/Fixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class CreateDatabaseTest : public ::testing::Test {
protected:
    fs::path dir() const { return program_.dir(); }

    db::DatabaseProperties propertiesOf(const fs::path& file) {
        auto database = db::CheckDatabase::open(file);
        EXPECT_TRUE(database.ok()) << database.message();
        return database ? database->readProperties().value() : db::DatabaseProperties{};
    }
    void setTemplateType(const char* type) {
        auto templateFile = db::CheckDatabase::open(dir() / db::kTemplateFileName);
        ASSERT_TRUE(templateFile.ok());
        db::RecordSet properties(templateFile->connection(), db::schema::databaseProperties());
        properties.edit();
        properties.setField(db::field::kAccountType, type);
        properties.update();
    }
    // Everything in the folder apart from the delivered files.
    std::vector<std::string> madeFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir())) {
            const std::string name = entry.path().filename().string();
            if (name != "PC.OVL" && name != db::kTemplateFileName)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::ProgramDirFixture program_;
};

TEST_F(CreateDatabaseTest, NameOfExactly36CharactersIsAcceptedAnd37Refused) {
    const std::string name36 = "Monthly drafts of the northern sales";
    ASSERT_EQ(name36.size(), 36u);
    ASSERT_TRUE(db::createDatabase(dir(), name36, db::DatabaseType::Check).ok());
    const auto properties = propertiesOf(dir() / (name36 + ".mdb"));
    EXPECT_EQ(properties.description, name36) << "the description is the name without its extension";
    EXPECT_EQ(properties.accountType, "Check");

    EXPECT_FALSE(db::createDatabase(dir(), name36 + "x", db::DatabaseType::Check).ok());
    EXPECT_EQ(madeFiles(), std::vector<std::string>{name36 + ".mdb"});
}

TEST_F(CreateDatabaseTest, LengthCountsCharactersNotBytes) {
    std::string accented; // 36 characters, 72 bytes
    for (int i = 0; i < 36; ++i)
        accented += "\xC3\xA9";
    EXPECT_TRUE(db::createDatabase(dir(), accented, db::DatabaseType::Draft).ok());
    EXPECT_FALSE(db::createDatabase(dir(), accented + "\xC3\xA9", db::DatabaseType::Draft).ok());
}

TEST_F(CreateDatabaseTest, ExistingFileIsNeverTouched) {
    const fs::path existing = dir() / "Payroll.mdb";
    std::ofstream(existing, std::ios::binary) << "someone's data";
    EXPECT_FALSE(db::createDatabase(dir(), "Payroll", db::DatabaseType::Draft).ok());
    std::ifstream in(existing, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "someone's data");
    EXPECT_EQ(madeFiles(), std::vector<std::string>{"Payroll.mdb"});

    // A name taken in another letter case is taken too: both files would share one backup name.
    EXPECT_FALSE(db::createDatabase(dir(), "PAYROLL", db::DatabaseType::Draft).ok());
    std::ofstream(dir() / "Rent.MDB", std::ios::binary) << "older database";
    EXPECT_FALSE(db::createDatabase(dir(), "Rent", db::DatabaseType::Draft).ok());
    EXPECT_EQ(madeFiles(), (std::vector<std::string>{"Payroll.mdb", "Rent.MDB"}));
}

TEST_F(CreateDatabaseTest, TypeFollowsTheChoiceOrElseTheTemplate) {
    ASSERT_TRUE(db::createDatabase(dir(), "Drafts", db::DatabaseType::Draft).ok());
    EXPECT_EQ(propertiesOf(dir() / "Drafts.mdb").accountType, "Draft");

    setTemplateType("Check");
    ASSERT_TRUE(db::createDatabase(dir(), "Untyped", std::nullopt).ok());
    EXPECT_EQ(propertiesOf(dir() / "Untyped.mdb").accountType, "Check");
    ASSERT_TRUE(db::createDatabase(dir(), "Chosen", db::DatabaseType::Draft).ok());
    EXPECT_EQ(propertiesOf(dir() / "Chosen.mdb").accountType, "Draft");

    // The template itself is never written by a creation.
    EXPECT_EQ(propertiesOf(dir() / db::kTemplateFileName).description, "");
}

TEST_F(CreateDatabaseTest, FailureLeavesNothingHalfMade) {
    EXPECT_FALSE(db::createDatabase(dir(), "", db::DatabaseType::Draft).ok());
    EXPECT_FALSE(db::createDatabase(dir(), "a/b", db::DatabaseType::Draft).ok());
    EXPECT_TRUE(madeFiles().empty());

    { // a template without its properties record
        auto templateFile = db::CheckDatabase::open(dir() / db::kTemplateFileName);
        ASSERT_TRUE(templateFile.ok());
        db::RecordSet properties(templateFile->connection(), db::schema::databaseProperties());
        properties.deleteCurrent();
    }
    EXPECT_FALSE(db::createDatabase(dir(), "Broken", db::DatabaseType::Check).ok());
    EXPECT_TRUE(madeFiles().empty());

    std::ofstream(dir() / db::kTemplateFileName, std::ios::binary | std::ios::trunc) << "not a database";
    EXPECT_FALSE(db::createDatabase(dir(), "Broken", db::DatabaseType::Check).ok());
    EXPECT_TRUE(madeFiles().empty());

    fs::remove(dir() / db::kTemplateFileName);
    EXPECT_FALSE(db::createDatabase(dir(), "Broken", db::DatabaseType::Check).ok());
    EXPECT_TRUE(madeFiles().empty());
}

} // namespace
} // namespace velmora
