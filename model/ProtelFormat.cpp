#include "ProtelFormat.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace Protel
{

std::int64_t Scaled(double v, double scale)
{
    const double t = std::trunc((v + 0.0005) * scale);
    if (std::isnan(t))
        return 0;
    // Beyond +-2^63 the conversion to an integer is undefined; hold such values there.
    constexpr double kLimit = 9223372036854775807.0; // rounds to 2^63
    if (t >= kLimit)
        return INT64_MAX;
    if (t <= -kLimit)
        return INT64_MIN;
    return std::int64_t(t);
}

std::int64_t Length(double mils)
{
    return Scaled(mils, 1000.0);
}

std::string Len(double mils)
{
    return Int(Length(mils));
}

std::string Int(std::int64_t v)
{
    return std::to_string(v) + " ";
}

std::string Deg(double radians)
{
    return Fixed3(radians * 180.0 / 3.1415926) + " ";
}

std::string Fixed3(double v)
{
    // Large enough for the 309 integer digits of the largest double, its sign, the
    // point and three decimals.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), v, std::chars_format::fixed, 3);
    if (result.ec != std::errc())
        return "0.000";
    return std::string(buffer, result.ptr);
}

std::string Tag(char type, bool inComponent)
{
    std::string tag(1, inComponent ? 'C' : 'F');
    tag += type;
    tag += "\n0 0 ";
    return tag;
}

std::string TextLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace Protel
