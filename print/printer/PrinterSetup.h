#pragma once

#include "print/printer/CupsPrinters.h"
#include "print/printer/PrinterSurface.h"

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmora::print {

// The Printer Setup dialog: where the checks and labels go. The system's default printer, one of
// the printers of the print system, or a PDF file. Paper, orientation, size and copies are not
// offered: every job goes out on letter paper, portrait, at actual size, one copy.
class PrinterSetup : public QDialog {
public:
    PrinterSetup(std::vector<cups::Printer> printers, const PrinterChoice& current,
                 QWidget* parent = nullptr);

    // What is selected now.
    PrinterChoice choice() const;

private:
    int fillList(const PrinterChoice& current);
    void selectionChanged();
    void browse();

    std::vector<cups::Printer> printers_;
    QListWidget* list_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* details_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace velmora::print
