#pragma once

#include "app/ProgramSetup.h"
#include "base/Session.h"
#include "widgets/ScreenDialog.h"

#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace velmora::app {

// Program Setup and Options (form `ProgramSetup`): the product types offered on the data entry
// screen, one at a time with a record navigator, the bank tran code, the backup on exit, how entered
// checks print their amount, and the office's database server of the shared check databases, which
// "Test connection" tries without storing it. It opens over the data entry screen, which stays open
// underneath.
//
// The product type typed in the box is stored whenever it is left: by a move, New, OK, Done or
// closing the window. The other options are stored when the screen closes, however it closes; what
// cannot be stored is told, and the screen stays open unless the user chooses to lose it.
class ProgramSetupScreen : public widgets::ScreenDialog {
public:
    explicit ProgramSetupScreen(Session& session, QWidget* parent = nullptr);

    // Opens the settings file and shows the first product type; false (after telling the user) when it
    // cannot be read.
    bool load();
    // Closes the screen as the program ends: what cannot be stored is told, and the screen closes.
    void closeForExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The rows of the product type and its record navigator, and the options below them; each
    // returns its controls in tab order.
    std::vector<QWidget*> addProductTypeRows(QVBoxLayout& layout);
    std::vector<QWidget*> addOptions(QVBoxLayout& layout);
    void showProductType();
    // Runs a command on the product types; a failure is told and the box keeps what was typed.
    bool perform(const Status& outcome, const char* what);
    void moveTo(ProgramSetup::Move to);
    void deleteProductType();
    void ok();
    void finish();
    ServerAddress typedServer() const;
    void testConnection();

    Session& session_;
    std::optional<ProgramSetup> setup_;
    QLineEdit* productType_ = nullptr;
    QLabel* recordNumber_ = nullptr;
    QLineEdit* tranCode_ = nullptr;
    QCheckBox* backup_ = nullptr;
    QCheckBox* amountInWords_ = nullptr;
    QCheckBox* amountWithCents_ = nullptr;
    QLineEdit* server_ = nullptr;
    QCheckBox* requireTls_ = nullptr;
    bool closing_ = false; // closed by the end of the program: nothing may keep the screen open
};

} // namespace velmora::app
