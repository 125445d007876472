#include "app/forms/ScreenFlow.h"

#include "app/Product.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace velmora {

namespace {

// Stands in for a screen that has not been built yet, naming what it would show.
QWidget* placeholder(const QString& title, const QString& text) {
    auto* window = new QWidget;
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(text, window));
    window->resize(480, 160);
    return window;
}

} // namespace

void ScreenFlow::present(QWidget* screen) {
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void ScreenFlow::showPassword() { present(placeholder("Password", "Password screen")); }
void ScreenFlow::showChangePassword() { present(placeholder("ChangePass", "Change password screen")); }
void ScreenFlow::showFontFailure() { present(placeholder("Font Failure Notice", "Font Failure Notice")); }
void ScreenFlow::showFileOpen() { present(placeholder("Choose a Database to Use", "Database selection")); }
void ScreenFlow::showCreateDatabase() { present(placeholder("Create New Database", "Create New Database")); }

void ScreenFlow::showDataEntry() {
    present(placeholder("Data Entry: ", "Open database: " + QString::fromStdString(session_.currentDatabase)));
}

void ScreenFlow::showPrinterControl() { present(placeholder("Printer Control Menu", "Printer Control Menu")); }
void ScreenFlow::showAlignPrinter() { present(placeholder("Align Printer", "Printer alignment")); }

void ScreenFlow::endProgram() {
    // Closing every window ends the event loop; quit() covers windows that refuse to close.
    QApplication::closeAllWindows();
    QApplication::quit();
}

} // namespace velmora

namespace velmora {
void ScreenFlow::exitProgram() { endProgram(); }
} // namespace velmora
