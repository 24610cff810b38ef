#include "UiServices.h"

#include <atomic>

namespace {

// With no user interface every dialog is cancelled and messages go nowhere.
class SilentUiServices : public UiServices {
public:
    bool EditTrack(TrackProperties&) override { return false; }
    bool EditArc(ArcProperties&) override { return false; }
    void MessageBox(const std::string&) override {}
};

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
