#pragma once

#include "base/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::print::cups {

// The printers of the print system (CUPS), as the client library sees them: the server named by
// CUPS_SERVER or the client configuration, else the local one.

struct Printer {
    std::string name;        // the queue
    std::string description; // what the print system calls it; may be empty
    bool isDefault = false;
    bool stopped = false;  // disabled: jobs wait in the queue
    bool accepting = true; // false: jobs are refused
};

// Every queue, sorted by name; empty when there is no print system to ask.
std::vector<Printer> printers();
// The system's default printer (the user's own default first); std::nullopt when there is none.
std::optional<std::string> defaultPrinter();
// Whether `queue` takes a job now; otherwise what is wrong, in words for the user.
Status checkQueue(const std::string& queue);

// The job options every job is sent with, whatever the queue's defaults: letter paper in portrait
// orientation at actual size (no scaling to fit), one copy, one page to a sheet, one-sided, no
// banner pages. Checks only come out right as they were laid out.
std::vector<std::pair<std::string, std::string>> fixedJobOptions();

// Sends the PDF `file` to `queue` with the fixed options; the number of the job the queue took.
Result<int> sendPdf(const std::string& queue, const std::filesystem::path& file, const std::string& title);

} // namespace velmora::print::cups
