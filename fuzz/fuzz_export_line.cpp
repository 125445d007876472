// Arbitrary field values written as a line of the export file. The input is a list of values, each
// starting with a byte that says its kind ('N' Null, '#' an amount made of the following bytes,
// anything else a text) and ending at a 0x1E byte. Read back as comma-delimited text, the line gives
// the same number of values with the same texts, and it ends with its only bare CR LF.
#include "FuzzSupport.h"
#include "db/CheckQueries.h"
#include "db/Money.h"
#include "export/DelimitedLine.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

using namespace velmora;

namespace {

struct ReadValue {
    bool quoted = false;
    std::string text;
};

// Comma-delimited text as a spreadsheet reads it: a quoted value runs to a quote not followed by
// another, a doubled quote inside being one; a bare value runs to the next comma.
std::optional<std::vector<ReadValue>> readLine(std::string_view line) {
    std::vector<ReadValue> values;
    std::size_t at = 0;
    while (true) {
        ReadValue value;
        if (at < line.size() && line[at] == '"') {
            value.quoted = true;
            for (++at;; ++at) {
                if (at >= line.size())
                    return std::nullopt;
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        value.text += '"';
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                value.text += line[at];
            }
        } else {
            const std::size_t end = line.find(',', at);
            value.text = line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
            at = end == std::string_view::npos ? line.size() : end;
        }
        values.push_back(std::move(value));
        if (at == line.size())
            return values;
        if (line[at] != ',')
            return std::nullopt;
        ++at;
    }
}

// An optional minus, digits, and at most two decimals of which the last is not a zero.
bool isPlainDecimal(std::string_view text) {
    if (text.starts_with('-'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view decimals = point == std::string_view::npos ? "" : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return !whole.empty() && digits(whole) && digits(decimals) && decimals.size() <= 2 &&
           (point == std::string_view::npos || (!decimals.empty() && !decimals.ends_with('0')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::deque<std::string> texts; // stable storage for the views
    std::vector<db::FieldText> values;
    for (std::size_t at = 0; at <= input.size();) {
        const std::size_t end = std::min(input.find('\x1e', at), input.size());
        const std::string_view part = input.substr(at, end - at);
        at = end + 1;
        if (!part.empty() && part[0] == 'N') {
            values.push_back({});
        } else if (!part.empty() && part[0] == '#') {
            std::int64_t cents = 0;
            std::memcpy(&cents, part.data() + 1, std::min<std::size_t>(part.size() - 1, sizeof cents));
            texts.push_back(db::Money::fromCents(cents).toShortestText());
            values.push_back({db::FieldText::Kind::Number, texts.back()});
        } else {
            values.push_back({db::FieldText::Kind::Text, part});
        }
    }

    std::string out;
    exporting::appendDelimitedLine(out, values);
    fuzz::require(out.size() >= 2 && out.ends_with("\r\n"), "the line does not end with CR LF");
    const auto read = readLine(std::string_view(out).substr(0, out.size() - 2));
    fuzz::require(read.has_value(), "the line does not read back as comma-delimited text");
    fuzz::require(read->size() == values.size(), "the line reads back as another number of values");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const ReadValue& back = (*read)[i];
        switch (values[i].kind) {
        case db::FieldText::Kind::Null:
            fuzz::require(back.quoted && back.text.empty(), "Null is not two double quotes");
            break;
        case db::FieldText::Kind::Number:
            fuzz::require(!back.quoted && back.text == values[i].text, "a number does not read back");
            fuzz::require(isPlainDecimal(back.text), "a number is not plain decimal");
            break;
        case db::FieldText::Kind::Text:
            fuzz::require(back.quoted && back.text == values[i].text, "a text does not read back");
            break;
        }
    }
    return 0;
}
