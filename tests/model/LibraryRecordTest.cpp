#include "model/LibraryRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace
{

using Six = std::array<BYTE, 6>;
const Six kZero{0, 0, 0, 0, 0, 0};

Six Encode(double degrees, int* ok = nullptr)
{
    Six six;
    six.fill(0xAA);
    const int r = DoubleToReal48(degrees, six.data());
    if (ok)
        *ok = r;
    return six;
}

TEST(LibRecordTest, LittleEndianFieldsAndHeader)
{
    std::array<BYTE, 6> buf{};
    LibRecord::PutU16(buf.data(), 0xFFFE);
    LibRecord::PutI32(buf.data() + 2, INT32_MIN + 0x01020304);
    EXPECT_EQ(buf, (std::array<BYTE, 6>{0xFE, 0xFF, 0x04, 0x03, 0x02, 0x81}));
    EXPECT_EQ(LibRecord::GetU16(buf.data()), 0xFFFE);
    EXPECT_EQ(LibRecord::GetI32(buf.data() + 2), INT32_MIN + 0x01020304);
    LibRecord::PutI32(buf.data(), -2);
    EXPECT_EQ(LibRecord::GetI32(buf.data()), -2);

    LibRecord::PutHeader(buf.data(), LibRecord::Pad, 32);
    EXPECT_EQ(LibRecord::GetU16(buf.data()), 9);
    EXPECT_EQ(LibRecord::GetU16(buf.data() + 2), 33); // the layer plus one
    EXPECT_EQ(LibRecord::GetLayer(buf.data()), 32);
    buf[2] = buf[3] = 0;
    EXPECT_EQ(LibRecord::GetLayer(buf.data()), -1);
}

TEST(LibRecordTest, LengthsTruncateTowardZeroAndAreHeldAtTheFieldsLimits)
{
    const std::pair<double, std::int32_t> cases[] = {
        {1.0, 10000},
        {0.00019, 1},
        {-0.00019, -1},
        {-12.5, -125000},
        {1e9, INT32_MAX},
        {-1e9, INT32_MIN},
        {std::numeric_limits<double>::infinity(), INT32_MAX},
        {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& [mils, stored] : cases)
        EXPECT_EQ(LibRecord::ToLength(mils), stored) << mils;
    EXPECT_DOUBLE_EQ(LibRecord::FromLength(-125000), -12.5);
}

TEST(Real48Test, KnownBytePatterns)
{
    const std::pair<double, Six> cases[] = {
        {1.0, {0x81, 0, 0, 0, 0, 0}},
        {0.5, {0x80, 0, 0, 0, 0, 0}},
        {90.0, {0x87, 0, 0, 0, 0, 0x34}}, // 1.40625 x 2^6; 0.40625 x 2^39 = 0x34 << 32
        {1.5, {0x81, 0, 0, 0, 0, 0x40}},  // half the fraction, just below the sign bit
        {0.0, kZero},
        {1e-300, kZero}, // below the smallest real: stored as zero
        {2.0 - std::ldexp(1.0, -42), {0x82, 0, 0, 0, 0, 0}}}; // rounding carries
    for (const auto& [degrees, six] : cases) {
        int ok = 0;
        EXPECT_EQ(Encode(degrees, &ok), six) << degrees;
        EXPECT_EQ(ok, 1);
    }
    const Six ninety{0x87, 0, 0, 0, 0, 0x34};
    EXPECT_EQ(Real48ToDegrees(ninety.data()), 90.0);
    EXPECT_DOUBLE_EQ(Real48ToDouble(ninety.data()), 3.1415926 * 0.5);
    // 1 + 2^-12 comes back rounded to 1.000; the sign bit reads back negative; an exponent
    // of 0 stands for zero, whatever the mantissa holds.
    EXPECT_EQ(Real48ToDegrees(Six{0x81, 0, 0, 0, 0x08, 0x00}.data()), 1.0);
    EXPECT_EQ(Real48ToDegrees(Six{0x82, 0, 0, 0, 0, 0x80}.data()), -2.0);
    EXPECT_EQ(Real48ToDouble(Six{0x00, 1, 2, 3, 4, 5}.data()), 0.0);
}

TEST(Real48Test, RoundTripsAndRefusals)
{
    for (int i = 0; i <= 360 * 4; ++i) {
        const double d = i * 0.25;
        int ok = 0;
        const Six six = Encode(d, &ok);
        ASSERT_EQ(ok, 1) << d;
        EXPECT_NEAR(Real48ToDegrees(six.data()), d, 1e-9) << d;
    }
    for (double d : {0.0015, 33.333, 359.999, 12345.678})
        EXPECT_NEAR(Real48ToDegrees(Encode(d).data()), d, 0.0005 + 1e-9) << d;
    for (double bad : {-1e-9, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e300}) {
        int ok = 1;
        EXPECT_EQ(Encode(bad, &ok), kZero) << bad;
        EXPECT_EQ(ok, 0) << bad;
    }
}

// A rotation read from a file may be negative or many turns; the model keeps [0, 2 pi).
TEST(Real48Test, RotationsFoldIntoOneTurn)
{
    const struct {
        Six six;
        double degrees;
    } cases[] = {
        {Encode(90.0), 90.0},
        {Six{0x82, 0, 0, 0, 0, 0x80}, 358.0}, // -2
        {Encode(720.5), 0.5},
        {Encode(360.0), 0.0},
        {Encode(359.9996), 0.0}, // rounds to a whole turn
        {kZero, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Real48ToAngle(c.six.data()), c.degrees * 3.1415926 / 180.0, 1e-12) << c.degrees;
    for (const Six& huge : {Six{0xFF, 1, 2, 3, 4, 0x85}, Six{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}) {
        const double a = Real48ToAngle(huge.data());
        EXPECT_TRUE(a >= 0.0 && a < 2.0 * 3.1415926) << a;
    }
}

} // namespace
