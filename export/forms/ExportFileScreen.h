#pragma once

#include "base/Dialogs.h"
#include "base/Session.h"
#include "export/ExportFormats.h"

#include <QDialog>

namespace velmora::exporting {

// The export screen (form `ExportFile`): two buttons that write the check records of the current
// database to EXPORT.TXT in the program folder, all of each check or the customer's name, address
// and phone number. A finished export says where the file is and closes the screen; a failed one
// says why and leaves the screen open. Closing it from its frame exports nothing.
class ExportFileScreen : public QDialog {
public:
    ExportFileScreen(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void exportAs(const ExportFormat& format);

    Session& session_;
    Dialogs& dialogs_;
};

} // namespace velmora::exporting
