// A scripted stand-in for the user interface: each dialog answer is queued in advance,
// in order; a dialog that opens with no answer queued, or of another kind than the next
// answer, fails the running test and is cancelled.
//
//   FakeUiServices ui;
//   ui.Expect<TrackProperties>(true, [](TrackProperties& v) { v.width = 20; });
//   ui.Expect<Question>(false);            // answer the next yes/no question with no
//   ui.Expect<ListChoice>(true, [](ListChoice& c) { c.chosen = 1; });
//   UiServices::Install(&ui);
#pragma once

#include "model/UiServices.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class FakeUiServices : public UiServices
{
  public:
    // An answer: the dialog's kind, whether it is confirmed, and an edit applied to the
    // values the dialog received before it returns them.
    template <class Values> void Expect(bool confirm, std::function<void(Values&)> edit = nullptr)
    {
        m_answers.push_back(Answer{Kind<Values>(), confirm, [edit](void* v) {
                                       if (edit)
                                           edit(*static_cast<Values*>(v));
                                   }});
    }

    bool EditTrack(TrackProperties& values) override { return Record(trackDialogs, values); }
    bool EditArc(ArcProperties& values) override { return Record(arcDialogs, values); }
    bool EditPad(PadProperties& values) override { return Record(padDialogs, values); }
    bool EditVia(ViaProperties& values) override { return Record(viaDialogs, values); }
    bool EditText(TextProperties& values) override { return Record(textDialogs, values); }
    bool EditFill(FillProperties& values) override { return Record(fillDialogs, values); }
    bool EditPolygon(PolygonProperties& values) override { return Record(polygonDialogs, values); }
    bool EditComponent(ComponentProperties& values) override
    {
        return Record(componentDialogs, values);
    }
    bool AskDpi(DpiValues& values) override { return Record(dpiDialogs, values); }
    bool EditLayers(LayersValues& values) override { return Record(layerDialogs, values); }
    bool PromptFile(FilePrompt& prompt) override { return Record(filePrompts, prompt); }
    bool AskYesNo(Question& question) override { return Record(questions, question); }
    bool ChooseFromList(ListChoice& choice) override { return Record(choices, choice); }
    void MessageBox(const std::string& text) override { messages.push_back(text); }

    // What each dialog received, in order.
    std::vector<TrackProperties> trackDialogs;
    std::vector<ArcProperties> arcDialogs;
    std::vector<PadProperties> padDialogs;
    std::vector<ViaProperties> viaDialogs;
    std::vector<TextProperties> textDialogs;
    std::vector<FillProperties> fillDialogs;
    std::vector<PolygonProperties> polygonDialogs;
    std::vector<ComponentProperties> componentDialogs;
    std::vector<DpiValues> dpiDialogs;
    std::vector<LayersValues> layerDialogs;
    std::vector<FilePrompt> filePrompts;
    std::vector<Question> questions;
    std::vector<ListChoice> choices;
    std::vector<std::string> messages;

    bool AllAnswersUsed() const { return m_answers.empty(); }

  private:
    struct Answer {
        const char* kind;
        bool confirm;
        std::function<void(void*)> edit;
    };
    template <class Values> static const char* Kind();
    template <class Values> bool Record(std::vector<Values>& log, Values& values)
    {
        log.push_back(values);
        return Answer_(Kind<Values>(), &values);
    }
    bool Answer_(const char* kind, void* values);

    std::deque<Answer> m_answers;
};

template <> inline const char* FakeUiServices::Kind<TrackProperties>()
{
    return "track";
}
template <> inline const char* FakeUiServices::Kind<ArcProperties>()
{
    return "arc";
}
template <> inline const char* FakeUiServices::Kind<PadProperties>()
{
    return "pad";
}
template <> inline const char* FakeUiServices::Kind<ViaProperties>()
{
    return "via";
}
template <> inline const char* FakeUiServices::Kind<TextProperties>()
{
    return "text";
}
template <> inline const char* FakeUiServices::Kind<FillProperties>()
{
    return "fill";
}
template <> inline const char* FakeUiServices::Kind<PolygonProperties>()
{
    return "polygon";
}
template <> inline const char* FakeUiServices::Kind<ComponentProperties>()
{
    return "component";
}
template <> inline const char* FakeUiServices::Kind<DpiValues>()
{
    return "dpi";
}
template <> inline const char* FakeUiServices::Kind<LayersValues>()
{
    return "layers";
}
template <> inline const char* FakeUiServices::Kind<FilePrompt>()
{
    return "file";
}
template <> inline const char* FakeUiServices::Kind<Question>()
{
    return "question";
}
template <> inline const char* FakeUiServices::Kind<ListChoice>()
{
    return "choice";
}
