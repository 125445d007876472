#pragma once

#include "support/TempDir.h"

#include <QStringList>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace velmora::testing {

// The private CUPS scheduler of scripts/cups-test-server.sh, with its cups-pdf queue: the one the
// test command started for the whole suite (its folder in VELMORA_CUPS_TEST_DIR), or otherwise one
// started for this test and stopped after it. Where none can run (not root, CUPS missing), the
// tests that need it skip with the script's reason.
class CupsTestServer {
public:
    CupsTestServer();
    ~CupsTestServer();
    CupsTestServer(const CupsTestServer&) = delete;
    CupsTestServer& operator=(const CupsTestServer&) = delete;

    bool running() const { return !socket_.empty(); }
    const std::string& whyNot() const { return whyNot_; }

    // CUPS_SERVER for the client library; this process and the programs it starts use it.
    const std::string& socket() const { return socket_; }
    // The queue that prints through cups-pdf, and the folder where cups-pdf writes its PDFs.
    const std::string& queue() const { return queue_; }
    const std::filesystem::path& output() const { return output_; }
    // The printer description the queue was made with (its printable area is not the PDF output's).
    std::filesystem::path ppd() const;
    // The device of the queue: another queue on it prints into the same folder.
    std::string device() const;

    // Runs an administration command (lpadmin, cupsdisable, ...) on this server; its exit status.
    int admin(const QString& program, QStringList arguments) const;
    // The PDF cups-pdf writes for job `job`, once it is complete; empty when it did not come.
    std::filesystem::path waitForJob(int job, std::chrono::seconds timeout = std::chrono::seconds(60)) const;
    // The options job `job` printed with, as the server logged them at its end ("copies" -> "1", ...),
    // waiting for them a while; empty when it logged none.
    std::map<std::string, std::string> jobOptions(int job) const;

private:
    std::unique_ptr<TempDir> own_;
    std::filesystem::path dir_;
    std::string socket_;
    std::string queue_;
    std::filesystem::path output_;
    std::string whyNot_;
};

// The job numbers a `velmora print --printer` run reports ("as job 12 and 13").
std::vector<int> reportedJobs(const std::string& errors);

} // namespace velmora::testing
