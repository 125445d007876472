#include "jet/JetSchema.h"

#include <algorithm>

namespace velmora::jet {

bool isReadable(JetType type) {
    switch (type) {
    case JetType::YesNo:
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Currency:
    case JetType::Single:
    case JetType::Double:
    case JetType::DateTime:
    case JetType::Text:
    case JetType::Memo:
    case JetType::ReplicationId:
    case JetType::Decimal:
        return true;
    default:
        return false;
    }
}

std::string JetColumn::typeName() const {
    switch (type) {
    case JetType::YesNo:
        return "Yes/No";
    case JetType::Byte:
        return "Byte";
    case JetType::Integer:
        return "Integer";
    case JetType::Long:
        return autoNumber ? "Counter" : "Long Integer";
    case JetType::Currency:
        return "Currency";
    case JetType::Single:
        return "Single";
    case JetType::Double:
        return "Double";
    case JetType::DateTime:
        return "Date/Time";
    case JetType::Binary:
        return "Binary";
    case JetType::Text:
        return "Text";
    case JetType::OleObject:
        return "OLE Object";
    case JetType::Memo:
        return "Memo";
    case JetType::ReplicationId:
        return "Replication ID";
    case JetType::Decimal:
        return "Decimal";
    case JetType::Complex:
        return "Attachment or multi-valued";
    }
    return "unknown type " + std::to_string(static_cast<int>(type));
}

bool sameJetName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::size_t> JetTable::findColumn(std::string_view column) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (sameJetName(columns[i].name, column))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> JetSchema::findTable(std::string_view table) const {
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (sameJetName(tables[i].name, table))
            return i;
    }
    return std::nullopt;
}

} // namespace velmora::jet
