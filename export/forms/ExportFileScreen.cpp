#include "export/forms/ExportFileScreen.h"

#include "export/ExportFile.h"
#include "widgets/ScreenButton.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace velmora::exporting {

namespace {

// clang-format off
const char* const kCustomerCaption = "Export Customer Information Only";
const char* const kAllCaption = "Export ALL Check Information";
const char* const kCustomerExplanation = "The \"Export Customer Information Only\" button exports customer information (name address and phone number) in a draft database to a file named \"EXPORT.TXT\" in the program directory.";
const char* const kAllExplanation = "The \"Export ALL Check Information\" button exports all information (including check, routing and transit numbers) in a database to a file named \"EXPORT.TXT\" in the program directory.";
// clang-format on

QLabel* explanation(const char* text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

ExportFileScreen::ExportFileScreen(Session& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , session_(session)
    , dialogs_(dialogs) {
    setObjectName("ExportFile");
    setWindowTitle("Export / Import Menu");
    // Over the data entry screen, whose record was saved before: nothing changes under the export.
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation(kCustomerExplanation, "CustomerExplanation", this));
    auto* customers =
        widgets::screenButton(this, kCustomerCaption, "ExportCustomers", widgets::ButtonRole::Default,
                              [this] { exportAs(CustomerInformationExport()); });
    layout->addWidget(customers);
    layout->addSpacing(12);
    layout->addWidget(explanation(kAllExplanation, "AllExplanation", this));
    layout->addWidget(widgets::screenButton(this, kAllCaption, "ExportAll", widgets::ButtonRole::Normal,
                                            [this] { exportAs(CheckInformationExport()); }));
    setFixedWidth(fontMetrics().averageCharWidth() * 70);
    customers->setFocus();
}

void ExportFileScreen::exportAs(const ExportFormat& format) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult written = writeExport(session_.currentLocation(), format,
                                             exportFilePath(session_.programDir), session_.programDir);
    QApplication::restoreOverrideCursor();
    if (!written.ok()) {
        dialogs_.show({written.message, {}, DialogButtons::Ok, DialogIcon::Critical});
        return;
    }
    dialogs_.inform(format.completionMessage());
    if (!written.notice.empty())
        dialogs_.show({written.notice, "Values cut", DialogButtons::Ok, DialogIcon::Exclamation});
    close();
}

} // namespace velmora::exporting
