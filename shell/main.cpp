#include "app/ProgramDir.h"
#include "base/Session.h"
#include "cli/CommandLine.h"
#include "print/FontRegistry.h"
#include "shell/ScreenFlow.h"
#include "shell/StartupConversion.h"
#include "widgets/QtDialogs.h"

#include <QApplication>
#include <csignal>
#include <iostream>

namespace {

using velmora::cli::Exit;
using velmora::cli::exitCode;

// A command's output is its own messages, which say every failure in the program's words; Qt's
// remarks (a missing runtime folder, a painter that could not start) would only bury them. Only a
// fatal message, which ends the process, is still shown.
void quietHeadlessMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg)
        std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) makes a write fail with EFBIG, which every writer reports as a
    // failure; by default the signal would kill the program halfway, without a word and with its
    // temporary files left behind. For the screens and every verb alike.
    std::signal(SIGXFSZ, SIG_IGN);
    const auto invocation = velmora::cli::parseInvocation(std::vector<std::string>(argv + 1, argv + argc));
    if (!invocation)
        return exitCode(Exit::UnknownCommand);
    switch (invocation->request) {
    case velmora::cli::Invocation::Request::Help:
        std::cout << velmora::cli::usageFor(*invocation);
        return exitCode(Exit::Told);
    case velmora::cli::Invocation::Request::Version:
        std::cout << velmora::cli::versionText();
        return exitCode(Exit::Told);
    case velmora::cli::Invocation::Request::Run:
        break;
    }
    const bool headless = !invocation->verb.empty();
    if (headless) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // a scheduled job has no display
        qInstallMessageHandler(quietHeadlessMessages);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    velmora::print::registerBundledFonts();

    if (headless)
        return velmora::cli::runVerb(*invocation);

    velmora::widgets::QtDialogs dialogs;
    velmora::Session session;
    session.programDir = invocation->programDir.value_or(velmora::app::defaultProgramDir());
    session.dialogs = &dialogs;
    if (velmora::Status status = velmora::app::prepareProgramDir(session.programDir); !status) {
        dialogs.show({status.message(), {}, velmora::DialogButtons::Ok, velmora::DialogIcon::Critical});
        return exitCode(Exit::ProgramDirUnusable);
    }
    if (!velmora::shell::settingsReadyAtStart(session))
        return exitCode(Exit::ProgramDirUnusable); // told why; PC.OVL is as it was
    velmora::shell::ScreenFlow flow(session);
    flow.show("Pass");
    return QApplication::exec();
}
