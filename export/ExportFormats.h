#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmora::exporting {

// One of the files the check records are exported to: the fields of the check record that make its
// columns, in order, and what the user is told once it is written.
class ExportFormat {
public:
    virtual ~ExportFormat() = default;
    virtual std::span<const std::string_view> fields() const = 0;
    virtual std::string completionMessage() const = 0;
    // The columns as the messages and the command line's help name them, "BusinessName, FirstName,
    // ...": each by its field, but the routing number, account number and memo by what they hold.
    std::string columnNames() const;
};

// Everything a check carries for another program: holder, payee, number, amount, bank, MICR
// numbers, memo and product type; not the date, the print option, the label flag, the comments or
// the print dates.
class CheckInformationExport final : public ExportFormat {
public:
    std::span<const std::string_view> fields() const override;
    std::string completionMessage() const override;
};

// The customer's name, address and phone number, for a mailing program.
class CustomerInformationExport final : public ExportFormat {
public:
    std::span<const std::string_view> fields() const override;
    std::string completionMessage() const override;
};

} // namespace velmora::exporting
