#include "app/ProgramDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace velmora {
namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value)
        : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ProgramDirTest, DefaultFolderFollowsAnAbsoluteXdgDataHomeOnly) {
    ScopedEnv home("HOME", "/home/clerk");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(defaultProgramDir(), "/srv/data/velmora");
    }
    for (const char* ignored : {"", "relative/data"}) {
        ScopedEnv xdg("XDG_DATA_HOME", ignored);
        EXPECT_EQ(defaultProgramDir(), "/home/clerk/.local/share/velmora") << ignored;
    }
}

} // namespace
} // namespace velmora
