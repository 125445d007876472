#pragma once

#include "base/Dialogs.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// The dialogs of a headless run: every message goes to standard error, each question is answered
// from the command line, and the input box gets the answer given on the command line (empty: the
// box's default; several boxes take the answers in order). A question that follows an error report is
// answered No, so that an unattended run never marks as printed what the failed step may not have printed.
class CliDialogs : public Dialogs {
public:
    CliDialogs(std::ostream& out, bool confirm, std::vector<std::string> inputAnswers = {});

    DialogAnswer show(const MessageBox& box) override;
    std::optional<std::string> input(const InputBox& box) override;

private:
    std::ostream& out_;
    bool confirm_;
    std::vector<std::string> inputAnswers_;
    std::size_t inputsAsked_ = 0;
    bool failureSinceQuestion_ = false;
};

} // namespace velmora::cli
