// The kinds by which tools are requested and identified, and what each kind means to
// the dispatcher (snapping) and to the view (cursor shape). Kinds whose tool does not
// exist start nothing.
#pragma once

#include "platform/WinTypes.h"

namespace CommandKind
{
constexpr int None = 0;
constexpr int Track = 1;
constexpr int ArcByCentre = 4;
constexpr int Move = 11;
constexpr int Pad = 15;
constexpr int Via = 16;
constexpr int String = 17;
constexpr int Fill = 18;
constexpr int Component = 19;
constexpr int AreaSelect = 20;
constexpr int SetOrigin = 21;
constexpr int Polygon = 22;
constexpr int Measure = 23;
constexpr int Array = 24;
constexpr int Offset = 25;
constexpr int Chamfer = 26;
constexpr int Fillet = 27;
constexpr int ArcBy3Points = 28;
constexpr int Copy = 29;
constexpr int PinOne = 30;

// False for the tools whose points are never snapped to the grid.
constexpr bool TakesSnappedPoints(int kind)
{
    switch (kind) {
    case AreaSelect:
    case SetOrigin:
    case Array:
    case Offset:
    case Chamfer:
    case Fillet:
        return false;
    default:
        return true;
    }
}

// The cursor shape for the current tool's kind (`hasTool` false: idle). False when the
// cursor is to be left as it is.
constexpr bool CursorFor(bool hasTool, int kind, CursorShape* shape)
{
    if (!hasTool) {
        *shape = CursorShape::Arrow;
        return true;
    }
    switch (kind) {
    case Track:
    case ArcByCentre:
    case Move:
    case 14:
    case Pad:
    case Via:
    case String:
    case Fill:
    case Component:
    case Polygon:
    case Measure:
    case Array:
    case Offset:
    case Chamfer:
    case Fillet:
    case ArcBy3Points:
    case PinOne:
        *shape = CursorShape::Cross;
        return true;
    default:
        return false;
    }
}
} // namespace CommandKind
