#include "print/forms/PrintableAreaQuestion.h"

#include "print/printer/PrinterSurface.h"

namespace velmora::print {

bool askPrintAnyway(Dialogs& dialogs, const ItemOutside& outside, const PrintSurface& target,
                    const std::string& choices) {
    const auto* printer = dynamic_cast<const PrinterSurface*>(&target);
    const std::optional<std::string> queue = printer ? printer->queue() : std::nullopt;
    const std::string where = queue ? "the printable area of the printer " + *queue : "the paper";
    return dialogs.askYesNo(describeItemOutside(outside, where) + choices, "Printable area",
                            DialogIcon::Exclamation, DialogAnswer::No);
}

} // namespace velmora::print
