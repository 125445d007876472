#pragma once

#include "app/SettingsStore.h"
#include "base/Navigator.h"
#include "base/Session.h"
#include "db/CheckDatabase.h"
#include "print/PdfOutput.h"
#include "print/PrintRun.h"
#include "print/StockProducts.h"

#include <QMainWindow>
#include <optional>

class QCheckBox;
class QLabel;
class QLayout;
class QMenuBar;

namespace velmora::print {

// The Printer Control Menu: what to print from the current database, the stored print options, and
// the way to the printer setup, the alignment screen and the blank stock products.
class PrinterControlScreen : public QMainWindow {
public:
    // `surface` is where the print run goes; null is the program's printer.
    PrinterControlScreen(Session& session, Navigator& navigator, print::PrintSurface* surface = nullptr,
                         QWidget* parent = nullptr);

    // Opens the database and the settings record, sets the stored options and the counts. False
    // (after telling the user why) when either cannot be opened.
    bool load();

protected:
    // The window's close button is Done: the options are saved and the data entry screen returns.
    void closeEvent(QCloseEvent* event) override;

private:
    // The menu bar, the selections of what to print, and the buttons along the bottom.
    void buildMenuBar();
    QLayout* buildSelections(QWidget& body);
    QLayout* buildButtons(QWidget& body);
    void print();
    void preview();
    void printerSetup();
    // False when an item of the checks would print outside the printer's printable area and the
    // user chose to align the printer instead (the alignment screen is then open).
    bool printableAreaAccepted(print::PrintRun& run, const print::PrintSelection& wanted,
                               const print::PrintSurface& target);
    void leave(bool toAlignment);
    void plainPaperClicked(bool ticked);
    // False (after telling the user) when the options could not be saved.
    bool saveSettings();
    print::PrintSelection selection() const;
    std::optional<print::CheckPageSetup> pageSetup();
    // The settings record with the options on the screen saved into it; std::nullopt (after telling
    // the user) when they cannot be saved or read.
    std::optional<db::SettingsRecord> stockSettings();
    // Asks whether to print although `outside` will be cut off; No opens the alignment screen.
    bool printAnyway(const print::ItemOutside& outside, const print::PrintSurface& target);
    bool stockFits(print::StockRun& job, const print::PrintSurface& target);
    // False (after telling the user) when the file the printer prints to must not be written.
    bool stockOutputUsable(print::RunOutputs& outputs);
    void tellNotes(const print::JobReport& report);
    // The menu of the blank-stock products of `which`: an entry that prints each, and one that
    // previews it.
    void addStockMenu(QMenuBar& bar, const char* objectName, const char* title, print::StockMenu which);
    void printStock(const print::StockProduct& product);
    void previewStock(const print::StockProduct& product);
    // The preview window over `pages`; true when the user chose Print in it.
    bool showPreview(print::PageSource& pages);
    print::PrintSurface& surface();

    Session& session_;
    Navigator& navigator_;
    Dialogs& dialogs_;
    print::PrintSurface* surface_;
    std::optional<db::CheckDatabase> database_;
    std::optional<app::SettingsStore> settings_;

    QCheckBox* once_ = nullptr;
    QCheckBox* monthly_ = nullptr;
    QCheckBox* onceLabels_ = nullptr;
    QCheckBox* monthlyLabels_ = nullptr;
    QCheckBox* plainPaper_ = nullptr;
    QCheckBox* stock88mm_ = nullptr;
    QCheckBox* twoPerPage_ = nullptr;
    QLabel* onceCount_ = nullptr;
    QLabel* monthlyCount_ = nullptr;
    QLabel* onceLabelCount_ = nullptr;
    QLabel* monthlyLabelCount_ = nullptr;
    bool leaving_ = false; // the next screen has been opened
};

} // namespace velmora::print
