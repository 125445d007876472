#pragma once

#include <QPushButton>
#include <utility>

namespace velmora::widgets {

enum class ButtonRole { Normal, Default };

// A command button of a screen, named for the tests and wired to its action. The default button is
// the one Enter presses wherever the focus is, unless another button has the focus.
template <typename Action>
QPushButton* screenButton(QWidget* screen, const char* caption, const char* objectName, ButtonRole role,
                          Action action) {
    auto* button = new QPushButton(caption, screen);
    button->setObjectName(objectName);
    button->setDefault(role == ButtonRole::Default);
    QObject::connect(button, &QPushButton::clicked, screen, std::move(action));
    return button;
}

} // namespace velmora::widgets
