#include "export/ExportFormats.h"

#include "base/Product.h"
#include "db/CheckRecord.h"

#include <utility>

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

constexpr std::pair<std::string_view, std::string_view> kNamedOtherwise[] = {
    {f::kAba, "BankRouting"}, {f::kAccount, "BankAccount"}, {f::kFor, "Memo"}};

std::string_view columnName(std::string_view field) {
    for (const auto& [named, name] : kNamedOtherwise) {
        if (named == field)
            return name;
    }
    return field;
}

// The message of both exports; only the spaces after "directory." differ.
std::string completion(const ExportFormat& format, const char* afterDirectory) {
    return std::string(
               "Data has been exported to the file EXPORT.TXT in comma delimited format. It is located in the ") +
           product::kName + " Program directory." + afterDirectory +
           "Data will appear in the following format:  " + format.columnNames() + " ";
}

} // namespace

std::string ExportFormat::columnNames() const {
    std::string names;
    for (std::string_view field : fields())
        names.append(names.empty() ? "" : ", ").append(columnName(field));
    return names;
}

std::span<const std::string_view> CheckInformationExport::fields() const {
    return kCheckInformation;
}

std::string CheckInformationExport::completionMessage() const {
    return completion(*this, " ");
}

std::span<const std::string_view> CustomerInformationExport::fields() const {
    return std::span(kCheckInformation).first(kCustomerColumns);
}

std::string CustomerInformationExport::completionMessage() const {
    return completion(*this, "  ");
}

} // namespace velmora::exporting
