#include "support/CupsTestServer.h"

#include "support/PdfProbe.h"

#include <QProcess>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace velmora::testing {

namespace fs = std::filesystem;

namespace {

const char* const kScript = VELMORA_SOURCE_DIR "/scripts/cups-test-server.sh";

QString text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// A PDF is complete once it ends as a PDF file ends.
bool endsAsPdf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    if (size < 16)
        return false;
    std::string tail(16, '\0');
    in.seekg(size - 16);
    in.read(tail.data(), 16);
    return in && tail.find("%%EOF") != std::string::npos;
}

} // namespace

CupsTestServer::CupsTestServer() {
    if (const char* shared = std::getenv("VELMORA_CUPS_TEST_DIR"); shared && *shared) {
        dir_ = shared;
    } else {
        own_ = std::make_unique<TempDir>();
        dir_ = own_->path();
    }
    QProcess start;
    start.start("bash", {kScript, "start", text(dir_)});
    if (!start.waitForFinished(60000)) {
        whyNot_ = "the CUPS test server did not start within a minute";
        return;
    }
    const QString errors = QString::fromLocal8Bit(start.readAllStandardError()).trimmed();
    if (start.exitStatus() != QProcess::NormalExit || start.exitCode() != 0) {
        whyNot_ = errors.isEmpty() ? "the CUPS test server could not be started" : errors.toStdString();
        return;
    }
    std::string socket;
    for (const QString& line : QString::fromLocal8Bit(start.readAllStandardOutput()).split('\n')) {
        const QString value = line.section('=', 1);
        if (line.startsWith("CUPS_SERVER="))
            socket = value.toStdString();
        else if (line.startsWith("QUEUE="))
            queue_ = value.toStdString();
        else if (line.startsWith("OUTPUT="))
            output_ = value.toStdString();
    }
    if (socket.empty() || queue_.empty() || output_.empty()) {
        whyNot_ = "the CUPS test server did not say where it listens";
        return;
    }
    socket_ = socket;
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    // No other default than the one a test sets on this server.
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
}

CupsTestServer::~CupsTestServer() {
    if (own_) {
        QProcess stop;
        stop.start("bash", {kScript, "stop", text(dir_)});
        stop.waitForFinished(30000);
    }
}

fs::path CupsTestServer::ppd() const {
    return dir_ / "velmora-test.ppd";
}

std::string CupsTestServer::device() const {
    QProcess lpstat;
    lpstat.start("lpstat", {"-h", QString::fromStdString(socket_), "-v", QString::fromStdString(queue_)});
    lpstat.waitForFinished(30000);
    // "device for VelmoraPDF: cups-pdf:/velmora-0123456789ab"
    return QString::fromLocal8Bit(lpstat.readAllStandardOutput()).section(": ", 1).trimmed().toStdString();
}

int CupsTestServer::admin(const QString& program, QStringList arguments) const {
    arguments.prepend(QString::fromStdString(socket_));
    arguments.prepend("-h");
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

fs::path CupsTestServer::waitForJob(int job, std::chrono::seconds timeout) const {
    const std::string ending = "job_" + std::to_string(job) + ".pdf";
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (fs::directory_iterator it(output_, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            // cups-pdf writes the file and then hands it over: complete once it reads as a PDF.
            if (name.ends_with(ending) && endsAsPdf(it->path()) && PdfProbe(it->path()).loaded())
                return it->path();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

std::map<std::string, std::string> CupsTestServer::jobOptions(int job) const {
    // A line per printed sheet: the job's number, then name=value pairs, job-sheets last. The server
    // writes it as the job ends; a line it is still writing lacks its last pair.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        std::ifstream log(dir_ / "log" / "page_log");
        for (std::string line; std::getline(log, line);) {
            std::istringstream fields(line);
            std::string number;
            fields >> number;
            std::map<std::string, std::string> options;
            for (std::string pair; fields >> pair;)
                options[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
            if (number == std::to_string(job) && options.count("job-sheets"))
                return options;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
}

std::vector<int> reportedJobs(const std::string& errors) {
    std::vector<int> jobs;
    std::smatch found;
    if (!std::regex_search(errors, found, std::regex("as job ([0-9]+)(?: and ([0-9]+))?")))
        return jobs;
    for (std::size_t i = 1; i < found.size(); ++i)
        if (found[i].matched)
            jobs.push_back(std::stoi(found[i].str()));
    return jobs;
}

} // namespace velmora::testing
