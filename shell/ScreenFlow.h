#pragma once

#include "base/Navigator.h"
#include "base/Session.h"

#include <QObject>
#include <QPointer>
#include <map>
#include <string_view>
#include <vector>

class QWidget;

namespace velmora::shell {

// The program's screens and the way between them. Every screen is a top-level window that deletes
// itself when closed; the flow only creates and shows the next one, from one table of the screens
// (ScreenFlow.cpp): its objectName, how it stands to the screen that asked for it, and how it is made.
//
// A screen asks for the next one from inside one of its own events (a click, a menu's key press) and
// closes itself, which frees it once that event has returned. Nothing the flow does on such a call
// may therefore let events through before then: the exit routine, whose wait screen is painted
// while the backup copy is made, runs as an event of its own.
class ScreenFlow : public Navigator {
public:
    explicit ScreenFlow(Session& session)
        : session_(session) {}

    void show(std::string_view screen) override;
    void endProgram() override;
    void exitProgram() override;

    // The objectNames of the screens the flow can show, in the order of its table.
    static std::vector<std::string_view> screenNames();

private:
    // Shows a new screen in the middle of the display, or beside `beside` when given.
    static void present(QWidget* screen, const QWidget* beside = nullptr);
    // Brings an open window to the front as it is.
    static void raiseOpen(QWidget* open);
    void runExitRoutine();

    Session& session_;
    QObject lifetime_;          // calls queued by the flow die with it
    QPointer<QWidget> current_; // the last screen shown in place of another
    // The screens that stand once only (beside or over another), while they are open.
    std::map<std::string_view, QPointer<QWidget>, std::less<>> open_;
};

} // namespace velmora::shell
