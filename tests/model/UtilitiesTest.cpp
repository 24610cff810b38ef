#include "model/Utilities.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace
{

TEST(UtilitiesTest, IncrementNameNumberStepsTheTrailingNumberInPlace)
{
    // clang-format off
    const struct { const char* name; int step; const char* result; } cases[] = {
        {"Pad3", 0, "Pad3"}, {"", 0, ""}, {"", 5, "1"}, {"Pad", 3, "Pad3"}, {"Pad9", 1, "Pad10"},
        {"U007", 1, "U8"}, {"R0", -1, "R-1"}, {"A-1", 1, "A-2"}, // the minus is in the prefix
        {"0", -3, "-3"}, {"C12D45", 10, "C12D55"},
        // Runs too long for a 32-bit int restart at 0; leading zeros do not make them long.
        {"123456789012", 1, "0"}, {"2147483648", 1, "0"}, {"Q123456789012", 1, "Q0"},
        {"U00000000000000000000007", 1, "U8"},
        // The largest int still counts, and stepping past it does not wrap.
        {"2147483647", 1, "2147483648"}, {"N2147483647", INT32_MAX, "N4294967294"},
        {"N0", INT32_MIN, "N-2147483648"}};
    // clang-format on
    for (const auto& c : cases) {
        std::string name = c.name;
        EXPECT_EQ(IncrementNameNumber(name, c.step), c.result) << c.name << " " << c.step;
        EXPECT_EQ(name, c.result);
    }
}

TEST(UtilitiesTest, BinResourcesCopyTheirSizeOnlyAndUnknownIdsGiveAllOnes)
{
    static const std::array<unsigned char, 5> data{1, 2, 3, 4, 5};
    RegisterBinResource(9001, data.data(), unsigned(data.size()));
    EXPECT_EQ(LoadBinResource(nullptr, 9001), 5u);
    std::array<unsigned char, 8> buffer{};
    buffer.fill(0xEE);
    EXPECT_EQ(LoadBinResource(buffer.data(), 9001), 5u);
    EXPECT_EQ(buffer, (std::array<unsigned char, 8>{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE}));
    buffer.fill(0xEE);
    EXPECT_EQ(LoadBinResource(buffer.data(), 9002), 0xFFFFFFFFu);
    EXPECT_EQ(buffer[0], 0xEE);
    UnregisterBinResource(9001);
    EXPECT_EQ(LoadBinResource(nullptr, 9001), 0xFFFFFFFFu);
}

TEST(UtilitiesTest, AnglesUseTheBoardPiAndTheProgramKnowsWhereItIs)
{
    double x = 180.0;
    EXPECT_EQ(DegToRad(&x), 3.1415926);
    EXPECT_EQ(x, 3.1415926);

    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    const std::string name = GetProgramFileName();
    EXPECT_EQ(name.find('/'), std::string::npos);
    EXPECT_NE(name.find("UtilitiesTest"), std::string::npos);
    EXPECT_EQ(GetProgramFileName(".ini"), name + ".ini");
}

} // namespace
