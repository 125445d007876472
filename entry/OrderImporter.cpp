#include "entry/OrderImporter.h"

#include "base/Text.h"
#include "db/CheckRecord.h"
#include "entry/CheckEntry.h"
#include "entry/MicrRules.h"
#include "entry/TemplateValues.h"
#include "entry/TypedValues.h"

#include <algorithm>
#include <iterator>

namespace velmora::entry {

namespace f = db::field;

namespace {

// clang-format off
constexpr OrderField kRecordFields[] = {
    {"BankName",             10, 60, f::kBank},
    {"BankCity",             10, 60, f::kBankCity},
    {"BankState",            11, 60, f::kBankState},
    {"BankRoutingNumber",    19, 15, f::kAba},
    {"BankAccountNumber",    19, 30, f::kAccount},
    {"CheckNumber",          13,  6, f::kCheck},
    {"CustomerBusinessName", 22, 60, f::kBusinessName},
    {"CustomerFirstName",    19, 60, f::kFirstName},
    {"CustomerLastName",     18, 60, f::kLastName},
    {"CustomerAddress",      17, 80, f::kAddress},
    {"CustomerCity",         14, 60, f::kCity},
    {"CustomerState",        15, 60, f::kState},
    {"CustomerZip",          13, 30, f::kZip},
    {"CustomerPhone",        15, 40, f::kPhone},
    {"TotalCost",            11, 14, f::kAmount},
};

constexpr OrderField kBottomCheckRow = {"BottomCheckRow", 5, 60, nullptr};

enum Detail { kEMail, kSpecialComments, kCardNumber, kCardExpDate, kCardExpYear, kCardType, kBankPhone };
constexpr OrderField kDetailFields[] = {
    {"CustomerEMailAddress", 22,  80, nullptr},
    {"SpecialComments",      17, 100, nullptr},
    {"CardNumber",           12,  60, nullptr},
    {"CardExpDate",          13,  10, nullptr},
    {"CardExpYear",          13,  10, nullptr},
    {"CardType",             10,  20, nullptr},
    {"BankPhoneNumber",      17,  25, nullptr},
};

const char* const kTooLong = "This text is too long to be an order form (more than 32 MB): nothing was imported.";
const char* const kNotImported = "The order form was not imported; nothing was saved.";
const char* const kSkippedValue = "\" in the order form was not imported. ";
const char* const kRestImported = " The rest of the order is imported.";
const char* const kLongerThanField = "\" in the order form has more digits than the check number takes (";
const char* const kOnlyImported = "): only \"";
const char* const kCheckTheNumber = "\" was imported. Correct the check number before you print the check.";
// clang-format on

constexpr char32_t kReplacementCharacter = 0xFFFD;
// How much of a number that runs past its field a message quotes.
constexpr std::size_t kMaxDigitsTold = 40;

// Windows-1252's characters for the bytes 0x80 to 0x9F; 0 for the five it leaves unassigned. From
// 0xA0 on its characters are the code points of the same number.
constexpr char16_t kWindows1252From80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                             0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The length of the well-formed UTF-8 sequence that `bytes` starts with; 0 when it starts with none.
std::size_t utf8SequenceLength(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

// The number of bytes of the character that starts at `at`.
std::size_t characterBytes(std::string_view text, std::size_t at) {
    return std::max<std::size_t>(1, utf8SequenceLength(text.substr(at)));
}

// Appends the character that starts at `at` as valid UTF-8; returns the number of its bytes.
std::size_t appendCharacter(std::string& out, std::string_view text, std::size_t at) {
    const std::string_view rest = text.substr(at);
    if (const std::size_t length = utf8SequenceLength(rest)) {
        out.append(rest.substr(0, length));
        return length;
    }
    const auto byte = static_cast<unsigned char>(rest[0]);
    const char32_t windows1252 = byte >= 0xA0 ? byte : kWindows1252From80[byte - 0x80];
    appendUtf8(out, windows1252 != 0 ? windows1252 : kReplacementCharacter);
    return 1;
}

// The byte at which a label first occurs. A label's first byte always begins a character. The labels
// hardly repeat their own beginnings, so a search compares a few characters at each place at most and
// stays linear in the text, also where the text is made of label beginnings (see the order import
// benchmark).
std::optional<std::size_t> findLabel(std::string_view text, std::string_view label) {
    const std::size_t at = text.find(label);
    return at == std::string_view::npos ? std::nullopt : std::optional(at);
}

// The value `offset` characters on from byte `from`, at most `length` characters, trimmed.
std::string cutFrom(std::string_view text, std::size_t from, std::size_t offset, std::size_t length) {
    std::size_t at = from;
    for (std::size_t skipped = 0; skipped < offset && at < text.size(); ++skipped)
        at += characterBytes(text, at);
    std::string value;
    for (std::size_t taken = 0; taken < length && at < text.size(); ++taken)
        at += appendCharacter(value, text, at);
    return TrimAtLineEnd(value);
}

// A missing label is taken as standing at position 0: the value starts at character number
// `offset`, that is offset - 1 characters from the start.
std::string cutAt(std::string_view text, std::optional<std::size_t> labelAt, const OrderField& field) {
    if (labelAt)
        return cutFrom(text, *labelAt, field.offset, field.length);
    return cutFrom(text, 0, field.offset == 0 ? 0 : field.offset - 1, field.length);
}

// The run of digits the value of `field` starts with, however long: more than the field's length
// when the form's number was cut.
std::string digitsFrom(std::string_view text, std::optional<std::size_t> labelAt, const OrderField& field) {
    const std::string value = cutAt(text, labelAt, {field.label, field.offset, kMaxDigitsTold, field.field});
    const auto end = std::find_if(value.begin(), value.end(), [](char c) { return c < '0' || c > '9'; });
    return std::string(value.begin(), end);
}

// The check number of the form when it has more digits than the field takes, which are cut to the
// field's length like every value: its digits, and what was taken of them.
std::vector<SkippedValue> numbersCutShort(std::string_view text) {
    std::vector<SkippedValue> cut;
    for (const OrderField& row : kRecordFields) {
        const auto labelAt = findLabel(text, row.label);
        if (!labelAt || std::string_view(row.field) != f::kCheck)
            continue;
        std::string taken = cutAt(text, labelAt, row);
        if (std::string digits = digitsFrom(text, labelAt, row); digits.size() > taken.size())
            cut.push_back({row.label, std::move(digits), std::move(taken)});
    }
    return cut;
}

// Whether a check number or amount holds nothing but blanks, so that there is no number to write:
// the field keeps its value as it does for an empty one.
bool holdsNoNumber(std::string_view field, const std::string& value) {
    if (field == f::kCheck) {
        auto number = parseCheckNumberText(value);
        return number && !*number;
    }
    if (field == f::kAmount) {
        auto amount = parseAmountText(value);
        return amount && !*amount;
    }
    return false;
}

// Comments: the bank phone, the e-mail address and the special comments, each on a line of its own;
// with a card number the card's four lines follow, the last without a line end.
std::string orderComments(const std::string (&detail)[std::size(kDetailFields)], bool withCard) {
    std::string comments = "BankPhoneNumber: " + detail[kBankPhone] + "\r\n" +
                           "EMailAddress: " + detail[kEMail] + "\r\n" + detail[kSpecialComments] + "\r\n";
    if (withCard)
        comments += "CardNumber: " + detail[kCardNumber] + "\r\n" + "CardExpDate: " + detail[kCardExpDate] +
                    "\r\n" + "CardExpYear: " + detail[kCardExpYear] + "\r\n" +
                    "CardType: " + detail[kCardType];
    return comments;
}

// Whether a text field holds nothing, or exactly `left` (what New puts there).
bool emptyOr(const db::Value& value, const std::optional<std::string>& left) {
    const std::string text = value.textOrEmpty();
    return text.empty() || (left && text == *left);
}

} // namespace

bool holdsNoOrder(const CheckEntry& entry) {
    if (!entry.hasCurrent())
        return false;
    const TemplateValues& defaults = entry.templateValues();
    // The template check itself: only as a new database has it, with nothing in it.
    const bool isTemplate = entry.field(f::kId).integer() == 1;
    const auto& table = db::schema::account();
    const auto left = [&](std::string_view name) -> std::optional<std::string> {
        if (isTemplate)
            return std::nullopt;
        return table.value(defaults.taken, table.row(name)).text();
    };
    for (std::string_view name : kHolderAndBankFields) {
        // New copies the holder and the bank from the template in a check database only.
        if (!emptyOr(entry.field(name),
                     defaults.type() == db::DatabaseType::Check ? left(name) : std::nullopt))
            return false;
    }
    // The product type list writes its choice into the memo as well; that alone is no order.
    const db::Value memo = entry.field(f::kFor);
    return emptyOr(entry.field(f::kPayTo),
                   defaults.type() == db::DatabaseType::Draft ? left(f::kPayTo) : std::nullopt) &&
           entry.field(f::kAmount).isNull() && entry.field(f::kComments).textOrEmpty().empty() &&
           emptyOr(memo, entry.field(f::kBusinessType).text());
}

std::string TrimAtLineEnd(std::string_view value) {
    const std::size_t lineEnd = value.find('\r');
    if (lineEnd == std::string_view::npos)
        return std::string(value);
    value = value.substr(0, lineEnd);
    const std::size_t first = value.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(value.substr(first));
}

std::string CutFieldValue(std::string_view text, std::string_view label, std::size_t offset,
                          std::size_t length) {
    return cutAt(text, findLabel(text, label), {"", offset, length, nullptr});
}

std::span<const OrderField> orderRecordFields() {
    return kRecordFields;
}

const OrderField& bottomCheckRowField() {
    return kBottomCheckRow;
}

std::span<const OrderField> orderDetailFields() {
    return kDetailFields;
}

std::string orderFormText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t at = 0; at < bytes.size();) {
        const char c = bytes[at];
        if (c == '\n' && (at == 0 || bytes[at - 1] != '\r'))
            text += '\r';
        if (c == '\0') {
            appendUtf8(text, kReplacementCharacter);
            ++at;
        } else {
            at += appendCharacter(text, bytes, at);
        }
    }
    return text;
}

