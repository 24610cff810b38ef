// The user interface of a program without one: every dialog is cancelled, every
// question answered no, every list dismissed and messages go nowhere. It is what the
// model uses until another one is installed.
#pragma once

#include "UiServices.h"

class SilentUiServices : public UiServices
{
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
