// Number formats of the Protel 2.8 ASCII export, independent of the user's locale.
#pragma once

#include <cstdint>
#include <string>

namespace Protel
{

// The integer part of (v + 0.0005) x scale, held within the range of the integer (NaN
// gives 0).
std::int64_t Scaled(double v, double scale);
// A length in mils as thousandths of a mil: Scaled(mils, 1000).
std::int64_t Length(double mils);
// "%d " of Length(mils).
std::string Len(double mils);
// "%d " of an integer.
std::string Int(std::int64_t v);
// "%0.3f " of radians shown in degrees (v x 180 / 3.1415926).
std::string Deg(double radians);
// "%0.3f" of a value, C locale, no trailing blank.
std::string Fixed3(double v);
// The record tag: "F<t>\n0 0 " for a free object, "C<t>\n0 0 " for a component part.
std::string Tag(char type, bool inComponent);
// A name or text that takes a line of its own: each CR or LF in it becomes a blank, so
// the record keeps its lines.
std::string TextLine(std::string text);

} // namespace Protel
