#pragma once

#include "app/Result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora::db {

class Connection;

// How a field's value is kept. Money is stored as INTEGER whole cents; YesNo as INTEGER 0 or 1.
enum class FieldKind { Counter, Text, Integer, YesNo, Money };

struct FieldDef {
    const char* name;
    FieldKind kind;
    int since = 0; // the schema version that added the field
};

struct TableDef {
    const char* name;
    std::span<const FieldDef> fields;
    const char* createSql;
};

// The one definition of every file the program keeps. The delivered files, the files made for
// tests and the checks made on open all come from here.
namespace schema {

inline constexpr int kVersion = 3;

// A check database (.mdb) and the template file: `Account` and its `Properties`.
const TableDef& account();
const TableDef& databaseProperties();
// The settings file PC.OVL: `Properties` (the settings record), `A` (the password), `BusinessType`.
const TableDef& settings();
const TableDef& password();
const TableDef& businessTypes();

// The kind of a field of a check database's `Account` table, std::nullopt for a name it lacks.
std::optional<FieldKind> accountFieldKind(std::string_view field);

void createCheckDatabaseTables(Connection& db);
void createSettingsTables(Connection& db);

// Checks that the file holds each table with each field; the message names the file and what is
// missing. Brings an older file up to the current version, in one transaction. A file that cannot
// be read or written at all (in use, damaged, on a full disk) throws its db::Error instead.
Status verifyAndUpgrade(Connection& db, std::span<const TableDef* const> tables);

} // namespace schema
} // namespace velmora::db
