#pragma once

#include "db/CheckDatabase.h"
#include "db/CheckRegister.h"
#include "db/RecordSet.h"
#include "support/TempDir.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace velmora::testing {

// A program directory in a temporary folder, seeded like a first start (PC.OVL, template.ref).
class ProgramDirFixture {
public:
    ProgramDirFixture();
    const std::filesystem::path& dir() const { return temp_.path(); }

    // Creates "<name>.mdb" the way the creation screen does and opens it.
    db::CheckDatabase createDatabase(const std::string& name, db::DatabaseType type);

private:
    TempDir temp_;
};

using FieldValues = std::initializer_list<std::pair<const char*, db::Value>>;

// Adds one record to `Account`; returns its ID.
std::int64_t addCheck(db::CheckDatabase& database, FieldValues fields);
// Changes fields of the record with this ID.
void setCheckFields(db::CheckDatabase& database, std::int64_t id, FieldValues fields);
// Fills the template check (record 1) with an account holder and a bank, as blank stock prints them:
// Harbor Lane Bakery, Maria Okafor, Casco Savings, routing 211274450, account 40021977.
void fillTemplateCheck(db::CheckDatabase& database);
// Reads the record with this ID.
db::CheckRecord readCheck(db::CheckDatabase& database, std::int64_t id);

// Adds an entry to the register as a confirmed run records one; returns its ID.
std::int64_t addRegisterEntry(db::CheckDatabase& database, const db::RegisterEntry& entry);
// Every entry of the register, in the order of the register (by number).
std::vector<db::RegisterEntry> registerEntries(db::CheckDatabase& database);

// A file's bytes, as they are ("" for a file that cannot be read).
std::string fileContents(const std::filesystem::path& file);

// The names of the files in a folder, sorted.
std::vector<std::string> filesIn(const std::filesystem::path& dir);

} // namespace velmora::testing
