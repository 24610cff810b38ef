#include "UiServices.h"

#include "SilentUiServices.h"

#include <atomic>

namespace
{

SilentUiServices theSilentServices;
std::atomic<UiServices*> theInstalled{nullptr};

} // namespace

UiServices& UiServices::Current()
{
    UiServices* installed = theInstalled.load(std::memory_order_acquire);
    return installed ? *installed : theSilentServices;
}

void UiServices::Install(UiServices* services)
{
    theInstalled.store(services, std::memory_order_release);
}
