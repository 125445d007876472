#include "print/PdfSurface.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <string_view>

namespace velmora::print {

namespace fs = std::filesystem;

namespace {

// Reads a PDF file as its cross-reference table describes it, a piece at a time.
class PdfFileReader {
public:
    explicit PdfFileReader(const fs::path& file)
        : in_(file, std::ios::binary | std::ios::ate) {
        size_ = in_ ? static_cast<std::uint64_t>(std::streamoff(in_.tellg())) : 0;
    }
    std::uint64_t size() const { return size_; }

    // The bytes [from, from + count), cut at the end of the file; empty when they cannot be read.
    std::string_view bytes(std::uint64_t from, std::uint64_t count) {
        count = from < size_ ? std::min(count, size_ - from) : 0;
        if (from < bufferStart_ || from + count > bufferStart_ + buffer_.size()) {
            // Neighbouring reads share one larger read: the objects are checked in file order.
            const std::uint64_t length = std::min(std::max(count, kBlock), size_ - std::min(from, size_));
            buffer_.resize(length);
            in_.clear();
            in_.seekg(static_cast<std::streamoff>(from));
            in_.read(buffer_.data(), static_cast<std::streamsize>(length));
            bufferStart_ = from;
            if (!in_)
                buffer_.clear();
            if (buffer_.size() < count)
                return {};
        }
        return std::string_view(buffer_).substr(from - bufferStart_, count);
    }

private:
    static constexpr std::uint64_t kBlock = std::uint64_t{256} * 1024;
    std::ifstream in_;
    std::uint64_t size_ = 0;
    std::string buffer_;
    std::uint64_t bufferStart_ = 0;
};

// The whole number at the start of `text` after blanks, and the rest of `text` after it.
std::optional<std::uint64_t> leadingNumber(std::string_view& text) {
    const auto digits = text.find_first_not_of(" \r\n");
    if (digits == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(digits);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

// The number after `key` in a dictionary's text ("/Count 12", or "/Root 1 0 R" for its object).
std::optional<std::uint64_t> entryNumber(std::string_view dictionary, std::string_view key) {
    for (auto at = dictionary.find(key); at != std::string_view::npos; at = dictionary.find(key, at + 1)) {
        std::string_view rest = dictionary.substr(at + key.size());
        // "/Count" is not "/CountX": a name ends at a blank or a delimiter.
        if (!rest.empty() && (std::isalnum(static_cast<unsigned char>(rest.front())) != 0))
            continue;
        return leadingNumber(rest);
    }
    return std::nullopt;
}

} // namespace

// The device a job's document writes into: every byte goes to the job's OutputFile, which keeps the
// first failure (a full disk, a file-size limit) for the end of the job.
class OutputDevice : public QIODevice {
public:
    explicit OutputDevice(OutputFile& file)
        : file_(file) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        return file_.write(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
    }

private:
    OutputFile& file_;
};

PdfSurface::PdfSurface(std::string outputFile)
    : outputFile_(std::move(outputFile)) {}

PdfSurface::~PdfSurface() {
    abandonJob();
}

std::optional<fs::path> PdfSurface::outputFile() const {
    if (outputFile_.empty())
        return std::nullopt;
    return fs::path(outputFile_);
}

PrintableArea PdfSurface::paperArea() {
    constexpr double twipsPerInch = 1440;
    constexpr double margin = PainterSurface::pdfMarginInches;
    return PrintableArea{(8.5 - margin) * twipsPerInch, (11 - margin) * twipsPerInch, margin * twipsPerInch,
                         margin * twipsPerInch};
}

QIODevice* PdfSurface::openJob(Status& failure) {
    jobFile_ = outputFile_;
    startFailure_.clear();
    if (jobFile_.empty()) {
        failure = Status::failure("No file was named for the PDF output");
        return nullptr;
    }
    Result<OutputFile> file = OutputFile::create(jobFile_, rules_);
    if (!file) {
        startFailure_ = file.message();
        failure = Status::failure(jobStartFailure());
        return nullptr;
    }
    file_.emplace(std::move(file.value()));
    device_ = std::make_unique<OutputDevice>(*file_);
    return device_.get();
}

QPointF PdfSurface::printableOrigin() const {
    constexpr double margin = PainterSurface::pdfMarginInches * 72;
    return {margin, margin};
}

double PdfSurface::linePixelsPerInch() const {
    return PainterSurface::pdfPixelsPerInch;
}

std::string PdfSurface::jobStartFailure() const {
    return "Could not write the PDF file " + jobFile_ + (startFailure_.empty() ? "" : ": " + startFailure_);
}

Status PdfSurface::verifyPdf(const fs::path& file, int pages) {
    const auto incomplete = [] {
        return Status::failure("the file is incomplete (it does not end as a PDF file ends)");
    };
    const auto damaged = [](const std::string& what) {
        return Status::failure("the file is damaged (" + what + ")");
    };
    PdfFileReader reader(file);
    const std::uint64_t size = reader.size();
    constexpr std::uint64_t kTail = 1024;
    std::string_view tail = reader.bytes(size - std::min(size, kTail), kTail);
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' '))
        tail.remove_suffix(1);
    const auto startxref = tail.rfind("startxref");
    if (!tail.ends_with("%%EOF") || startxref == std::string_view::npos)
        return incomplete();
    std::string_view rest = tail.substr(startxref + 9);
    const std::optional<std::uint64_t> indexAt = leadingNumber(rest);
    if (!indexAt || *indexAt >= size)
        return incomplete();

