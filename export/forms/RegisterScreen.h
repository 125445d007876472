#pragma once

#include "base/Dialogs.h"
#include "base/Session.h"
#include "db/CheckDatabase.h"
#include "export/RegisterFiles.h"
#include "export/forms/RegisterModel.h"

#include <QDialog>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace velmora::exporting {

// The register screen (form `Register`), over the data entry screen: the printed checks of the
// current database as a table sorted by number, narrowed to a range of dates printed and to the
// issued or void checks, with the total of the amounts shown. Nothing on it changes a check but Void,
// which voids the selected one. The rows shown can be written to a comma-delimited file, and the
// issued and voided checks of the dates chosen to a positive pay file in a bank's format, each
// through the same writer as the export file.
//
// Keyboard: every control has an access key; the table takes the arrow keys, Page Up and Down.
class RegisterScreen : public QDialog {
public:
    RegisterScreen(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~RegisterScreen() override;

    // Opens the current database and shows every check of the register. A file that cannot be opened
    // is reported; returns whether the screen can be shown.
    bool load();

    RegisterModel* model() { return model_.get(); }

private:
    void buildControls();
    // The view the controls choose.
    db::RegisterView chosenView() const;
    void applyView();
    void showTotals();
    void voidSelected();
    void writeShownRows();
    void writePositivePay();
    // Asks for the file to write (the program folder's `defaultName` to begin with), and whether to
    // replace it when it exists; std::nullopt when the user calls it off or the file cannot be written.
    std::optional<std::filesystem::path> askTarget(const char* what, const char* defaultName);
    // Tells how writing a file went.
    void tellWritten(const ExportResult& written, const std::filesystem::path& target,
                     const std::string& what);

    Session& session_;
    Dialogs& dialogs_;
    std::optional<db::CheckDatabase> database_;
    std::unique_ptr<RegisterModel> model_;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QComboBox* states_ = nullptr;
    QComboBox* format_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* totals_ = nullptr;
    QPushButton* void_ = nullptr;
};

} // namespace velmora::exporting
