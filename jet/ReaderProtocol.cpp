#include "jet/ReaderProtocol.h"

#include <bit>
#include <cstring>

namespace velmora::jet::protocol {

namespace {

constexpr std::size_t kMaxNameBytes = 4096;
constexpr std::size_t kMaxMessageBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxTextBytes = std::size_t{256} * 1024 * 1024;
constexpr std::uint32_t kMaxTables = 100000;
constexpr std::uint32_t kMaxColumns = 256;

enum class ValueTag : std::uint8_t { Null = 0, Integer = 1, Real = 2, Text = 3 };

} // namespace

void Encoder::tag(Tag tag) {
    byte(static_cast<std::uint8_t>(tag));
}
void Encoder::byte(std::uint8_t value) {
    buffer_.push_back(static_cast<char>(value));
}
void Encoder::u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        byte(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Encoder::u64(std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        byte(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Encoder::text(std::string_view text) {
    u32(static_cast<std::uint32_t>(text.size()));
    buffer_.append(text);
}

void Encoder::magic() {
    buffer_.append(kMagic);
}

void Encoder::schema(const JetSchema& schema) {
    tag(Tag::Schema);
    byte(static_cast<std::uint8_t>(schema.version));
    u32(static_cast<std::uint32_t>(schema.tables.size()));
    for (const JetTable& table : schema.tables) {
        text(table.name);
        u64(table.rowCount);
        u32(static_cast<std::uint32_t>(table.columns.size()));
        for (const JetColumn& column : table.columns) {
            text(column.name);
            byte(static_cast<std::uint8_t>(column.type));
            u32(static_cast<std::uint32_t>(column.size));
            byte(column.autoNumber ? 1 : 0);
            byte(static_cast<std::uint8_t>(column.precision));
            byte(static_cast<std::uint8_t>(column.scale));
        }
    }
}

void Encoder::failure(std::string_view message) {
    tag(Tag::Failure);
    text(message.substr(0, kMaxMessageBytes));
}

void Encoder::selection(const std::vector<TableSelection>& tables) {
    u32(static_cast<std::uint32_t>(tables.size()));
    for (const TableSelection& table : tables) {
        u32(static_cast<std::uint32_t>(table.table));
        u32(static_cast<std::uint32_t>(table.columns.size()));
        for (std::size_t column : table.columns)
            u32(static_cast<std::uint32_t>(column));
    }
}

void Encoder::tableStart(std::size_t table) {
    tag(Tag::Table);
    u32(static_cast<std::uint32_t>(table));
}

void Encoder::row(const std::vector<db::Value>& values) {
    tag(Tag::Row);
    for (const db::Value& value : values) {
        const auto& data = value.data();
        if (auto* integer = std::get_if<std::int64_t>(&data)) {
            byte(static_cast<std::uint8_t>(ValueTag::Integer));
            u64(static_cast<std::uint64_t>(*integer));
        } else if (auto* real = std::get_if<double>(&data)) {
            byte(static_cast<std::uint8_t>(ValueTag::Real));
            u64(std::bit_cast<std::uint64_t>(*real));
        } else if (auto* text = std::get_if<std::string>(&data)) {
            byte(static_cast<std::uint8_t>(ValueTag::Text));
            this->text(*text);
        } else {
            byte(static_cast<std::uint8_t>(ValueTag::Null));
        }
    }
}

void Encoder::tableEnd(std::uint64_t rows) {
    tag(Tag::TableEnd);
    u64(rows);
}

void Encoder::end() {
    tag(Tag::End);
}

std::string Encoder::take() {
    std::string bytes;
    bytes.swap(buffer_);
    return bytes;
}

Decoder::Decoder(ByteSource& source)
    : source_(source)
    , buffer_(std::size_t{64} * 1024) {}

void Decoder::fill(char* into, std::size_t count) {
    while (count > 0) {
        if (position_ == end_) {
            position_ = 0;
            end_ = source_.read(buffer_.data(), buffer_.size());
            if (end_ == 0)
                throw ProtocolError("the reader's output ends in the middle of a message");
        }
        const std::size_t take = std::min(count, end_ - position_);
        std::memcpy(into, buffer_.data() + position_, take);
        position_ += take;
        into += take;
        count -= take;
    }
}

std::uint8_t Decoder::byte() {
    char value = 0;
    fill(&value, 1);
    return static_cast<std::uint8_t>(value);
}

std::uint32_t Decoder::u32() {
    unsigned char bytes[4];
    fill(reinterpret_cast<char*>(bytes), sizeof bytes);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

std::uint64_t Decoder::u64() {
    const std::uint64_t low = u32();
    return low | (static_cast<std::uint64_t>(u32()) << 32);
}

std::uint32_t Decoder::count(std::uint32_t most, const char* what) {
    const std::uint32_t value = u32();
    if (value > most)
        throw ProtocolError(std::string("the reader announced too many ") + what);
    return value;
}

std::string Decoder::text(std::size_t most) {
    const std::uint32_t length = u32();
    if (length > most)
        throw ProtocolError("the reader sent a text longer than any it can hold");
    std::string result(length, '\0');
    fill(result.data(), length);
    return result;
}

db::Value Decoder::value() {
    switch (static_cast<ValueTag>(byte())) {
    case ValueTag::Null:
        return {};
    case ValueTag::Integer:
        return db::Value(static_cast<std::int64_t>(u64()));
    case ValueTag::Real:
        return db::Value(std::bit_cast<double>(u64()));
    case ValueTag::Text:
        return db::Value(text(kMaxTextBytes));
    }
    throw ProtocolError("the reader sent a value of no known kind");
}

void Decoder::magic() {
    char bytes[kMagic.size()];
    fill(bytes, sizeof bytes);
    if (std::string_view(bytes, sizeof bytes) != kMagic)
        throw ProtocolError("the reader does not speak this program's language");
}

Tag Decoder::tag() {
    const auto value = static_cast<Tag>(byte());
    switch (value) {
    case Tag::Schema:
    case Tag::Table:
    case Tag::Row:
    case Tag::TableEnd:
    case Tag::End:
    case Tag::Failure:
        return value;
    }
    throw ProtocolError("the reader sent a message of no known kind");
}

JetSchema Decoder::schema() {
    JetSchema schema;
    schema.version = byte();
    const std::uint32_t tables = count(kMaxTables, "tables");
    for (std::uint32_t t = 0; t < tables; ++t) {
        JetTable table;
        table.name = text(kMaxNameBytes);
        table.rowCount = u64();
        const std::uint32_t columns = count(kMaxColumns, "columns");
        for (std::uint32_t c = 0; c < columns; ++c) {
            JetColumn column;
            column.name = text(kMaxNameBytes);
            column.type = static_cast<JetType>(byte());
            column.size = static_cast<int>(count(1u << 30, "bytes in a column"));
            column.autoNumber = byte() != 0;
            column.precision = byte();
            column.scale = byte();
            table.columns.push_back(std::move(column));
        }
        schema.tables.push_back(std::move(table));
    }
    return schema;
}

std::string Decoder::failure() {
    return text(kMaxMessageBytes);
}

std::vector<TableSelection> Decoder::selection() {
    std::vector<TableSelection> tables(count(kMaxTables, "tables"));
    for (TableSelection& table : tables) {
        table.table = u32();
        table.columns.resize(count(kMaxColumns, "columns"));
        for (std::size_t& column : table.columns)
            column = u32();
    }
    return tables;
}

std::size_t Decoder::tableStart() {
    return u32();
}

void Decoder::row(std::size_t count, std::vector<db::Value>& values) {
    values.resize(count);
    for (db::Value& value : values)
        value = this->value();
}

std::uint64_t Decoder::tableEnd() {
    return u64();
}

} // namespace velmora::jet::protocol
