#include "jet/FieldDigest.h"

#include <bit>
#include <sodium.h>

namespace velmora::jet {

namespace {

// Two SipHash keys make a 128-bit digest; they are fixed, since both sides of a comparison must agree.
constexpr std::array<std::array<unsigned char, crypto_shorthash_KEYBYTES>, 2> kKeys{{
    {'V', 'e', 'l', 'm', 'o', 'r', 'a', ' ', 'f', 'i', 'e', 'l', 'd', ' ', '#', '1'},
    {'V', 'e', 'l', 'm', 'o', 'r', 'a', ' ', 'f', 'i', 'e', 'l', 'd', ' ', '#', '2'},
}};

enum class Kind : char { Null = 'N', Integer = 'I', Real = 'R', Text = 'T' };

void append(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

} // namespace

void FieldDigest::add(std::int64_t rowId, const db::Value& value) {
    scratch_.clear();
    append(scratch_, static_cast<std::uint64_t>(rowId));
    const auto& data = value.data();
    if (auto* integer = std::get_if<std::int64_t>(&data)) {
        scratch_.push_back(static_cast<char>(Kind::Integer));
        append(scratch_, static_cast<std::uint64_t>(*integer));
    } else if (auto* money = std::get_if<db::Money>(&data)) {
        scratch_.push_back(static_cast<char>(Kind::Integer));
        append(scratch_, static_cast<std::uint64_t>(money->cents()));
    } else if (auto* real = std::get_if<double>(&data)) {
        scratch_.push_back(static_cast<char>(Kind::Real));
        append(scratch_, std::bit_cast<std::uint64_t>(*real));
    } else if (auto* text = std::get_if<std::string>(&data)) {
        scratch_.push_back(static_cast<char>(Kind::Text));
        scratch_ += *text;
    } else {
        scratch_.push_back(static_cast<char>(Kind::Null));
    }
    for (std::size_t i = 0; i < sums_.size(); ++i) {
        unsigned char hash[crypto_shorthash_BYTES];
        crypto_shorthash(hash, reinterpret_cast<const unsigned char*>(scratch_.data()), scratch_.size(),
                         kKeys[i].data());
        std::uint64_t word = 0;
        for (int b = 7; b >= 0; --b)
            word = (word << 8) | hash[b];
        sums_[i] += word;
    }
    ++count_;
}

} // namespace velmora::jet
