// The main of every test program: Qt runs offscreen, the model's classes are
// registered, and each test starts from a fresh model state (prototypes, the track
// tool's routing mode).
#include "commands/CCreateLine.h"
#include "model/BoardServices.h"
#include "model/ModelSetup.h"
#include "model/UiServices.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

class FreshState : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        BoardServices::Install(nullptr);
        UiServices::Install(nullptr);
        ResetModelPrototypes();
        RoutingMode = 0; // the 45-degree route the program starts with
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        BoardServices::Install(nullptr);
        UiServices::Install(nullptr);
    }
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    RegisterModelClasses();
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshState);
    return RUN_ALL_TESTS();
}
