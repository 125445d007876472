// Arbitrary bytes opened as a check database and walked both ways, every field of every record read
// as the print run reads it, and one record edited and saved. A damaged file must end in a db::Error
// or a refused open: never a crash, an endless walk, or a value no check can carry.
#include "FuzzSupport.h"
#include "db/CheckDatabase.h"
#include "db/CheckRecord.h"
#include "db/RecordSet.h"
#include "db/Schema.h"

#include <cstdint>

using namespace velmora;

namespace {

void readRecord(db::RecordSet& records) {
    try {
        const db::CheckRecord record = db::CheckRecord::read(records);
        if (record.amount) {
            fuzz::require(record.amount->cents() >= -db::kMaxAmountCents &&
                              record.amount->cents() <= db::kMaxAmountCents,
                          "an amount past the bounds was handed on");
            (void)record.amount->toFixedText();
        }
        if (record.check)
            fuzz::require(*record.check >= 0 && *record.check <= db::kMaxCheckNumber,
                          "a check number past the bounds was handed on");
    } catch (const db::DamagedError&) {
        // Refused as damaged: the walk goes on with the next record.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = fuzz::scratchDir() / "fuzz.mdb";
    fuzz::writeInput(file, data, size);
    auto database = db::CheckDatabase::open(file);
    if (!database)
        return 0;
    try {
        const Result<db::DatabaseProperties> properties = database->readProperties();
        fuzz::require(properties.ok() || !properties.message().empty(),
                      "unreadable properties without a message");
        db::RecordSet records(database->connection(), db::schema::account());
        (void)records.recordCount();
        for (; !records.eof(); records.moveNext())
            readRecord(records);
        for (records.moveLast(); !records.bof(); records.movePrevious())
            readRecord(records);
        records.moveFirst();
        if (records.hasCurrent()) {
            records.edit();
            records.setField(db::field::kComments, "Printed this check");
            records.setField(db::field::kPrint, db::print_option::kNever);
            records.update();
        }
    } catch (const db::Error&) {
        // Any failure of a damaged file is a db::Error.
    }
    return 0;
}
