#pragma once

#include "base/Result.h"
#include "db/Value.h"
#include "jet/JetSchema.h"

#include <optional>
#include <string>

namespace velmora::jet {

// How a converted value is kept in SQLite, and which Jet types may feed it.
enum class StoreKind {
    Text,      // TEXT from Text or Memo; Null stays Null and an empty text stays empty
    Integer,   // INTEGER from Byte, Integer or Long
    Integer16, // INTEGER from Byte, Integer, or a Long within -32768..32767
    Counter,   // INTEGER from a Long (Counter) that numbers the rows; never Null
    YesNo,     // INTEGER 0 or 1 from Yes/No
    Cents,     // INTEGER whole cents from Currency
    Real,      // REAL from Single or Double
    DateText,  // TEXT "yyyy-mm-dd hh:mm:ss" from Date/Time
    Password,  // TEXT: the salted hash of the lower-case form of a Text password
    Verbatim,  // TEXT from Replication ID or Decimal, as their exact text
};

const char* sqlType(StoreKind kind);
bool accepts(StoreKind kind, const JetColumn& column);
// The Jet types `accepts` takes, as a message says them: "Text or Memo", "Currency", ...
const char* acceptedTypes(StoreKind kind);

// The kind an arbitrary Jet column is copied as; std::nullopt for binary columns, which are not.
std::optional<StoreKind> naturalKind(const JetColumn& column);

// A value converted for storage. `notice` tells of a change made on the way (a Currency value with
// fractions of a cent, rounded to the nearest cent); a value that cannot be kept faithfully is a
// failure whose message says why (without naming the field; the caller does).
struct Converted {
    db::Value value;
    std::string notice;
};
Result<Converted> convertValue(StoreKind kind, const db::Value& raw);

// Jet's Date/Time (days since 30 December 1899, the time as the fraction) as "yyyy-mm-dd hh:mm:ss",
// to the nearest second; std::nullopt outside the years 100 to 9999 that Access allows.
std::optional<std::string> dateTimeText(double days);

// A Currency value (ten-thousandths) as its exact decimal text: 123450 -> "12.345".
std::string currencyText(std::int64_t tenThousandths);

} // namespace velmora::jet