    // The cross-reference table: "xref", "0 N", then N entries of 20 bytes, then the trailer.
    std::string_view index = reader.bytes(*indexAt, 64);
    if (!index.starts_with("xref"))
        return damaged("no cross-reference table where the file says it starts");
    index.remove_prefix(4);
    const std::size_t before = index.size();
    const std::optional<std::uint64_t> first = leadingNumber(index);
    const std::optional<std::uint64_t> count = leadingNumber(index);
    if (!first || *first != 0 || !count || *count == 0 ||
        (!index.starts_with("\n") && !index.starts_with("\r")))
        return damaged("a cross-reference table that is not the whole file's");
    const std::uint64_t entriesAt =
        *indexAt + 4 + (before - index.size()) + (index.starts_with("\r\n") ? 2 : 1);
    constexpr std::uint64_t kEntry = 20;
    if (*count > size / kEntry || entriesAt + *count * kEntry > size)
        return incomplete();
    const std::uint64_t entriesEnd = entriesAt + *count * kEntry;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> objects; // (offset, number), in use
    for (std::uint64_t object = 0; object < *count; ++object) {
        std::string_view entry = reader.bytes(entriesAt + object * kEntry, kEntry);
        std::string_view digits = entry;
        const std::optional<std::uint64_t> offset = leadingNumber(digits);
        if (entry.size() != kEntry || !offset || (entry[17] != 'n' && entry[17] != 'f'))
            return damaged("an unreadable cross-reference entry");
        if (entry[17] == 'n')
            objects.emplace_back(*offset, object);
    }
    std::string trailer(reader.bytes(entriesEnd, *indexAt + kTail));
    if (!trailer.starts_with("trailer") || entryNumber(trailer, "/Size") != count)
        return damaged("a trailer that does not match its cross-reference table");
    const std::optional<std::uint64_t> root = entryNumber(trailer, "/Root");

    // Every object begins where the table says, in front of the table; the page tree follows from
    // the catalog.
    std::sort(objects.begin(), objects.end());
    const auto text = [&](std::uint64_t number) -> std::string {
        const auto found = std::find_if(objects.begin(), objects.end(),
                                        [number](const auto& object) { return object.second == number; });
        if (found == objects.end())
            return {};
        const std::uint64_t end = found + 1 == objects.end() ? *indexAt : (found + 1)->first;
        return std::string(reader.bytes(found->first, end - found->first));
    };
    for (const auto& [offset, number] : objects) {
        const std::string heading = std::to_string(number) + " 0 obj";
        if (offset >= *indexAt || reader.bytes(offset, heading.size()) != heading)
            return damaged("object " + std::to_string(number) + " is not where the table says");
    }
    const std::optional<std::uint64_t> tree = root ? entryNumber(text(*root), "/Pages") : std::nullopt;
    const std::string pageTree = tree ? text(*tree) : std::string();
    const std::optional<std::uint64_t> counted = entryNumber(pageTree, "/Count");
    if (!counted)
        return damaged("no page tree");
    if (*counted != static_cast<std::uint64_t>(pages))
        return Status::failure("the file holds " + std::to_string(*counted) + " pages instead of " +
                               std::to_string(pages));
    return {};
}

Status PdfSurface::completeJob(int pages, const Status& taken) {
    device_.reset();
    const auto failed = [this](const std::string& why) {
        return Status::failure("Could not write the PDF file " + jobFile_ + ": " + why +
                               ". The file was not changed.");
    };
    // The writer's own failure (a full disk, a file-size limit) says more than the device's.
    if (Status synced = file_->finish(); !synced)
        return failed(synced.message());
    if (!taken)
        return failed(taken.message());
    if (Status whole = verifyPdf(file_->temporaryPath(), pages); !whole)
        return failed(whole.message());
    if (Status committed = file_->commit(); !committed)
        return failed(committed.message());
    return {};
}

void PdfSurface::jobClosed() {
    device_.reset();
    file_.reset(); // removes the temporary file unless it became the output
}

} // namespace velmora::print
