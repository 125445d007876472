#include "db/Schema.h"

#include "db/ErrorText.h"
#include "db/Sqlite.h"

#include <set>
#include <sqlite3.h>

namespace velmora::db::schema {

namespace {

constexpr FieldDef kAccountFields[] = {
    {"ID", FieldKind::Counter},       {"BusinessName", FieldKind::Text}, {"FirstName", FieldKind::Text},
    {"LastName", FieldKind::Text},    {"Address", FieldKind::Text},      {"City", FieldKind::Text},
    {"State", FieldKind::Text},       {"Zip", FieldKind::Text},          {"Phone", FieldKind::Text},
    {"PayTo", FieldKind::Text},       {"Amount", FieldKind::Money},      {"Date", FieldKind::Text},
    {"Check", FieldKind::Integer},    {"For", FieldKind::Text},          {"Bank", FieldKind::Text},
    {"BankCity", FieldKind::Text},    {"BankState", FieldKind::Text},    {"ABA", FieldKind::Text},
    {"Account", FieldKind::Text},     {"Comments", FieldKind::Text},     {"Print", FieldKind::Text},
    {"LabelPrint", FieldKind::YesNo}, {"BusinessType", FieldKind::Text}, {"Printed", FieldKind::Text},
    {"LPrinted", FieldKind::Text},
};

constexpr const char* kAccountSql = R"sql(CREATE TABLE Account (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    BusinessName TEXT,
    FirstName TEXT,
    LastName TEXT,
    Address TEXT,
    City TEXT,
    State TEXT,
    Zip TEXT,
    Phone TEXT,
    PayTo TEXT,
    Amount INTEGER, -- whole cents
    "Date" TEXT, -- m/d/yyyy
    "Check" INTEGER,
    "For" TEXT,
    Bank TEXT,
    BankCity TEXT,
    BankState TEXT,
    ABA TEXT,
    Account TEXT,
    Comments TEXT,
    Print TEXT, -- Once, Monthly or Never
    LabelPrint INTEGER, -- 0 or 1
    BusinessType TEXT,
    Printed TEXT, -- m/d/yyyy
    LPrinted TEXT -- m/d/yyyy
))sql";

constexpr FieldDef kDatabasePropertiesFields[] = {
    {"AccountType", FieldKind::Text}, {"Description", FieldKind::Text}, {"LastCheck", FieldKind::Integer}};

constexpr const char* kDatabasePropertiesSql = R"sql(CREATE TABLE Properties (
    AccountType TEXT, -- Draft or Check
    Description TEXT,
    LastCheck INTEGER
))sql";

constexpr FieldDef kSettingsFields[] = {
    {"1", FieldKind::Text},
    {"5", FieldKind::Integer},
    {"AlignStart", FieldKind::Integer},
    {"6", FieldKind::YesNo},
    {"QuickenCheckStock", FieldKind::YesNo},
    {"Print2Checks", FieldKind::YesNo},
    {"PlainPaper", FieldKind::YesNo},
    {"HelpAboutLine1", FieldKind::Text},
    {"HelpAboutLine2", FieldKind::Text},
    {"HelpAboutLine3", FieldKind::Text},
    {"Printer", FieldKind::Text, 3},
};

constexpr const char* kSettingsSql = R"sql(CREATE TABLE Properties (
    "1" TEXT, -- bank tran code for deposit tickets
    "5" INTEGER, -- horizontal start, twips
    AlignStart INTEGER, -- vertical start, twips
    "6" INTEGER, -- back up the database on exit, 0 or 1
    QuickenCheckStock INTEGER, -- 1: 88mm stock, 0: 92mm stock or plain paper
    Print2Checks INTEGER,
    PlainPaper INTEGER,
    HelpAboutLine1 TEXT,
    HelpAboutLine2 TEXT,
    HelpAboutLine3 TEXT,
    Printer TEXT -- the printer chosen in Printer Setup; Null: the system's default printer
))sql";

constexpr FieldDef kPasswordFields[] = {{"ENTER", FieldKind::Text}};
constexpr const char* kPasswordSql = R"sql(CREATE TABLE A (
    ENTER TEXT -- the program password's salted hash
))sql";

