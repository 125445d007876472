#pragma once

#include "db/Value.h"

#include <array>
#include <cstdint>
#include <string>

namespace velmora::jet {

// A digest of one column: every (row id, value) pair is hashed on its own and the hashes are added
// up, so the digest does not depend on the order in which the rows are visited. Two columns have
// the same digest when they hold the same values on the same rows; Null, an empty text, the number
// 0 and the text "0" all differ. An amount counts as its whole cents.
class FieldDigest {
public:
    void add(std::int64_t rowId, const db::Value& value);
    std::uint64_t count() const { return count_; }
    bool operator==(const FieldDigest& other) const { return sums_ == other.sums_ && count_ == other.count_; }

private:
    std::array<std::uint64_t, 2> sums_{};
    std::uint64_t count_ = 0;
    std::string scratch_;
};

} // namespace velmora::jet
