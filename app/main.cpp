#include "app/ProgramDir.h"
#include "app/Session.h"
#include "app/forms/QtDialogs.h"
#include "app/forms/ScreenFlow.h"
#include "cli/CommandLine.h"
#include "print/FontRegistry.h"

#include <QApplication>
#include <QMessageBox>
#include <iostream>

int main(int argc, char** argv) {
    const auto invocation = velmora::cli::parseInvocation(std::vector<std::string>(argv + 1, argv + argc));
    if (!invocation)
        return 2;
    const bool headless = !invocation->verb.empty();
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a scheduled job has no display

    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    velmora::print::registerBundledFonts();

    if (headless)
        return velmora::cli::runVerb(*invocation);

    velmora::QtDialogs dialogs;
    velmora::Session session;
    session.programDir = invocation->programDir.value_or(velmora::defaultProgramDir());
    session.dialogs = &dialogs;
    if (velmora::Status status = velmora::prepareProgramDir(session.programDir); !status) {
        dialogs.show({status.message(), {}, velmora::DialogButtons::Ok, velmora::DialogIcon::Critical});
        return 1;
    }
    velmora::ScreenFlow flow(session);
    flow.showPassword();
    return QApplication::exec();
}
