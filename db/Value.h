#pragma once

#include "db/Money.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace velmora::db {

// One field value as stored. Null (never filled) and an empty text are different values and stay so.
class Value {
public:
    Value() = default; // Null
    Value(std::nullptr_t) {}
    Value(std::int64_t number)
        : data_(number) {}
    Value(int number)
        : data_(std::int64_t{number}) {}
    Value(bool yes)
        : data_(std::int64_t{yes ? 1 : 0}) {}
    Value(double number)
        : data_(number) {}
    Value(std::string text)
        : data_(std::move(text)) {}
    Value(const char* text)
        : data_(std::string(text)) {}
    Value(Money amount)
        : data_(amount) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(data_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(data_); }
    bool isReal() const { return std::holds_alternative<double>(data_); }
    bool isText() const { return std::holds_alternative<std::string>(data_); }
    bool isMoney() const { return std::holds_alternative<Money>(data_); }

    // Typed reads; std::nullopt when the value is Null or of a kind that does not convert exactly.
    std::optional<std::string> text() const;     // numbers give their plain decimal text
    std::optional<std::int64_t> integer() const; // text that is a whole number converts
    std::optional<Money> money() const;          // whole numbers and decimal text convert
    bool yes() const;                            // a yes/no field: non-zero is yes, Null is no

    // Text for places that do not tell Null from empty (display in a text box).
    std::string textOrEmpty() const { return text().value_or(std::string()); }

    bool operator==(const Value&) const = default;

    using Data = std::variant<std::monostate, std::int64_t, double, std::string, Money>;
    const Data& data() const { return data_; }

private:
    Data data_;
};

} // namespace velmora::db
