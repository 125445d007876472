#include "shell/ScreenFlow.h"

#include "app/ExitRoutine.h"
#include "app/forms/AboutScreen.h"
#include "app/forms/ChangePassScreen.h"
#include "app/forms/FontFailureScreen.h"
#include "app/forms/MicrInformationScreen.h"
#include "app/forms/PassScreen.h"
#include "app/forms/ProgramSetupScreen.h"
#include "base/Product.h"
#include "db/forms/CreateNewDatabaseScreen.h"
#include "db/forms/FileOpenScreen.h"
#include "db/forms/PleaseWaitScreen.h"
#include "entry/forms/CheckScreen.h"
#include "export/forms/ExportFileScreen.h"
#include "export/forms/RegisterScreen.h"
#include "print/FontCatalog.h"
#include "print/forms/AlignPrinterScreen.h"
#include "print/forms/PrinterControlScreen.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace velmora::shell {

namespace {

// Puts `window` next to `caller` (right of it, else left of it), whole on the caller's screen.
void placeBeside(QWidget* window, const QWidget* caller) {
    constexpr int kGap = 12;
    const QRect area = caller->screen()->availableGeometry();
    const QRect beside = caller->frameGeometry();
    // A window not shown yet has no frame: it will get one like the caller's.
    const QSize size = window->isVisible() ? window->frameGeometry().size()
                                           : window->size() + beside.size() - caller->geometry().size();
    const int right = beside.right() + 1 + kGap;
    const int left = beside.left() - kGap - size.width();
    int x = right;
    if (right + size.width() > area.right() + 1) {
        // Without room on the right: on the left, else against the edge on the roomier side, where it
        // covers the least of the caller.
        if (left >= area.left())
            x = left;
        else
            x = area.right() - beside.right() >= beside.left() - area.left() ? area.right() + 1 - size.width()
                                                                             : area.left();
    }
    const int y = std::max(area.top(), std::min(beside.top(), area.bottom() + 1 - size.height()));
    window->move(std::max(x, area.left()), y);
}

} // namespace

void ScreenFlow::present(QWidget* screen, const QWidget* beside) {
    screen->setAttribute(Qt::WA_DeleteOnClose);
    // A screen that set no size of its own gets the size show() would give it, so that it is placed
    // as shown. Each screen replaces the one before it: in the middle of the screen, whole. A
    // screen that opens beside another stands next to it.
    if (!screen->testAttribute(Qt::WA_Resized))
        screen->adjustSize();
    if (beside) {
        placeBeside(screen, beside);
    } else if (const QScreen* display = QGuiApplication::primaryScreen()) {
        QRect frame = screen->frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        screen->move(frame.topLeft());
    }
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void ScreenFlow::showPassword() {
    auto* pass = new app::PassScreen(session_, *this, [] { return print::offeredFaceNames(); });
    present(pass);
    // Once the screen that asked for this one has closed itself.
    QTimer::singleShot(0, pass, [pass] { pass->start(); });
}
void ScreenFlow::showChangePassword() {
    present(new app::ChangePassScreen(session_, *this));
}
void ScreenFlow::showFontFailure() {
    // The notice stands beside the password screen, which stays usable.
    QWidget* beside = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("Pass") && window->isVisible())
            beside = window;
    }
    present(new app::FontFailureScreen, beside);
}
void ScreenFlow::showFileOpen() {
    auto* fileOpen = new db::FileOpenScreen(session_, *this);
    present(fileOpen);
    QTimer::singleShot(0, fileOpen, [fileOpen] { fileOpen->start(); });
}
void ScreenFlow::showCreateDatabase() {
    present(new db::CreateNewDatabaseScreen(session_, *this));
}

void ScreenFlow::showDataEntry() {
    auto* screen = new entry::CheckScreen(session_, *this, *session_.dialogs);
    if (screen->load())
        present(screen);
    else
        screen->deleteLater(); // it has reported the file and brought the selection screen back
}

