#include "print/printer/CupsPrinters.h"

#include <algorithm>
#include <cups/cups.h>
#include <memory>

namespace velmora::print::cups {

namespace {

// The IPP value of printer-state for a stopped printer.
constexpr const char* kStateStopped = "5";

// clang-format off
const char* const kUnreachable = "The print system cannot be reached, so nothing can be sent to the printer ";
const char* const kNotAccepting = " is not accepting jobs: the print system refuses them until the printer is set to accept jobs again";
const char* const kStopped = " is stopped (disabled in the print system): a job sent to it would wait in its queue and not print";
// clang-format on

std::string optionOf(const cups_dest_t& dest, const char* name) {
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? value : "";
}

Printer describe(const cups_dest_t& dest) {
    Printer printer;
    printer.name = dest.name;
    printer.description = optionOf(dest, "printer-info");
    if (printer.description.empty() || printer.description == printer.name)
        printer.description = optionOf(dest, "printer-make-and-model");
    printer.isDefault = dest.is_default != 0;
    printer.stopped = optionOf(dest, "printer-state") == kStateStopped;
    printer.accepting = optionOf(dest, "printer-is-accepting-jobs") != "false";
    return printer;
}

struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

} // namespace

std::vector<Printer> printers() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<Printer> found;
    for (int i = 0; i < count; ++i) {
        if (!dests[i].instance) // an instance is the same queue with other defaults
            found.push_back(describe(dests[i]));
    }
    cupsFreeDests(count, dests);
    std::sort(found.begin(), found.end(), [](const Printer& a, const Printer& b) { return a.name < b.name; });
    return found;
}

std::optional<std::string> defaultPrinter() {
    const std::unique_ptr<cups_dest_t, DestFree> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!dest)
        return std::nullopt;
    return std::string(dest->name);
}

Status checkQueue(const std::string& queue) {
    const std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr));
    if (!dest) {
        if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            return Status::failure(kUnreachable + queue + " (" + cupsLastErrorString() + ")");
        return Status::failure("There is no printer named " + queue);
    }
    const Printer printer = describe(*dest);
    if (!printer.accepting)
        return Status::failure("The printer " + queue + kNotAccepting);
    if (printer.stopped)
        return Status::failure("The printer " + queue + kStopped);
    return {};
}

std::vector<std::pair<std::string, std::string>> fixedJobOptions() {
    return {{"media", "Letter"}, {"PageSize", "Letter"},   {"orientation-requested", "3"}, // portrait
            {"copies", "1"},     {"fit-to-page", "false"}, {"print-scaling", "none"},
            {"number-up", "1"},  {"sides", "one-sided"},   {"job-sheets", "none,none"}};
}

Result<int> sendPdf(const std::string& queue, const std::filesystem::path& file, const std::string& title) {
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : fixedJobOptions())
        count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), file.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        return Result<int>::failure("The printer " + queue +
                                    " did not take the job: " + cupsLastErrorString());
    return job;
}

} // namespace velmora::print::cups
