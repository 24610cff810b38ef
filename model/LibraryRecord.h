// Byte-level helpers for the primitive records of component library files: little-endian
// fields, lengths in ten-thousandths of a mil, and the 6-byte real that stores angles.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

namespace LibRecord
{

// Record kinds.
enum Kind : std::uint16_t {
    Arc = 1,
    Fill = 2,
    PadOld = 3,
    Skip4 = 4,
    Track = 5,
    Text = 6,
    Skip7 = 7,
    Via = 8,
    Pad = 9,
};

void PutU16(BYTE* p, std::uint16_t v);
void PutI32(BYTE* p, std::int32_t v);
std::uint16_t GetU16(const BYTE* p);
std::int32_t GetI32(const BYTE* p);

// mils -> stored value: the integer part of mils x 10000.
std::int32_t ToLength(double mils);
// stored value -> mils.
double FromLength(std::int32_t v);

// Writes kind and layer (LayerId + 1) at the start of a record.
void PutHeader(BYTE* rec, std::uint16_t kind, int layer);
// The LayerId stored in a record (stored value - 1).
int GetLayer(const BYTE* rec);

} // namespace LibRecord

// The 6-byte real: byte 0 the exponent with bias 129 (0 stands for zero), bytes 1 to 5 a
// 40-bit little-endian mantissa whose top bit is the sign. Angles are stored in degrees.
//
// Decoding reads the stored degrees, rounded to 0.001 degree, and returns radians.
double Real48ToDouble(const BYTE* six);
// Encodes `degrees` as given; returns 0 (and leaves the six bytes zero) when the value
// cannot be represented: negative, not finite, or too large.
int DoubleToReal48(double degrees, BYTE* six);
// An angle in radians as the degrees a record stores: within [0, 360), however many
// turns or which way it was given; a value that is not finite stays so (and is refused).
double AngleToRecordDegrees(double radians);
// Decoding without the conversion to radians (degrees rounded to 0.001).
double Real48ToDegrees(const BYTE* six);
// Decoding a rotation: whatever the record holds (negative, or many turns), the angle
// in radians within [0, 2 pi), as every angle the model keeps.
double Real48ToAngle(const BYTE* six);
