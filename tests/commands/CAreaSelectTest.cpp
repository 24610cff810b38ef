#include "commands/CAreaSelect.h"

#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>

namespace
{

using AreaSelectTool = CommandTest;

// Every selected flag among the live objects is in the list once, and nothing else is.
void ExpectListMatchesFlags(CInfomation& board)
{
    const std::list<CEntity*>& list = board.SelectionList;
    for (CEntity* e : board.GetElements().GetEntities())
        EXPECT_EQ(std::count(list.begin(), list.end(), e), e->IsSelected() ? 1 : 0);
}

TEST_F(AreaSelectTool, ShiftAddsToTheSelectionAndPlainReplacesIt)
{
    CLine* left = AddTrack({0, 0}, {10, 0});
    CLine* right = AddTrack({100, 0}, {110, 0});
    CLine* both = AddTrack({50, 50}, {60, 50});
    struct Case {
        Position from, to;
        UINT flags;
        std::list<CEntity*> selected;
    };
    const Case cases[] = {
        {{-5, -5}, {15, 5}, 0, {left}},
        {{95, -5}, {115, 5}, MK::Shift, {left, right}},
        // A second frame over objects already selected adds nothing twice.
        {{-5, -5}, {115, 60}, MK::Shift, {left, right, both}},
        {{95, -5}, {115, 5}, 0, {right}},
    };
    for (const Case& c : cases) {
        ns.SetCommand(CommandKind::AreaSelect);
        ASSERT_EQ(ns.GetCurrentCommand()->GetCommandType(), CommandKind::AreaSelect);
        Press(c.from.x, c.from.y);
        ASSERT_NE(Band(), nullptr);
        EXPECT_TRUE(Band()->IsActive());
        Move(c.to.x, c.to.y);
        Press(c.to.x, c.to.y, c.flags);
        EXPECT_FALSE(ns.HasCommand());
        EXPECT_EQ(Band(), nullptr);
        EXPECT_EQ(board().SelectionList, c.selected);
        ExpectListMatchesFlags(board());
    }
    EXPECT_EQ(Records(), 3u); // the three tracks only
}

TEST_F(AreaSelectTool, RightPressOrDoubleRightEndsWithoutSelecting)
{
    CLine* t = AddTrack({0, 0}, {10, 0});
    for (bool dbl : {false, true}) {
        ns.SetCommand(CommandKind::AreaSelect);
        Press(-5, -5);
        Move(20, 20);
        if (dbl)
            ns.OnRButtonDblClk(0, Position(20, 20));
        else
            RightClick();
        EXPECT_FALSE(ns.HasCommand());
        EXPECT_FALSE(t->IsSelected());
        EXPECT_TRUE(board().SelectionList.empty());
        EXPECT_TRUE(board().GetTempEntities().empty());
    }
}

} // namespace
