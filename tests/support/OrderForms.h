#pragma once

namespace velmora::testing {

// An order form as a web order page mails it: each line a label, a colon, a blank and the value,
// ending in CR LF; the last line (the bottom check row) without a line end. The customer's first
// name has further blanks after the colon, and the check number has seven digits.
inline constexpr const char* kOrderForm = "Order 20240307-118 from the web shop\r\n"
                                          "BankName: First Pacific Bank\r\n"
                                          "BankCity: Portland\r\n"
                                          "BankState: OR\r\n"
                                          "BankRoutingNumber: 123000220\r\n"
                                          "BankAccountNumber: 4471D0921\r\n"
                                          "CheckNumber: 1234567\r\n"
                                          "CustomerBusinessName: Harbor Lane Bakery\r\n"
                                          "CustomerFirstName:    Maria\r\n"
                                          "CustomerLastName: Delgado\r\n"
                                          "CustomerAddress: 1420 Harbor Lane\r\n"
                                          "CustomerCity: Salem\r\n"
                                          "CustomerState: OR\r\n"
                                          "CustomerZip: 97301\r\n"
                                          "CustomerPhone: (503) 555-0142\r\n"
                                          "CustomerEMailAddress: maria@example.com\r\n"
                                          "SpecialComments: Please ship before Friday\r\n"
                                          "BankPhoneNumber: (503) 555-0100\r\n"
                                          "TotalCost: 45.50\r\n"
                                          "BottomCheckRow: A123000220A 4471D0921C 1001";

// The card lines an order paid by card carries as well.
inline constexpr const char* kCardLines = "CardNumber: 4111111111111111\r\n"
                                          "CardExpDate: 09\r\n"
                                          "CardExpYear: 2027\r\n"
                                          "CardType: Visa\r\n";

// The comments an import of kOrderForm leaves (no card number: three lines, the last ending too).
inline constexpr const char* kOrderComments =
    "BankPhoneNumber: (503) 555-0100\r\nEMailAddress: maria@example.com\r\nPlease ship before Friday\r\n";

} // namespace velmora::testing
