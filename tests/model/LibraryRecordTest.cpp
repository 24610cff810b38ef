#include "model/LibraryRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

using Six = std::array<BYTE, 6>;

Six Encode(double degrees, int* ok = nullptr)
{
    Six six;
    six.fill(0xAA);
    const int r = DoubleToReal48(degrees, six.data());
    if (ok)
        *ok = r;
    return six;
}

TEST(LibRecordTest, LittleEndianFields)
{
    std::array<BYTE, 8> buf{};
    LibRecord::PutU16(buf.data(), 0x1234);
    EXPECT_EQ(buf[0], 0x34);
    EXPECT_EQ(buf[1], 0x12);
    EXPECT_EQ(LibRecord::GetU16(buf.data()), 0x1234);

    LibRecord::PutI32(buf.data() + 2, -2);
    EXPECT_EQ(buf[2], 0xFE);
    EXPECT_EQ(buf[5], 0xFF);
    EXPECT_EQ(LibRecord::GetI32(buf.data() + 2), -2);

    LibRecord::PutI32(buf.data(), 0x01020304);
    EXPECT_EQ(buf[0], 0x04);
    EXPECT_EQ(buf[3], 0x01);
    LibRecord::PutI32(buf.data(), INT32_MIN);
    EXPECT_EQ(LibRecord::GetI32(buf.data()), INT32_MIN);
    LibRecord::PutU16(buf.data(), 0xFFFF);
    EXPECT_EQ(LibRecord::GetU16(buf.data()), 0xFFFF);
}

TEST(LibRecordTest, LengthsTruncateTowardZero)
{
    EXPECT_EQ(LibRecord::ToLength(1.0), 10000);
    EXPECT_EQ(LibRecord::ToLength(0.00019), 1);
    EXPECT_EQ(LibRecord::ToLength(-0.00019), -1);
    EXPECT_EQ(LibRecord::ToLength(-12.5), -125000);
    EXPECT_DOUBLE_EQ(LibRecord::FromLength(125000), 12.5);
    EXPECT_DOUBLE_EQ(LibRecord::FromLength(-1), -0.0001);
}

TEST(LibRecordTest, LengthsOutsideTheFieldAreHeldAtItsLimits)
{
    EXPECT_EQ(LibRecord::ToLength(1e9), INT32_MAX);
    EXPECT_EQ(LibRecord::ToLength(-1e9), INT32_MIN);
    EXPECT_EQ(LibRecord::ToLength(std::numeric_limits<double>::infinity()), INT32_MAX);
    EXPECT_EQ(LibRecord::ToLength(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(LibRecordTest, HeaderStoresLayerPlusOne)
{
    std::array<BYTE, 4> rec{};
    LibRecord::PutHeader(rec.data(), LibRecord::Track, 0);
    EXPECT_EQ(LibRecord::GetU16(rec.data()), 5);
    EXPECT_EQ(LibRecord::GetU16(rec.data() + 2), 1);
    EXPECT_EQ(LibRecord::GetLayer(rec.data()), 0);
    LibRecord::PutHeader(rec.data(), LibRecord::Pad, 32);
    EXPECT_EQ(LibRecord::GetU16(rec.data()), 9);
    EXPECT_EQ(LibRecord::GetLayer(rec.data()), 32);
    rec[2] = rec[3] = 0;
    EXPECT_EQ(LibRecord::GetLayer(rec.data()), -1);
}

TEST(Real48Test, KnownBytePatterns)
{
    int ok = 0;
    EXPECT_EQ(Encode(1.0, &ok), (Six{0x81, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Encode(0.5), (Six{0x80, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Encode(2.0), (Six{0x82, 0, 0, 0, 0, 0}));
    // 90 = 1.40625 x 2^6; 0.40625 x 2^39 = 0x34 << 32.
    EXPECT_EQ(Encode(90.0), (Six{0x87, 0, 0, 0, 0, 0x34}));
    // 1.5: half of the fraction field, just below the sign bit.
    EXPECT_EQ(Encode(1.5), (Six{0x81, 0, 0, 0, 0, 0x40}));
    EXPECT_EQ(Encode(0.0, &ok), (Six{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ok, 1);

    const Six ninety{0x87, 0, 0, 0, 0, 0x34};
    EXPECT_EQ(Real48ToDegrees(ninety.data()), 90.0);
    EXPECT_DOUBLE_EQ(Real48ToDouble(ninety.data()), 3.1415926 * 0.5);
}

TEST(Real48Test, RoundTripOverAFullTurn)
{
    for (int i = 0; i <= 360 * 4; ++i) {
        const double d = i * 0.25;
        int ok = 0;
        const Six six = Encode(d, &ok);
        ASSERT_EQ(ok, 1) << d;
        EXPECT_NEAR(Real48ToDegrees(six.data()), d, 1e-9) << d;
    }
    for (double d : {0.001, 0.0015, 1e-3 * 7, 33.333, 179.999, 359.999, 360.0, 12345.678}) {
        const Six six = Encode(d);
        EXPECT_NEAR(Real48ToDegrees(six.data()), d, 0.0005 + 1e-9) << d;
    }
}

TEST(Real48Test, DecodingRoundsToThousandthsOfADegree)
{
    // 1 + 2^-12 = 1.000244...: comes back as 1.000.
    const Six justAboveOne{0x81, 0, 0, 0, 0x08, 0x00};
    EXPECT_EQ(Real48ToDegrees(justAboveOne.data()), 1.0);
    // A value whose sign bit is set reads back negative.
    const Six minusTwo{0x82, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(Real48ToDegrees(minusTwo.data()), -2.0);
    // An exponent of 0 stands for zero, whatever the mantissa bytes hold.
    const Six zero{0x00, 1, 2, 3, 4, 5};
    EXPECT_EQ(Real48ToDegrees(zero.data()), 0.0);
    EXPECT_EQ(Real48ToDouble(zero.data()), 0.0);
}

TEST(Real48Test, RefusesWhatItCannotStore)
{
    const Six zeros{0, 0, 0, 0, 0, 0};
    for (double bad : {-1.0, -1e-9, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e300}) {
        int ok = 1;
        EXPECT_EQ(Encode(bad, &ok), zeros) << bad;
        EXPECT_EQ(ok, 0) << bad;
    }
}

TEST(Real48Test, ValuesBelowTheSmallestRealAreStoredAsZero)
{
    const Six zeros{0, 0, 0, 0, 0, 0};
    int ok = 0;
    EXPECT_EQ(Encode(1e-300, &ok), zeros);
    EXPECT_EQ(ok, 1);
}

TEST(Real48Test, RoundingUpToTheNextPowerOfTwoCarriesIntoTheExponent)
{
    // Just below 2 by less than half a unit of the 39-bit fraction.
    const double almostTwo = 2.0 - std::ldexp(1.0, -42);
    EXPECT_EQ(Encode(almostTwo), (Six{0x82, 0, 0, 0, 0, 0}));
}

} // namespace
