#include "commands/CCreatePolygon.h"

#include "CommandFixture.h"
#include "model/CPolygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{

class PolygonTool : public CommandTest
{
  protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        RoutingMode = 3; // straight, unless a test says otherwise
    }
    void Start(std::function<void(PolygonProperties&)> edit = nullptr)
    {
        ui.Expect<PolygonProperties>(true, std::move(edit));
        ns.SetCommand(CommandKind::Polygon);
    }
    CCreatePolygon* Tool() { return dynamic_cast<CCreatePolygon*>(ns.GetCurrentCommand()); }
    void ClickAll(const std::vector<Position>& points)
    {
        for (const Position& p : points) {
            Move(p.x, p.y);
            Click(p.x, p.y);
        }
    }
    // The segments of an outline as (start, end) pairs.
    static std::vector<std::pair<Position, Position>> Segments(const std::vector<CEntity*>& list)
    {
        std::vector<std::pair<Position, Position>> out;
        for (CEntity* e : list)
            if (auto* l = dynamic_cast<CLine*>(e))
                out.emplace_back(l->GetStart(), l->GetEnd());
        return out;
    }
    using Seg = std::pair<Position, Position>;
    const std::vector<Position> kTriangle = {{100, 100}, {300, 100}, {300, 200}};
};

TEST_F(PolygonTool, EveryWayTheUserEndsItCommitsTheClosedPourOnceAndUndoTakesItBack)
{
    const std::vector<std::string> ways = {"right press",        "escape",
                                           "right double click", "left double click",
                                           "another tool",       "the same tool again"};
    for (const std::string& way : ways) {
        SCOPED_TRACE(way);
        Start();
        ClickAll({{100, 100}, {300, 100}});
        Move(300, 200);
        if (way == "right press") {
            Click(300, 200);
            RightClick();
        } else if (way == "escape") {
            Click(300, 200);
            Key(VK::Escape);
        } else if (way == "right double click") {
            Click(300, 200);
            ns.OnRButtonDblClk(MK::RButton, Position(300, 200));
        } else if (way == "left double click") {
            // Press, release, double click: the press adds the vertex, the double click
            // ends the tool and then edits the object under the pointer, the new pour.
            Click(300, 200);
            ui.Expect<PolygonProperties>(false);
            ns.OnLButtonDblClk(0, Position(300, 200));
        } else if (way == "another tool") {
            Click(300, 200);
            ns.SetCommand(CommandKind::Track);
        } else {
            Click(300, 200);
            Start();
        }
        const auto live = Live();
        ASSERT_EQ(live.size(), 1u);
        auto* pour = dynamic_cast<CPolygon*>(live[0]);
        ASSERT_NE(pour, nullptr);
        EXPECT_EQ(Records(), 1u);
        EXPECT_EQ(Segments(pour->GetOutline()), (std::vector<Seg>{{{100, 100}, {300, 100}},
                                                                  {{300, 100}, {300, 200}},
                                                                  {{300, 200}, {100, 100}}}));
        // Hatched: the outline's copies and at least one hatch track.
        EXPECT_GT(pour->GetHatchList().size(), 3u);
        EXPECT_FALSE(view.captured);
        const auto& temp = board().GetTempEntities();
        EXPECT_EQ(std::count(temp.begin(), temp.end(), pour->GetOutline()[0]), 0);

        board().Undo();
        EXPECT_TRUE(Live().empty());
        EXPECT_EQ(Records(), 0u);
        ns.SetCommand(CommandKind::None);
    }
}

TEST_F(PolygonTool, TeardownAndTooShortOutlinesPutNothingOnTheBoard)
{
    struct Case {
        const char* what;
        std::vector<Position> clicks;
        EndReason end;
    } cases[] = {
        {"teardown of a triangle", kTriangle, EndReason::Teardown},
        {"no click", {}, EndReason::User},
        {"one vertex", {{100, 100}}, EndReason::User},
        {"one segment", {{100, 100}, {300, 100}}, EndReason::User},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start();
        ClickAll(c.clicks);
        ns.EndCurrentCommand(c.end);
        EXPECT_FALSE(ns.HasCommand());
        EXPECT_TRUE(board().GetElements().GetEntities().empty());
        EXPECT_EQ(Records(), 0u);
        EXPECT_TRUE(board().GetTempEntities().empty());
        EXPECT_FALSE(view.captured);
    }
}

TEST_F(PolygonTool, CancellingItsPropertiesStartsNothing)
{
    ui.Expect<PolygonProperties>(false);
    ns.SetCommand(CommandKind::Polygon);
    EXPECT_FALSE(ns.HasCommand());
    EXPECT_TRUE(board().GetTempEntities().empty());
}

