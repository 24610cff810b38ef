// One entry function per file reader, shared by the libFuzzer targets (tests/fuzz) and
// by the regression test that replays the saved inputs (tests/board/FuzzRegressionTest).
//
// Each entry reads one input the way the program reads that file, and when the input
// was accepted, checks that what was read holds together: written again and read back
// it gives the same bytes, and the state it left behaves. A crash, a sanitizer report or
// an exception other than the reader's own refusal is a fault; so is a non-empty
// `fault` in the result. Each entry leaves the global state as it found it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct FuzzResult {
    // The reader accepted the input.
    bool accepted = false;
    // What went wrong with an accepted input (empty: nothing).
    std::string fault;
};

using FuzzBytes = std::span<const std::uint8_t>;

// A board document, read into the board state (theInfomation; built on first use when
// there is none) and then drawn. The board is emptied before and after.
FuzzResult FuzzDocument(FuzzBytes data);
// "layer.dat".
FuzzResult FuzzLayerDat(FuzzBytes data);
// "lib.dat", the list of open component libraries.
FuzzResult FuzzLibDat(FuzzBytes data);
// A component library file, opened from a temporary file. Copies of its first components
// are added to a new library, which must open again and, copied the same way twice more,
// settle on the same file.
FuzzResult FuzzLibrary(FuzzBytes data);
