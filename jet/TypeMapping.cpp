#include "jet/TypeMapping.h"

#include "app/Password.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace velmora::jet {

namespace {

constexpr std::int64_t kInt16Min = -32768;
constexpr std::int64_t kInt16Max = 32767;
// Jet counts days from 30 December 1899; the Unix epoch is day 25569 of that count.
constexpr std::int64_t kJetDayOfUnixEpoch = 25569;
constexpr std::int64_t kSecondsPerDay = 86400;
// Currency keeps ten-thousandths in 64 bits; the ends of that range are no amount of a check.
constexpr std::int64_t kMaxCurrency = 9'000'000'000'000'000'000;

bool isWholeNumber(JetType type) {
    return type == JetType::Byte || type == JetType::Integer || type == JetType::Long;
}

} // namespace

const char* sqlType(StoreKind kind) {
    switch (kind) {
    case StoreKind::Integer:
    case StoreKind::Integer16:
    case StoreKind::Counter:
    case StoreKind::YesNo:
    case StoreKind::Cents:
        return "INTEGER";
    case StoreKind::Real:
        return "REAL";
    case StoreKind::Text:
    case StoreKind::DateText:
    case StoreKind::Password:
    case StoreKind::Verbatim:
        return "TEXT";
    }
    return "TEXT";
}

bool accepts(StoreKind kind, const JetColumn& column) {
    switch (kind) {
    case StoreKind::Text:
    case StoreKind::Password:
        return column.type == JetType::Text || column.type == JetType::Memo;
    case StoreKind::Integer:
    case StoreKind::Integer16:
        return isWholeNumber(column.type);
    case StoreKind::Counter:
        return column.type == JetType::Long;
    case StoreKind::YesNo:
        return column.type == JetType::YesNo;
    case StoreKind::Cents:
        return column.type == JetType::Currency;
    case StoreKind::Real:
        return column.type == JetType::Single || column.type == JetType::Double;
    case StoreKind::DateText:
        return column.type == JetType::DateTime;
    case StoreKind::Verbatim:
        return column.type == JetType::ReplicationId || column.type == JetType::Decimal;
    }
    return false;
}

const char* acceptedTypes(StoreKind kind) {
    switch (kind) {
    case StoreKind::Text:
    case StoreKind::Password:
        return "Text or Memo";
    case StoreKind::Integer:
        return "Byte, Integer or Long Integer";
    case StoreKind::Integer16:
        return "Integer";
    case StoreKind::Counter:
        return "Counter or Long Integer";
    case StoreKind::YesNo:
        return "Yes/No";
    case StoreKind::Cents:
        return "Currency";
    case StoreKind::Real:
        return "Single or Double";
    case StoreKind::DateText:
        return "Date/Time";
    case StoreKind::Verbatim:
        return "Replication ID or Decimal";
    }
    return "";
}

std::optional<StoreKind> naturalKind(const JetColumn& column) {
    switch (column.type) {
    case JetType::Text:
    case JetType::Memo:
        return StoreKind::Text;
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
        return StoreKind::Integer;
    case JetType::YesNo:
        return StoreKind::YesNo;
    case JetType::Currency:
        return StoreKind::Cents;
    case JetType::Single:
    case JetType::Double:
        return StoreKind::Real;
    case JetType::DateTime:
        return StoreKind::DateText;
    case JetType::ReplicationId:
    case JetType::Decimal:
        return StoreKind::Verbatim;
    default:
        return std::nullopt;
    }
}

std::string currencyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    // Through unsigned arithmetic, so that the most negative value has a magnitude too.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return (negative ? "-" : "") + std::to_string(magnitude / 10000) +
           (fraction.empty() ? "" : "." + fraction);
}

std::optional<std::string> dateTimeText(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return std::nullopt;
    // The whole part counts days (backwards when negative); the fraction is always the time of day
    // forward from that day's midnight.
    const double whole = std::trunc(days);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t seconds = std::llround(std::fabs(days - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        ++day;
        seconds -= kSecondsPerDay;
    }
    using namespace std::chrono;
    const year_month_day date{sys_days{std::chrono::days{day - kJetDayOfUnixEpoch}}};
    const int year = static_cast<int>(date.year());
    if (year < 100 || year > 9999)
        return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", year,
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return std::string(text);
}

Result<Converted> convertValue(StoreKind kind, const db::Value& raw) {
    using R = Result<Converted>;
    if (raw.isNull()) {
        if (kind == StoreKind::Counter)
            return R::failure("it is empty, and a counter never is");
        return Converted{};
    }
    switch (kind) {
    case StoreKind::Text:
    case StoreKind::Verbatim:
        if (!raw.isText())
            return R::failure("it is not a text");
        return Converted{raw, {}};
    case StoreKind::Password:
        if (!raw.isText())
            return R::failure("it is not a text");
        if (const Result<std::string> hash = app::hashPassword(app::toLowerCase(*raw.text())))
            return Converted{db::Value(*hash), {}};
        else
            return R::failure("it could not be hashed: " + hash.message());
    case StoreKind::Integer:
    case StoreKind::Counter:
    case StoreKind::YesNo:
        if (!raw.isInteger())
            return R::failure("it is not a whole number");
        return Converted{raw, {}};
    case StoreKind::Integer16: {
        if (!raw.isInteger())
            return R::failure("it is not a whole number");
        const std::int64_t number = *raw.integer();
        if (number < kInt16Min || number > kInt16Max)
            return R::failure("it holds " + std::to_string(number) +
                              ", outside the range of a 16-bit number (-32768 to 32767)");
        return Converted{raw, {}};
    }
    case StoreKind::Cents: {
        if (!raw.isInteger())
            return R::failure("it is not a Currency value");
        const std::int64_t units = *raw.integer();
        if (units > kMaxCurrency || units < -kMaxCurrency)
            return R::failure("it holds " + currencyText(units) + ", more than any amount of money can be");
        // Whole cents, rounded half away from zero when the value holds fractions of a cent.
        const std::int64_t cents = (units + (units < 0 ? -50 : 50)) / 100;
        Converted result{db::Value(db::Money::fromCents(cents)), {}};
        if (units % 100 != 0)
            result.notice = "has fractions of a cent: " + currencyText(units) + " is stored as " +
                            db::Money::fromCents(cents).toFixedText();
        return result;
    }
    case StoreKind::Real:
        if (!raw.isReal())
            return R::failure("it is not a number");
        return Converted{raw, {}};
    case StoreKind::DateText: {
        if (!raw.isReal())
            return R::failure("it is not a date");
        const auto text = dateTimeText(*std::get_if<double>(&raw.data()));
        if (!text)
            return R::failure("it is a date outside the years 100 to 9999");
        return Converted{db::Value(*text), {}};
    }
    }
    return R::failure("it is of no known kind");
}

} // namespace velmora::jet
