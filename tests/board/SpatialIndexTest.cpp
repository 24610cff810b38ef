// The board's index against a look at every object: after each kind of change, every
// pick and every area selection answers the same objects in the same order.
#include "board/CInfomation.h"
#include "board/CManElement.h"
#include "model/CLine.h"
#include "model/LayerId.h"
#include "support/BoardFixture.h"
#include "support/RealisticBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <list>
#include <vector>

namespace
{

class SpatialIndexTest : public BoardTest
{
  protected:
    CManElement& all() { return board().GetElements(); }

    std::vector<CEntity*> ScanUnder(const Position& p, const double* tolerance)
    {
        std::vector<CEntity*> found;
        for (CEntity* e : all().GetEntities())
            if (e->HitTestPoint(p, tolerance, &all().GetHiddenLayers()))
                found.push_back(e);
        return found;
    }
    std::vector<CEntity*> ScanMeeting(const BOX2D& box)
    {
        std::vector<CEntity*> found;
        for (CEntity* e : all().GetEntities())
            if (e->IsActive() && !all().GetHiddenLayers().count(e->GetLayer()) &&
                e->IntersectsBox(box))
                found.push_back(e);
        return found;
    }
    // Picks on and beside every tenth object, with and without a tolerance, and a box
    // around each of them.
    void ExpectSameAsFullScan(const char* after)
    {
        SCOPED_TRACE(after);
        std::vector<CEntity*> stale;
        EXPECT_TRUE(all().IndexMatchesObjects(&stale)) << stale.size() << " stale";
        const double tolerance = 12.0;
        int i = 0;
        for (CEntity* e :
             std::vector<CEntity*>(all().GetEntities().begin(), all().GetEntities().end())) {
            if (i++ % 10)
                continue;
            for (const Position& p : {e->GetPosition(), e->GetPosition() + Position(7, -5)}) {
                for (const double* tol : {static_cast<const double*>(nullptr), &tolerance}) {
                    std::vector<CEntity*> picked;
                    all().PickAll(p, tol, &picked);
                    ASSERT_EQ(picked, ScanUnder(p, tol)) << "at " << p.x << ", " << p.y;
                }
            }
            const Position c = e->GetPosition();
            const BOX2D box(c.x - 150, c.y - 90, c.x + 150, c.y + 90);
            std::list<CEntity*> selected;
            all().SelectInBox(&selected, box, BoxSelect::Replace);
            ASSERT_EQ(std::vector<CEntity*>(selected.begin(), selected.end()), ScanMeeting(box));
            for (CEntity* other : all().GetEntities()) {
                if (other->IsSelected() && other->IsActive() &&
                    !all().GetHiddenLayers().count(other->GetLayer())) {
                    ASSERT_TRUE(other->IntersectsBox(box)) << "an old selection was kept";
                }
            }
        }
        all().DeselectAll();
    }
    // Every fifth object, changed the same way.
    void ChangeSome(const std::function<void(CEntity*)>& change)
    {
        int i = 0;
        for (CEntity* e : all().GetEntities())
            if (i++ % 5 == 0)
                change(e);
    }
};

TEST_F(SpatialIndexTest, AnswersAsAFullScanAfterEveryKindOfChange)
{
    RealisticBoard(7).Fill(all(), 800);
    ExpectSameAsFullScan("filled");

    const Position pivot(4000, 3000);
    const double width = 31.0;
    const struct {
        const char* name;
        std::function<void()> change;
    } steps[] = {
        {"moved",
         [&] { ChangeSome([](CEntity* e) { e->MoveBy(Position(), Position(320, -75)); }); }},
        {"turned", [&] { ChangeSome([&](CEntity* e) { e->Rotate(pivot, 0.7); }); }},
        {"mirrored", [&] { ChangeSome([&](CEntity* e) { e->MirrorX(pivot); }); }},
        {"widened", [&] { ChangeSome([&](CEntity* e) { e->SetLineWidth(&width); }); }},
        {"deleted", [&] { ChangeSome([](CEntity* e) { e->Deactivate(); }); }},
        {"origin moved", [&] { board().SetOrigin(Position(250, 125)); }},
        {"layer hidden",
         [&] {
             all().SetLayerFilter({{LAYER_TOP, 1}});
         }},
        {"track added", [&] { board().AddEntity(new CLine(Position(10, 10), Position(900, 40))); }},
        {"brought to front", [&] { all().BringToFront(all().GetEntities().back()); }},
    };
    for (const auto& step : steps) {
        step.change();
        ExpectSameAsFullScan(step.name);
    }
}

TEST_F(SpatialIndexTest, AWholeBoardAddedAtOnceIsBoxedAsObjectByObject)
{
    // Enough objects that the boxes are worked out on several threads.
    std::list<CEntity*> read;
    RealisticBoard maker(11);
    for (int i = 0; i < 20000; ++i)
        read.push_back(maker.Next().release());
    all().AppendEntities(read);
    auto expectSameBoxes = [&](const char* after) {
        SCOPED_TRACE(after);
        std::vector<CEntity*> stale;
        EXPECT_TRUE(all().IndexMatchesObjects(&stale)) << stale.size() << " stale";
        BOX2D whole;
        ASSERT_EQ(all().GetBoundingBox(&whole), 1);
        bool first = true;
        BOX2D expected;
        for (CEntity* e : all().GetEntities()) {
            BOX2D b;
            if (!e->GetBox(&b, &all().GetHiddenLayers()))
                continue;
            if (first)
                expected = b;
            expected = BOX2D(std::min(expected.x1, b.x1), std::min(expected.y1, b.y1),
                             std::max(expected.x2, b.x2), std::max(expected.y2, b.y2));
            first = false;
        }
        EXPECT_EQ(whole.x1, expected.x1);
        EXPECT_EQ(whole.y1, expected.y1);
        EXPECT_EQ(whole.x2, expected.x2);
        EXPECT_EQ(whole.y2, expected.y2);
    };
    expectSameBoxes("read");
    board().SetOrigin(Position(-3000, 1250));
    expectSameBoxes("origin moved");
}

TEST_F(SpatialIndexTest, UndoAndRedoOfAPropertyChangeKeepTheIndexRight)
{
    auto* track = new CLine(Position(0, 0), Position(500, 0));
    board().AddEntity(track);
    track->PushUndoState(track);
    track->MoveBy(Position(), Position(3000, 2000));
    for (auto step : {&CEntity::UndoState, &CEntity::RedoState, &CEntity::UndoState}) {
        (track->*step)();
        ExpectSameAsFullScan("state swapped");
    }
    std::vector<CEntity*> picked;
    all().PickAll(Position(250, 0), nullptr, &picked);
    EXPECT_EQ(picked, std::vector<CEntity*>{track});
}

} // namespace
