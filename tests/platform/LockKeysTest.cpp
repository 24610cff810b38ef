#include "platform/LockKeys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace
{

namespace fs = std::filesystem;

TEST(LockKeys, ALockIsOnWhenAnyKeyboardsLightOfItIsLit)
{
    std::string pattern = (fs::temp_directory_path() / "vantor-leds-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path leds(pattern);
    const std::pair<const char*, const char*> lights[] = {
        {"input3::capslock", "0"}, {"input7::capslock", "1"},
        {"input3::numlock", "0"},  {"input3::scrolllock", "x"}, // unreadable: not counted
        {"phy0-led", "1"},
    };
    for (const auto& [name, brightness] : lights) {
        fs::create_directories(leds / name);
        std::ofstream(leds / name / "brightness") << brightness << "\n";
    }
    EXPECT_EQ(LockKeys::IsOn(LockKey::Caps, leds.string()), std::optional<bool>(true));
    EXPECT_EQ(LockKeys::IsOn(LockKey::Num, leds.string()), std::optional<bool>(false));
    EXPECT_EQ(LockKeys::IsOn(LockKey::Scroll, leds.string()), std::nullopt);
    EXPECT_EQ(LockKeys::IsOn(LockKey::Caps, (leds / "none").string()), std::nullopt);
    fs::remove_all(leds);
}

} // namespace
