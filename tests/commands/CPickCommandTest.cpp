#include "commands/CChamferCmd.h"
#include "commands/CFilletCmd.h"
#include "commands/COffsetCmd.h"

#include "CommandFixture.h"
#include "model/CArc.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class PickTools : public CommandTest
{
  protected:
    // A thin track, so that presses near a corner hit only one of them.
    CLine* Track(Position a, Position b)
    {
        CLine* t = AddTrack(a, b);
        const double width = 1.0;
        t->SetLineWidth(&width);
        return t;
    }
    // An L: the first track along x from the corner (0, 0), the second along y.
    void Corner(double xLength = 100, double yLength = 100)
    {
        first = Track({0, 0}, {xLength, 0});
        second = Track({0, 0}, {0, yLength});
    }
    void UndoBackTo(std::size_t records)
    {
        while (Records() > records)
            board().Undo();
    }
    static void ExpectTrack(CEntity* e, Position a, Position b)
    {
        auto* t = dynamic_cast<CLine*>(e);
        ASSERT_NE(t, nullptr);
        EXPECT_NEAR(t->GetStart().Distance(a), 0, 1e-6);
        EXPECT_NEAR(t->GetEnd().Distance(b), 0, 1e-6);
    }

    CLine* first = nullptr;
    CLine* second = nullptr;
};

TEST(PickCorner, ParallelTracksAPickOnTheCrossingAndANearZeroAngleHaveNoCorner)
{
    const CLine x({0, 0}, {100, 0});
    struct Case {
        CLine other;
        Position pickX, pickOther;
        bool found;
    } cases[] = {
        {CLine({0, 20}, {100, 20}), {50, 0}, {50, 20}, false},       // parallel
        {CLine({0, 0}, {0, 100}), {0, 0}, {0, 50}, false},           // on the crossing
        {CLine({0, 0}, {100, 0.001}), {50, 0}, {90, 0.0009}, false}, // near 0 degrees
        {CLine({0, -100}, {0, 100}), {50, 0}, {0, -50}, true},       // perpendicular
    };
    for (const Case& c : cases) {
        CPickCommand::Corner corner;
        EXPECT_EQ(CPickCommand::FindCorner(x, c.pickX, c.other, c.pickOther, &corner), c.found);
        if (c.found) {
            EXPECT_NEAR(corner.first, 0, 1e-6);
            EXPECT_NEAR(corner.second, 1.5 * PI, 1e-6);
            EXPECT_NEAR(corner.opening, 0.5 * PI, 1e-6);
        }
    }
}

TEST_F(PickTools, OffsetAddsACopyOnThePressedSideAndRestoresTheSelection)
{
    CLine* t = Track({0, 0}, {100, 0});
    Select(t);
    ns.SetCommand(CommandKind::Offset);
    ui.Expect<OffsetValues>(true, [](OffsetValues& v) { v.distance = 20; });
    Key(VK::Tab);
    const std::size_t start = Records();

    Press(50, 0);
    Press(50, 30);
    ASSERT_EQ(Live().size(), 2u);
    ExpectTrack(Live()[1], {0, 20}, {100, 20});
    EXPECT_EQ(Records(), start + 1);
    EXPECT_TRUE(t->IsSelected()); // selected before the pick, so still selected
    EXPECT_TRUE(ns.HasCommand());

    // Not selected before: let go unselected; a negative distance counts as 0.
    board().ClearSelection();
    ui.Expect<OffsetValues>(true, [](OffsetValues& v) { v.distance = -5; });
    Key(VK::Tab);
    EXPECT_EQ(board().GetToolParameters().OffsetDistance, 0.0);
    Press(50, 0);
    EXPECT_TRUE(t->IsSelected());
    RightClick();
    EXPECT_FALSE(t->IsSelected());
    EXPECT_TRUE(board().SelectionList.empty());
    EXPECT_FALSE(ns.HasCommand());

    UndoBackTo(start);
    EXPECT_EQ(Live(), std::vector<CEntity*>{t});
}

TEST_F(PickTools, TheDialogsShowMillimetresWhenTheBoardDoes)
{
    board().SetUnit(0);
    ASSERT_EQ(board().GetUnitName(), "MM");
    ui.Expect<OffsetValues>(false);
    ui.Expect<ChamferValues>(false);
    ui.Expect<FilletValues>(false);
    for (int kind : {CommandKind::Offset, CommandKind::Chamfer, CommandKind::Fillet}) {
        ns.SetCommand(kind);
        Key(VK::Tab);
    }
    EXPECT_TRUE(ui.Received<OffsetValues>().at(0).millimetres);
    EXPECT_TRUE(ui.Received<ChamferValues>().at(0).millimetres);
    EXPECT_TRUE(ui.Received<FilletValues>().at(0).millimetres);
}

