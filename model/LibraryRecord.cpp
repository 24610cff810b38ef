#include "LibraryRecord.h"

#include "Utilities.h"

#include <cmath>
#include <cstring>

namespace LibRecord
{

void PutU16(BYTE* p, std::uint16_t v)
{
    p[0] = BYTE(v & 0xFF);
    p[1] = BYTE(v >> 8);
}

void PutI32(BYTE* p, std::int32_t v)
{
    const std::uint32_t u = std::uint32_t(v);
    p[0] = BYTE(u & 0xFF);
    p[1] = BYTE((u >> 8) & 0xFF);
    p[2] = BYTE((u >> 16) & 0xFF);
    p[3] = BYTE(u >> 24);
}

std::uint16_t GetU16(const BYTE* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::int32_t GetI32(const BYTE* p)
{
    const std::uint32_t u = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                            (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
    return std::int32_t(u);
}

std::int32_t ToLength(double mils)
{
    const double v = std::trunc(mils * 10000.0);
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return std::int32_t(v);
}

double FromLength(std::int32_t v)
{
    return v * 0.0001;
}

void PutHeader(BYTE* rec, std::uint16_t kind, int layer)
{
    PutU16(rec, kind);
    PutU16(rec + 2, std::uint16_t(layer + 1));
}

int GetLayer(const BYTE* rec)
{
    return int(GetU16(rec + 2)) - 1;
}

} // namespace LibRecord

// The 6-byte real: value = (1 + f / 2^39) * 2^(e - 129), with e the exponent byte and
// f the low 39 bits of the little-endian 40-bit field in bytes 1 to 5; the field's top
// bit is the sign.
namespace
{

constexpr int kBias = 129;
constexpr std::uint64_t kFractionOne = std::uint64_t(1) << 39;
constexpr std::uint64_t kSignBit = std::uint64_t(1) << 39;

} // namespace

double AngleToRecordDegrees(double radians)
{
    if (!std::isfinite(radians))
        return radians;
    double degrees = std::fmod(RadToDeg(radians), 360.0);
    if (degrees < 0.0)
        degrees += 360.0;
    return degrees >= 360.0 ? 0.0 : degrees + 0.0; // + 0.0 turns -0 into 0
}

int DoubleToReal48(double degrees, BYTE* six)
{
    std::memset(six, 0, 6);
    if (degrees == 0.0)
        return 1;
    if (!std::isfinite(degrees) || degrees < 0.0)
        return 0;

    int e2 = 0;
    const double m = std::frexp(degrees, &e2); // degrees = m * 2^e2, m in [0.5, 1)
    int exponent = e2 - 1 + kBias;
    std::uint64_t fraction = std::uint64_t(std::llround((2.0 * m - 1.0) * double(kFractionOne)));
    if (fraction >= kFractionOne) { // rounded up to the next power of two
        fraction = 0;
        ++exponent;
    }
    if (exponent < 1) // below the smallest 6-byte real: stored as zero, which it reads back as
        return 1;
    if (exponent > 255)
        return 0;

    six[0] = BYTE(exponent);
    for (int i = 0; i < 5; ++i)
        six[1 + i] = BYTE((fraction >> (8 * i)) & 0xFF);
    return 1;
}

double Real48ToDegrees(const BYTE* six)
{
    const int exponent = six[0];
    if (exponent == 0)
        return 0.0;
    std::uint64_t field = 0;
    for (int i = 0; i < 5; ++i)
        field |= std::uint64_t(six[1 + i]) << (8 * i);
    const bool negative = (field & kSignBit) != 0;
    const std::uint64_t fraction = field & (kSignBit - 1);
    double value = std::ldexp(1.0 + double(fraction) / double(kFractionOne), exponent - kBias);
    if (negative)
        value = -value;
    return std::round(value * 1000.0) / 1000.0;
}

double Real48ToDouble(const BYTE* six)
{
    return Real48ToDegrees(six) * 3.1415926 / 180.0;
}

double Real48ToAngle(const BYTE* six)
{
    double degrees = std::fmod(Real48ToDegrees(six), 360.0);
    if (degrees < 0.0)
        degrees += 360.0;
    // A whole turn less a trace rounds up to 360; -0 becomes 0.
    if (degrees >= 360.0 || degrees == 0.0)
        return 0.0;
    const double radians = degrees * 3.1415926 / 180.0;
    return radians < 2.0 * 3.1415926 ? radians : 0.0;
}
