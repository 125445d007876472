#pragma once

class QAbstractScrollArea;
class QMenuBar;
class QWidget;

namespace velmora::widgets {

// Gives a screen's menu bar the keyboard access of a desktop program: Alt pressed and released on
// its own, or F10, highlights the bar's first menu; the arrow keys move along the bar, Down or
// Return opens the highlighted menu, a marked letter opens its menu, Escape leaves the bar.
void enableMenuBarKeys(QMenuBar& bar);

// Frames a text area in the highlight colour while it has the focus, as a line edit is: a multi-line
// box shows no focus of its own, and a read-only one not even a cursor.
void showFocusFrame(QAbstractScrollArea& box);

} // namespace velmora::widgets
