#pragma once

#include "app/Session.h"
#include "app/forms/Navigator.h"

class QWidget;

namespace velmora {

// The program's screens and the way between them. Every screen is a top-level window that deletes
// itself when closed; the flow only creates and shows the next one.
class ScreenFlow : public Navigator {
public:
    explicit ScreenFlow(Session& session)
        : session_(session) {}

    void showPassword() override;
    void showChangePassword() override;
    void showFontFailure() override;
    void showFileOpen() override;
    void showCreateDatabase() override;
    void showDataEntry() override;
    void showPrinterControl() override;
    void showAlignPrinter() override;
    void endProgram() override;
    void exitProgram() override;

private:
    void present(QWidget* screen);
    Session& session_;
};

} // namespace velmora
