#include "commands/CCreateLine.h"

#include "CommandFixture.h"
#include "model/CArc.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class TrackTool : public CommandTest
{
  protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        ns.SetCommand(CommandKind::Track);
    }
    CCreateLine* Tool() { return dynamic_cast<CCreateLine*>(ns.GetCurrentCommand()); }
    static CLine* GuideOf(CEntity* e)
    {
        if (auto* l = dynamic_cast<CLine*>(e))
            return dynamic_cast<CLine*>(l->GetAttachedEntity());
        if (auto* a = dynamic_cast<CArc*>(e))
            return dynamic_cast<CLine*>(a->GetAttachedEntity());
        return nullptr;
    }
    // A track from a to b, within a micro-mil.
    static bool IsTrack(CEntity* e, Position a, Position b)
    {
        auto* l = dynamic_cast<CLine*>(e);
        return l && l->GetStart().Distance(a) < 1e-6 && l->GetEnd().Distance(b) < 1e-6;
    }
    static std::string At(Position p)
    {
        return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
    }
};

TEST_F(TrackTool, ClicksCommitAChainAndARightClickStartsAnotherWithTheToolKept)
{
    RoutingMode = 3;
    Click(100, 100);
    EXPECT_TRUE(view.captured);
    Move(200, 100);
    Click(200, 100);
    Move(200, 200);
    Click(200, 200);
    RightClick();
    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    EXPECT_TRUE(IsTrack(live[0], {100, 100}, {200, 100}));
    EXPECT_TRUE(IsTrack(live[1], {200, 100}, {200, 200}));
    EXPECT_EQ(Records(), 2u);
    ASSERT_NE(Tool(), nullptr);
    EXPECT_TRUE(Tool()->vertices.empty());
    EXPECT_EQ(Band(), Tool()->m_pEntity);

    // The next chain starts where it is clicked.
    Click(400, 400);
    Move(500, 400);
    Click(500, 400);
    ASSERT_EQ(Live().size(), 3u);
    EXPECT_TRUE(IsTrack(Live()[2], {400, 400}, {500, 400}));
}

TEST_F(TrackTool, EveryWayOfEndingDropsTheRubberBandAndCommitsNothingMore)
{
    for (const std::string way : {"escape", "right double click", "teardown"}) {
        ns.SetCommand(CommandKind::Track);
        Click(100, 100);
        Move(200, 100);
        if (way == "escape")
            Key(VK::Escape);
        else if (way == "right double click")
            ns.OnRButtonDblClk(0, Position(200, 100));
        else
            ns.EndCurrentCommand(EndReason::Teardown);
        EXPECT_FALSE(ns.HasCommand()) << way;
        EXPECT_EQ(Band(), nullptr) << way;
        EXPECT_FALSE(view.captured) << way;
    }
    EXPECT_TRUE(Live().empty());
    EXPECT_EQ(Records(), 0u);
}

TEST_F(TrackTool, RoutingModesShapeTheFirstLegAndTheGuide)
{
    const Position a(300, 300);
    struct Case {
        int mode;
        Position cursor;
        Position bend; // end of the first leg, start of the guide
    } cases[] = {
        // 45 degrees: the diagonal ends on the cursor's vertical or horizontal line.
        {0, {400, 360}, {360, 360}},
        {0, {360, 400}, {360, 360}},
        {0, {200, 360}, {240, 360}},
        {0, {240, 400}, {240, 360}},
        {0, {200, 240}, {240, 240}},
        {0, {240, 200}, {240, 240}},
        {0, {360, 200}, {360, 240}},
        {0, {400, 240}, {360, 240}},
        {0, {400, 310}, {400, 300}},
        {0, {310, 400}, {300, 400}},
        // 90 degrees; exactly on a sector bound: straight.
        {2, {400, 360}, {400, 300}},
        {2, {360, 400}, {300, 400}},
        {2, {400, 400}, {400, 400}},
        {3, {400, 360}, {400, 360}},
    };
    for (const Case& c : cases) {
        const std::string what = "mode " + std::to_string(c.mode) + " at " + At(c.cursor);
        RoutingMode = c.mode;
        Click(a.x, a.y);
        Move(c.cursor.x, c.cursor.y);
        EXPECT_TRUE(IsTrack(Band(), a, c.bend)) << what;
        if (c.mode == 3) {
            EXPECT_EQ(GuideOf(Band()), nullptr) << what;
        } else {
            EXPECT_TRUE(IsTrack(GuideOf(Band()), c.bend, c.cursor)) << what;
        }
        RightClick();
    }
    // A click commits the diagonal only; the next band starts at the bend.
    RoutingMode = 0;
    Click(300, 300);
    Move(400, 360);
    Click(400, 360);
    ASSERT_EQ(Live().size(), 1u);
    EXPECT_TRUE(IsTrack(Live()[0], {300, 300}, {360, 360}));
    EXPECT_EQ(GuideOf(Live()[0]), nullptr);
    EXPECT_TRUE(IsTrack(Band(), {360, 360}, {400, 360}));
}

