#pragma once

#include "cli/Command.h"
#include "print/StockRun.h"

namespace velmora::cli {

// The verb of a blank-stock product of the Printer Control Menu (`velmora blank-checks`, ...): the
// product printed from the first check of a database, without the screens.
Exit runStockCommand(const print::StockProduct& product, const Invocation& invocation,
                     const Arguments& arguments);

// `velmora test-page`: the alignment test page on the stored starting positions.
Exit runTestPageCommand(const Invocation& invocation, const Arguments& arguments);

} // namespace velmora::cli
