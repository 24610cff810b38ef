#include "FakeUiServices.h"

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace
{

// The readable name of a values type, e.g. "TrackProperties".
std::string KindName(std::type_index kind)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(kind.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : kind.name();
}

} // namespace

bool FakeUiServices::Answer_(std::type_index kind, void* values)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected " << KindName(kind) << " dialog";
        return false;
    }
    Answer a = m_answers.front();
    m_answers.pop_front();
    if (a.kind != kind) {
        ADD_FAILURE() << "expected a " << KindName(a.kind) << " dialog, got a " << KindName(kind)
                      << " dialog";
        return false;
    }
    if (a.confirm)
        a.edit(values);
    return a.confirm;
}
