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

std::vector<std::string> ScriptedDialogs::shownTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : shown_)
        texts.push_back(box.text);
    return texts;
}

void ScriptedDialogs::clear() {
    answers_.clear();
    inputs_.clear();
    shown_.clear();
    asked_.clear();
}

} // namespace velmora::testing
