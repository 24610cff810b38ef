#include "commands/CCreateArc.h"
#include "commands/CCreateArcBy3pt.h"

#include "CommandFixture.h"
#include "model/CArc.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class ArcTools : public CommandTest
{
  protected:
    static CArc* AsArc(CEntity* e) { return dynamic_cast<CArc*>(e); }
    // Undoes every record; the board is empty again.
    void UndoAll()
    {
        while (board().CanUndo())
            board().Undo();
        EXPECT_TRUE(Live().empty());
    }
};

TEST_F(ArcTools, ByCentreTakesCentreStartAndEndAndStartsOver)
{
    ns.SetCommand(CommandKind::ArcByCentre);
    Click(100, 100);
    Move(150, 100);
    auto* band = AsArc(Band());
    ASSERT_NE(band, nullptr);
    EXPECT_DOUBLE_EQ(band->GetRadius(), 50.0);
    EXPECT_NE(band->GetAttachedEntity(), nullptr); // the radius guide
    Click(150, 100);
    Move(100, 150);
    Click(100, 150);

    auto live = Live();
    ASSERT_EQ(live.size(), 1u);
    CArc* arc = AsArc(live[0]);
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(arc->GetPosition(), Position(100, 100));
    EXPECT_DOUBLE_EQ(arc->GetRadius(), 50.0);
    EXPECT_NEAR(arc->GetStartAngle(), 0.0, 1e-9);
    EXPECT_NEAR(arc->GetEndAngle(), PI / 2, 1e-6);
    EXPECT_EQ(arc->GetAttachedEntity(), nullptr);
    EXPECT_EQ(Records(), 1u);
    EXPECT_EQ(ns.GetCurrentCommand()->m_nStep, 0);
    EXPECT_NE(Band(), arc);
    UndoAll();
}

TEST_F(ArcTools, ByCentreWithTheSecondPressOnTheCentrePlacesNothing)
{
    ns.SetCommand(CommandKind::ArcByCentre);
    Click(100, 100);
    Click(100, 100); // no move: radius 0
    Move(100, 200);
    Click(100, 200);
    EXPECT_TRUE(Live().empty());
    EXPECT_EQ(Records(), 0u);
    // The press of a second press elsewhere sets the radius even without a move.
    Click(100, 100);
    Click(130, 100);
    Click(100, 130);
    ASSERT_EQ(Live().size(), 1u);
    EXPECT_DOUBLE_EQ(AsArc(Live()[0])->GetRadius(), 30.0);
    RightClick();
    EXPECT_FALSE(ns.HasCommand());
    UndoAll();
}

TEST_F(ArcTools, ByThreePointsPlacesTheArcThroughThemOrNothingWhenTheyDefineNone)
{
    struct Case {
        const char* what;
        Position p1, p2, p3;
        bool moveBeforeThird;
        bool placed;
    } cases[] = {
        {"a half circle", {0, 0}, {100, 100}, {200, 0}, true, true},
        {"third press with no move since the second", {0, 0}, {100, 100}, {200, 0}, false, true},
        {"collinear", {0, 0}, {100, 0}, {200, 0}, true, false},
        {"coincident", {50, 50}, {50, 50}, {50, 50}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ns.SetCommand(CommandKind::ArcBy3Points);
        Click(c.p1.x, c.p1.y);
        Move(c.p2.x, c.p2.y);
        EXPECT_NE(dynamic_cast<CLine*>(Band()), nullptr); // the chord
        Click(c.p2.x, c.p2.y);
        if (c.moveBeforeThird) {
            Move(c.p3.x, c.p3.y);
            EXPECT_NE(AsArc(Band()), nullptr);
        }
        Click(c.p3.x, c.p3.y);
        EXPECT_EQ(Records(), c.placed ? 1u : 0u);
        EXPECT_EQ(ns.GetCurrentCommand()->m_nStep, 0);
        if (c.placed) {
            CArc* arc = AsArc(Live().at(0));
            ASSERT_NE(arc, nullptr);
            EXPECT_NEAR(arc->GetRadius(), 100.0, 1e-9);
            EXPECT_NEAR(arc->GetPosition().Distance({100, 0}), 0.0, 1e-9);
            // Its ends are the first and the third point, running counter-clockwise.
            EXPECT_NEAR(arc->GetStartPoint().Distance(c.p3), 0.0, 1e-4);
            EXPECT_NEAR(arc->GetEndPoint().Distance(c.p1), 0.0, 1e-4); // pi is 3.1415926
        }
        RightClick();
        EXPECT_FALSE(ns.HasCommand());
        UndoAll();
    }
}

TEST_F(ArcTools, ByThreePointsCarriesWhatTabSetOnTheChordIntoTheArc)
{
    ns.SetCommand(CommandKind::ArcBy3Points);
    Click(0, 0);
    Move(100, 100);
    ui.Expect<TrackProperties>(true, [](TrackProperties& v) {
        v.width = 33;
        v.layer = 15;
    });
    Key(VK::Tab);
    Click(100, 100);
    Move(200, 0);
    Click(200, 0);
    CArc* arc = AsArc(Live().at(0));
    ASSERT_NE(arc, nullptr);
    EXPECT_DOUBLE_EQ(arc->GetLineWidth(), 33.0);
    EXPECT_EQ(arc->GetLayer(), 15);
    UndoAll();
}

} // namespace
