#pragma once

namespace velmora {

// How one screen hands over to the next without knowing the other screens' classes: a screen asks
// for the next one and then closes itself. The program's ScreenFlow builds the real screens; tests
// record where a screen went.
class Navigator {
public:
    virtual ~Navigator() = default;
    virtual void showPassword() = 0;
    virtual void showChangePassword() = 0;
    virtual void showFontFailure() = 0;
    virtual void showFileOpen() = 0;
    virtual void showCreateDatabase() = 0;
    virtual void showDataEntry() = 0; // the current database of the session
    virtual void showPrinterControl() = 0;
    virtual void showAlignPrinter() = 0;
    // The About box and the MICR information screen open beside the calling screen, which stays
    // usable; while one is open, asking for it again raises it instead of opening a second copy.
    virtual void showAbout() = 0;
    virtual void showMicrInformation() = 0;
    // Program setup opens over the data entry screen, which stays open underneath; one copy at a time,
    // as above. The data entry screen's product type list is read again when it closes.
    virtual void showProgramSetup() = 0;
    // The export screen, over the data entry screen, which has saved its record first.
    virtual void showExportFile() = 0;
    // The register of printed checks, over the data entry screen, which has saved its record first
    // and reads it again when the register closes (a check voided there has a new history line).
    virtual void showRegister() = 0;
    // Ends the program at once (Disagree, Exit on the password, selection and creation screens).
    virtual void endProgram() = 0;
    // The exit routine of the data entry screen: a backup copy of the current database when the
    // settings ask for it (with the wait screen), then the end of the program, which closes every
    // window. The caller has saved its record and released the database first; the routine runs
    // once the caller's event has returned, and the caller stays open until then.
    virtual void exitProgram() = 0;
};

} // namespace velmora
