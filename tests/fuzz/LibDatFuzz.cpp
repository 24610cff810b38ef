// "lib.dat", the list of component libraries opened at start-up.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzInput(FuzzLibDat, data, size);
}