TEST_F(PolygonTool, NoRubberBandBeforeTheFirstClickThenTheOutlineAndBandAreShown)
{
    Start();
    Move(50, 50);
    Key(VK::Space);
    Key(VK::Tab); // nothing in hand: no dialog
    EXPECT_TRUE(board().GetTempEntities().empty());
    EXPECT_EQ(Tool()->m_pEntity, nullptr);

    ClickAll(kTriangle);
    Move(150, 250);
    const auto& outline = Tool()->polygon->GetOutline();
    std::vector<CEntity*> shown(outline.begin(), outline.end());
    shown.push_back(Tool()->m_pEntity);
    const auto& temp = board().GetTempEntities();
    EXPECT_EQ(std::vector<CEntity*>(temp.begin(), temp.end()), shown);
    EXPECT_TRUE(board().GetElements().GetEntities().empty());
}

TEST_F(PolygonTool, BackspaceTakesBackOutlineSegmentsAndNeverABoardObject)
{
    CLine* other = AddTrack({600, 100}, {700, 100});
    Start();
    ClickAll(kTriangle);
    PointerAt(250, 250);
    Key(VK::Back);
    CCreatePolygon* tool = Tool();
    EXPECT_EQ(Segments(tool->polygon->GetOutline()), (std::vector<Seg>{{{100, 100}, {300, 100}}}));
    EXPECT_EQ(tool->vertices.size(), 2u);
    EXPECT_EQ(tool->m_nStep, 2);
    auto* band = dynamic_cast<CLine*>(tool->m_pEntity);
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(std::pair(band->GetStart(), band->GetEnd()),
              std::pair(Position(300, 100), Position(250, 250)));
    EXPECT_EQ(board().GetTempEntities().size(), 2u); // one segment and the band

    for (int i = 0; i < 3; ++i) // down to the first vertex, then nothing more
        Key(VK::Back);
    EXPECT_TRUE(tool->polygon->GetOutline().empty());
    EXPECT_EQ(tool->vertices.size(), 1u);
    EXPECT_TRUE(other->IsActive());
    EXPECT_EQ(Records(), 1u);

    // Drawing goes on from the first vertex.
    ClickAll({{100, 300}, {50, 200}});
    RightClick();
    ASSERT_EQ(Live().size(), 2u);
    EXPECT_EQ(Segments(static_cast<CPolygon*>(Live()[1])->GetOutline()),
              (std::vector<Seg>{
                  {{100, 100}, {100, 300}}, {{100, 300}, {50, 200}}, {{50, 200}, {100, 100}}}));
}

TEST_F(PolygonTool, EverySegmentTakesThePoursWidthAndLayerWhateverTheTrackPrototypeHas)
{
    const double trackWidth = 33;
    theDefaultLine.SetLineWidth(&trackWidth);
    theDefaultLine.SetLayer(LAYER_TOP);
    const PolygonProperties offered = thePrototypePolygon.GetProperties();
    Start([](PolygonProperties& v) {
        v.layer = LAYER_BOTTOM;
        v.width = 15;
        v.grid = 20;
        v.hatchStyle = CPolygon::HATCH_HORIZONTAL;
    });
    ASSERT_EQ(ui.Received<PolygonProperties>().size(), 1u);
    EXPECT_EQ(ui.Received<PolygonProperties>()[0], offered);

    RoutingMode = 0; // segments with guides
    ClickAll({{100, 100}, {300, 160}});
    Move(400, 300);
    EXPECT_EQ(Tool()->m_pEntity->GetLayer(), LAYER_BOTTOM);
    EXPECT_DOUBLE_EQ(Tool()->m_pEntity->GetLineWidth(), 15.0);
    ClickAll({{400, 300}});
    RightClick();
    ASSERT_EQ(Live().size(), 1u);
    auto* pour = static_cast<CPolygon*>(Live()[0]);
    EXPECT_EQ(pour->GetHatchStyle(), CPolygon::HATCH_HORIZONTAL);
    EXPECT_DOUBLE_EQ(pour->GetHatchParam(), 20.0);
    const std::vector<CEntity*>* lists[] = {&pour->GetOutline(), &pour->GetHatchList()};
    for (const auto* list : lists)
        for (CEntity* e : *list) {
            EXPECT_EQ(e->GetLayer(), LAYER_BOTTOM);
            EXPECT_DOUBLE_EQ(e->GetLineWidth(), 15.0);
        }
    // The next pour starts with what this one was given.
    EXPECT_EQ(thePrototypePolygon.GetLayer(), LAYER_BOTTOM);
}

TEST_F(PolygonTool, SpaceCyclesStraightNinetyAndFortyFiveAndTheArcCornerIsLeftBehind)
{
    RoutingMode = 1;
    Start();
    EXPECT_EQ(RoutingMode, 0);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        Key(VK::Space);
        seen.push_back(RoutingMode);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 0, 3}));
    EXPECT_EQ(CCreatePolygon::NextPolygonMode(1), 1);
    ns.SetCommand(CommandKind::Track);
    EXPECT_EQ(RoutingMode, 3);
}

} // namespace
