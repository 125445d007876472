#pragma once

#include "print/StockRun.h"

#include <span>
#include <string_view>

namespace velmora::print {

// The blank-stock products of the Printer Control Menu, printed from the template check, in the order
// the command line lists them and each menu shows its entries: one row each (StockProducts.cpp), with
// its texts, rules, slot tables, menu entry and verb.
std::span<const StockProduct> stockProducts();

// The product of a verb ("blank-checks"). Verbs come from the table, never from a user: an unknown one
// is a mistake of the program's own and throws std::logic_error.
const StockProduct& stockProduct(std::string_view verb);

} // namespace velmora::print
