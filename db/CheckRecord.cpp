#include "db/CheckRecord.h"

#include "db/RecordSet.h"

namespace velmora::db {

DatabaseType databaseTypeFromText(const std::optional<std::string>& accountType) {
    if (accountType == "Draft")
        return DatabaseType::Draft;
    if (accountType == "Check")
        return DatabaseType::Check;
    return DatabaseType::Other;
}

const char* databaseTypeText(DatabaseType type) {
    switch (type) {
    case DatabaseType::Draft:
        return "Draft";
    case DatabaseType::Check:
        return "Check";
    default:
        return "";
    }
}

CheckRecord CheckRecord::read(RecordSet& records) {
    auto text = [&](const char* name) { return records.field(name).text(); };
    CheckRecord record;
    record.id = records.field(field::kId).integer().value_or(0);
    record.businessName = text(field::kBusinessName);
    record.firstName = text(field::kFirstName);
    record.lastName = text(field::kLastName);
    record.address = text(field::kAddress);
    record.city = text(field::kCity);
    record.state = text(field::kState);
    record.zip = text(field::kZip);
    record.phone = text(field::kPhone);
    record.payTo = text(field::kPayTo);
    record.amount = records.field(field::kAmount).money();
    record.date = text(field::kDate);
    record.check = records.field(field::kCheck).integer();
    record.memo = text(field::kFor);
    record.bank = text(field::kBank);
    record.bankCity = text(field::kBankCity);
    record.bankState = text(field::kBankState);
    record.aba = text(field::kAba);
    record.account = text(field::kAccount);
    record.comments = text(field::kComments);
    record.print = text(field::kPrint);
    record.labelPrint = records.field(field::kLabelPrint).yes();
    record.businessType = text(field::kBusinessType);
    record.printed = text(field::kPrinted);
    record.labelPrinted = text(field::kLabelPrinted);
    return record;
}

} // namespace velmora::db
