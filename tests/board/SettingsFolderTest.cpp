#include "board/SettingsFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// Sets VANTOR_HOME for one scope and puts the old value back.
struct ScopedHome {
    explicit ScopedHome(const std::string& value) : had(std::getenv("VANTOR_HOME") != nullptr)
    {
        if (had)
            old = std::getenv("VANTOR_HOME");
        ::setenv("VANTOR_HOME", value.c_str(), 1);
    }
    ~ScopedHome()
    {
        had ? void(::setenv("VANTOR_HOME", old.c_str(), 1)) : void(::unsetenv("VANTOR_HOME"));
    }
    bool had;
    std::string old;
};

TEST(SettingsFolderTest, VantorHomeIsUsedAndCreated)
{
    const fs::path base =
        fs::temp_directory_path() / ("vantor-settings-" + std::to_string(::getpid()));
    fs::remove_all(base);
    const std::string home = (base / "a" / "b").string();
    for (const std::string& given : {home, home + "/"}) {
        ScopedHome env(given);
        EXPECT_EQ(GetSettingsFolder(), home + "/");
        EXPECT_TRUE(fs::is_directory(home));
    }
    fs::remove_all(base);

    // Without it the folder is some existing folder, still ending in '/'.
    ScopedHome empty("");
    const std::string folder = GetSettingsFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

} // namespace
