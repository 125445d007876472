#pragma once

#include <QDialog>
#include <array>
#include <string>

namespace velmora::app {

// The About box: the product name, version and copyright line over the three About lines of the
// settings read at start-up. It changes nothing and closes on OK.
class AboutScreen : public QDialog {
public:
    explicit AboutScreen(const std::array<std::string, 3>& aboutLines, QWidget* parent = nullptr);
};

} // namespace velmora::app
