#include "shell/ScreenFlow.h"

#include "app/ExitRoutine.h"
#include "app/forms/ChangePass.h"
#include "app/forms/FontFailure.h"
#include "app/forms/Pass.h"
#include "base/Product.h"
#include "db/forms/CreateNewDatabase.h"
#include "db/forms/FileOpen.h"
#include "db/forms/PleaseWait.h"
#include "entry/forms/CheckForm.h"
#include "print/FontCatalog.h"
#include "print/forms/AlignPrinter.h"
#include "print/forms/PrinterControl.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace velmora {

void ScreenFlow::present(QWidget* screen) {
    screen->setAttribute(Qt::WA_DeleteOnClose);
    // Each screen replaces the one before it: show it in the middle of the screen, whole. A screen
    // that set no size of its own gets the size show() would give it, so that it is centred as shown.
    if (!screen->testAttribute(Qt::WA_Resized))
        screen->adjustSize();
    if (const QScreen* display = QGuiApplication::primaryScreen()) {
        QRect frame = screen->frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        screen->move(frame.topLeft());
    }
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void ScreenFlow::showPassword() {
    auto* pass = new Pass(session_, *this, [] { return print::offeredFaceNames(); });
    present(pass);
    // Once the screen that asked for this one has closed itself.
    QTimer::singleShot(0, pass, [pass] { pass->start(); });
}
void ScreenFlow::showChangePassword() {
    present(new ChangePass(session_, *this));
}
void ScreenFlow::showFontFailure() {
    // The notice stands beside the password screen, which stays usable.
    QWidget* beside = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("Pass") && window->isVisible())
            beside = window;
    }
    auto* notice = new FontFailure;
    present(notice);
    if (beside) {
        const QRect area = notice->screen()->availableGeometry();
        const QPoint right = beside->frameGeometry().topRight() + QPoint(12, 0);
        notice->move(std::min(right.x(), area.right() - notice->frameGeometry().width()), right.y());
    }
}
void ScreenFlow::showFileOpen() {
    auto* fileOpen = new FileOpen(session_, *this);
    present(fileOpen);
    QTimer::singleShot(0, fileOpen, [fileOpen] { fileOpen->start(); });
}
void ScreenFlow::showCreateDatabase() {
    present(new CreateNewDatabase(session_, *this));
}

void ScreenFlow::showDataEntry() {
    auto* screen = new entry::CheckForm(session_, *this, *session_.dialogs);
    if (screen->load())
        present(screen);
    else
        screen->deleteLater(); // it has reported the file and brought the selection screen back
}

void ScreenFlow::showPrinterControl() {
    auto* screen = new PrinterControl(session_, *this);
    if (screen->load()) {
        present(screen);
    } else {
        screen->deleteLater(); // it has said why; the data entry screen comes back
        showDataEntry();
    }
}

void ScreenFlow::showAlignPrinter() {
    auto* screen = new AlignPrinter(session_, *this);
    if (screen->load()) {
        present(screen);
    } else {
        screen->deleteLater();
        showPrinterControl();
    }
}

void ScreenFlow::endProgram() {
    // Closing every window ends the event loop; quit() covers windows that refuse to close.
    QApplication::closeAllWindows();
    QApplication::quit();
}

} // namespace velmora

namespace velmora {
namespace {
// The wait screen, up while the exit routine makes the backup copy.
class WaitScreen : public BackupProgress {
public:
    void backupStarting() override {
        screen_.show();
        QApplication::processEvents(); // painted before the copy holds the event loop
    }
    void backupFinished() override { screen_.close(); }

private:
    PleaseWait screen_;
};
} // namespace

void ScreenFlow::exitProgram() {
    QTimer::singleShot(0, &lifetime_, [this] { runExitRoutine(); });
}

void ScreenFlow::runExitRoutine() {
    WaitScreen wait;
    if (Status status = velmora::runExitRoutine(session_.programDir, session_.currentDatabase, wait); !status)
        session_.dialogs->show(
            {status.message() + "\n\nAny earlier backup copy is unchanged. The program will now end.",
             {},
             DialogButtons::Ok,
             DialogIcon::Exclamation});
    endProgram();
}
} // namespace velmora
