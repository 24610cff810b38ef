#include "model/UiServices.h"
#include "model/Utilities.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

std::string Renumber(std::string name, int step)
{
    const std::string returned = IncrementNameNumber(name, step);
    EXPECT_EQ(returned, name) << "the name is changed in place and returned";
    return returned;
}

TEST(IncrementNameNumberTest, StepsTheTrailingNumber)
{
    EXPECT_EQ(Renumber("Pad3", 0), "Pad3");
    EXPECT_EQ(Renumber("", 0), "");
    EXPECT_EQ(Renumber("", 5), "1");
    EXPECT_EQ(Renumber("Pad", 1), "Pad1");
    EXPECT_EQ(Renumber("Pad", 3), "Pad3");
    EXPECT_EQ(Renumber("Pad9", 1), "Pad10");
    EXPECT_EQ(Renumber("U007", 1), "U8");
    EXPECT_EQ(Renumber("R1", -1), "R0");
    EXPECT_EQ(Renumber("R0", -1), "R-1");
    EXPECT_EQ(Renumber("A-1", 1), "A-2"); // the minus sign is part of the prefix
    EXPECT_EQ(Renumber("7", 2), "9");
    EXPECT_EQ(Renumber("0", -3), "-3");
    EXPECT_EQ(Renumber("C12D45", 10), "C12D55");
}

TEST(IncrementNameNumberTest, NumbersBeyondThe32BitRange)
{
    // Runs too long for a 32-bit int: an all-digit name restarts at 0.
    EXPECT_EQ(Renumber("123456789012", 1), "0");
    EXPECT_EQ(Renumber("99999999999999999999999999", 1), "0");
    EXPECT_EQ(Renumber("2147483648", 1), "0");
    // ... and a prefixed one keeps its prefix.
    EXPECT_EQ(Renumber("Q123456789012", 1), "Q0");
    // Leading zeros do not make a number large.
    EXPECT_EQ(Renumber("U00000000000000000000007", 1), "U8");
    // The largest int still counts, and stepping past it does not wrap.
    EXPECT_EQ(Renumber("2147483647", 1), "2147483648");
    EXPECT_EQ(Renumber("N2147483647", INT32_MAX), "N4294967294");
    EXPECT_EQ(Renumber("N0", INT32_MIN), "N-2147483648");
}

TEST(BinResourceTest, SizeCopyAndUnknownId)
{
    static const std::array<unsigned char, 5> data{1, 2, 3, 4, 5};
    RegisterBinResource(9001, data.data(), unsigned(data.size()));

    EXPECT_EQ(LoadBinResource(nullptr, 9001), 5u);
    std::array<unsigned char, 8> buffer{};
    buffer.fill(0xEE);
    EXPECT_EQ(LoadBinResource(buffer.data(), 9001), 5u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[4], 5);
    EXPECT_EQ(buffer[5], 0xEE); // nothing beyond the block

    EXPECT_EQ(LoadBinResource(nullptr, 9002), 0xFFFFFFFFu);
    buffer.fill(0xEE);
    EXPECT_EQ(LoadBinResource(buffer.data(), 9002), 0xFFFFFFFFu);
    EXPECT_EQ(buffer[0], 0xEE);

    UnregisterBinResource(9001);
    EXPECT_EQ(LoadBinResource(nullptr, 9001), 0xFFFFFFFFu);
}

TEST(AngleConversionTest, UsesTheBoardPi)
{
    double x = 180.0;
    EXPECT_EQ(DegToRad(&x), 3.1415926);
    EXPECT_EQ(x, 3.1415926);
    EXPECT_EQ(RadToDeg(3.1415926), 180.0);
    double y = 90.0;
    DegToRad(&y);
    EXPECT_DOUBLE_EQ(RadToDeg(y), 90.0);
}

TEST(ProgramLocationTest, FolderEndsWithSlashAndHoldsTheProgram)
{
    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    const std::string name = GetProgramFileName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find('/'), std::string::npos);
    EXPECT_NE(name.find("UtilitiesTest"), std::string::npos);
    EXPECT_EQ(GetProgramFileName(".ini"), name + ".ini");
}

TEST(UiServicesTest, DefaultCancelsDialogs)
{
    TrackProperties track;
    track.width = 12.0;
    EXPECT_FALSE(UiServices::Current().EditTrack(track));
    EXPECT_EQ(track.width, 12.0);
    ArcProperties arc;
    EXPECT_FALSE(UiServices::Current().EditArc(arc));
    UiServices::Current().MessageBox("dropped");
}

} // namespace
