#include "commands/CCreateFillArea.h"

#include "CommandFixture.h"
#include "model/CFillArea.h"

#include <gtest/gtest.h>

namespace
{

using FillTool = CommandTest;

TEST_F(FillTool, TwoPressesPlaceAFillAlsoOfZeroArea)
{
    ns.SetCommand(CommandKind::Fill);
    struct Case {
        Position c1, c2;
    } cases[] = {{{100, 100}, {200, 150}}, {{50, 50}, {50, 50}}};
    for (const Case& c : cases) {
        Click(c.c1.x, c.c1.y);
        Move(c.c2.x + 7, c.c2.y + 7);
        auto* band = dynamic_cast<CFillArea*>(Band());
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->GetCorner2(), Position(c.c2.x + 7, c.c2.y + 7)); // stretched
        Click(c.c2.x, c.c2.y);
        auto* fill = dynamic_cast<CFillArea*>(Live().back());
        ASSERT_NE(fill, nullptr);
        EXPECT_EQ(fill->GetCorner1(), c.c1);
        EXPECT_EQ(fill->GetCorner2(), c.c2);
        EXPECT_EQ(ns.GetCurrentCommand()->m_nStep, 0);
    }
    EXPECT_EQ(Records(), 2u);
    // A right press with one corner fixed places nothing and ends the tool.
    Click(300, 300);
    RightClick();
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_EQ(Records(), 2u);
    board().Undo();
    board().Undo();
    EXPECT_TRUE(Live().empty());
}

} // namespace
