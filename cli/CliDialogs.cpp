#include "cli/CliDialogs.h"

#include "cli/VerbSupport.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <set>

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

// A whole number of the text, all of it digits.
std::optional<std::int64_t> wholeNumber(std::string_view text) {
    std::int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

} // namespace

std::optional<NumberList> NumberList::parse(std::string_view text) {
    NumberList list;
    list.text_ = std::string(text);
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const std::size_t dash = part.find('-');
        const auto low = wholeNumber(part.substr(0, dash));
        const auto high = dash == std::string_view::npos ? low : wholeNumber(part.substr(dash + 1));
        if (!low || !high || *high < *low)
            return std::nullopt;
        list.ranges_.emplace_back(*low, *high);
        if (comma == std::string_view::npos)
            return list;
        text.remove_prefix(comma + 1);
    }
}

bool NumberList::contains(std::int64_t number) const {
    for (const auto& [low, high] : ranges_) {
        if (number >= low && number <= high)
            return true;
    }
    return false;
}

std::int64_t NumberList::size() const {
    // Ranges that overlap name their common numbers once.
    auto ranges = ranges_;
    std::sort(ranges.begin(), ranges.end());
    std::int64_t count = 0;
    std::int64_t counted = -1; // the highest number counted so far
    for (const auto& [low, high] : ranges) {
        if (high > counted)
            count += high - std::max(low, counted + 1) + 1;
        counted = std::max(counted, high);
    }
    return count;
}

CliDialogs::CliDialogs(std::ostream& out, bool confirm, std::vector<std::string> inputAnswers,
                       std::optional<NumberList> printed)
    : out_(out)
    , confirm_(confirm)
    , inputAnswers_(std::move(inputAnswers))
    , printed_(std::move(printed)) {}

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

std::optional<std::vector<bool>> CliDialogs::choose(const ChoiceList&) {
    return std::nullopt;
}

std::vector<bool> CliDialogs::confirmEach(const MessageBox& question, const ChoiceList& list) {
    if (!printed_)
        return Dialogs::confirmEach(question, list);
    out_ << "velmora: " << terminalText(heading(question.title) + question.text) << '\n';
    std::vector<bool> ticked(list.rows.size(), false);
    if (failureSinceQuestion_) {
        failureSinceQuestion_ = false;
        out_ << "velmora: answered No because of the error above\n";
        return ticked;
    }
    // Every number the list names must be one of the checks, or what printed cannot be told.
    std::set<std::int64_t> named;
    for (std::size_t row = 0; row < list.rows.size(); ++row) {
        const std::optional<std::int64_t> number =
            list.rows[row].empty() ? std::nullopt : wholeNumber(list.rows[row].front());
        if (number && printed_->contains(*number)) {
            ticked[row] = true;
            named.insert(*number);
        }
    }
    if (static_cast<std::int64_t>(named.size()) != printed_->size()) {
        printedNotMatched_ = true;
        out_ << "velmora: --printed " << terminalText(printed_->text())
             << " names checks that this run did not print, so no check was confirmed\n";
        return std::vector<bool>(list.rows.size(), false);
    }
    const auto count = std::count(ticked.begin(), ticked.end(), true);
    out_ << "velmora: answered Yes for " << count << " of " << list.rows.size() << " checks (--printed "
         << terminalText(printed_->text()) << ")\n";
    return ticked;
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
