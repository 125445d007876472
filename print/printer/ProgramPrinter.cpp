#include "print/printer/ProgramPrinter.h"

namespace velmora::print {

PrinterSurface& programPrinter() {
    // Made on first use and kept to the end of the process: a QPrinter must not outlive the
    // application object, which a static object's destructor would do.
    static PrinterSurface* printer = new PrinterSurface;
    return *printer;
}

} // namespace velmora::print
