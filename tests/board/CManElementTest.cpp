#include "board/CManElement.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CLine.h"
#include "platform/RecordingDrawContext.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <array>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace
{

// A track that notes when it is asked to draw; it can pose as a pad.
class ProbeLine : public CLine
{
  public:
    ProbeLine(double y, int layer, std::vector<ProbeLine*>* log, int type = ET_LINE)
        : CLine(Position(0, y), Position(100, y)), m_log(log), m_type(type)
    {
        SetLayer(layer);
    }
    int GetType() override { return m_type; }
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override
    {
        m_log->push_back(this);
        CLine::Draw(dc, mode, clip, hidden);
    }

  private:
    std::vector<ProbeLine*>* m_log;
    int m_type;
};

CLine* Track(double x1, double y1, double x2, double y2, int layer = 0)
{
    auto* t = new CLine(Position(x1, y1), Position(x2, y2));
    t->SetLayer(layer);
    return t;
}

TEST(CManElement, DrawOrderPutsTheCurrentLayerThenPadsOnTop)
{
    std::vector<ProbeLine*> drawn;
    CManElement c;
    // Added oldest first: the container holds them newest first.
    auto* otherOld = new ProbeLine(0, 1, &drawn);
    auto* currentOld = new ProbeLine(10, 5, &drawn);
    auto* padOld = new ProbeLine(20, 2, &drawn, ET_FREEPAD);
    auto* otherNew = new ProbeLine(30, 3, &drawn);
    auto* via = new ProbeLine(40, 4, &drawn, ET_VIA);
    auto* currentNew = new ProbeLine(50, 5, &drawn);
    auto* outside = new ProbeLine(5000, 1, &drawn);
    for (CEntity* e : {otherOld, currentOld, padOld, otherNew, via, currentNew, outside})
        c.AddEntity(e);

    RecordingDrawContext dc;
    c.DrawAll(&dc, DM_NORMAL, Rect{-50, -100, 200, 50}, 5);
    EXPECT_EQ(drawn,
              (std::vector<ProbeLine*>{otherNew, otherOld, currentOld, currentNew, padOld, via}));
    EXPECT_GT(dc.DrawingCount(), 0);

    // A hidden layer is still ordered, but its object draws nothing.
    drawn.clear();
    c.SetLayerFilter({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}});
    RecordingDrawContext none;
    c.DrawAll(&none, DM_NORMAL, Rect{-50, -100, 200, 50}, 5);
    EXPECT_EQ(drawn.size(), 6u);
    EXPECT_EQ(none.DrawingCount(), 0);
}

TEST(CManElement, HitTestWithNoneOneAndSeveralCandidates)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    CManElement c;
    CLine* a = Track(0, 0, 100, 0);
    CLine* b = Track(50, -50, 50, 50, 16);
    CArc* arc = new CArc(Position(50, 30), 30.0, 0.0, 6.0);
    c.AddEntity(a);
    c.AddEntity(b);
    c.AddEntity(arc);

    EXPECT_EQ(c.HitTest(Position(500, 500), nullptr), nullptr);
    EXPECT_EQ(c.HitTest(Position(10, 0), nullptr), a);
    EXPECT_TRUE(ui.Received<ListChoice>().empty());

    // Three under the pointer: the user picks from their descriptions, front first.
    ui.Expect<ListChoice>(true, [](ListChoice& l) { l.chosen = 2; });
    EXPECT_EQ(c.HitTest(Position(50, 0), nullptr), a);
    ui.Expect<ListChoice>(false);
    EXPECT_EQ(c.HitTest(Position(50, 0), nullptr), nullptr);
    ui.Expect<ListChoice>(true, [](ListChoice& l) { l.chosen = 3; });
    EXPECT_EQ(c.HitTest(Position(50, 0), nullptr), nullptr);
    ASSERT_EQ(ui.Received<ListChoice>().size(), 3u);
    EXPECT_EQ(ui.Received<ListChoice>()[0].items,
              (std::vector<std::string>{arc->GetDescription(), b->GetDescription(),
                                        a->GetDescription()}));

    // A selected candidate wins without a question; a hidden or dead one is never hit.
    b->ToggleSelect();
    EXPECT_EQ(c.HitTest(Position(50, 0), nullptr), b);
    c.SetLayerFilter({{16, 1}});
    arc->Deactivate();
    EXPECT_EQ(c.HitTest(Position(50, 0), nullptr), a);
    std::vector<CEntity*> picked;
    EXPECT_EQ(c.PickAll(Position(50, 0), nullptr, &picked), 1);
    EXPECT_EQ(picked, std::vector<CEntity*>{a});
    EXPECT_EQ(ui.Received<ListChoice>().size(), 3u);
    EXPECT_TRUE(ui.AllAnswersUsed());
}

