#pragma once

#include <QDialog>

namespace velmora::app {

// The notice that the MICR font is not installed, with how to install it. It lives beside the other
// screens until its OK is pressed.
class FontFailureScreen : public QDialog {
public:
    explicit FontFailureScreen(QWidget* parent = nullptr);
};

} // namespace velmora::app
