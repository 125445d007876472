#include "entry/ProductTypes.h"

namespace velmora::entry {

ProductTypeList productTypeList(std::vector<std::string> types) {
    if (types.empty() || types.front().empty())
        return {};
    return {true, std::move(types)};
}

} // namespace velmora::entry
