#pragma once

#include "db/CheckDatabase.h"
#include "print/PrintJob.h"

#include <optional>
#include <string>

namespace velmora::print {

// What the start-label box accepts, said when an answer is not one of them.
inline constexpr const char* kStartLabelRule =
    "Enter the number of the label to start on: 1 to 30 on this sheet (labels are numbered down each column), or a higher number to start on label 1 of a new sheet. Leave the box empty to start on label 1.";

// The answer to the start-label box: empty is label 1; a whole number above 30 starts a new sheet.
// std::nullopt for anything else (0, signs, letters, fractions).
std::optional<int> parseStartLabel(const std::string& answer);

// The mailing labels of the records selected by their label flag and print option, as one job on
// sheets of 30: the start label asked for, one label per record in table order, the question whether
// all printed, and on "Yes" the labels of one-time (and don't-print) records set not to print again
// and every such record dated; recurring records are dated and keep printing. The job prints the
// labels selected when it starts, and a record added meanwhile is left for the next run.
class LabelRun : public PrintJob {
public:
    struct Options {
        bool onceLabels = false;
        bool monthlyLabels = false;
        std::string textFont;
        // The checks of the same run were printed first: the question's title is then a blank.
        bool afterChecks = false;
        // Set for a preview: the labels start on this label without asking, and nothing changes.
        std::optional<int> startLabel;
    };

    LabelRun(db::CheckDatabase& database, Options options, ProgressFn progress);

    Start prepare(Dialogs& dialogs, PrintSurface& surface) override;
    JobPrinted print(PrintSurface& surface) override;
    std::optional<MessageBox> question() const override;
    Status saveChanges(db::Connection& database, std::string& step) override;
    MessageBox notReadMessage(const std::string& why, std::int64_t printed) const override;
    MessageBox notSentMessage(const std::string& why) const override;
    MessageBox notSavedMessage(const std::string& stepAndWhy) const override;

private:
    db::CheckDatabase& database_;
    Options options_;
    ProgressFn progress_;
    int startLabel_ = 1;
    std::int64_t lastId_ = 0; // the last record when the job started
};

} // namespace velmora::print
