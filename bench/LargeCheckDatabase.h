// A check database of 1,000,000 filled checks for the benchmarks, made once per program.
#pragma once

#include "db/Connection.h"
#include "support/Fixtures.h"

#include <string>

namespace velmora::bench {

inline constexpr int kRows = 1'000'000;
inline constexpr const char* kDatabase = "Big.mdb";

// A program directory holding Big.mdb: a check database with a filled template and 1,000,000
// filled checks, written in one transaction.
struct LargeCheckDatabase {
    testing::ProgramDirFixture program;

    LargeCheckDatabase() {
        auto database = program.createDatabase("Big", db::DatabaseType::Check);
        db::Connection& db = database.connection();
        db::Transaction transaction(db);
        db.exec(
            "UPDATE Account SET BusinessName = 'Harbor Lane Bakery', FirstName = 'Maria', LastName = "
            "'Delgado', Address = '1420 Harbor Lane', City = 'Portland', State = 'OR', Zip = '97209', Bank = "
            "'First Pacific Bank', BankCity = 'Portland', BankState = 'OR', ABA = '123000220', Account = "
            "'4471D0921', \"Date\" = '1/2/2024', \"Check\" = 100 WHERE ID = 1");
        db::Statement insert(
            db,
            "INSERT INTO Account (BusinessName, FirstName, LastName, Address, City, State, Zip, Phone, "
            "PayTo, "
            "Amount, \"Date\", \"Check\", \"For\", Bank, BankCity, BankState, ABA, Account, Comments, Print, "
            "LabelPrint, BusinessType) VALUES ('Harbor Lane Bakery', 'Maria', 'Delgado', '1420 Harbor Lane', "
            "'Portland', 'OR', '97209', '(503) 555-0142', ?, ?, '3/7/2024', ?, 'Monthly supplies', 'First "
            "Pacific Bank', 'Portland', 'OR', '123000220', '4471D0921', 'Order form of 3/1/2024', ?, 0, "
            "'Drafts')");
        for (int i = 0; i < kRows; ++i) {
            insert.reset();
            insert.bind(1, "Payee " + std::to_string(i));
            insert.bind(2, std::int64_t{1000 + i % 90000});
            insert.bind(3, std::int64_t{101 + i % 999000});
            insert.bind(4, i % 3 == 0 ? "Monthly" : "Once");
            insert.run();
        }
        transaction.commit();
    }
};

inline LargeCheckDatabase& large() {
    static LargeCheckDatabase instance;
    return instance;
}

} // namespace velmora::bench