namespace {

// Every value of an order form, cut before anything is saved: the order goes into the check in one
// step.
struct CutOrder {
    struct Value {
        const OrderField* row;
        std::string value;
    };
    std::vector<Value> values; // the record's fields whose labels are in the order
    // Routing and account numbers are verified as cut, also where their labels are missing.
    std::string routing;
    std::string account;
    std::optional<std::string> bottomRow;
    // Unlike the record's values, a detail is cut whether or not its label is there.
    std::string detail[std::size(kDetailFields)];
    bool withCard = false;
};

CutOrder cutOrder(const std::string& text) {
    CutOrder cut;
    for (const OrderField& row : kRecordFields) {
        const auto labelAt = findLabel(text, row.label);
        std::string value = cutAt(text, labelAt, row);
        const std::string_view field = row.field;
        if (field == f::kAba)
            cut.routing = value;
        else if (field == f::kAccount)
            cut.account = value;
        if (labelAt && !value.empty() && !holdsNoNumber(field, value))
            cut.values.push_back({&row, std::move(value)});
    }
    if (const auto labelAt = findLabel(text, kBottomCheckRow.label))
        cut.bottomRow = cutAt(text, labelAt, kBottomCheckRow);
    for (std::size_t i = 0; i < std::size(kDetailFields); ++i) {
        const auto labelAt = findLabel(text, kDetailFields[i].label);
        cut.detail[i] = cutAt(text, labelAt, kDetailFields[i]);
        cut.withCard = cut.withCard || (i == kCardNumber && labelAt);
    }
    return cut;
}

// What was skipped or cut short, told once the check shows what was taken.
void tellWhatWasLeft(Dialogs& dialogs, const OrderImportReport& report) {
    for (const SkippedValue& skipped : report.skipped)
        dialogs.show({skipped.label + " \"" + skipped.value + kSkippedValue + skipped.reason + kRestImported,
                      {},
                      DialogButtons::Ok,
                      DialogIcon::Exclamation});
    for (const SkippedValue& cut : report.shortened)
        dialogs.show({cut.label + " \"" + cut.value + kLongerThanField + std::to_string(cut.reason.size()) +
                          kOnlyImported + cut.reason + kCheckTheNumber,
                      {},
                      DialogButtons::Ok,
                      DialogIcon::Exclamation});
}

} // namespace

