#pragma once

#include "print/StockRun.h"

namespace velmora::print {

// The blank-stock products of the Printer Control Menu, printed from the template check.
enum class StockKind { BlankChecks, DepositTickets, Quicken3Up, QuickenVoucher };

// The product's texts, rules and slot table.
const StockProduct& stockProduct(StockKind kind);

} // namespace velmora::print