TEST_F(TrackTool, ArcCornerTurnsAQuarterFromTheStartTowardsTheCursor)
{
    RoutingMode = 1;
    const Position a(300, 300);
    struct Case {
        Position cursor, centre, end;
    } cases[] = {
        {{400, 330}, {330, 300}, {330, 330}}, {{330, 400}, {300, 330}, {330, 330}},
        {{270, 400}, {300, 330}, {270, 330}}, {{200, 330}, {270, 300}, {270, 330}},
        {{200, 270}, {270, 300}, {270, 270}}, {{270, 200}, {300, 270}, {270, 270}},
        {{330, 200}, {300, 270}, {330, 270}}, {{400, 270}, {330, 300}, {330, 270}},
    };
    for (const Case& c : cases) {
        Click(a.x, a.y);
        Move(c.cursor.x, c.cursor.y);
        auto* arc = dynamic_cast<CArc*>(Band());
        ASSERT_NE(arc, nullptr) << At(c.cursor);
        EXPECT_NEAR(arc->GetPosition().Distance(c.centre), 0, 1e-6) << At(c.cursor);
        double sweep = arc->GetEndAngle() - arc->GetStartAngle();
        sweep += sweep <= 0 ? TWO_PI : 0;
        EXPECT_NEAR(sweep, PI / 2, 1e-6) << At(c.cursor);
        const Position s = arc->GetStartPoint(), e = arc->GetEndPoint();
        EXPECT_NEAR(std::min(s.Distance(a) + e.Distance(c.end), s.Distance(c.end) + e.Distance(a)),
                    0, 1e-4)
            << At(c.cursor);
        EXPECT_TRUE(IsTrack(GuideOf(arc), c.end, c.cursor)) << At(c.cursor);
        RightClick();
    }
    // Along a diagonal no arc fits: an axis-parallel corner.
    Click(300, 300);
    Move(400, 400);
    EXPECT_TRUE(IsTrack(Band(), {300, 300}, {300, 400}));
    RightClick();
    // A click commits the arc; the next band starts at its end.
    Click(300, 300);
    Move(400, 330);
    Click(400, 330);
    ASSERT_EQ(Live().size(), 1u);
    EXPECT_EQ(Live()[0]->GetType(), ET_ARC);
    EXPECT_TRUE(IsTrack(Band(), {330, 330}, {400, 330}));
}

TEST_F(TrackTool, SpaceCyclesTheLastingModeAndReroutesAtTheSnappedPointer)
{
    board().m_snap = 1;
    Click(300, 300);
    Move(400, 360);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        PointerAt(403, 357); // snapped: (400, 360)
        Key(VK::Space);
        seen.push_back(RoutingMode);
        if (RoutingMode == 3) {
            EXPECT_TRUE(IsTrack(Band(), {300, 300}, {400, 360}));
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 2, 0, 1}));
    ns.SetCommand(CommandKind::None);
    ns.SetCommand(CommandKind::Track);
    EXPECT_EQ(RoutingMode, 1);
}

