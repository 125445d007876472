#pragma once

#include <string_view>

namespace velmora {

// How one screen hands over to the next without knowing the other screens' classes: a screen asks
// for the next one by that screen's objectName, then closes itself when the next one takes its
// place. Which names exist, and how each screen is made and placed, is the program's screen flow's
// business alone; tests record where a screen went.
class Navigator {
public:
    virtual ~Navigator() = default;
    // Shows the screen of this objectName: in place of the caller, beside it, or over it, as the
    // flow knows that screen to stand. Asking for a screen that may be open only once brings the
    // open one to the front.
    virtual void show(std::string_view screen) = 0;
    // Ends the program at once (Disagree, Exit on the password, selection and creation screens).
    virtual void endProgram() = 0;
    // The exit routine of the data entry screen: a backup copy of the current database when the
    // settings ask for it (with the wait screen), then the end of the program, which closes every
    // window. The caller has saved its record and released the database first; the routine runs
    // once the caller's event has returned, and the caller stays open until then.
    virtual void exitProgram() = 0;
};

} // namespace velmora
