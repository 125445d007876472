#include "db/SqlFunctions.h"

#include "db/LikePattern.h"
#include "db/Money.h"
#include "db/Value.h"

#include <sqlite3.h>
#include <string>

namespace velmora::db {

namespace {

std::string sqlValueText(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return *Value(sqlite3_value_double(value)).text();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_value_bytes(value))) : std::string();
    }
    }
}

void jetLikeFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // The pattern is the same on every row of a query: compile it once and keep it with the statement.
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 1));
    if (!pattern) {
        pattern = new LikePattern(sqlValueText(argv[1]));
        sqlite3_set_auxdata(context, 1, pattern, [](void* p) { delete static_cast<LikePattern*>(p); });
        pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 1));
        if (!pattern) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    sqlite3_result_int(context, pattern->matches(sqlValueText(argv[0])) ? 1 : 0);
}

void moneyTextFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_INTEGER) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    const std::string text = Money::fromCents(sqlite3_value_int64(argv[0])).toShortestText();
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

} // namespace

void registerSqlFunctions(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "jet_like", 2, flags, nullptr, jetLikeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "money_text", 1, flags, nullptr, moneyTextFunction, nullptr, nullptr,
                               nullptr);
}

} // namespace velmora::db
