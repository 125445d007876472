#pragma once

#include <optional>
#include <string>
#include <vector>

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

// A list of which the user ticks some rows: a table under its column titles, no row ticked at first.
struct ChoiceList {
    std::string text;  // what the ticks say
    std::string title; // empty: the product name
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual DialogAnswer show(const MessageBox& box) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<std::string> input(const InputBox& box) = 0;
    // Which rows the user ticked, one flag per row; std::nullopt when the user cancels.
    virtual std::optional<std::vector<bool>> choose(const ChoiceList& list) = 0;

    // A Yes/No question about the rows of `list` whose "No" leads to the list itself, to tick the
    // rows for which the answer is yes after all: one flag per row, all set for "Yes", none when
    // the list is cancelled.
    virtual std::vector<bool> confirmEach(const MessageBox& question, const ChoiceList& list) {
        if (show(question) == DialogAnswer::Yes)
            return std::vector<bool>(list.rows.size(), true);
        std::optional<std::vector<bool>> ticked = choose(list);
        if (!ticked || ticked->size() != list.rows.size())
            return std::vector<bool>(list.rows.size(), false);
        return *ticked;
    }

    // Shorthands for the common forms.
    void inform(std::string text, std::string title = {}) { show({std::move(text), std::move(title)}); }
    bool askYesNo(std::string text, std::string title, DialogIcon icon, DialogAnswer defaultAnswer) {
        return show({std::move(text), std::move(title), DialogButtons::YesNo, icon, defaultAnswer}) ==
               DialogAnswer::Yes;
    }
};

} // namespace velmora
