// The main of every test program: Qt runs offscreen, the model's classes are
// registered, and each test starts from a fresh model state (prototypes, installed
// services, and the resets of the layers the test links, see TestReset.h).
#include "TestReset.h"
#include "model/BoardServices.h"
#include "model/ModelSetup.h"
#include "model/UiServices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace
{

std::vector<std::function<void()>>& Resets()
{
    static std::vector<std::function<void()>> resets;
    return resets;
}

class FreshState : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        BoardServices::Install(nullptr);
        UiServices::Install(nullptr);
        ResetModelPrototypes();
        for (const auto& reset : Resets())
            reset();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        BoardServices::Install(nullptr);
        UiServices::Install(nullptr);
    }
};

} // namespace

bool AddTestReset(std::function<void()> reset)
{
    Resets().push_back(std::move(reset));
    return true;
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    RegisterModelClasses();
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshState);
    return RUN_ALL_TESTS();
}
