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

namespace {

// How a screen stands to the screen that asked for it.
enum class Placement {
    Replace, // in the middle of the display, in place of the caller, which closes itself
    Beside,  // next to the caller, which stays usable; one copy at a time
    Over,    // in the middle of the display, over the caller, which stays open; one copy at a time
};

// What a screen is made with.
struct ScreenContext {
    Session& session;
    Navigator& navigator;
    QObject& lifetime; // for connections that must die with the flow
};

// A screen that reads what it shows first; nullptr when it could not (it has said why).
template <class S> QWidget* loaded(S* screen) {
    if (screen->load())
        return screen;
    screen->deleteLater();
    return nullptr;
}

// A screen whose start runs once the screen that asked for it has closed itself.
template <class S> QWidget* startedLater(S* screen) {
    QTimer::singleShot(0, screen, [screen] { screen->start(); });
    return screen;
}

// When `screen` closes, the data entry screen shown under it does `then`: the product types and amount
// options changed in program setup reach its list and its warnings at once, and a check voided on the
// register screen shows its new history line.
QWidget* onDataEntryWhenClosed(QWidget* screen, QObject& lifetime, void (entry::CheckScreen::*then)()) {
    if (screen)
        QObject::connect(screen, &QObject::destroyed, &lifetime, [then] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* dataEntry = qobject_cast<entry::CheckScreen*>(window);
                    dataEntry && dataEntry->isVisible())
                    (dataEntry->*then)();
            }
        });
    return screen;
}

struct Row {
    std::string_view name; // the screen's objectName
    Placement placement;
    // The screen, or nullptr when it could not be shown (it has said why).
    QWidget* (*make)(const ScreenContext&);
    std::string_view fallback; // shown instead when the screen could not be made
};

// Every screen of the program. A screen that shows the session's current database reports a file
// it cannot read itself; the data entry screen then brings back the selection screen.
// clang-format off
const Row kScreens[] = {
    {"Pass", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return startedLater(new app::PassScreen(c.session, c.navigator, [] { return print::offeredFaceNames(); }));
     }, {}},
    {"ChangePass", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return new app::ChangePassScreen(c.session, c.navigator);
     }, {}},
    // The font notice stands beside the password screen, which stays usable.
    {"FontFailure", Placement::Beside, [](const ScreenContext&) -> QWidget* {
         return new app::FontFailureScreen;
     }, {}},
    {"FileOpen", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return startedLater(new db::FileOpenScreen(c.session, c.navigator));
     }, {}},
    {"CreateNewDatabase", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return new db::CreateNewDatabaseScreen(c.session, c.navigator);
     }, {}},
    {"Check", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return loaded(new entry::CheckScreen(c.session, c.navigator, *c.session.dialogs));
     }, {}},
    {"PrinterControl", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return loaded(new print::PrinterControlScreen(c.session, c.navigator));
     }, "Check"},
    {"AlignPrinter", Placement::Replace, [](const ScreenContext& c) -> QWidget* {
         return loaded(new print::AlignPrinterScreen(c.session, c.navigator));
     }, "PrinterControl"},
    {"HelpAbout", Placement::Beside, [](const ScreenContext& c) -> QWidget* {
         return new app::AboutScreen(c.session.aboutLines);
     }, {}},
    {"MicrForm", Placement::Beside, [](const ScreenContext&) -> QWidget* {
         return new app::MicrInformationScreen;
     }, {}},
    {"ProgramSetup", Placement::Over, [](const ScreenContext& c) -> QWidget* {
         return onDataEntryWhenClosed(loaded(new app::ProgramSetupScreen(c.session)), c.lifetime,
                                      &entry::CheckScreen::reloadSettings);
     }, {}},
    // Modal, over the data entry screen, which has saved its record first.
    {"ExportFile", Placement::Over, [](const ScreenContext& c) -> QWidget* {
         return new exporting::ExportFileScreen(c.session, *c.session.dialogs);
     }, {}},
    // Over the data entry screen, which has saved its record first and reads it again afterwards.
    {"Register", Placement::Over, [](const ScreenContext& c) -> QWidget* {
         return onDataEntryWhenClosed(loaded(new exporting::RegisterScreen(c.session, *c.session.dialogs)),
                                      c.lifetime, &entry::CheckScreen::readRecordAgain);
     }, {}},
};
// clang-format on

const Row* findRow(std::string_view name) {
    const auto* row = std::find_if(std::begin(kScreens), std::end(kScreens),
                                   [name](const Row& candidate) { return candidate.name == name; });
    return row == std::end(kScreens) ? nullptr : row;
}

} // namespace

std::vector<std::string_view> ScreenFlow::screenNames() {
    std::vector<std::string_view> names;
    for (const Row& row : kScreens)
        names.push_back(row.name);
    return names;
}

void ScreenFlow::show(std::string_view screen) {
    const Row* row = findRow(screen);
    if (!row)
        qFatal("No screen is named %.*s", static_cast<int>(screen.size()), screen.data());
    const ScreenContext context{session_, *this, lifetime_};
    if (row->placement == Placement::Replace) {
        QWidget* made = row->make(context);
        if (made) {
            current_ = made;
            present(made);
        } else if (!row->fallback.empty()) {
            show(row->fallback);
        }
        return;
    }
    // One copy at a time: asking again brings the open one to the front as it is.
    QPointer<QWidget>& open = open_[row->name];
    if (open) {
        raiseOpen(open);
        return;
    }
    // Beside the window the user asked from; a screen asked for by a screen that is still coming up
    // (the font notice of the password screen) stands beside that one.
    const QWidget* caller = QApplication::activeWindow() ? QApplication::activeWindow() : current_.data();
    open = row->make(context);
    if (open)
        present(open, row->placement == Placement::Beside ? caller : nullptr);
}

void ScreenFlow::raiseOpen(QWidget* open) {
    open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
    open->show();
    open->raise();
    open->activateWindow();
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
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* setup = dynamic_cast<app::ProgramSetupScreen*>(window); setup && setup->isVisible())
            setup->closeForExit();
    }
    WaitScreen wait;
    const DatabaseLocation current = session_.currentLocation();
    const Result<app::ExitBackup> backup = app::runExitRoutine(session_.programDir, current, wait);
    if (!backup)
        session_.dialogs->show(
            {backup.message() + "\n\nAny earlier backup copy is unchanged. The program will now end.",
             {},
             DialogButtons::Ok,
             DialogIcon::Exclamation});
    else if (*backup == app::ExitBackup::LeftToServer)
        session_.dialogs->show(
            {app::leftToServerNotice(current), {}, DialogButtons::Ok, DialogIcon::Information});
    endProgram();
}
} // namespace velmora::shell
