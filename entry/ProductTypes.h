#pragma once

#include <string>
#include <vector>

namespace velmora::entry {

// The product type list of the data entry screen, filled from the product types of PC.OVL in table
// order. It is hidden for the whole time the screen is open when the first product type is empty.
struct ProductTypeList {
    bool visible = false;
    std::vector<std::string> entries;
};

ProductTypeList productTypeList(std::vector<std::string> types);

} // namespace velmora::entry
