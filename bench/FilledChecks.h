// Check databases filled as a business keeps them, for the benchmarks and the program folder that the
// comparison with other check printers runs the command line on.
#pragma once

#include "db/CheckDatabase.h"
#include "db/Connection.h"
#include "db/RecordSet.h"
#include "print/PageSetup.h"

#include <string>

namespace velmora::bench {

// Adds `count` checks with every field filled, set to print with `option` ("Once" or "Monthly") and
// with their label flag set, in one transaction.
inline void addFilledChecks(db::CheckDatabase& database, int count, const std::string& option) {
    namespace f = db::field;
    db::Transaction transaction(database.connection());
    db::RecordSet records(database.connection(), db::schema::account());
    for (int i = 0; i < count; ++i) {
        records.addNew();
        const std::string n = std::to_string(i);
        const std::pair<const char*, db::Value> fields[] = {
            {f::kBusinessName, "Customer Business " + n},
            {f::kFirstName, "First" + n},
            {f::kLastName, "Last" + n},
            {f::kAddress, n + " Commerce Street"},
            {f::kCity, "Springfield"},
            {f::kState, "IL"},
            {f::kZip, "62701"},
            {f::kPhone, "217-555-" + n},
            {f::kPayTo, "Velmora Supplies Inc."},
            {f::kAmount, db::Money::fromCents(1000 + i * 37)},
            {f::kCheck, 1000 + i},
            {f::kFor, "Monthly service " + n},
            {f::kBank, "First Prairie Bank"},
            {f::kBankCity, "Springfield"},
            {f::kBankState, "IL"},
            {f::kAba, "071000013"},
            {f::kAccount, "12D" + std::to_string(345678 + i)},
            {f::kPrint, option},
            {f::kLabelPrint, true},
            {f::kComments, "Customer since 2019"},
        };
        for (const auto& [name, value] : fields)
            records.setField(name, value);
        records.update();
    }
    transaction.commit();
}

// Check stock of 88 mm with the alignment a printer usually needs, as the print runs are measured on.
inline print::CheckPageSetup stock88mm() {
    print::CheckPageSetup setup;
    setup.horizontalStart = 525;
    setup.verticalStart = 200;
    setup.stock88mm = true;
    return setup;
}

} // namespace velmora::bench
