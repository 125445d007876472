#pragma once

#include "jet/JetSchema.h"
#include "jet/TypeMapping.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {
class Connection;
}

namespace velmora::jet {

struct ColumnPlan {
    std::size_t source = 0; // index of the column in its Jet table
    std::string target;     // column of the SQLite table
    StoreKind kind = StoreKind::Text;
};

struct TablePlan {
    std::size_t source = 0; // index of the table in the Jet schema
    std::string target;
    std::vector<ColumnPlan> columns;
    // The column (index into `columns`) whose value becomes the SQLite row id; without one, rows are
    // numbered in the order they are read.
    std::optional<std::size_t> rowIdColumn;
};

// What a conversion writes: the tables and columns it copies, what it leaves out and why, and how it
// creates the SQLite tables (the names it uses are the plan's own, quoted).
struct ConversionPlan {
    std::vector<TablePlan> tables;
    std::vector<std::string> leftOut; // "table T" / "column C of table T", each with its reason
    std::vector<std::string> notices; // fields the file lacks, and similar remarks
    std::function<void(db::Connection&)> createTables;
};

using Planner = std::function<Result<ConversionPlan>(const JetSchema& schema, const std::string& fileName)>;

// Every user table with every column of a type that has a natural SQLite form (binary columns are
// left out), under their Jet names.
Result<ConversionPlan> planAnyTables(const JetSchema& schema, const std::string& fileName);

} // namespace velmora::jet
