#include "entry/CheckNumbering.h"

#include <algorithm>

namespace velmora::entry {

std::int64_t nextCheckNumber(std::optional<std::int64_t> lastRecordCheck,
                             std::optional<std::int64_t> lastCheck) {
    std::int64_t last = lastRecordCheck.value_or(0);
    std::int64_t handedOut = lastCheck.value_or(0);
    if (last > kCheckNumberWrapLimit || handedOut > kCheckNumberWrapLimit) {
        last = kLowestCheckNumber - 1;
        handedOut = kLowestCheckNumber - 1;
    }
    return std::max(last, handedOut) + 1;
}

} // namespace velmora::entry
