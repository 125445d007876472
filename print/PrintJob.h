#pragma once

#include "base/Dialogs.h"
#include "base/Result.h"
#include "db/CheckRecord.h"
#include "print/PrintSurface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {
class CheckDatabase;
class Connection;
} // namespace velmora::db

namespace velmora::print {

// The message of every job printed on check stock, before it starts.
inline constexpr const char* kLoadCheckStock = "Please load check stock in the printer now and press OK";

// Where a run is, for a progress display. Pages are those of the job being printed.
struct RunProgress {
    enum class Stage { Checks, Labels, Saving };
    Stage stage = Stage::Checks;
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::int64_t page = 0;
    std::int64_t pages = 0;
};
using ProgressFn = std::function<void(const RunProgress&)>;

// What a job's print step reports.
struct JobPrinted {
    std::int64_t count = 0; // items printed (checks, labels, slots of blank stock)
    // The records could not be read: the job was ended after `count` items, and nothing is saved.
    std::optional<std::string> readFailure;
};

// One printed product of a run: what it asks first, what it prints, what it asks after the job and
// what it changes. Each product kind is one class; runJob() takes any of them through the same steps.
class PrintJob {
public:
    virtual ~PrintJob() = default;

    enum class Start {
        Print, // go on with the job
        Stop,  // called off before anything was printed (refused, cancelled, a font missing)
    };
    // Before the job: the load-stock message, the prompts, the refusals. `surface` is the one the
    // job will print on (the faces it offers).
    virtual Start prepare(Dialogs& dialogs, PrintSurface& surface) = 0;
    // Lays the job out on `surface`; runJob() ends the document.
    virtual JobPrinted print(PrintSurface& surface) = 0;
    // The question asked once the job was sent; std::nullopt when the product asks none, and its
    // changes follow at once.
    virtual std::optional<MessageBox> question() const = 0;
    // The record changes of a printed job, made inside the transaction runJob() holds. A step that
    // fails throws db::Error and names itself in `step` first; a refusal to save anything (the records
    // changed meanwhile) is a failure whose message is told as it is. Either way nothing is saved.
    virtual Status saveChanges(db::Connection& database, std::string& step) = 0;
    // What a sent job changes when the answer to its question is "No", in a transaction of its own
    // as the changes of a "Yes" are: nothing for most jobs. Entered checks save the date their
    // recurring checks were printed with.
    virtual bool changesOnNo() const { return false; }
    virtual Status saveChangesOnNo(db::Connection& /*database*/, std::string& /*step*/) { return {}; }
    // The items of the job, for the step after a "No" in which the user ticks those that printed
    // properly after all (a jam spoils a few); no rows for a job that offers no such step.
    virtual ChoiceList itemsToConfirm() const { return {}; }
    // Confines the changes of saveChanges() to the items ticked, in the order of itemsToConfirm(); the
    // others are saved as saveChangesOnNo() saves them, in the same transaction.
    virtual void confirmOnly(const std::vector<bool>& /*printed*/) {}

    // The messages of the job's problems. `why` is the reason as a sentence.
    virtual MessageBox notReadMessage(const std::string& why, std::int64_t printed) const = 0;
    virtual MessageBox notSentMessage(const std::string& why) const = 0;
    virtual MessageBox notSavedMessage(const std::string& stepAndWhy) const = 0;
};

struct JobReport {
    PrintJob::Start start = PrintJob::Start::Stop;
    std::int64_t printed = 0; // what the job held when it was sent; a job that failed counts nothing
    bool sent = false;
    bool outputFailed = false;         // the job could not be started, written or sent
    bool confirmed = false;            // "Yes" (or no question) and the changes were saved
    std::int64_t confirmedItems = 0;   // of those: all that printed, or those ticked after a "No"
    std::vector<std::string> problems; // as told to the user
    std::vector<std::string> notes;    // what the user is told of a job that printed (texts cut short)
};

// Takes a job through the steps every print job has, once:
//   prepare (load-stock message, prompts) -> the job -> EndDocument -> the question (and, after a
//   "No", the items that printed properly after all, for a job that lists them) -> all record
//   changes of the answer in one transaction -> problems reported.
// A job whose records could not be read, or that could not be sent, asks no question and changes
// nothing: a "Yes" would mark what never printed.
JobReport runJob(PrintJob& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database);
// The steps of runJob() after prepare, for a job whose preparation was done and said Print (the
// pages were first shown, or checked against the printable area).
JobReport runPreparedJob(PrintJob& job, PrintSurface& surface, Dialogs& dialogs, db::Connection& database);

// Shared wording of the jobs' messages.
// How many records a message names before it says "and N more".
inline constexpr std::size_t kRecordsNamed = 5;
// "a; b; c and 2 more": the first names of a list of `total`.
std::string listed(const std::vector<std::string>& names, std::size_t total);
// A message that ends as a sentence ends, whatever the text it was made from.
std::string sentence(std::string text);
// A check as messages name it: "check #1234 (record 7)", or "the check (record 7)" without a number.
std::string checkName(const db::CheckRecord& record);
// A problem told to the user: an OK box with the critical icon.
MessageBox problemBox(std::string text, std::string title);

} // namespace velmora::print
