#include "db/CheckNumbering.h"

#include <algorithm>

namespace velmora::db {

std::int64_t nextCheckNumber(std::optional<std::int64_t> lastRecordCheck,
                             std::optional<std::int64_t> lastCheck) {
    const std::int64_t last = lastRecordCheck.value_or(0);
    const std::int64_t handedOut = lastCheck.value_or(0);
    if (last > kCheckNumberWrapLimit || handedOut > kCheckNumberWrapLimit)
        return kLowestCheckNumber;
    return std::max(last, handedOut) + 1;
}

std::int64_t renumbered(std::int64_t number) {
    return number + 1 > kCheckNumberWrapLimit ? kLowestCheckNumber : number + 1;
}

} // namespace velmora::db
