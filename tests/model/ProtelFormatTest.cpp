#include "model/ProtelFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace
{

TEST(ProtelFormatTest, LengthsAreThousandthsOfAMilTruncatedAfterHalfAThousandth)
{
    const std::pair<double, std::int64_t> cases[] = {
        {0.0, 0},
        {0.0004, 0},
        {-0.25, -249},
        {0.25, 250},
        {25.4, 25400},
        {-100.0, -99999},
        {3e6, 3000000000}, // wider than a 32-bit int
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {1e300, std::numeric_limits<std::int64_t>::max()},
        {-1e300, std::numeric_limits<std::int64_t>::min()}};
    for (const auto& [mils, length] : cases)
        EXPECT_EQ(Protel::Length(mils), length) << mils;
}

TEST(ProtelFormatTest, FieldsAndTags)
{
    EXPECT_EQ(Protel::Len(-0.25), "-249 ");
    EXPECT_EQ(Protel::Int(-17), "-17 ");
    EXPECT_EQ(Protel::Deg(3.1415926), "180.000 ");
    EXPECT_EQ(Protel::Deg(0.0), "0.000 ");
    EXPECT_EQ(Protel::Fixed3(-0.0001), "-0.000");
    EXPECT_EQ(Protel::Fixed3(12.3456), "12.346");
    EXPECT_EQ(Protel::Fixed3(-359.9999), "-360.000");
    EXPECT_EQ(Protel::Fixed3(1e20), "100000000000000000000.000");
    EXPECT_EQ(Protel::Fixed3(std::numeric_limits<double>::max()).size(), 309u + 4u);
    EXPECT_EQ(Protel::Tag('T', false), "FT\n0 0 ");
    EXPECT_EQ(Protel::Tag('A', true), "CA\n0 0 ");
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
