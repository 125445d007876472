#include "export/DelimitedLine.h"

namespace velmora::exporting {

namespace {

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out.append(text.substr(0, quote + 1));
        out += '"';
        text.remove_prefix(quote + 1);
    }
    out.append(text);
    out += '"';
}

} // namespace

void appendDelimitedLine(std::string& out, std::span<const db::FieldText> values) {
    bool first = true;
    for (const db::FieldText& value : values) {
        if (!first)
            out += ',';
        first = false;
        switch (value.kind) {
        case db::FieldText::Kind::Null:
            out += "\"\"";
            break;
        case db::FieldText::Kind::Number:
            out.append(value.text);
            break;
        case db::FieldText::Kind::Text:
            appendQuoted(out, value.text);
            break;
        }
    }
    out += "\r\n";
}

} // namespace velmora::exporting
