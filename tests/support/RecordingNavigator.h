#pragma once

#include "base/Navigator.h"
#include "shell/ScreenFlow.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora::testing {

// Records where the screens under test asked to go: the objectName of the screen asked for, or
// "endProgram" and "exitProgram". A screen the program's flow does not know fails the test, so that a
// misspelt name is caught where it is asked for and not only when a user gets there.
class RecordingNavigator : public Navigator {
public:
    void show(std::string_view screen) override {
        const auto known = shell::ScreenFlow::screenNames();
        EXPECT_NE(std::find(known.begin(), known.end(), screen), known.end())
            << "no screen is named " << screen;
        calls.emplace_back(screen);
    }
    void endProgram() override { calls.emplace_back("endProgram"); }
    void exitProgram() override { calls.emplace_back("exitProgram"); }

    std::vector<std::string> calls;
};

} // namespace velmora::testing