void ScreenFlow::showPrinterControl() {
    auto* screen = new print::PrinterControlScreen(session_, *this);
    if (screen->load()) {
        present(screen);
    } else {
        screen->deleteLater(); // it has said why; the data entry screen comes back
        showDataEntry();
    }
}

void ScreenFlow::showAlignPrinter() {
    auto* screen = new print::AlignPrinterScreen(session_, *this);
    if (screen->load()) {
        present(screen);
    } else {
        screen->deleteLater();
        showPrinterControl();
    }
}

void ScreenFlow::showAbout() {
    showBeside(about_, [this] { return new app::AboutScreen(session_.aboutLines); });
}

void ScreenFlow::showMicrInformation() {
    showBeside(micrInformation_, [] { return new app::MicrInformationScreen; });
}

void ScreenFlow::showExportFile() {
    // Modal, over the middle of the data entry screen, which stands in the middle of the display.
    present(new exporting::ExportFileScreen(session_, *session_.dialogs));
}

void ScreenFlow::showRegister() {
    auto* screen = new exporting::RegisterScreen(session_, *session_.dialogs);
    if (!screen->load()) {
        delete screen; // it has said why; the data entry screen stays as it was
        return;
    }
    // A check voided there has a new history line in its comments: the data entry screen shows it.
    QObject::connect(screen, &QObject::destroyed, &lifetime_, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dataEntry = qobject_cast<entry::CheckScreen*>(window);
                dataEntry && dataEntry->isVisible())
                dataEntry->readRecordAgain();
        }
    });
    present(screen);
}

void ScreenFlow::showBeside(QPointer<QWidget>& open, const std::function<QWidget*()>& make) {
    // One copy at a time: asking again brings the open one to the front as it is.
    if (!open) {
        QWidget* caller = QApplication::activeWindow();
        open = make();
        present(open, caller);
        return;
    }
    raiseOpen(open);
}

void ScreenFlow::raiseOpen(QWidget* open) {
    open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
    open->show();
    open->raise();
    open->activateWindow();
}

void ScreenFlow::showProgramSetup() {
    if (programSetup_) {
        raiseOpen(programSetup_);
        return;
    }
    auto* screen = new app::ProgramSetupScreen(session_);
    if (!screen->load()) {
        delete screen; // it has said why; the data entry screen stays as it was
        return;
    }
    programSetup_ = screen;
    // The product types changed there reach the data entry screen's list at once (the list keeps
    // the text the check shows), and the amount options its warnings.
    QObject::connect(screen, &QObject::destroyed, &lifetime_, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dataEntry = qobject_cast<entry::CheckScreen*>(window);
                dataEntry && dataEntry->isVisible())
                dataEntry->reloadSettings();
        }
    });
    present(screen);
}

void ScreenFlow::endProgram() {
    // Closing every window ends the event loop; quit() covers windows that refuse to close.
    QApplication::closeAllWindows();
    QApplication::quit();
}

} // namespace velmora::shell

namespace velmora::shell {
namespace {
// The wait screen, up while the exit routine makes the backup copy.
class WaitScreen : public app::BackupProgress {
public:
    void backupStarting() override {
        screen_.show();
        QApplication::processEvents(); // painted before the copy holds the event loop
    }
    void backupFinished() override { screen_.close(); }

private:
    db::PleaseWaitScreen screen_;
};
} // namespace

void ScreenFlow::exitProgram() {
    QTimer::singleShot(0, &lifetime_, [this] { runExitRoutine(); });
}

void ScreenFlow::runExitRoutine() {
    // An open program setup stores its options first: a backup just asked for there counts.
    if (programSetup_)
        programSetup_->closeForExit();
    WaitScreen wait;
    if (Status status = app::runExitRoutine(session_.programDir, session_.currentDatabase, wait); !status)
        session_.dialogs->show(
            {status.message() + "\n\nAny earlier backup copy is unchanged. The program will now end.",
             {},
             DialogButtons::Ok,
             DialogIcon::Exclamation});
    endProgram();
}
} // namespace velmora::shell
