// "layer.dat", the layer colour settings.
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzInput(FuzzLayerDat, data, size);
}
