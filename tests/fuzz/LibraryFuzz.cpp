// Component library files.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzInput(FuzzLibrary, data, size);
}
