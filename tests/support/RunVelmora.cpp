#include "support/RunVelmora.h"

#include "cli/Command.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace velmora::testing {

namespace {

// The command the arguments run: the first that is no option nor the value of --dir; null for the
// program itself.
const cli::Command& commandOf(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--dir") {
            ++i;
        } else if (!arguments[i].startsWith("-")) {
            const cli::Command* command = cli::findCommand(arguments[i].toStdString());
            return command ? *command : cli::programCommand();
        }
    }
    return cli::programCommand();
}

bool listed(const cli::Command& command, int status) {
    return std::any_of(command.exits.begin(), command.exits.end(),
                       [&](const cli::ExitHelp& exit) { return cli::exitCode(exit.exit) == status; });
}

} // namespace

QString velmoraProgram() {
    return VELMORA_BINARY_DIR "/velmora";
}

QString argument(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

void prepareVelmora(QProcess& process, const RunOptions& options) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const auto& [name, value] : options.environment) {
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    process.setProcessEnvironment(environment);
    if (!options.workingDir.empty())
        process.setWorkingDirectory(argument(options.workingDir));
    if (options.inChild)
        process.setChildProcessModifier(options.inChild);
}

VelmoraRun runVelmora(const QStringList& arguments, const RunOptions& options) {
    QProcess process;
    prepareVelmora(process, options);
    process.start(velmoraProgram(), arguments);
    if (!options.input.isEmpty())
        process.write(options.input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    VelmoraRun run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   process.readAllStandardOutput().toStdString(),
                   process.readAllStandardError().toStdString()};
    const cli::Command& command = commandOf(arguments);
    if (run.exitCode != -1) {
        EXPECT_TRUE(listed(command, run.exitCode))
            << "velmora " << (command.name.empty() ? "" : command.name + " ") << "ended with " << run.exitCode
            << ", which its usage does not list\n"
            << run.errors;
    }
    return run;
}

} // namespace velmora::testing
