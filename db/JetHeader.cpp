#include "db/JetHeader.h"

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velmora::db {

namespace {

constexpr std::string_view kJetSignature{"\x00\x01\x00\x00Standard Jet DB\x00", 20};
constexpr std::string_view kAceSignature{"\x00\x01\x00\x00Standard ACE DB\x00", 20};
constexpr std::string_view kSqliteSignature{"SQLite format 3\x00", 16};

constexpr std::size_t kVersionOffset = 0x14;
// From 0x18 on, the first page is scrambled with RC4 under a fixed key, over 126 bytes in Jet 3
// and 128 in Jet 4; the database key at 0x3e is zero unless the whole file is encrypted.
constexpr std::size_t kScrambledOffset = 0x18;
constexpr std::array<std::uint8_t, 4> kHeaderKey{0xc7, 0xda, 0x39, 0x6b};
constexpr std::size_t kDatabaseKeyOffset = 0x3e;
// Page 2 always holds the definition of the catalog table.
constexpr std::uint64_t kCatalogPage = 2;
constexpr std::uint8_t kTableDefinitionPage = 0x02;

std::string readPrefix(const std::filesystem::path& file, std::size_t count) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
    std::array<std::uint8_t, 256> state{};
    for (std::size_t i = 0; i < state.size(); ++i)
        state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < state.size(); ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[i % key.size()]);
        std::swap(state[i], state[j]);
    }
    std::uint8_t x = 0, y = 0;
    for (std::uint8_t& byte : data) {
        x = static_cast<std::uint8_t>(x + 1);
        y = static_cast<std::uint8_t>(y + state[x]);
        std::swap(state[x], state[y]);
        byte ^= state[static_cast<std::uint8_t>(state[x] + state[y])];
    }
}

// The version code at 0x14 of a Jet file (Access 97 to 2003) and of an ACE file (Access 2007 on,
// whose pages are laid out as Jet 4's).
std::optional<int> jetVersion(std::uint8_t code) {
    return code == 0 ? std::optional(3) : code == 1 ? std::optional(4) : std::nullopt;
}
std::optional<int> aceVersion(std::uint8_t code) {
    constexpr int kAce[] = {12, 14, 15, 16, 17}; // Access 2007, 2010, 2013, 2016, 2019
    return code >= 2 && code - 2 < static_cast<int>(std::size(kAce)) ? std::optional(kAce[code - 2])
                                                                     : std::nullopt;
}

} // namespace

bool isJetFile(const std::filesystem::path& file) {
    const std::string prefix = readPrefix(file, kJetSignature.size());
    return prefix == kJetSignature || prefix == kAceSignature;
}

bool isSqliteFile(const std::filesystem::path& file) {
    return readPrefix(file, kSqliteSignature.size()) == kSqliteSignature;
}

Result<JetHeader> inspectJetFile(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    auto failure = [&](const std::string& why) { return Result<JetHeader>::failure(name + why); };
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec)
        return failure(" cannot be read: " + ec.message() + ".");
    const std::string first = readPrefix(file, 4096);
    const bool ace = first.starts_with(kAceSignature);
    if (first.size() < kJetSignature.size() || (!ace && !first.starts_with(kJetSignature)))
        return failure(" is not an Access (Jet) database.");

    JetHeader header;
    header.fileSize = size;
    const auto code = static_cast<std::uint8_t>(first[kVersionOffset]);
    const std::optional<int> version = ace ? aceVersion(code) : jetVersion(code);
    if (!version)
        return failure(" is an Access database of a version that cannot be converted (version code " +
                       std::to_string(code) + "); only Access 97 to 2019 files can be.");
    header.version = *version;
    header.pageSize = *version == 3 ? 2048 : 4096;
    if (size < (kCatalogPage + 1) * header.pageSize)
        return failure(" is truncated: it is too short to hold any table.");
    if (size % header.pageSize != 0)
        return failure(" is truncated or damaged: it ends in the middle of a page.");

    const std::size_t scrambled = header.version == 3 ? 126 : 128;
    const auto scrambledStart = first.begin() + static_cast<std::ptrdiff_t>(kScrambledOffset);
    std::vector<std::uint8_t> decoded(scrambledStart,
                                      scrambledStart + static_cast<std::ptrdiff_t>(scrambled));
    rc4(kHeaderKey, decoded);
    const std::size_t key = kDatabaseKeyOffset - kScrambledOffset;
    if (decoded[key] | decoded[key + 1] | decoded[key + 2] | decoded[key + 3])
        return failure(" is encrypted; remove the encryption in Access, then convert it again.");

    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kCatalogPage * header.pageSize));
    char catalog[4] = {};
    in.read(catalog, sizeof catalog);
    const bool catalogFound = in && static_cast<std::uint8_t>(catalog[0]) == kTableDefinitionPage &&
                              catalog[1] == 1 &&
                              (header.version != 3 || std::string_view(catalog + 2, 2) == "VC");
    if (!catalogFound)
        return failure(" is damaged: its list of tables is not where an Access database keeps it.");
    return header;
}

} // namespace velmora::db
