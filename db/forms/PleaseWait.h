#pragma once

#include <QWidget>

namespace velmora {

// The wait screen shown while the exit routine makes the backup copy; it has no buttons.
class PleaseWait : public QWidget {
public:
    explicit PleaseWait(QWidget* parent = nullptr);
};

} // namespace velmora
