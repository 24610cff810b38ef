// Board documents.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzInput(FuzzDocument, data, size);
}
