#pragma once

#include <QLineEdit>

namespace velmora::app {

// A password entry that echoes every typed character as "*", whatever the widget style would use
// (the echo character is a style hint, a bullet on most styles).
class PasswordBox : public QLineEdit {
public:
    explicit PasswordBox(QWidget* parent = nullptr);
};

} // namespace velmora::app
