#pragma once

#include "base/Dialogs.h"
#include "print/PageSource.h"
#include "print/PrintSurface.h"

#include <string>

namespace velmora::print {

// Tells which item a job would print outside the printable area of `target` (a printer, or the
// paper of a PDF file), by how much and which starting position brings it back, and asks whether to
// print anyway; `choices` ends the question and says what Yes and No do. True for Yes.
bool askPrintAnyway(Dialogs& dialogs, const ItemOutside& outside, const PrintSurface& target,
                    const std::string& choices);

} // namespace velmora::print