OrderImportReport importOrderForm(CheckEntry& entry, std::string_view order, OrderTarget target,
                                  const std::function<void()>& valuesSaved) {
    OrderImportReport report;
    Dialogs& dialogs = entry.dialogs();
    if (!entry.isOpen())
        return report;
    if (order.size() > kMaxOrderFormBytes) {
        dialogs.show({kTooLong, {}, DialogButtons::Ok, DialogIcon::Exclamation});
        return report;
    }
    const std::string text = orderFormText(order);
    CutOrder cut = cutOrder(text);
    report.shortened = numbersCutShort(text);

    // A check that already holds an order (or anything else typed into it) is never overwritten.
    const bool newCheck = target == OrderTarget::NewCheck || !holdsNoOrder(entry);
    const bool saved = entry.changeAsOne(
        newCheck,
        [&] {
            report.fieldsWritten.clear();
            report.skipped.clear();
            for (CutOrder::Value& value : cut.values) {
                if (Status taken = entry.setFieldText(value.row->field, value.value); taken)
                    report.fieldsWritten.emplace_back(value.row->field);
                else
                    report.skipped.push_back({value.row->label, value.value, taken.message()});
            }
            return entry.setFieldText(f::kComments, orderComments(cut.detail, cut.withCard)).ok();
        },
        kNotImported);
    if (!saved) {
        report.fieldsWritten.clear();
        report.skipped.clear();
        return report;
    }
    report.written = true;
    report.newCheck = newCheck;
    report.recordId = entry.field(f::kId).integer();
    if (valuesSaved)
        valuesSaved();
    tellWhatWasLeft(dialogs, report);
    report.verification = micrRowMessages(cut.bottomRow, cut.routing, cut.account);
    VerifyMicrRow(dialogs, cut.bottomRow, cut.routing, cut.account);
    return report;
}

} // namespace velmora::entry
