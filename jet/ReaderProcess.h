#pragma once

#include "base/Result.h"
#include "jet/ReaderProtocol.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>

namespace velmora::jet {

// Where the reader program is: beside the running program, else where it is installed.
std::filesystem::path defaultReaderProgram();

struct ReaderOptions {
    std::filesystem::path program = defaultReaderProgram();
    // A reader that sends nothing for this long is taken to be caught in a damaged file, and ended.
    std::chrono::milliseconds stallTimeout{std::chrono::seconds(60)};
    // Asked while the reader is silent; false ends the reading (the user cancelled).
    std::function<bool()> keepGoing;
};

// One Jet file read by velmora-jet-reader in a child process. A damaged file may crash the library,
// loop in it or make it read forever; here that ends the child, never the program, and becomes a
// message naming the file. Each table's rows are counted against the count its definition declares.
class ReaderProcess {
public:
    explicit ReaderProcess(ReaderOptions options);
    ~ReaderProcess(); // ends and reaps a child still running
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    // Starts the reader on `file` and receives its tables.
    Result<JetSchema> open(const std::filesystem::path& file);

    // Asks for the rows of the chosen tables (indexes into the schema; columns of readable types)
    // and hands each to `row` with the index of its selection; `row` returns false to stop.
    using RowHandler = std::function<bool(std::size_t selection, const std::vector<db::Value>& values)>;
    Status read(const std::vector<protocol::TableSelection>& selection, const RowHandler& row);

    bool cancelled() const { return cancelled_; }

private:
    class Output;
    Status start(const std::filesystem::path& file);
    // Ends the reading: waits a moment for a reader that is ending by itself when `graceful`, then
    // kills it; reaps it and keeps what it wrote to standard error.
    void finish(bool graceful);
    void collectErrors();
    // The message for a reading that went wrong: `message` where the cause is known (empty where the
    // reader's output broke off), unless what the reader's end tells says more.
    Status diagnose(const std::string& message, bool readerEnding);

    ReaderOptions options_;
    std::string fileName_;
    std::uint64_t fileSize_ = 0;
    JetSchema schema_;
    pid_t pid_ = -1;
    int status_ = 0;
    int input_ = -1, output_ = -1, errors_ = -1;
    std::string errorText_;
    std::string brokenOff_; // how the reader's output broke off, where it did
    bool stalled_ = false, cancelled_ = false, killed_ = false;
    std::unique_ptr<Output> source_;
    std::unique_ptr<protocol::Decoder> decoder_;
};

} // namespace velmora::jet
