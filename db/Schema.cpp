#include "db/Schema.h"

#include "db/CheckRecord.h"
#include "db/CheckRegister.h"
#include "db/DatabaseProperties.h"
#include "db/ErrorText.h"
#include "db/SettingsRecord.h"
#include "db/Sqlite.h"

#include <set>
#include <sqlite3.h>

namespace velmora::db {

namespace {

const char* sqlType(FieldKind kind) {
    switch (kind) {
    case FieldKind::Counter:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case FieldKind::Text:
        return "TEXT";
    case FieldKind::Integer:
    case FieldKind::YesNo:
    case FieldKind::Money:
        return "INTEGER";
    }
    return "TEXT";
}

// A column as CREATE TABLE and ALTER TABLE name it.
std::string columnSql(const FieldDef& field) {
    return quoteIdentifier(field.name) + " " + sqlType(field.kind);
}

// The table with its indexes.
void createTable(Connection& db, const TableDef& table) {
    db.exec(table.createSql());
    for (const FieldDef& field : table.fields()) {
        if (field.index)
            db.exec(table.indexSql(field));
    }
}

// Brings the tables of a file of version `fromVersion` to the next version: the tables, fields and
// indexes added in it are added to the file.
// 0 -> 1: a file with the right tables but no version stamp yet: nothing to change.
// 1 -> 2: check databases get the index on the check number.
// 2 -> 3: the settings record gets the field of the printer chosen in Printer Setup.
// 3 -> 4: the settings record gets the two options of how entered checks print their amount, and
//         check databases get the index on the print option.
// 4 -> 5: check databases get the register of printed checks and the runs of blank stock.
void upgradeStep(Connection& db, std::span<const TableDef* const> tables, int fromVersion) {
    for (const TableDef* table : tables) {
        // A table the file holds already (checked on opening) is kept as it is.
        if (table->since() == fromVersion + 1) {
            if (!db.hasTable(table->name()))
                createTable(db, *table);
            continue;
        }
        if (table->since() > fromVersion)
            continue; // comes whole with a later step
        for (const FieldDef& field : table->fields()) {
            if (field.since == fromVersion + 1)
                db.exec("ALTER TABLE " + quoteIdentifier(table->name()) + " ADD COLUMN " + columnSql(field));
        }
        for (const FieldDef& field : table->fields()) {
            if (field.index && field.index->since == fromVersion + 1)
                db.exec(table->indexSql(field));
        }
    }
}

} // namespace

TableDef::TableDef(std::string_view name, std::vector<FieldDef> fields, int since)
    : name_(name)
    , fields_(std::move(fields))
    , since_(since) {}

const FieldDef* TableDef::find(std::string_view field) const {
    for (const FieldDef& def : fields_) {
        if (def.name == field)
            return &def;
    }
    return nullptr;
}

bool TableDef::numbered() const {
    for (const FieldDef& def : fields_) {
        if (def.kind == FieldKind::Counter)
            return true;
    }
    return false;
}

std::string TableDef::createSql() const {
    std::string sql = "CREATE TABLE " + quoteIdentifier(name_) + " (";
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldDef& field = fields_[i];
        sql += "\n    " + columnSql(field) + (i + 1 < fields_.size() ? "," : "");
        if (!field.note.empty())
            sql += " -- " + std::string(field.note);
    }
    return sql + "\n)";
}

std::string TableDef::indexSql(const FieldDef& field) const {
    return "CREATE INDEX IF NOT EXISTS " + quoteIdentifier(field.index->name) + " ON " +
           quoteIdentifier(name_) + " (" + quoteIdentifier(field.name) + ")";
}

namespace schema {

std::span<const TableDef* const> checkDatabaseTables() {
    static const TableDef* const tables[] = {&account(), &databaseProperties(), &checkRegister(),
                                             &blankStockRuns()};
    return tables;
}

void createCheckDatabaseTables(Connection& db) {
    Transaction transaction(db);
    for (const TableDef* table : checkDatabaseTables())
        createTable(db, *table);
    db.setUserVersion(kVersion);
    transaction.commit();
}

void createSettingsTables(Connection& db) {
    Transaction transaction(db);
    createTable(db, settings());
    createTable(db, password());
    createTable(db, businessTypes());
    db.setUserVersion(kVersion);
    transaction.commit();
}

Status verifyAndUpgrade(Connection& db, std::span<const TableDef* const> tables) {
    const std::string file = db.path().filename().string();
    try {
        const int version = db.userVersion();
        for (const TableDef* table : tables) {
            const std::string name(table->name());
            // A table added after the file's version comes with the upgrade below.
            if (table->since() > version && !db.hasTable(name))
                continue;
            if (!db.hasTable(name))
                return Status::failure(file + " has no table " + name + ".");
            std::set<std::string, std::less<>> columns;
            Statement info(db, "SELECT name FROM pragma_table_info(?1)");
            info.bind(1, name);
            while (info.step())
                columns.insert(info.columnText(0));
            std::string missing;
            for (const FieldDef& field : table->fields()) {
                // A field added after the file's version comes with the upgrade below.
                if (!columns.contains(field.name) && field.since <= version)
                    missing += (missing.empty() ? "" : ", ") + std::string(field.name);
            }
            if (!missing.empty())
                return Status::failure(file + ": the table " + name + " lacks the field(s) " + missing + ".");
        }
        if (version > kVersion)
            return Status::failure(file + " was written by a newer version of the program.");
        // A file opened for reading only is read as it is; every upgrade only adds.
        if (version < kVersion && !sqlite3_db_readonly(db.handle(), "main")) {
            Transaction transaction(db);
            for (int from = version; from < kVersion; ++from)
                upgradeStep(db, tables, from);
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

} // namespace schema
} // namespace velmora::db
