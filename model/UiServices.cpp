#include "UiServices.h"

#include <atomic>

namespace {

// With no user interface every dialog is cancelled, every question answered no and
// messages go nowhere.
class SilentUiServices : public UiServices {
public:
    bool EditTrack(TrackProperties&) override { return false; }
    bool EditArc(ArcProperties&) override { return false; }
    bool EditPad(PadProperties&) override { return false; }
    bool EditVia(ViaProperties&) override { return false; }
    bool EditText(TextProperties&) override { return false; }
    bool EditFill(FillProperties&) override { return false; }
    bool EditPolygon(PolygonProperties&) override { return false; }
    bool EditComponent(ComponentProperties&) override { return false; }
    bool AskDpi(DpiValues&) override { return false; }
    bool EditLayers(LayersValues&) override { return false; }
    bool PromptFile(FilePrompt&) override { return false; }
    bool AskYesNo(Question&) override { return false; }
    bool ChooseFromList(ListChoice&) override { return false; }
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
