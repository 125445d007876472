#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::entry {

class CheckEntry;

// The order importer turns an order form (text of lines "Label: value", typically an e-mail from a
// web order page) into a check record.
//
// Characters. The form is UTF-8 text, and every position and length here counts characters (Unicode
// code points), never bytes, so a cut never splits a character and a value holds valid UTF-8 for the
// database, the screen and the printer. Text that is not valid UTF-8 is still taken: each byte that
// does not belong to a well-formed UTF-8 sequence counts as one character, the Windows-1252
// character of that byte (an order saved by an older Windows program spells "Müller" that way), and
// is written as that character in UTF-8; the five bytes Windows-1252 leaves unassigned become U+FFFD.

// The value that follows a label. P is the 1-based character position of the label's first
// occurrence in `text` (exact and case-sensitive), 0 when it does not occur. The value is the
// `length` characters that start at character number P + offset (number 1 when that is 0), fewer
// when the text ends first and none when it starts beyond the end; then TrimAtLineEnd.
std::string CutFieldValue(std::string_view text, std::string_view label, std::size_t offset,
                          std::size_t length);

// A value cut up to the end of its line: when it holds a carriage return, what stands before the
// first one without its leading blanks (spaces); otherwise the value unchanged.
std::string TrimAtLineEnd(std::string_view value);

// A label of the order form and where its value stands: `offset` characters after the label's first
// letter, at most `length` characters long.
struct OrderField {
    const char* label;
    std::size_t offset;
    std::size_t length;
    const char* field; // the check record's field it is written to; null for the order details
};

// The values written into the check record, in the order they are written.
std::span<const OrderField> orderRecordFields();
// The MICR line as the customer read it off a check: only verified against, never stored. Its value
// starts inside the label, at the label's sixth letter.
const OrderField& bottomCheckRowField();
// The order details filed in `Comments`, in the order of their table: e-mail, special comments,
// card number, card expiry date and year, card type, bank phone.
std::span<const OrderField> orderDetailFields();

// The longest text taken as an order form; longer text is refused whole.
inline constexpr std::size_t kMaxOrderFormBytes = 32u << 20;

// Text as the importer cuts it: valid UTF-8 (see above), NUL bytes as U+FFFD, and every line feed
// that does not follow a carriage return given one, so that a form whose lines end in LF alone (as
// the clipboard and files on this system usually give them) cuts exactly as its CR LF original.
std::string orderFormText(std::string_view bytes);

// Where the order goes: as on the screen (the current check when it holds no order yet, see
// holdsNoOrder(), otherwise a new check), or always into a new check (the command line, where no
// check is current by the user's choice).
enum class OrderTarget { CurrentOrNew, NewCheck };

// Whether the current check holds no order yet, so that an order fills it in place: every field an
// order writes, and the payee, the amount, the memo and the comments, hold what New leaves in a new
// check (nothing; in a check database the template's account holder and bank; in a draft database
// the template's payee; a memo that is only the chosen product type), and the template check only
// when all of them are empty, as a new database has it. Anything else is somebody's order or check,
// which a paste never overwrites. The check number is not looked at: New gives every check one.
bool holdsNoOrder(const CheckEntry& entry);

// A value of the form that was not written, and why.
struct SkippedValue {
    std::string label;
    std::string value;
    std::string reason;
};

struct OrderImportReport {
    bool written = false;  // the record holds the order and was saved
    bool newCheck = false; // New made the record
    std::optional<std::int64_t> recordId;
    std::vector<std::string> fieldsWritten; // the record's fields that took a value, in order
    std::vector<SkippedValue> skipped;
    // Values cut to what their field holds (a check number of more than six digits): the value as
    // the form has it, and what was imported.
    std::vector<SkippedValue> shortened;
    std::vector<std::string> verification; // the verification messages, as shown
};

// Imports one order form into the entry's database: picks or makes the record, writes the values
// found and files the order details in `Comments` (replacing what it held), all saved in one
// transaction, so that a failure or a kill leaves no half-made check; then verifies the routing and
// account numbers against the bottom check row. The record stays current. Every message goes through
// the entry's Dialogs: each value that is skipped because its field cannot hold it (a check number or
// total cost that is not a number; the rest of the order is imported), the verification, and why
// nothing was saved. Any bytes at all are taken; text longer than kMaxOrderFormBytes is refused
// whole. `valuesSaved`, when given, is called once the order is saved, before the skipped values and
// the verification are told, so that a screen shows the check the messages are about.
[[nodiscard]] OrderImportReport importOrderForm(CheckEntry& entry, std::string_view text,
                                                OrderTarget target = OrderTarget::CurrentOrNew,
                                                const std::function<void()>& valuesSaved = {});

} // namespace velmora::entry
