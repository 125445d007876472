#pragma once

#include <QDialog>

namespace velmora {

// The notice that the MICR font is not installed, with how to install it. It lives beside the other
// screens until its OK is pressed.
class FontFailure : public QDialog {
public:
    explicit FontFailure(QWidget* parent = nullptr);
};

} // namespace velmora
