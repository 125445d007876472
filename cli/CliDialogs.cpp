#include "cli/CliDialogs.h"

#include "cli/VerbSupport.h"

#include <ostream>

namespace velmora::cli {

namespace {

// "WARNING: ...", but "Nothing to do. You have not ..." where the title is a sentence of its own,
// and "NOTE: ..." where it ends in its own colon.
std::string heading(const std::string& title) {
    const auto first = title.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const char last = title.back();
    return title.substr(first) + (last == '.' || last == '!' || last == '?' || last == ':' ? " " : ": ");
}

} // namespace

CliDialogs::CliDialogs(std::ostream& out, bool confirm, std::vector<std::string> inputAnswers)
    : out_(out)
    , confirm_(confirm)
    , inputAnswers_(std::move(inputAnswers)) {}

DialogAnswer CliDialogs::show(const MessageBox& box) {
    // What a box tells may quote a record or an order: never raw control characters to a terminal.
    out_ << "velmora: " << terminalText(heading(box.title) + box.text) << '\n';
    switch (box.buttons) {
    case DialogButtons::Ok:
        if (box.icon == DialogIcon::Critical)
            failureSinceQuestion_ = true;
        return DialogAnswer::Ok;
    case DialogButtons::OkCancel:
        return DialogAnswer::Ok;
    case DialogButtons::YesNo:
    case DialogButtons::YesNoCancel:
        break;
    }
    const bool yes = confirm_ && !failureSinceQuestion_;
    if (confirm_ && failureSinceQuestion_)
        out_ << "velmora: answered No because of the error above\n";
    else
        out_ << "velmora: answered " << (yes ? "Yes" : "No") << " (--confirm " << (yes ? "yes" : "no")
             << ")\n";
    failureSinceQuestion_ = false;
    return yes ? DialogAnswer::Yes : DialogAnswer::No;
}

std::optional<std::string> CliDialogs::input(const InputBox& box) {
    const std::string given =
        inputsAsked_ < inputAnswers_.size() ? inputAnswers_[inputsAsked_] : std::string();
    ++inputsAsked_;
    const std::string& answer = given.empty() ? box.defaultText : given;
    out_ << "velmora: " << terminalText(heading(box.title) + box.prompt + ' ' + answer) << '\n';
    return answer;
}

} // namespace velmora::cli
