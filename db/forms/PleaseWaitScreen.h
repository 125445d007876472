#pragma once

#include <QWidget>

namespace velmora::db {

// The wait screen shown while the exit routine makes the backup copy; it has no buttons.
class PleaseWaitScreen : public QWidget {
public:
    explicit PleaseWaitScreen(QWidget* parent = nullptr);
};

} // namespace velmora::db
