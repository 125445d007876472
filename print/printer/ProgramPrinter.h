#pragma once

#include "print/printer/PrinterSurface.h"

namespace velmora::print {

// The printer the screens print on: the system's default printer until the user picks another in
// the printer setup dialog, whose choice holds for every later job of the session.
PrinterSurface& programPrinter();

} // namespace velmora::print