TEST_F(TrackTool, BackspaceTakesBackOnlyTheChainsOwnLiveSegment)
{
    RoutingMode = 3;
    CLine* other = AddTrack({600, 100}, {700, 100});
    Click(100, 100);
    Key(VK::Back); // one vertex: nothing to take back
    EXPECT_EQ(Records(), 1u);
    Move(200, 100);
    Click(200, 100);
    Move(200, 200);
    Click(200, 200);
    CEntity* second = Live().back();
    PointerAt(250, 250);
    Key(VK::Back);
    EXPECT_FALSE(second->IsActive());
    EXPECT_EQ(Live().size(), 2u);
    EXPECT_EQ(Tool()->m_nStep, 2);
    EXPECT_TRUE(IsTrack(Band(), {200, 100}, {250, 250}));
    board().Undo(); // recorded as a deletion: undo brings it back
    EXPECT_TRUE(second->IsActive());
    RightClick();

    // The user already undid the chain's segment: the newest object stays.
    Click(100, 300);
    Move(200, 300);
    Click(200, 300);
    board().Undo();
    const auto records = Records();
    Key(VK::Back);
    EXPECT_TRUE(other->IsActive());
    EXPECT_EQ(Records(), records);
    EXPECT_EQ(static_cast<CLine*>(Band())->GetStart(), Position(100, 300));
}

TEST_F(TrackTool, TabWidthAndLayerCarryThroughTheWholeChain)
{
    ui.Expect<TrackProperties>(true, [](TrackProperties& v) {
        v.width = 33;
        v.layer = LAYER_BOTTOM;
    });
    Key(VK::Tab);
    Click(100, 100);
    // Another layer chosen on the toolbar mid-chain reaches the prototypes, not the chain.
    theDefaultLine.SetLayer(LAYER_TOP);
    thePrototypeArc.SetLayer(LAYER_TOP);
    Move(300, 160); // a band with a guide
    Click(300, 160);
    Key(VK::Space); // arc corner
    Move(400, 130);
    ASSERT_EQ(Band()->GetType(), ET_ARC);
    Click(400, 130);
    Move(500, 130);
    auto live = Live();
    ASSERT_EQ(live.size(), 2u);
    for (CEntity* e : {live[0], live[1], Band()}) {
        EXPECT_DOUBLE_EQ(e->GetLineWidth(), 33.0);
        EXPECT_EQ(e->GetLayer(), LAYER_BOTTOM);
    }
}

TEST_F(TrackTool, TheMouseIsReleasedWhenAChainEndsAndTakenAgainOnlyByTheNextChain)
{
    RoutingMode = 3;
    Click(100, 100);
    Move(200, 100);
    ASSERT_TRUE(view.captured);
    RightClick();
    EXPECT_FALSE(view.captured);
    // The property dialog between chains gives the mouse back to nobody.
    ui.Expect<TrackProperties>(false);
    Key(VK::Tab);
    EXPECT_FALSE(view.captured);
    // Within a chain the dialog hands it back to the view.
    Click(300, 300);
    ui.Expect<TrackProperties>(false);
    Key(VK::Tab);
    EXPECT_TRUE(view.captured);
    // A tool ended with a chain in progress lets go as well.
    ns.SetCommand(CommandKind::None);
    EXPECT_FALSE(view.captured);
}

TEST_F(TrackTool, ALayerChosenInTheListGoesToTheNextSegmentTheToolStarts)
{
    RoutingMode = 3;
    theDefaultLine.SetLayer(LAYER_TOP);
    ns.SetCommand(CommandKind::Track);
    // Chosen before the chain: its first segment.
    ns.OnLayerChosen(LAYER_BOTTOM);
    Click(100, 100);
    Move(200, 100);
    EXPECT_EQ(Band()->GetLayer(), LAYER_BOTTOM);
    // Chosen mid-chain: the segment in progress keeps its layer, the next one takes it.
    ns.OnLayerChosen(LAYER_TOP);
    EXPECT_EQ(Band()->GetLayer(), LAYER_BOTTOM);
    Click(200, 100);
    Move(200, 200);
    Click(200, 200);
    Move(300, 200);
    // Chosen and then overruled in the property dialog: the dialog's layer.
    ns.OnLayerChosen(LAYER_BOTTOM);
    ui.Expect<TrackProperties>(true, [](TrackProperties& v) { v.layer = 5; });
    Key(VK::Tab);
    Click(300, 200);
    Move(300, 300);
    Click(300, 300);
    const auto live = Live();
    ASSERT_EQ(live.size(), 4u);
    EXPECT_EQ(live[0]->GetLayer(), LAYER_BOTTOM);
    EXPECT_EQ(live[1]->GetLayer(), LAYER_TOP);
    EXPECT_EQ(live[2]->GetLayer(), 5);
    EXPECT_EQ(live[3]->GetLayer(), 5);
}

} // namespace
