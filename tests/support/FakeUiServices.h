// A scripted stand-in for the user interface: each dialog answer is queued in advance,
// in order; a dialog that opens with no answer queued, or of another kind than the next
// answer, fails the running test and is cancelled. Every dialog's values are recorded as
// the dialog received them, per values type.
//
//   FakeUiServices ui;
//   ui.Expect<TrackProperties>(true, [](TrackProperties& v) { v.width = 20; });
//   ui.Expect<Question>(false);            // answer the next yes/no question with no
//   ui.Expect<ListChoice>(true, [](ListChoice& c) { c.chosen = 1; });
//   UiServices::Install(&ui);
//   ...
//   ui.Received<TrackProperties>().at(0).width;
#pragma once

#include "model/UiServices.h"

#include <any>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <typeindex>
#include <vector>

class FakeUiServices : public UiServices
{
  public:
    // An answer: the dialog's kind, whether it is confirmed, and an edit applied to the
    // values the dialog received before it returns them.
    template <class Values> void Expect(bool confirm, std::function<void(Values&)> edit = nullptr)
    {
        m_answers.push_back(Answer{typeid(Values), confirm, [edit](void* v) {
                                       if (edit)
                                           edit(*static_cast<Values*>(v));
                                   }});
    }

    // What the dialogs of one kind received, in order.
    template <class Values> const std::vector<Values>& Received() const
    {
        static const std::vector<Values> none;
        auto it = m_logs.find(typeid(Values));
        return it == m_logs.end() ? none : std::any_cast<const std::vector<Values>&>(it->second);
    }

    void MessageBox(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;

    bool AllAnswersUsed() const { return m_answers.empty(); }

  protected:
    bool Open(DialogValues values) override
    {
        return std::visit(
            [this](auto* v) {
                using Values = std::remove_pointer_t<decltype(v)>;
                std::any& log = m_logs[typeid(Values)];
                if (!log.has_value())
                    log = std::vector<Values>();
                std::any_cast<std::vector<Values>&>(log).push_back(*v);
                return Answer_(typeid(Values), v);
            },
            values);
    }

  private:
    struct Answer {
        std::type_index kind;
        bool confirm;
        std::function<void(void*)> edit;
    };
    bool Answer_(std::type_index kind, void* values);

    std::deque<Answer> m_answers;
    std::map<std::type_index, std::any> m_logs; // values type -> std::vector of it
};
