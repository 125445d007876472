#pragma once

#include "base/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace velmora::testing {

// Answers every message, input box and list from a script and keeps what was shown, in order.
// A question with no scripted answer gets its default button; an input box or a list with none is
// cancelled.
class ScriptedDialogs : public Dialogs {
public:
    DialogAnswer show(const MessageBox& box) override;
    std::optional<std::string> input(const InputBox& box) override;
    std::optional<std::vector<bool>> choose(const ChoiceList& list) override;

    void queueAnswer(DialogAnswer answer) { answers_.push_back(answer); }
    void queueInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
    // The rows to tick in the next list, by their place (from 0); std::nullopt cancels it.
    void queueTicks(std::optional<std::vector<std::size_t>> rows) { ticks_.push_back(std::move(rows)); }

    const std::vector<MessageBox>& shown() const { return shown_; }
    const std::vector<InputBox>& asked() const { return asked_; }
    const std::vector<ChoiceList>& lists() const { return lists_; }
    std::vector<std::string> shownTexts() const;
    void clear();

    // Called as each message box comes up, for a test that looks at the screen behind it.
    std::function<void()> onShow;

private:
    std::deque<DialogAnswer> answers_;
    std::deque<std::optional<std::string>> inputs_;
    std::deque<std::optional<std::vector<std::size_t>>> ticks_;
    std::vector<MessageBox> shown_;
    std::vector<InputBox> asked_;
    std::vector<ChoiceList> lists_;
};

} // namespace velmora::testing
