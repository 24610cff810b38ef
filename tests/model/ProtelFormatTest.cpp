#include "model/ProtelFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(ProtelLengthTest, ThousandthsOfAMilTruncatedAfterHalfAThousandth)
{
    EXPECT_EQ(Protel::Length(0.0), 0);
    EXPECT_EQ(Protel::Length(0.0004), 0);
    EXPECT_EQ(Protel::Length(-0.25), -249);
    EXPECT_EQ(Protel::Length(0.25), 250);
    EXPECT_EQ(Protel::Length(25.4), 25400);
    EXPECT_EQ(Protel::Length(100.0), 100000);
    EXPECT_EQ(Protel::Length(-100.0), -99999);
    EXPECT_EQ(Protel::Length(3e6), 3000000000); // wider than a 32-bit int
}

TEST(ProtelLengthTest, UnrepresentableValuesAreHeld)
{
    EXPECT_EQ(Protel::Length(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(Protel::Length(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Protel::Length(-1e300), std::numeric_limits<std::int64_t>::min());
}

TEST(ProtelFormatTest, FieldsEndWithOneBlank)
{
    EXPECT_EQ(Protel::Len(25.4), "25400 ");
    EXPECT_EQ(Protel::Len(-0.25), "-249 ");
    EXPECT_EQ(Protel::Int(0), "0 ");
    EXPECT_EQ(Protel::Int(-17), "-17 ");
    EXPECT_EQ(Protel::Deg(3.1415926), "180.000 ");
    EXPECT_EQ(Protel::Deg(3.1415926 * 0.25), "45.000 ");
    EXPECT_EQ(Protel::Deg(0.0), "0.000 ");
}

TEST(ProtelFormatTest, Fixed3LikePrintf)
{
    EXPECT_EQ(Protel::Fixed3(0.0), "0.000");
    EXPECT_EQ(Protel::Fixed3(-0.0), "-0.000");
    EXPECT_EQ(Protel::Fixed3(-0.0001), "-0.000");
    EXPECT_EQ(Protel::Fixed3(1.0), "1.000");
    EXPECT_EQ(Protel::Fixed3(12.3456), "12.346");
    EXPECT_EQ(Protel::Fixed3(-359.9999), "-360.000");
    EXPECT_EQ(Protel::Fixed3(1e20), "100000000000000000000.000");
    EXPECT_EQ(Protel::Fixed3(std::numeric_limits<double>::max()).size(), 309u + 4u);
}

TEST(ProtelFormatTest, TagsForFreeObjectsAndComponentParts)
{
    EXPECT_EQ(Protel::Tag('T', false), "FT\n0 0 ");
    EXPECT_EQ(Protel::Tag('A', true), "CA\n0 0 ");
    EXPECT_EQ(Protel::Tag('S', true), "CS\n0 0 ");
}

TEST(ProtelFormatTest, NumbersIgnoreTheUserLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
        GTEST_SKIP() << "no German locale installed";
    const std::string fixed = Protel::Fixed3(1234.5);
    const std::string deg = Protel::Deg(3.1415926 * 0.5);
    const std::string len = Protel::Len(1234567.0);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(fixed, "1234.500");
    EXPECT_EQ(deg, "90.000 ");
    EXPECT_EQ(len, "1234567000 ");
}

} // namespace
