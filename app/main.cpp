#include "app/ProgramDir.h"
#include "app/Session.h"
#include "app/forms/QtDialogs.h"
#include "app/forms/ScreenFlow.h"
#include "cli/CommandLine.h"
#include "print/FontRegistry.h"

#include <QApplication>
#include <iostream>

namespace {

// A scheduled job runs without a desktop session; Qt's remark about the missing runtime folder
// would only bury the job's own messages.
void quietHeadlessMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
}

} // namespace

int main(int argc, char** argv) {
    const auto invocation = velmora::cli::parseInvocation(std::vector<std::string>(argv + 1, argv + argc));
    if (!invocation)
        return 2;
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