constexpr FieldDef kBusinessTypeFields[] = {{"ID", FieldKind::Counter}, {"BusinessType", FieldKind::Text}};
constexpr const char* kBusinessTypeSql = R"sql(CREATE TABLE BusinessType (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    BusinessType TEXT
))sql";

const TableDef kAccount{"Account", kAccountFields, kAccountSql};
const TableDef kDatabaseProperties{"Properties", kDatabasePropertiesFields, kDatabasePropertiesSql};
const TableDef kSettings{"Properties", kSettingsFields, kSettingsSql};
const TableDef kPassword{"A", kPasswordFields, kPasswordSql};
const TableDef kBusinessTypes{"BusinessType", kBusinessTypeFields, kBusinessTypeSql};

// Looking a check up by its number (the duplicate-number warning) must stay instant on large databases.
constexpr const char* kCheckNumberIndexSql =
    R"sql(CREATE INDEX IF NOT EXISTS AccountCheckNumber ON Account ("Check"))sql";

// Steps that bring a file of an older version up to the next one.
// 0 -> 1: a file with the right tables but no version stamp yet: nothing to change.
// 1 -> 2: check databases get the index on the check number.
// 2 -> 3: the settings record gets the field of the printer chosen in Printer Setup.
void upgradeStep(Connection& db, int fromVersion) {
    if (fromVersion == 1 && db.hasTable("Account"))
        db.exec(kCheckNumberIndexSql);
    if (fromVersion == 2 && db.hasTable("Properties") && !db.hasTable("Account"))
        db.exec(R"sql(ALTER TABLE Properties ADD COLUMN Printer TEXT)sql");
}

} // namespace

const TableDef& account() {
    return kAccount;
}
const TableDef& databaseProperties() {
    return kDatabaseProperties;
}
const TableDef& settings() {
    return kSettings;
}
const TableDef& password() {
    return kPassword;
}
const TableDef& businessTypes() {
    return kBusinessTypes;
}

std::optional<FieldKind> accountFieldKind(std::string_view field) {
    for (const auto& def : kAccountFields) {
        if (field == def.name)
            return def.kind;
    }
    return std::nullopt;
}

void createCheckDatabaseTables(Connection& db) {
    Transaction transaction(db);
    db.exec(kAccount.createSql);
    db.exec(kCheckNumberIndexSql);
    db.exec(kDatabaseProperties.createSql);
    db.setUserVersion(kVersion);
    transaction.commit();
}

void createSettingsTables(Connection& db) {
    Transaction transaction(db);
    db.exec(kSettings.createSql);
    db.exec(kPassword.createSql);
    db.exec(kBusinessTypes.createSql);
    db.setUserVersion(kVersion);
    transaction.commit();
}

Status verifyAndUpgrade(Connection& db, std::span<const TableDef* const> tables) {
    const std::string file = db.path().filename().string();
    try {
        for (const TableDef* table : tables) {
            if (!db.hasTable(table->name))
                return Status::failure(file + " has no table " + table->name + ".");
            std::set<std::string> columns;
            Statement info(db, "SELECT name FROM pragma_table_info(?1)");
            info.bind(1, std::string(table->name));
            while (info.step())
                columns.insert(info.columnText(0));
            std::string missing;
            const int version = db.userVersion();
            for (const auto& field : table->fields) {
                // A field of a later version is added by the upgrade below.
                if (!columns.count(field.name) && field.since <= version)
                    missing += (missing.empty() ? "" : ", ") + std::string(field.name);
            }
            if (!missing.empty())
                return Status::failure(file + ": the table " + table->name + " lacks the field(s) " +
                                       missing + ".");
        }
        const int version = db.userVersion();
        if (version > kVersion)
            return Status::failure(file + " was written by a newer version of the program.");
        // A file opened for reading only is read as it is; every upgrade only adds.
        if (version < kVersion && !sqlite3_db_readonly(db.handle(), "main")) {
            Transaction transaction(db);
            for (int from = version; from < kVersion; ++from)
                upgradeStep(db, from);
            db.setUserVersion(kVersion);
            transaction.commit();
        }
    } catch (const Error& error) {
        if (fileProblem(error))
            throw;
        return Status::failure(error.what());
    }
    return {};
}

} // namespace velmora::db::schema
