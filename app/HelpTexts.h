#pragma once

#include "base/Dialogs.h"

#include <string>

namespace velmora::app {

// The fixed explanations of the Help menus, one per topic.
enum class HelpTopic {
    ChoosingADatabase,
    RestoringADatabase,
    BankAccountNumber,
    BankRoutingNumber,
    CheckNumbers,
    EnteringCheckInformation,
    PrintOption,
    HowToPrintChecks,
    ProductType,
    ChecksNotPrintingProperly,
    PrintingLabels,
    PrintingBlankChecks,
    QuickenCompatibleChecks,
    PrintingMultipleTimes,
    SelectingWhatToPrint,
    AboutCheckStock,
};

// The topic's text with the product name in place; paragraphs are separated by two line feeds.
std::string helpText(HelpTopic topic);

// Shows the topic in a message box with only an OK button, under the product name.
void showHelp(Dialogs& dialogs, HelpTopic topic);

} // namespace velmora::app
