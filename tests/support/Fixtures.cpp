#include "support/Fixtures.h"

#include "app/ProgramDir.h"
#include "db/Connection.h"
#include "db/DatabaseFiles.h"
#include "db/RegisterQueries.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmora::testing {

ProgramDirFixture::ProgramDirFixture() {
    if (Status status = app::prepareProgramDir(temp_.path()); !status)
        throw std::runtime_error(status.message());
}

db::CheckDatabase ProgramDirFixture::createDatabase(const std::string& name, db::DatabaseType type) {
    if (Status status = db::createDatabase(dir(), name, type); !status)
        throw std::runtime_error(status.message());
    auto database = db::CheckDatabase::open(dir() / (name + ".mdb"));
    if (!database)
        throw std::runtime_error(database.message());
    return std::move(database.value());
}

std::int64_t addCheck(db::CheckDatabase& database, FieldValues fields) {
    db::RecordSet records(database.connection(), db::schema::account());
    records.addNew();
    for (const auto& [name, value] : fields)
        records.setField(name, value);
    records.update();
    return *records.lastModified();
}

void setCheckFields(db::CheckDatabase& database, std::int64_t id, FieldValues fields) {
    db::RecordSet records(database.connection(), db::schema::account());
    if (!records.moveTo(id))
        throw std::runtime_error("no record " + std::to_string(id));
    records.edit();
    for (const auto& [name, value] : fields)
        records.setField(name, value);
    records.update();
}

void fillTemplateCheck(db::CheckDatabase& database) {
    namespace f = db::field;
    setCheckFields(database, 1,
                   {{f::kBusinessName, "Harbor Lane Bakery"},
                    {f::kFirstName, "Maria"},
                    {f::kLastName, "Okafor"},
                    {f::kAddress, "12 Quay Street"},
                    {f::kCity, "Portland"},
                    {f::kState, "ME"},
                    {f::kZip, "04101"},
                    {f::kPhone, "207-555-0142"},
                    {f::kBank, "Casco Savings"},
                    {f::kBankCity, "Portland"},
                    {f::kBankState, "ME"},
                    {f::kAba, "211274450"},
                    {f::kAccount, "40021977"}});
}

db::CheckRecord readCheck(db::CheckDatabase& database, std::int64_t id) {
    db::RecordSet records(database.connection(), db::schema::account());
    if (!records.moveTo(id))
        throw std::runtime_error("no record " + std::to_string(id));
    return db::CheckRecord::read(records);
}

std::int64_t addRegisterEntry(db::CheckDatabase& database, const db::RegisterEntry& entry) {
    db::RegisterWriter(database.connection()).add(entry);
    db::Statement last(database.connection(), "SELECT max(\"ID\") FROM \"Register\"");
    return last.step() ? last.columnInt(0) : 0;
}

std::vector<db::RegisterEntry> registerEntries(db::CheckDatabase& database) {
    std::vector<db::RegisterEntry> entries;
    const Status read = db::forEachRegisterEntry(
        database.connection(), {}, [&](const db::RegisterEntry& entry) { entries.push_back(entry); });
    if (!read)
        throw std::runtime_error(read.message());
    return entries;
}

std::string fileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace velmora::testing
