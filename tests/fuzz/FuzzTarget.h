// The body of every fuzz target: one input through its reader's entry function; a fault
// found in what was read stops the fuzzer as a crash does, so the input is kept.
#pragma once

#include "FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

inline int RunFuzzInput(FuzzResult (*entry)(FuzzBytes), const std::uint8_t* data, std::size_t size)
{
    const FuzzResult result = entry(FuzzBytes(data, size));
    if (!result.fault.empty()) {
        std::fprintf(stderr, "==FAULT== %s\n", result.fault.c_str());
        std::abort();
    }
    return 0;
}
