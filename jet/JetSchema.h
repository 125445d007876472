#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::jet {

// The kinds of column of an Access (Jet) table; the numbers are the codes Jet stores.
enum class JetType : std::uint8_t {
    YesNo = 0x01,
    Byte = 0x02,
    Integer = 0x03, // 16-bit
    Long = 0x04,    // 32-bit; a Counter is a Long that numbers itself
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0a,
    OleObject = 0x0b,
    Memo = 0x0c,
    ReplicationId = 0x0f,
    Decimal = 0x10,
    Complex = 0x12,
};

// How the reader hands over the values of each type (Null is a Null Value for every type but Yes/No):
//   Yes/No                     integer 0 or 1, never Null
//   Byte, Integer, Long        integer
//   Currency                   integer count of ten-thousandths, exactly as stored
//   Single, Double             real
//   Date/Time                  real: days since 30 December 1899, the time of day as the fraction
//   Text, Memo                 UTF-8 text
//   Replication ID, Decimal    text
// Binary, OLE object and complex columns are not read.
bool isReadable(JetType type);

struct JetColumn {
    std::string name;
    JetType type = JetType::Text;
    int size = 0; // bytes of a fixed-size column, the most bytes of a Text column
    bool autoNumber = false;
    int precision = 0, scale = 0; // Decimal only

    // "Text", "Memo", "Counter", "Long Integer", ... as Access names the type.
    std::string typeName() const;
};

struct JetTable {
    std::string name;
    std::uint64_t rowCount = 0; // as the table's definition declares it
    std::vector<JetColumn> columns;

    // The column of this name, compared as Jet compares names (ASCII letters in any case).
    std::optional<std::size_t> findColumn(std::string_view column) const;
};

// The user tables of a Jet file (system tables left aside).
struct JetSchema {
    int version = 0; // 3 (Access 97), 4 (Access 2000 to 2003) or 12 (ACE: Access 2007 and later)
    std::vector<JetTable> tables;

    std::optional<std::size_t> findTable(std::string_view table) const;
};

bool sameJetName(std::string_view a, std::string_view b);

} // namespace velmora::jet
