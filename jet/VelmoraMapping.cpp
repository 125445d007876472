#include "jet/VelmoraMapping.h"

#include "db/CheckRecord.h"
#include "db/Connection.h"
#include "db/DatabaseProperties.h"
#include "db/SettingsRecord.h"

#include <span>

namespace velmora::jet {

namespace {

// A field stored otherwise than its kind in the field table says.
struct KindOverride {
    std::string_view field;
    StoreKind kind;
};

constexpr KindOverride kSettingsOverrides[] = {
    {db::setting::kHorizontalStart, StoreKind::Integer16},
    {db::setting::kVerticalStart, StoreKind::Integer16},
};
constexpr KindOverride kPasswordOverrides[] = {{db::setting::kPassword, StoreKind::Password}};

StoreKind storeKindOf(db::FieldKind kind) {
    switch (kind) {
    case db::FieldKind::Counter:
        return StoreKind::Counter;
    case db::FieldKind::Integer:
        return StoreKind::Integer;
    case db::FieldKind::YesNo:
        return StoreKind::YesNo;
    case db::FieldKind::Money:
        return StoreKind::Cents;
    case db::FieldKind::Text:
        return StoreKind::Text;
    }
    return StoreKind::Text;
}

// Builds a plan table by table; what no table claimed is reported at the end.
class Mapper {
public:
    Mapper(const JetSchema& schema, std::string fileName, std::string fileKind)
        : schema_(schema)
        , fileName_(std::move(fileName))
        , fileKind_(std::move(fileKind))
        , tableClaimed_(schema.tables.size(), false)
        , columnClaimed_(schema.tables.size()) {
        for (std::size_t t = 0; t < schema.tables.size(); ++t)
            columnClaimed_[t].assign(schema.tables[t].columns.size(), false);
    }

    Status map(const db::TableDef& def, std::span<const KindOverride> overrides = {}) {
        const std::string tableName(def.name());
        const auto index = schema_.findTable(tableName);
        if (!index)
            return Status::failure(fileName_ + " is not " + fileKind_ + ": it has no table " + tableName +
                                   ".");
        tableClaimed_[*index] = true;
        TablePlan table{*index, tableName, {}, std::nullopt};
        for (const db::FieldDef& fieldDef : def.fields()) {
            const std::string field(fieldDef.name);
            StoreKind kind = storeKindOf(fieldDef.kind);
            for (const KindOverride& override : overrides) {
                if (override.field == field)
                    kind = override.kind;
            }
            const auto column = schema_.tables[*index].findColumn(field);
            if (!column && kind == StoreKind::Counter)
                return Status::failure(fileName_ + " is not " + fileKind_ + ": its table " + tableName +
                                       " has no field " + field + ".");
            if (!column) {
                // A field this program added after the old files were written (the remembered
                // printer) is simply absent from them: Null is its meaning there, not a loss.
                if (fieldDef.since > 0)
                    continue;
                plan_.notices.push_back("The table " + tableName + " has no field " + field +
                                        "; it is left empty.");
                continue;
            }
            if (Status status = claim(table, *column, field, kind); !status)
                return status;
        }
        plan_.tables.push_back(std::move(table));
        return {};
    }

    // Adds a column the SQLite table does not define but the program reads where a file has it;
    // its kind follows the Jet column's. Returns the kind, or std::nullopt where the file lacks it.
    std::optional<StoreKind> mapOptional(const std::string& tableName, const std::string& field) {
        TablePlan* table = findPlan(tableName);
        if (!table)
            return std::nullopt;
        const auto column = schema_.tables[table->source].findColumn(field);
        if (!column)
            return std::nullopt;
        const JetColumn& source = schema_.tables[table->source].columns[*column];
        const auto kind = naturalKind(source);
        if (!kind || (*kind != StoreKind::YesNo && *kind != StoreKind::Integer && *kind != StoreKind::Text))
            return std::nullopt; // reported with the other columns left out
        if (!claim(*table, *column, field, *kind))
            return std::nullopt;
        return kind;
    }

    ConversionPlan finish() {
        for (std::size_t t = 0; t < schema_.tables.size(); ++t) {
            const JetTable& table = schema_.tables[t];
            if (!tableClaimed_[t]) {
                plan_.leftOut.push_back("table " + table.name + " (" + std::to_string(table.rowCount) +
                                        " rows): not a table of " + fileKind_);
                continue;
            }
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                if (!columnClaimed_[t][c])
                    plan_.leftOut.push_back("column " + table.columns[c].name + " of table " + table.name +
                                            " (" + table.columns[c].typeName() + "): not a field of " +
                                            fileKind_);
            }
        }
        return std::move(plan_);
    }

private:
    Status claim(TablePlan& table, std::size_t column, const std::string& field, StoreKind kind) {
        const JetColumn& source = schema_.tables[table.source].columns[column];
        if (!accepts(kind, source))
            return Status::failure(fileName_ + " cannot be converted: the field " + field + " of its table " +
                                   table.target + " is of the type " + source.typeName() + ", where " +
                                   acceptedTypes(kind) + " was expected.");
        columnClaimed_[table.source][column] = true;
        if (kind == StoreKind::Counter)
            table.rowIdColumn = table.columns.size();
        table.columns.push_back({column, field, kind});
        return {};
    }

    TablePlan* findPlan(const std::string& name) {
        for (TablePlan& table : plan_.tables) {
            if (table.target == name)
                return &table;
        }
        return nullptr;
    }

    const JetSchema& schema_;
    std::string fileName_, fileKind_;
    std::vector<bool> tableClaimed_;
    std::vector<std::vector<bool>> columnClaimed_;
    ConversionPlan plan_;
};

} // namespace

Result<ConversionPlan> planCheckDatabase(const JetSchema& schema, const std::string& fileName) {
    Mapper mapper(schema, fileName, "a check database");
    const db::TableDef* tables[] = {&db::schema::account(), &db::schema::databaseProperties()};
    for (const db::TableDef* table : tables) {
        if (Status status = mapper.map(*table); !status)
            return status;
    }
    const auto legacyLabelFlag =
        mapper.mapOptional(std::string(db::schema::account().name()), db::field::kLabelPrintLegacy);
    ConversionPlan plan = mapper.finish();
    plan.createTables = [legacyLabelFlag](db::Connection& db) {
        db::schema::createCheckDatabaseTables(db);
        if (legacyLabelFlag)
            db.exec("ALTER TABLE " + db::quoteIdentifier(db::schema::account().name()) + " ADD COLUMN " +
                    db::quoteIdentifier(db::field::kLabelPrintLegacy) + " " + sqlType(*legacyLabelFlag));
    };
    return plan;
}

Result<ConversionPlan> planSettings(const JetSchema& schema, const std::string& fileName) {
    Mapper mapper(schema, fileName, "a settings file");
    Status status = mapper.map(db::schema::settings(), kSettingsOverrides);
    if (status)
        status = mapper.map(db::schema::password(), kPasswordOverrides);
    if (status)
        status = mapper.map(db::schema::businessTypes());
    if (!status)
        return status;
    ConversionPlan plan = mapper.finish();
    plan.createTables = [](db::Connection& db) { db::schema::createSettingsTables(db); };
    return plan;
}

} // namespace velmora::jet
