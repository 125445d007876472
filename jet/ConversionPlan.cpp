#include "jet/ConversionPlan.h"

#include "db/Connection.h"

namespace velmora::jet {

Result<ConversionPlan> planAnyTables(const JetSchema& schema, const std::string& fileName) {
    if (schema.tables.empty())
        return Result<ConversionPlan>::failure(fileName + " holds no tables.");
    ConversionPlan plan;
    for (std::size_t t = 0; t < schema.tables.size(); ++t) {
        const JetTable& source = schema.tables[t];
        TablePlan table{t, source.name, {}, std::nullopt};
        for (std::size_t c = 0; c < source.columns.size(); ++c) {
            const JetColumn& column = source.columns[c];
            if (const auto kind = naturalKind(column))
                table.columns.push_back({c, column.name, *kind});
            else
                plan.leftOut.push_back("column " + column.name + " of table " + source.name + " (" +
                                       column.typeName() + "): binary data is not converted");
        }
        if (table.columns.empty())
            plan.leftOut.push_back("table " + source.name + ": it has no column that is converted");
        else
            plan.tables.push_back(std::move(table));
    }
    // The names come from the Jet file; quoted, any text is a safe identifier.
    plan.createTables = [tables = plan.tables](db::Connection& db) {
        db::Transaction transaction(db);
        for (const TablePlan& table : tables) {
            std::string sql = "CREATE TABLE " + db::quoteIdentifier(table.target) + " (";
            for (std::size_t i = 0; i < table.columns.size(); ++i) {
                sql += (i ? ", " : "") + db::quoteIdentifier(table.columns[i].target) + " " +
                       sqlType(table.columns[i].kind);
            }
            db.exec(sql + ")");
        }
        transaction.commit();
    };
    return plan;
}

} // namespace velmora::jet
