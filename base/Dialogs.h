#pragma once

#include <optional>
#include <string>

namespace velmora {

// Every message box, question and input box of the program goes through this interface, so that
// the screens, the command line and the tests share the exact texts and answer them each in their
// own way (QMessageBox, standard error, a script).
enum class DialogIcon { None, Information, Exclamation, Critical, Question };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No };

struct MessageBox {
    std::string text;
    std::string title; // empty: the product name
    DialogButtons buttons = DialogButtons::Ok;
    DialogIcon icon = DialogIcon::None;
    DialogAnswer defaultAnswer = DialogAnswer::Ok;
};

struct InputBox {
    std::string prompt;
    std::string title; // empty: the product name
    std::string defaultText;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual DialogAnswer show(const MessageBox& box) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<std::string> input(const InputBox& box) = 0;

    // Shorthands for the common forms.
    void inform(std::string text, std::string title = {}) { show({std::move(text), std::move(title)}); }
    bool askYesNo(std::string text, std::string title, DialogIcon icon, DialogAnswer defaultAnswer) {
        return show({std::move(text), std::move(title), DialogButtons::YesNo, icon, defaultAnswer}) ==
               DialogAnswer::Yes;
    }
};

} // namespace velmora
