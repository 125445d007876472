#include "support/ScriptedDialogs.h"

namespace velmora::testing {

DialogAnswer ScriptedDialogs::show(const MessageBox& box) {
    if (onShow)
        onShow();
    shown_.push_back(box);
    if (answers_.empty())
        return box.buttons == DialogButtons::Ok ? DialogAnswer::Ok : box.defaultAnswer;
    const DialogAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::input(const InputBox& box) {
    asked_.push_back(box);
    if (inputs_.empty())
        return std::nullopt;
    auto answer = inputs_.front();
    inputs_.pop_front();
    return answer;
}

std::optional<std::vector<bool>> ScriptedDialogs::choose(const ChoiceList& list) {
    lists_.push_back(list);
    if (ticks_.empty() || !ticks_.front()) {
        if (!ticks_.empty())
            ticks_.pop_front();
        return std::nullopt;
    }
    std::vector<bool> ticked(list.rows.size(), false);
    for (std::size_t row : *ticks_.front())
        ticked.at(row) = true;
    ticks_.pop_front();
    return ticked;
}

std::vector<std::string> ScriptedDialogs::shownTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : shown_)
        texts.push_back(box.text);
    return texts;
}

void ScriptedDialogs::clear() {
    answers_.clear();
    inputs_.clear();
    ticks_.clear();
    shown_.clear();
    asked_.clear();
    lists_.clear();
}

} // namespace velmora::testing
