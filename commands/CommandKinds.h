// The kinds by which tools are requested and identified. What each kind means to the
// dispatcher and the view (snapping, cursor, its tool) is in ToolTable.
#pragma once

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

} // namespace CommandKind
