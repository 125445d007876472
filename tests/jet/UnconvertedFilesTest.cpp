#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "jet/ConversionMessages.h"
#include "support/Fixtures.h"
#include "support/JetSamples.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(UnconvertedFilesTest, AJetFileOpenedAsItIsIsNamedWithTheWayToConvertIt) {
    testing::ProgramDirFixture program;
    // What tells a Jet 4 file apart: its first bytes.
    std::string page(4096, '\0');
    page.replace(0, 21, std::string("\x00\x01\x00\x00Standard Jet DB\x00\x01", 21));
    const fs::path settings = program.dir() / app::kSettingsFileName;
    for (const fs::path& file : {settings, program.dir() / "Payroll.mdb"})
        std::ofstream(file, std::ios::binary | std::ios::trunc) << page;
    std::ofstream(program.dir() / "Other.mdb", std::ios::binary) << std::string(4096, 'x');

    EXPECT_EQ(
        db::CheckDatabase::open(program.dir() / "Payroll.mdb").message(),
        "Payroll.mdb is an Access (Jet) database and must be converted before it can be used: choose it "
        "on the selection screen, which offers the conversion, or run velmora convert Payroll.mdb.");
    EXPECT_EQ(db::CheckDatabase::open(program.dir() / "Other.mdb").message().find("Access"),
              std::string::npos)
        << "told by its first bytes, not by its name";
    EXPECT_EQ(app::SettingsStore::open(program.dir()).message(),
              "The settings file " + settings.string() +
                  " is an Access (Jet) file and must be converted before it can be used: start the program, "
                  "which offers the conversion, or run velmora convert PC.OVL.");
    // The folder is still usable; its settings file is neither replaced nor touched.
    const std::string before = testing::checksum(settings);
    EXPECT_TRUE(app::prepareProgramDir(program.dir()).ok());
    EXPECT_EQ(testing::checksum(settings), before);
}

TEST(UnconvertedFilesTest, TheOutcomeOfAConversionShortensLongListsOfRemarks) {
    jet::ConversionResult result;
    result.report.tables = {{"Account", 1}};
    result.keptOriginal = "/data/PAYROLL.mdb.jet";
    for (int i = 1; i <= 13; ++i)
        result.report.notices.push_back("remark " + std::to_string(i));
    const std::string text = jet::conversionSucceeded("/data/PAYROLL.mdb", result);
    EXPECT_TRUE(text.starts_with("PAYROLL.mdb has been converted, and every table checked against the "
                                 "original:\n  Account: 1 row\n\nThe original is kept, unchanged, as "
                                 "PAYROLL.mdb.jet.\n\nNoticed on the way:\n  remark 1\n"))
        << text;
    EXPECT_TRUE(text.ends_with("\n  remark 10\n  ... and 3 more.")) << text;
}

} // namespace
} // namespace velmora
