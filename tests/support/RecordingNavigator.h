#pragma once

#include "base/Navigator.h"

#include <string>
#include <vector>

namespace velmora::testing {

// Records where the screens under test asked to go, by the Navigator entry's name without "show".
class RecordingNavigator : public Navigator {
public:
    void showPassword() override { calls.push_back("Password"); }
    void showChangePassword() override { calls.push_back("ChangePassword"); }
    void showFontFailure() override { calls.push_back("FontFailure"); }
    void showFileOpen() override { calls.push_back("FileOpen"); }
    void showCreateDatabase() override { calls.push_back("CreateDatabase"); }
    void showDataEntry() override { calls.push_back("DataEntry"); }
    void showPrinterControl() override { calls.push_back("PrinterControl"); }
    void showAlignPrinter() override { calls.push_back("AlignPrinter"); }
    void showAbout() override { calls.push_back("About"); }
    void showMicrInformation() override { calls.push_back("MicrInformation"); }
    void showProgramSetup() override { calls.push_back("ProgramSetup"); }
    void showExportFile() override { calls.push_back("ExportFile"); }
    void showRegister() override { calls.push_back("Register"); }
    void endProgram() override { calls.push_back("endProgram"); }
    void exitProgram() override { calls.push_back("exitProgram"); }

    std::vector<std::string> calls;
};

} // namespace velmora::testing
