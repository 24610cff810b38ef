#include "commands/CMeasure.h"

#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using MeasureTool = CommandTest;

TEST(MeasureReport, MilsOrMillimetresAfterTheUnit)
{
    const Position a(0, 0), b(300, 400);
    EXPECT_EQ(CMeasure::Report(a, b, "MILS"), "x Distance = 300.000000mils\ty Distance = "
                                              "400.000000mils\nDistance Measured = 500.000000mils");
    EXPECT_EQ(CMeasure::Report(b, a, "MM"), "x Distance = 7.620000mm\ty Distance = "
                                            "10.160000mm\nDistance Measured = 12.700000mm");
}

TEST_F(MeasureTool, EverySecondPressReportsAndKeysLeaveTheLineAlone)
{
    board().SetUnit(1);
    ns.SetCommand(CommandKind::Measure);
    ASSERT_TRUE(ns.HasCommand());

    Press(0, 0);
    auto* line = dynamic_cast<CLine*>(Band());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetLayer(), 39);
    Move(300, 400);
    for (UINT key : {UINT(VK::Space), UINT('X'), UINT(VK::Tab), UINT(VK::Back)})
        Key(key);
    EXPECT_EQ(line->GetStart(), Position(0, 0));
    EXPECT_EQ(line->GetEnd(), Position(300, 400));
    EXPECT_TRUE(ui.messages.empty());

    Press(300, 400);
    EXPECT_EQ(Band(), nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], CMeasure::Report(Position(0, 0), Position(300, 400), "MILS"));

    // And again, in millimetres.
    board().SetUnit(0);
    Press(100, 0);
    Press(100, 200);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[1].find("Distance Measured = 5.080000mm"), std::string::npos);
    EXPECT_TRUE(ns.HasCommand());

    RightClick();
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_TRUE(board().GetElements().GetEntities().empty());
}

TEST_F(MeasureTool, HoldingCtrlOverAnObjectJumpsOntoItsPoint)
{
    CLine* t = AddTrack({0, 100}, {200, 100});
    const Position near(190, 100);
    const Position target = t->GetSnapPoint(near);
    ASSERT_NE(target, near);
    ns.SetCommand(CommandKind::Measure);

    PointerAt(near.x, near.y);
    ns.OnTimer(near);
    EXPECT_EQ(Pointer(), near);

    view.heldKey = VK::Control;
    ns.OnTimer(near);
    EXPECT_EQ(Pointer(), target);
}

} // namespace
