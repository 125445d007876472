#pragma once

#include <QDialog>

namespace velmora::app {

// How to read the bank's numbers off the MICR line of a printed check: what each number is, with
// an example of each set in the MICR font. It changes nothing and closes on OK.
class MicrInformationScreen : public QDialog {
public:
    explicit MicrInformationScreen(QWidget* parent = nullptr);
};

} // namespace velmora::app
