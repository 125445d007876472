#include "widgets/ScreenDialog.h"

#include <QKeyEvent>

namespace velmora::widgets {

void ScreenDialog::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Cancel)) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    if (escape_)
        escape_();
}

} // namespace velmora::widgets
