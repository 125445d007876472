#pragma once

#include "app/HelpTexts.h"

#include <utility>

namespace velmora::testing {

// The help texts as the user is to read them, typed out on their own: paragraph by paragraph, with
// the product name written in, so that a changed character in the program's table shows.
// clang-format off
inline const std::pair<app::HelpTopic, const char*> kHelpTextsAsWritten[] = {
    {app::HelpTopic::ChoosingADatabase,
     "Each database is a separate set of checks that are not related in any way to any other database.  "
     "\n\n"
     "Velmora"
     " has two different types of databases - DRAFT and CHECK databases. A draft database allows you to print drafts for deposit in your bank account and a check database allows you to print checks from your bank account.  We strongly suggest you create a few different databases for your needs.  "
     "\n\n"
     "For example, you may wish to create a separate database file for monthly draft accounts (these will be printed every month), another for normal drafts (that are printed one time), another for employee payroll checks and another for your business checking account so you can print your own checks. "},
    {app::HelpTopic::RestoringADatabase,
     "To restore a corrupted database, you will need to delete and rename files in the "
     "Velmora"
     " program directory.  "
     "\n\n"
     "This can usually be done with File Manager or Windows Explorer.   "
     "\n\n"
     "Step 1, you will need to delete the original corrupted file (example: PDRAFT.MDB)   "
     "\n\n"
     "Step 2, Rename the backup file to the name of the original (example: rename PDRAFT.BAK to be PDRAFT.MDB)"},
    {app::HelpTopic::BankAccountNumber,
     "This number should include all spaces and dashes as they appear on the bottom of a check or a deposit slip (to enter a dash on the MICR line, enter an uppercase D where you want to place the dash).  "
     "\n\n"
     "The account number is made up of the numbers that remain on the MICR line after the routing number and check number have been identified. "},
    {app::HelpTopic::BankRoutingNumber,
     "This is the unique identification number for the financial institution.  "
     "\n\n"
     "This 9 digit number can be found by looking at the line of numbers in the MICR font at the bottom of the check. The numbers between the two colon marks make up the routing number."},
    {app::HelpTopic::CheckNumbers,
     "Valid check numbers are between 3 and 6 digits in length (101 to 999999).  "
     "\n\n"
     "You should not try to deposit a check or draft with the same number that has recently been deposited. If you do, the bank could reject the check. To avoid duplicate check numbers, it is a good idea to use a certain range of check numbers for "
     "Velmora"
     " checks.  "
     "\n\n"
     "For example, if your current check number is 455, then you could choose a high check number such as 4000. "},
    {app::HelpTopic::EnteringCheckInformation,
     "The first check in each account is used to set default fields.  "
     "\n\n"
     "To create a new check at this screen you will need to select the NEW button at the bottom of the screen. This will create a new record in the account database - you MUST create a new record for every check you wish to print, or change the fields of an existing check.   "
     "\n\n"
     "All fields should be filled in for a properly formatted check. For information on how to obtain the routing and account numbers from a check, choose Help - Help with MICR Information from the data entry screen.  "
     "\n\n"
     "Most of the fields you are going to enter data into on the data entry screen are arranged in the format of a standard check. If you have any doubt about what information should go into what field, you can review any standard check from a bank.  "
     "\n\n"
     "To move to a previously created check, use the navigation buttons at the bottom of the data entry screen."},
    {app::HelpTopic::PrintOption,
     "The default selection here is One Time which means that after the check is printed, it is set to not print again.  "
     "\n\n"
     "If you select Multiple Times the check will print every time you select the print all checks selected to print multiple times selection from the print menu. Checks being printed multiple times can be used for monthly or weekly bank drafts in a draft database or employee payroll in a check database.  "
     "\n\n"
     "Note that these checks are renumbered after they are printed to avoid duplicate check numbers. "},
    {app::HelpTopic::HowToPrintChecks,
     "After you have entered a few checks and you are ready to print them out, choose File - Print Checks or Labels to get to the printer control menu. This menu also allows you to print blank checks. "},
    {app::HelpTopic::ProductType,
     "This is an optional feature.  "
     "\n\n"
     "To enter the different types of products you wish to appear in the Product Type drop down box, select File - Program Setup from the data entry menu.  "
     "\n\n"
     "This is useful if you export the database and wish to sort sales based on the different types of products sold. To help automate things, the chosen product type is automatically entered in the For or memo field on the screen.  Enter one product type per record - press new to add a record. Use the arrow buttons to move through the records. "},
    {app::HelpTopic::ChecksNotPrintingProperly,
     "Some printers do not have a printable area large enough to print the MICR line of the last check. If the printer cannot print this information, the printer will usually print this information on the next page or give you an error.  "
     "\n\n"
     "To get around this, choose the Align Printer button in the print menu and try decreasing the Vertical Start Position Number. "
     "\n\n"
     "If the MICR line at the bottom of your checks prints too small, your PC may not be setup to properly print True Type fonts to your printer. It may be necessary, depending on your printer driver to print True Type fonts as graphics. To do this, go to Control Panel, Select Printers, Select your printer, choose Setup, choose options and make sure print True Type as graphics is selected. You may have to change the print mode to raster to do this. If problems persist, contact your printer manufacturer about how to print True Type fonts as graphics or obtain a newer printer driver."},
    {app::HelpTopic::PrintingLabels,
     "Velmora"
     " supports Avery(tm) 5160, MACO(tm) LL-3000 or equivalent type labels that are 30 per page and 1 X 2 5/8 (2.5cm X 6.7cm).  "
     "\n\n"
     "If you had not had exactly 30 labels to print the last time you printed labels, you should enter the label number to start printing on when prompted. Labels are numbered down the first column then down the second and last down the third. Therefore if your previously printed label page has columns 2 and 3 (20 labels) left on it, you would choose 11 as your first label. This will save you the expense of throwing away half-used sheets of labels. "},
    {app::HelpTopic::PrintingBlankChecks,
     "To print blank business size checks, choose Print Bank Check - Regular Blank Checks from the Printer Control Menu. "},
    {app::HelpTopic::QuickenCompatibleChecks,
     "To print blank check stock for use with Quicken(tm) or QuickBooks(tm), choose Print Bank Checks - Quicken(tm) Compatible from the menu bar."},
    {app::HelpTopic::PrintingMultipleTimes,
     "You can print checks selected to print multiple times as often as you want to.  "
     "\n"
     "Unfortunately "
     "Velmora"
     " cannot prompt you when it is time to print these checks again, therefore, you should print them on a regular basis. For example, in a monthly draft database, choose to print all selected to print multiple times on the first Monday of every month."},
    {app::HelpTopic::SelectingWhatToPrint,
     "From this menu, you will need to select which checks you want to print at the bottom of the screen. Selecting print all selected to print once will print all checks that have the print field set to print once.   "
     "\n\n"
     "Selecting print all selected to print multiple times will print all checks that have the print field set to multiple times. You can select both of these fields to print both types of checks in one print job. "
     "\n\n"
     "To the left of each check box there is a small box with a number in it. This is the number of checks or labels that will print when you select the box. This will give you an idea of how many checks and labels to load into the printer. "},
    {app::HelpTopic::AboutCheckStock,
     "Deselect the 88mm check stock check box if you are printing on check stock that is 92mm in length or checks on plain paper and you want to print exactly 3 checks per page. "
     "\n\n"
     "By printing exactly 3 checks per page, you only need to make two cuts in the paper for every 3 checks printed. "
     "\n\n"
     "NOTE: If your printer has problems printing the last check you will have to use the standard printing method. Some printers do not have a printable area large enough to print the last check if using the 92mm check length; Most laserjet printers can print the last check while most ink jet and bubble jet printers cannot."},
};
// clang-format on

inline const char* helpTextAsWritten(app::HelpTopic topic) {
    for (const auto& [written, text] : kHelpTextsAsWritten) {
        if (written == topic)
            return text;
    }
    return "";
}

} // namespace velmora::testing
