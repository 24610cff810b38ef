// Small shared helpers: where the program's files lie, binary data compiled into the
// program, angle conversion and automatic numbering of names.
#pragma once

#include "platform/WinTypes.h"

#include <initializer_list>
#include <string>

// The folder of the running program, with a trailing '/'.
std::string GetProgramFolder();
// The file name of the running program (with `suffix` appended to the path first).
std::string GetProgramFileName(const char* suffix = nullptr);

// Binary data blocks compiled into the program, by number. LoadBinResource returns
// 0xFFFFFFFF for an unknown id; with a null dst it returns the size only; otherwise
// it copies the whole block to dst (which must be large enough) and returns its size.
unsigned LoadBinResource(void* dst, UINT id);
void RegisterBinResource(UINT id, const void* data, unsigned size);
void UnregisterBinResource(UINT id);

// True when every value is a finite number: what a reader asks of each number it takes
// from a file before it uses it.
bool AllFinite(std::initializer_list<double> values);

double RadToDeg(double x);
// In place; returns the new value.
double DegToRad(double* x);

// Renumbers a name in place and returns a copy: the trailing decimal number grows by
// `step` (Pad9 -> Pad10), a name without one gets the step appended (Pad -> Pad1), an
// empty name becomes "1", step 0 changes nothing.
std::string IncrementNameNumber(std::string& name, int step);

// Always true here: a board can be drawn, opened and saved with no photograph.
BOOL IsWinNT();
// The board-without-photo switch, read by the photograph and the arc drawing.
extern int thePlatformFlag;
