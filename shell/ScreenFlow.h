#pragma once

#include "base/Navigator.h"
#include "base/Session.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace velmora::app {
class ProgramSetupScreen;
}

namespace velmora::shell {

// The program's screens and the way between them. Every screen is a top-level window that deletes
// itself when closed; the flow only creates and shows the next one.
//
// A screen asks for the next one from inside one of its own events (a click, a menu's key press) and
// closes itself, which frees it once that event has returned. Nothing the flow does on such a call
// may therefore let events through before then: the exit routine, whose wait screen is painted
// while the backup copy is made, runs as an event of its own.
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
    void showAbout() override;
    void showMicrInformation() override;
    void showProgramSetup() override;
    void showExportFile() override;
    void showRegister() override;
    void endProgram() override;
    void exitProgram() override;

private:
    // Shows a new screen in the middle of the display, or beside `beside` when given.
    void present(QWidget* screen, const QWidget* beside = nullptr);
    // Shows the window that `open` points to, made by `make` beside the active window unless one
    // is open already.
    void showBeside(QPointer<QWidget>& open, const std::function<QWidget*()>& make);
    // Brings an open window to the front as it is.
    static void raiseOpen(QWidget* open);
    void runExitRoutine();

    Session& session_;
    QObject lifetime_; // calls queued by the flow die with it
    QPointer<QWidget> about_;
    QPointer<QWidget> micrInformation_;
    QPointer<app::ProgramSetupScreen> programSetup_;
};

} // namespace velmora::shell
