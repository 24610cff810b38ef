// A scripted stand-in for the user interface: each dialog answer is queued in advance,
// in order; a dialog that opens with no answer queued, or of another kind than the next
// answer, fails the running test and is cancelled.
#pragma once

#include "model/UiServices.h"

#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

class FakeUiServices : public UiServices {
public:
    // An answer: the dialog's kind, whether it is confirmed, and an edit applied to the
    // values the dialog received before it returns them.
    template <class Values>
    void Expect(bool confirm, std::function<void(Values&)> edit = nullptr)
    {
        m_answers.push_back(Answer{Kind<Values>(), confirm,
                                   [edit](void* v) {
                                       if (edit)
                                           edit(*static_cast<Values*>(v));
                                   }});
    }

    bool EditTrack(TrackProperties& values) override;
    bool EditArc(ArcProperties& values) override;
    void MessageBox(const std::string& text) override { messages.push_back(text); }

    // What the dialogs received, in order.
    std::vector<TrackProperties> trackDialogs;
    std::vector<ArcProperties> arcDialogs;
    std::vector<std::string> messages;

    bool AllAnswersUsed() const { return m_answers.empty(); }

private:
    struct Answer {
        const char* kind;
        bool confirm;
        std::function<void(void*)> edit;
    };
    template <class Values> static const char* Kind();
    bool Answer_(const char* kind, void* values);

    std::deque<Answer> m_answers;
};

template <> inline const char* FakeUiServices::Kind<TrackProperties>() { return "track"; }
template <> inline const char* FakeUiServices::Kind<ArcProperties>() { return "arc"; }
