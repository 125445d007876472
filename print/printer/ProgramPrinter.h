#pragma once

#include "print/printer/PrinterSurface.h"

namespace velmora::print {

// The printer the screens print on: the one chosen in Printer Setup (at an earlier start, as the
// settings remember it, or in this session), else the system's default printer.
PrinterSurface& programPrinter();

} // namespace velmora::print
