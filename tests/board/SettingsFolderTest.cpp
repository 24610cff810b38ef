#include "board/SettingsFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv
{
  public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

TEST(SettingsFolderTest, VantorHomeIsUsedAndCreated)
{
    const fs::path base =
        fs::temp_directory_path() / ("vantor-settings-" + std::to_string(::getpid()));
    fs::remove_all(base);
    const std::string home = (base / "a" / "b").string();
    for (const std::string& given : {home, home + "/"}) {
        ScopedEnv env("VANTOR_HOME", given);
        EXPECT_EQ(GetSettingsFolder(), home + "/");
        EXPECT_TRUE(fs::is_directory(home));
    }
    fs::remove_all(base);

    // Without it the folder is some existing folder, still ending in '/'.
    ScopedEnv empty("VANTOR_HOME", "");
    const std::string folder = GetSettingsFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

} // namespace
