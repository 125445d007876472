#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace velmora::testing {

// How a run of the velmora program ended: its exit status (-1 when it did not end by itself: a
// signal, a crash, a minute gone by) and what it wrote.
struct VelmoraRun {
    int exitCode = -1;
    std::string output; // standard output
    std::string errors; // standard error
};

// What a test gives the run besides its arguments.
struct RunOptions {
    QByteArray input = {};                       // written to standard input, which is then closed
    std::filesystem::path workingDir = {};       // empty: the test's own
    std::map<QString, QString> environment = {}; // set (an empty value: removed) over the test's own
    std::function<void()> inChild = {};          // called in the child before the program starts
};

// `velmora ARGUMENTS` as a script or a scheduled job runs it: without a display. A run that ends by
// itself must end with a status its command's usage lists (the program's own for no command), which
// is checked here for every run.
VelmoraRun runVelmora(const QStringList& arguments, const RunOptions& options = {});

// Prepares `process` to run velmora as runVelmora() does, for a test that drives it itself.
void prepareVelmora(QProcess& process, const RunOptions& options = {});
QString velmoraProgram();

// A path as an argument.
QString argument(const std::filesystem::path& path);

} // namespace velmora::testing
