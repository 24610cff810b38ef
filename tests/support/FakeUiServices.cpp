#include "FakeUiServices.h"

#include <gtest/gtest.h>

bool FakeUiServices::Answer_(const char* kind, void* values)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected " << kind << " dialog";
        return false;
    }
    Answer a = m_answers.front();
    m_answers.pop_front();
    if (std::string(a.kind) != kind) {
        ADD_FAILURE() << "expected a " << a.kind << " dialog, got a " << kind << " dialog";
        return false;
    }
    if (a.confirm)
        a.edit(values);
    return a.confirm;
}