// Live tracks on layer 0 inside and outside the box, a live one on hidden layer 16 and a
// dead one on layer 5.
TEST(CManElement, SelectionBoxesBoundsAndUsedLayersLeaveDeadAndHiddenObjectsOut)
{
    CManElement c;
    BOX2D box(1, 2, 3, 4);
    EXPECT_EQ(c.GetBoundingBox(&box), 0);
    CLine* inside = Track(0, 0, 100, 0);
    CLine* outside = Track(1000, 0, 1100, 0);
    CLine* hiddenInside = Track(0, 50, 100, 50, 16);
    CLine* dead = Track(-500, 20, 100, 20, 5);
    for (CEntity* e : {inside, outside, hiddenInside, dead})
        c.AddEntity(e);
    dead->Deactivate();
    EXPECT_EQ(c.GetBoundingBox(&box), 1);
    BOX2D in, out, hidden;
    inside->GetBox(&in);
    outside->GetBox(&out);
    hiddenInside->GetBox(&hidden);
    auto corners = [](const BOX2D& b) { return std::array{b.x1, b.y1, b.x2, b.y2}; };
    EXPECT_EQ(corners(box), (std::array{in.x1, in.y1, out.x2, hidden.y2}));
    std::map<int, int> used;
    c.CollectUsedLayers(&used);
    EXPECT_EQ(used, (std::map<int, int>{{0, 1}, {16, 1}}));

    c.SetLayerFilter({{16, 1}});
    ASSERT_EQ(c.GetBoundingBox(&box), 1);
    EXPECT_EQ(corners(box), (std::array{in.x1, in.y1, out.x2, out.y2}));
    outside->ToggleSelect();
    hiddenInside->ToggleSelect();
    std::list<CEntity*> found;
    box = BOX2D(-50, -50, 200, 200);
    c.SelectInBox(&found, &box);
    EXPECT_EQ(found, std::list<CEntity*>{inside});
    EXPECT_TRUE(inside->IsSelected());
    EXPECT_FALSE(outside->IsSelected());
    EXPECT_TRUE(hiddenInside->IsSelected());
    EXPECT_FALSE(dead->IsSelected());

    // No box: everything live and shown, entered in the selection too; hidden objects
    // are deselected first and stay so.
    found.clear();
    std::list<CEntity*> selection;
    c.SelectInBox(&found, nullptr, &selection);
    EXPECT_EQ(found, (std::list<CEntity*>{outside, inside}));
    EXPECT_EQ(selection, found);
    EXPECT_TRUE(inside->IsSelected() && outside->IsSelected());
    EXPECT_FALSE(hiddenInside->IsSelected());
}

TEST(CManElement, BringToFrontAndLastAdded)
{
    CManElement c;
    CLine* a = Track(0, 0, 10, 0);
    CLine* b = Track(0, 10, 10, 10);
    c.AddEntity(a);
    c.AddEntity(b);
    EXPECT_EQ(c.GetLastAdded(), b);
    b->Deactivate();
    EXPECT_EQ(c.GetLastAdded(), a);
    c.BringToFront(a);
    c.BringToFront(a);
    EXPECT_EQ(c.GetEntities(), (std::list<CEntity*>{a, b}));
    CLine stranger(Position(0, 0), Position(1, 1)); // not adopted
    c.BringToFront(&stranger);
    EXPECT_EQ(c.GetEntities(), (std::list<CEntity*>{a, b}));
}

} // namespace
