// Throughput of the PDF back end: pages of three checks, each about forty text items in the text
// font and the MICR font, as the print run of entered checks draws them.
#include "print/PdfSurface.h"
#include "print/RecordingSurface.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

using velmora::db::Money;
using velmora::print::LineEnding;
using velmora::print::PrintSurface;
using Items = std::vector<velmora::print::PrintItem>;

constexpr int checksPerPage = 3;

void line(PrintSurface& s, double x, const Items& items, LineEnding ending = LineEnding::EndLine) {
    skipFailure(s.SetX(x));
    skipFailure(s.PrintItems(items, ending));
}

// One check in the slot whose top is y0; `n` varies the payee, amount, number and date.
void drawCheck(PrintSurface& s, double y0, int n) {
    static const char* payees[] = {"Northwind Traders", "Contoso Pharmacy", "Fabrikam Roofing",
                                   "Litware Insurance", "Adventure Works",  "Tailspin Toys"};
    const double x0 = 525;
    const std::string t = "Times New Roman";
    skipFailure(s.SetFontName(t));
    skipFailure(s.SetFontSize(12));
    skipFailure(s.SetBold(true));
    skipFailure(s.SetItalic(true));
    skipFailure(s.SetY(y0));
    line(s, x0, {std::string("Riverside Landscaping LLC")});
    line(s, x0, {std::string("Jordan Avery")});
    skipFailure(s.SetFontSize(10));
    skipFailure(s.SetBold(false));
    line(s, x0, {std::string("1742 Orchard Lane, Suite 5")});
    line(s, x0, {std::string("Springfield, IL  62704")});
    line(s, x0, {std::string("PH: (217) 555-0142")});
    skipFailure(s.SetFontSize(12));
    skipFailure(s.SetBold(true));
    skipFailure(s.SetY(y0 + 1800));
    line(s, x0, {std::string("PAY TO THE ORDER OF:  ") + payees[n % 6]});
    skipFailure(s.SetItalic(false));
    skipFailure(s.SetY(y0 + 1800));
    line(s, x0 + 9000, {std::string("**$"), Money::fromCents(1000 + n * 37 % 250000), std::string("**")});
    skipFailure(s.SetY(y0 + 2400));
    line(s, x0, {std::string("First Prairie State Bank")});
    skipFailure(s.SetFontSize(10));
    skipFailure(s.SetBold(false));
    line(s, x0, {std::string("Springfield"), std::string(", "), std::string("IL")});
    skipFailure(s.SetY(y0 + 3100));
    line(s, x0, {std::string("For: "), std::string("Invoice "), std::int64_t{40000 + n % 900}});
    skipFailure(s.SetFontSize(8.25));
    line(s, x0, {std::string(" ")});
    line(s, x0, {std::string("This check when paid is a receipt for amount due on date indicated")});
    skipFailure(s.SetY(y0 + 2700));
    line(s, x0 + 6600, {std::string("Payment authorized by accountholder")});
    line(s, x0 + 6600, {std::string("Indemnification agreement provided by:")});
    skipFailure(s.SetItalic(true));
    line(s, x0 + 6600, {std::string(payees[n % 6])});
    skipFailure(s.SetItalic(false));
    skipFailure(s.SetFontName("MICR65"));
    skipFailure(s.SetFontSize(12));
    skipFailure(s.SetY(y0 + 4269));
    line(s, x0 + 1535, {std::string("C"), std::int64_t{10000 + n}, std::string("C")}, LineEnding::EndLine);
    skipFailure(s.SetY(y0 + 4269));
    line(s, x0 + 3330, {std::string("A"), std::string("071000013"), std::string("A")});
    skipFailure(s.SetY(y0 + 4269));
    line(s, x0 + 5655, {std::string("12345D678"), std::string("C "), std::string("  ")});
    skipFailure(s.SetFontName(t));
    skipFailure(s.SetBold(true));
    skipFailure(s.SetY(y0 + 300));
    line(s, x0 + 9600, {std::int64_t{10000 + n}});
    line(s, x0 + 9600, {std::to_string(n % 12 + 1) + "/" + std::to_string(n % 28 + 1) + "/2026"});
    skipFailure(s.SetFontSize(10));
    skipFailure(s.SetBold(false));
    skipFailure(s.SetY(y0 + 4670));
    line(s, 0, {std::string("-")});
    skipFailure(s.SetY(y0 + 4670));
    line(s, 10500, {std::string("-")});
}

void drawPages(PrintSurface& surface, int pages) {
    int n = 0;
    for (int page = 0; page < pages; ++page) {
        for (int slot = 0; slot < checksPerPage; ++slot)
            drawCheck(surface, 200 + slot * 5270, n++);
        skipFailure(surface.NewPage());
    }
    skipFailure(surface.EndDocument());
}

void BM_PdfPages(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    velmora::testing::TempDir dir;
    const auto file = dir / "checks.pdf";
    velmora::print::PdfSurface pdf(file.string());
    for (auto _ : state)
        drawPages(pdf, pages);
    state.counters["pages/s"] =
        benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["checks/s"] =
        benchmark::Counter(double(pages * checksPerPage), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["KB"] = double(std::filesystem::file_size(file)) / 1024;
}
BENCHMARK(BM_PdfPages)->Arg(1000)->Unit(benchmark::kMillisecond);

// The same pages on the recording surface: the cost of the rules and the metrics alone.
void BM_RecordedPages(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    velmora::print::RecordingSurface recording;
    for (auto _ : state) {
        drawPages(recording, pages);
        recording.clearRecording();
    }
    state.counters["checks/s"] =
        benchmark::Counter(double(pages * checksPerPage), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RecordedPages)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
