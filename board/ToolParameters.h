// The values the parameter dialogs of the tools remember from one use to the next:
// array, insert, offset, chamfer and fillet. Lengths in mils, angles in radians. Held
// by the board state; the GUI thread only. The array starts from its dialog's own
// defaults (linear, one copy, items turned); everything else from 0.
#pragma once

struct ToolParameters {
    int ArrayCircular = 0;
    int ArrayLinear = 1;
    int ArrayRectangle = 0;
    double ArrayXSpacing = 0.0;
    double ArrayYSpacing = 0.0;
    double ArrayAngle = 0.0;
    int ArrayCount = 1;
    int ArrayTextIncrement = 0;
    int ArrayBeginAtCurrent = 0;
    int ArrayRotateItems = 1;
    int InsertCount = 0;
    int InsertTextIncrement = 0;
    double OffsetDistance = 0.0;
    double ChamferDistance1 = 0.0;
    double ChamferDistance2 = 0.0;
    int ChamferTrim = 0;
    double FilletRadius = 0.0;
    int FilletTrim = 0;

    // Back to the values the program starts with.
    void Reset() { *this = ToolParameters(); }
};
