#pragma once

class QAbstractScrollArea;
class QMenuBar;
class QWidget;

namespace velmora::widgets {

// Gives a screen's menu bar the keyboard access of a desktop program: Alt pressed and released on
// its own, or F10, highlights the bar's first menu; the arrow keys move along the bar, Down or
// Return opens the highlighted menu, a marked letter opens its menu, Escape leaves the bar.
void enableMenuBarKeys(QMenuBar& bar);

// Makes access keys that several controls of `screen` share safe: Alt and the shared letter moves
// the focus to the next of them in tab order (the first when none of them has it) and never presses
// or ticks one, so a box is only changed once the user has reached it. A letter that only one
// control carries presses that control, as usual. Covers buttons and check boxes, and labels that
// lead to their buddy.
void makeSharedAccessKeysMoveFocus(QWidget& screen);

// Frames a text area in the highlight colour while it has the focus, as a line edit is: a multi-line
// box shows no focus of its own, and a read-only one not even a cursor.
void showFocusFrame(QAbstractScrollArea& box);

} // namespace velmora::widgets