TEST_F(PickTools, ChamferWithAndWithoutTrim)
{
    for (int trim : {1, 0}) {
        Corner();
        board().GetToolParameters() = ToolParameters();
        ns.SetCommand(CommandKind::Chamfer);
        ui.Expect<ChamferValues>(true, [trim](ChamferValues& v) {
            v.distance1 = 10;
            v.distance2 = 20;
            v.trim = trim;
        });
        Key(VK::Tab);
        const std::size_t start = Records();
        Press(50, 0);
        Press(0, 50);
        const std::vector<CEntity*> live = Live();
        if (trim) {
            EXPECT_EQ(Records(), start + 2);
            ASSERT_EQ(live.size(), 3u);
            ExpectTrack(live[0], {10, 0}, {100, 0});
            ExpectTrack(live[1], {0, 20}, {0, 100});
            ExpectTrack(live[2], {10, 0}, {0, 20});
        } else {
            EXPECT_EQ(Records(), start + 1);
            ASSERT_EQ(live.size(), 3u);
            EXPECT_EQ(live[0], first);
            EXPECT_EQ(live[1], second);
            ExpectTrack(live[2], {10, 0}, {0, 20});
            EXPECT_FALSE(first->IsSelected());
        }
        EXPECT_TRUE(board().SelectionList.empty());
        UndoBackTo(start);
        EXPECT_EQ(Live(), (std::vector<CEntity*>{first, second}));
        ns.SetCommand(CommandKind::None);
        board().ClearBoard();
    }
}

TEST_F(PickTools, FilletOfRadiusTenAtNinetyDegrees)
{
    for (int trim : {1, 0}) {
        Corner();
        board().GetToolParameters().FilletRadius = 10;
        board().GetToolParameters().FilletTrim = trim;
        ns.SetCommand(CommandKind::Fillet);
        const std::size_t start = Records();
        Press(50, 0);
        Press(0, 50);
        EXPECT_EQ(Records(), start + 2);
        const std::vector<CEntity*> live = Live();
        ASSERT_EQ(live.size(), 3u);
        ExpectTrack(live[0], {trim ? 10.0 : 0.0, 0}, {100, 0});
        ExpectTrack(live[1], {0, trim ? 10.0 : 0.0}, {0, 100});
        auto* arc = dynamic_cast<CArc*>(live[2]);
        ASSERT_NE(arc, nullptr);
        // d = 10 / sin 45 degrees from the corner; tangent points t = 10 along each track.
        EXPECT_NEAR(arc->GetPosition().Distance(Position(0, 0)), 14.142, 1e-3);
        EXPECT_NEAR(arc->GetRadius(), 10, 1e-9);
        EXPECT_NEAR(arc->GetStartPoint().Distance(Position(0, 10)), 0, 1e-5);
        EXPECT_NEAR(arc->GetEndPoint().Distance(Position(10, 0)), 0, 1e-5);
        EXPECT_EQ(arc->GetLayer(), first->GetLayer());
        EXPECT_FALSE(first->IsActive());
        EXPECT_FALSE(second->IsActive());
        UndoBackTo(start);
        EXPECT_EQ(Live(), (std::vector<CEntity*>{first, second}));
        ns.SetCommand(CommandKind::None);
        board().ClearBoard();
    }
}

TEST_F(PickTools, APointBeyondTheEndChangesNothingAndSaysWhy)
{
    struct Case {
        int kind;
        double xLength;
        bool refused;
        const char* why;
    } cases[] = {
        {CommandKind::Chamfer, 8, true, CChamferCmd::kBeyondEnd},
        {CommandKind::Chamfer, 10, false, nullptr}, // exactly on the end
        {CommandKind::Fillet, 8, true, CFilletCmd::kBeyondEnd},
        {CommandKind::Fillet, 10, false, nullptr},
    };
    for (const Case& c : cases) {
        Corner(c.xLength);
        ToolParameters& params = board().GetToolParameters();
        params.ChamferDistance1 = params.ChamferDistance2 = params.FilletRadius = 10;
        params.ChamferTrim = params.FilletTrim = 1;
        ns.SetCommand(c.kind);
        const std::size_t start = Records();
        view.statusMessages.clear();
        Press(c.xLength * 0.5, 0);
        Press(0, 50);
        EXPECT_EQ(Records(), c.refused ? start : start + 2) << c.kind << " " << c.xLength;
        if (c.refused) {
            EXPECT_EQ(view.statusMessages, std::vector<std::string>{c.why});
            EXPECT_EQ(Live(), (std::vector<CEntity*>{first, second}));
        }
        ns.SetCommand(CommandKind::None);
        EXPECT_TRUE(board().SelectionList.empty());
        board().ClearBoard();
    }
}

TEST_F(PickTools, ParallelTracksChangeNothingAndThePickStays)
{
    CLine* a = Track({0, 0}, {100, 0});
    Track({0, 20}, {100, 20});
    for (int kind : {CommandKind::Chamfer, CommandKind::Fillet}) {
        ns.SetCommand(kind);
        const std::size_t start = Records();
        Press(50, 0);
        Press(50, 20);
        EXPECT_EQ(Records(), start);
        EXPECT_TRUE(a->IsSelected());
        RightClick();
        EXPECT_FALSE(a->IsSelected());
    }
}

TEST_F(PickTools, APickUndoneMeanwhileIsDroppedNotJoined)
{
    Corner();
    board().GetToolParameters().ChamferTrim = 1;
    ns.SetCommand(CommandKind::Chamfer);
    Press(0, 50);   // the second track
    board().Undo(); // takes the second track off the board
    const std::size_t start = Records();
    Press(50, 0);
    EXPECT_EQ(Records(), start);
    EXPECT_TRUE(first->IsSelected()); // a new first pick
    ns.EndCurrentCommand(EndReason::User);
    EXPECT_FALSE(first->IsSelected());
}

} // namespace
