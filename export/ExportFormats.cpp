#include "export/ExportFormats.h"

#include "base/Product.h"
#include "db/CheckRecord.h"

namespace velmora::exporting {

namespace f = db::field;

namespace {

// The customer's columns open every export.
// clang-format off
constexpr std::string_view kCheckInformation[] = {
    f::kBusinessName, f::kFirstName, f::kLastName, f::kAddress, f::kCity, f::kState, f::kZip, f::kPhone,
    f::kPayTo, f::kCheck, f::kAmount, f::kBank, f::kBankCity, f::kBankState, f::kAba, f::kAccount,
    f::kFor, f::kBusinessType,
};
// clang-format on
constexpr std::size_t kCustomerColumns = 8;

} // namespace

std::span<const std::string_view> CheckInformationExport::fields() const {
    return kCheckInformation;
}

std::string CheckInformationExport::completionMessage() const {
    // clang-format off
    return std::string("Data has been exported to the file EXPORT.TXT in comma delimited format. It is located in the ") + product::kName + " Program directory. Data will appear in the following format:  BusinessName, FirstName, LastName, Address, City, State, Zip, Phone, PayTo, Check, Amount, Bank, BankCity, BankState, BankRouting, BankAccount, Memo, BusinessType ";
    // clang-format on
}

std::span<const std::string_view> CustomerInformationExport::fields() const {
    return std::span(kCheckInformation).first(kCustomerColumns);
}

std::string CustomerInformationExport::completionMessage() const {
    // clang-format off
    return std::string("Data has been exported to the file EXPORT.TXT in comma delimited format. It is located in the ") + product::kName + " Program directory.  Data will appear in the following format:  BusinessName, FirstName, LastName, Address, City, State, Zip, Phone ";
    // clang-format on
}

} // namespace velmora::exporting
