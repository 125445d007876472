#pragma once

#include "base/Dialogs.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::cli {

// Check numbers as --printed gives them: "1001-1004,1006", ranges and single numbers separated by
// commas, each range from its lower number to its higher.
class NumberList {
public:
    // std::nullopt for a text that is no such list.
    static std::optional<NumberList> parse(std::string_view text);
    bool contains(std::int64_t number) const;
    // How many numbers the list names, each counted once.
    std::int64_t size() const;
    const std::string& text() const { return text_; }

private:
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges_;
    std::string text_;
};

// The dialogs of a headless run: every message goes to standard error, each question is answered
// from the command line, and the input box gets the answer given on the command line (empty: the
// box's default; several boxes take the answers in order). A question that follows an error report is
// answered No, so that an unattended run never marks as printed what the failed step may not have printed.
//
// A question about each of a job's checks ("did all checks print properly?") is answered for the
// checks --printed names (`printed`), by the number in the first column of the list, and for all or
// none by --confirm otherwise. When --printed names a number that is not among the checks, none is
// confirmed: which checks did print cannot be told then.
class CliDialogs : public Dialogs {
public:
    CliDialogs(std::ostream& out, bool confirm, std::vector<std::string> inputAnswers = {},
               std::optional<NumberList> printed = std::nullopt);

    DialogAnswer show(const MessageBox& box) override;
    std::optional<std::string> input(const InputBox& box) override;
    // Nothing is ticked without --printed: a list is cancelled.
    std::optional<std::vector<bool>> choose(const ChoiceList& list) override;
    std::vector<bool> confirmEach(const MessageBox& question, const ChoiceList& list) override;

    // Whether --printed named numbers that were not among the checks asked about.
    bool printedNotMatched() const { return printedNotMatched_; }

private:
    std::ostream& out_;
    bool confirm_;
    std::vector<std::string> inputAnswers_;
    std::size_t inputsAsked_ = 0;
    bool failureSinceQuestion_ = false;
    std::optional<NumberList> printed_;
    bool printedNotMatched_ = false;
};

} // namespace velmora::cli
