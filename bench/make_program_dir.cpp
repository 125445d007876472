// Makes a program folder for timing the `velmora` command line against another check printer:
//   make_program_dir DIR COUNT
// DIR gets the delivered PC.OVL (password "tulip") set to 88mm stock, so that every blank-stock
// product prints, and Checks.mdb: a check database with a filled template check and COUNT filled
// one-time checks whose labels are to print.
#include "FilledChecks.h"
#include "app/ProgramDir.h"
#include "app/SettingsStore.h"
#include "db/DatabaseFiles.h"
#include "support/Fixtures.h"

#include <charconv>
#include <iostream>

int main(int argc, char** argv) {
    using namespace velmora;
    int count = -1;
    if (argc == 3) {
        const std::string_view text(argv[2]);
        if (std::from_chars(text.data(), text.data() + text.size(), count).ec != std::errc())
            count = -1;
    }
    if (count < 0) {
        std::cerr << "usage: make_program_dir DIR COUNT\n";
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    const auto failed = [](const std::string& why) {
        std::cerr << "make_program_dir: " << why << "\n";
        return 1;
    };
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (Status ready = app::prepareProgramDir(dir); !ready)
        return failed(ready.message());
    auto settings = app::SettingsStore::open(dir);
    if (!settings)
        return failed(settings.message());
    db::SettingsRecord record;
    record.quickenCheckStock = true;
    if (Status written = settings->write(record, {db::setting::kQuickenCheckStock}); !written)
        return failed(written.message());
    if (Status created = db::createDatabase(dir, "Checks", db::DatabaseType::Check); !created)
        return failed(created.message());
    auto database = db::CheckDatabase::open(dir / "Checks.mdb");
    if (!database)
        return failed(database.message());
    try {
        testing::fillTemplateCheck(*database);
        bench::addFilledChecks(*database, count, "Once");
    } catch (const std::exception& e) {
        return failed(e.what());
    }
    return 0;
}
