#pragma once

#include "db/Value.h"
#include "jet/JetSchema.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::jet {

// The conversation between the program and the reader process (velmora-jet-reader), in binary,
// little-endian, every length stated before its bytes:
//   reader:  magic, then either Schema or Failure
//   program: the selection (the tables and columns whose rows it wants)
//   reader:  per selected table: Table, one Row per row, TableEnd with the count; then End.
//            A Failure may stand in place of any of these.
// The program trusts nothing it receives: every count and length is checked against a limit.
namespace protocol {

inline constexpr std::string_view kMagic = "VJR1";
enum class Tag : std::uint8_t {
    Schema = 'S',
    Table = 'T',
    Row = 'R',
    TableEnd = 'E',
    End = 'Z',
    Failure = 'X',
};

struct TableSelection {
    std::size_t table = 0;
    std::vector<std::size_t> columns;
};

// The byte stream the program reads from. read() returns 0 at the end and throws to abandon.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* into, std::size_t most) = 0;
};

// A malformed or cut-off message.
class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Encoder {
public:
    void magic();
    void schema(const JetSchema& schema);
    void failure(std::string_view message);
    void selection(const std::vector<TableSelection>& tables);
    void tableStart(std::size_t table);
    void row(const std::vector<db::Value>& values);
    void tableEnd(std::uint64_t rows);
    void end();

    // The bytes encoded so far, handed over and forgotten.
    std::string take();
    std::size_t pending() const { return buffer_.size(); }

private:
    void tag(Tag tag);
    void byte(std::uint8_t value);
    void u32(std::uint32_t value);
    void u64(std::uint64_t value);
    void text(std::string_view text);
    std::string buffer_;
};

class Decoder {
public:
    explicit Decoder(ByteSource& source);

    void magic();
    Tag tag();
    JetSchema schema();
    std::string failure();
    std::vector<TableSelection> selection();
    std::size_t tableStart();
    // Fills `values` with one row of `count` values.
    void row(std::size_t count, std::vector<db::Value>& values);
    std::uint64_t tableEnd();

private:
    void fill(char* into, std::size_t count);
    std::uint8_t byte();
    std::uint32_t u32();
    std::uint64_t u64();
    std::uint32_t count(std::uint32_t most, const char* what);
    std::string text(std::size_t most);
    db::Value value();

    ByteSource& source_;
    std::vector<char> buffer_;
    std::size_t position_ = 0, end_ = 0;
};

} // namespace protocol
} // namespace velmora::jet
