// A check database of 1,000,000 filled checks for the benchmarks, made once per program.
#pragma once

#include "db/Connection.h"
#include "support/Fixtures.h"

#include <string>

namespace velmora::bench {

inline constexpr int kRows = 1'000'000;
inline constexpr const char* kDatabase = "Big.mdb";

// Fills the template check of a new check database and adds `rows` filled checks after it, in one
// transaction and one statement that a file and the server both run: a numbers table counted up by
// a recursive query feeds the INSERT, so a million rows take one round trip to the server instead of
// a million. Check `i` (from 0) pays "Payee i", carries the number 101 + i % 999000 and prints
// "Monthly" when i is a multiple of 3, "Once" otherwise.
inline void fillChecks(db::Connection& db, int rows) {
    db::Transaction transaction(db);
    db.exec("UPDATE \"Account\" SET \"BusinessName\" = 'Harbor Lane Bakery', \"FirstName\" = 'Maria', "
            "\"LastName\" = 'Delgado', \"Address\" = '1420 Harbor Lane', \"City\" = 'Portland', "
            "\"State\" = 'OR', \"Zip\" = '97209', \"Bank\" = 'First Pacific Bank', \"BankCity\" = "
            "'Portland', \"BankState\" = 'OR', \"ABA\" = '123000220', \"Account\" = '4471D0921', "
            "\"Date\" = '1/2/2024', \"Check\" = 100 WHERE \"ID\" = 1");
    db::Statement insert(
        db, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?1) "
            "INSERT INTO \"Account\" (\"BusinessName\", \"FirstName\", \"LastName\", \"Address\", \"City\", "
            "\"State\", \"Zip\", \"Phone\", \"PayTo\", \"Amount\", \"Date\", \"Check\", \"For\", \"Bank\", "
            "\"BankCity\", \"BankState\", \"ABA\", \"Account\", \"Comments\", \"Print\", \"LabelPrint\", "
            "\"BusinessType\") "
            "SELECT 'Harbor Lane Bakery', 'Maria', 'Delgado', '1420 Harbor Lane', 'Portland', 'OR', "
            "'97209', '(503) 555-0142', 'Payee ' || i, 1000 + i % 90000, '3/7/2024', 101 + i % 999000, "
            "'Monthly supplies', 'First Pacific Bank', 'Portland', 'OR', '123000220', '4471D0921', "
            "'Order form of 3/1/2024', CASE WHEN i % 3 = 0 THEN 'Monthly' ELSE 'Once' END, 0, 'Drafts' "
            "FROM n ORDER BY i");
    insert.bind(1, std::int64_t{rows});
    insert.run();
    transaction.commit();
}

// A program directory holding Big.mdb: a check database with a filled template and 1,000,000
// filled checks.
struct LargeCheckDatabase {
    testing::ProgramDirFixture program;

    LargeCheckDatabase() {
        auto database = program.createDatabase("Big", db::DatabaseType::Check);
        fillChecks(database.connection(), kRows);
    }
};

inline LargeCheckDatabase& large() {
    static LargeCheckDatabase instance;
    return instance;
}

} // namespace velmora::bench
