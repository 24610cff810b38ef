#include "board/CInfomation.h"

#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "platform/RecordingDrawContext.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <cmath>
#include <list>
#include <vector>

namespace
{

class Board : public BoardTest
{
  protected:
    CLine* AddTrack(double x1, double y1, double x2, double y2, int layer = 0)
    {
        auto* t = new CLine(Position(x1, y1), Position(x2, y2));
        t->SetLayer(layer);
        board().AddEntity(t);
        return t;
    }
    void SetTransform(double sx, double sy, Position offset, Point origin)
    {
        board().SetScaleX(sx);
        board().SetScaleY(sy);
        board().SetViewOffset(offset);
        const int pair[2] = {origin.x, origin.y};
        board().SetScreenOrigin(pair);
    }
    void Select(CEntity* e)
    {
        e->ToggleSelect();
        board().SelectionList.push_back(e);
    }
};

// ---------------------------------------------------------------------------------
// View transform

TEST_F(Board, TransformLengthsAndPointerRoundTripWithBoardYUp)
{
    struct Case {
        double sx, sy;
        Position offset;
        Point origin;
    } cases[] = {
        {1.0, 1.0, {0, 0}, {0, 0}},
        {1.25, 1.25, {0, 0}, {0, 1200}},
        {0.3, 0.7, {-12.5, 40.25}, {37, 911}},
        {8.0, 8.0, {1000.0, -3.0}, {-20, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sx);
        SetTransform(c.sx, c.sy, c.offset, c.origin);
        for (int px = -300; px <= 300; px += 37)
            for (int py = -300; py <= 300; py += 41) {
                const Point pt{px, py};
                EXPECT_EQ(board().BoardToScreen(board().ScreenToBoard(pt)), pt);
                const Position p(px * 1.37 + 0.11, py * -2.03 + 0.7);
                const Position back = board().ScreenToBoard(board().BoardToScreen(p));
                EXPECT_LE(std::fabs(back.x - p.x), 0.5 * c.sx + 1e-9);
                EXPECT_LE(std::fabs(back.y - p.y), 0.5 * c.sy + 1e-9);
            }
        // The board point held by the offset sits on the origin pixel.
        EXPECT_EQ(board().BoardToScreen(c.offset), c.origin);
    }
    // Board y grows upwards; halves round away from zero on both axes, lengths too.
    SetTransform(1.0, 1.0, {0, 0}, {0, 0});
    EXPECT_EQ(board().BoardToScreen(Position(2.5, 2.5)), (Point{3, -3}));
    EXPECT_EQ(board().BoardToScreen(Position(-2.5, -2.5)), (Point{-3, 3}));
    SetTransform(2.0, 4.0, {0, 0}, {0, 0});
    EXPECT_EQ(board().BoardToPixels(10.0), 3); // 2.5 away from zero
    EXPECT_EQ(board().BoardToPixels(-10.0), -3);
    EXPECT_DOUBLE_EQ(board().PixelsToBoard(3), 6.0);
    SetTransform(5.0, 1.0, {0, 0}, {0, 0});
    EXPECT_EQ(board().BoardToPixels(12.0), 2);

    // A scale that would divide by zero is refused.
    board().SetScaleX(0.0);
    board().SetScaleY(-1.0);
    EXPECT_EQ(board().GetScaleX(), 5.0);
    EXPECT_EQ(board().GetScaleY(), 1.0);

    board().SetViewOffset(Position(1, 1));
    board().SetViewOffset(Position(1.00005, 0.99995));
    EXPECT_EQ(board().GetViewOffset(), Position(1, 1));
    board().SetViewOffset(Position(1.001, 1));
    EXPECT_EQ(board().GetViewOffset(), Position(1.001, 1));

    // The pointer goes through the view's client pixels.
    SetTransform(0.5, 0.5, {0, 0}, {0, 1000});
    view.scroll = Point{100, 300};
    board().SetCursorPosition(Position(100, 200));
    EXPECT_EQ(view.cursor, (Point{100, 300})); // scrolled-view (200, 600) less the scroll
    view.cursor = Point{10, 20};
    EXPECT_EQ(board().GetCursorPosition(), Position(55, 340));
}

// ---------------------------------------------------------------------------------
// Editing and undo

TEST_F(Board, EveryEditIsUndoneAndRedone)
{
    CLine* a = AddTrack(0, 0, 100, 0);
    EXPECT_TRUE(a->IsActive());
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), 1);
    board().Undo();
    EXPECT_FALSE(a->IsActive());
    EXPECT_FALSE(board().HasEntities());
    board().Redo();
    EXPECT_TRUE(a->IsActive());

    // A list of new objects: in front, reversed, one record.
    auto* b = new CLine(Position(0, 100), Position(100, 100));
    auto* c = new CArc(Position(0, 0), 50.0, 0.0, 3.0);
    std::list<CEntity*> added{b, c};
    board().AddEntities(&added);
    EXPECT_EQ(board().GetElements().GetEntities(), (std::list<CEntity*>{c, b, a}));
    board().Undo();
    EXPECT_FALSE(b->IsActive());
    EXPECT_FALSE(c->IsActive());
    board().Redo();
    EXPECT_TRUE(c->IsActive());

    // Delete, cut and Backspace.
    Select(b);
    board().DeleteSelection();
    EXPECT_FALSE(b->IsActive());
    EXPECT_TRUE(board().IsSelectionEmpty());
    board().Undo();
    EXPECT_TRUE(b->IsActive());
    EXPECT_FALSE(b->IsSelected());

    Select(c);
    board().CutSelection();
    EXPECT_FALSE(c->IsActive());
    EXPECT_TRUE(board().CanPaste());
    EXPECT_EQ(board().PasteBuffer, std::list<CEntity*>{c});
    board().Undo();
    EXPECT_TRUE(c->IsActive());

    // A given list: its live objects, once each, in one record, out of the selection.
    Select(b);
    board().DeleteEntities({b, c, b, nullptr});
    EXPECT_FALSE(b->IsActive());
    EXPECT_FALSE(c->IsActive());
    EXPECT_TRUE(board().IsSelectionEmpty());
    board().Undo();
    EXPECT_TRUE(b->IsActive());
    EXPECT_TRUE(c->IsActive());
    const int records = view.NoticeCount(BN_MODIFIED);
    a->Deactivate();
    board().DeleteEntities({a});
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), records);
    a->Activate();

    board().RemoveLastEntity(); // the newest live object: c
    EXPECT_FALSE(c->IsActive());
    board().Undo();
    EXPECT_TRUE(c->IsActive());

    const int notices = view.NoticeCount(BN_MODIFIED);
    board().Undo();
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), notices + 1);

    // With no live object left there is nothing for Backspace to take.
    for (CEntity* e : board().GetElements().GetEntities())
        e->Deactivate();
    board().GetRedoUndo().Clear();
    board().RemoveLastEntity();
    EXPECT_FALSE(board().CanUndo());
}

TEST_F(Board, CopyTakesTheLiveSelectedObjectsAndDropsThePasteAnchor)
{
    CLine* a = AddTrack(0, 0, 10, 0);
    CLine* b = AddTrack(0, 50, 10, 50);
    Select(a);
    Select(b);
    b->Deactivate();
    board().m_pasteAnchor = std::make_unique<Position>(1, 1);
    board().CopySelection();
    EXPECT_EQ(board().PasteBuffer, std::list<CEntity*>{a});
    EXPECT_EQ(board().m_pasteAnchor, nullptr);
    EXPECT_TRUE(board().CanPaste());
}

TEST_F(Board, MoveSelectionMovesBackwardsAndQueuesBothAreas)
{
    EXPECT_EQ(board().MoveSelection(Position(10, 0)), 0);
    CLine* a = AddTrack(0, 0, 100, 0);
    CLine* other = AddTrack(0, 300, 100, 300);
    Select(a);
    view.invalidated.clear();
    const int notices = view.NoticeCount(BN_MODIFIED);

    EXPECT_EQ(board().MoveSelection(Position(10, 0)), 1);
    EXPECT_EQ(a->GetStart(), Position(-10, 0));
    EXPECT_EQ(other->GetStart(), Position(0, 300));
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), notices + 1);
    ASSERT_EQ(board().GetDrawingQueue().Pending(), 1u);
    view.invalidated.clear();
    board().GetDrawingQueue().DrainAll();
    BOX2D moved;
    a->GetBox(&moved);
    const BOX2D both(moved.x1, moved.y1, moved.x2 + 10, moved.y2);
    EXPECT_EQ(view.invalidated, std::vector<Rect>{both.ToDeviceRect()});

    board().Undo();
    EXPECT_EQ(a->GetStart(), Position(0, 0));
    board().Redo();
    EXPECT_EQ(a->GetStart(), Position(-10, 0));
}

TEST_F(Board, ClearBoardLeavesNothingToUndoOrRedo)
{
    CLine* a = AddTrack(0, 0, 10, 0);
    CLine* b = AddTrack(0, 50, 10, 50);
    Select(a);
    board().CopySelection();
    board().DeleteSelection();
    Select(b);
    board().MoveSelection(Position(5, 5));
    board().Undo();
    CLine rubber(Position(0, 0), Position(1, 1));
    board().SetTempEntity(&rubber);
    board().m_pasteAnchor = std::make_unique<Position>(2, 2);
    board().GetLibrarySet().m_pendingComponent = std::make_unique<CComponent>();
    ASSERT_TRUE(board().CanUndo());
    ASSERT_TRUE(board().CanRedo());

    board().ClearBoard();
    EXPECT_FALSE(board().CanUndo());
    EXPECT_FALSE(board().CanRedo());
    board().Undo(); // must not reach the freed objects
    board().Redo();
    EXPECT_TRUE(board().GetElements().GetEntities().empty());
    EXPECT_TRUE(board().IsSelectionEmpty());
    EXPECT_TRUE(board().PasteBuffer.empty());
    EXPECT_FALSE(board().CanPaste());
    EXPECT_TRUE(board().GetTempEntities().empty());
    EXPECT_EQ(board().m_pasteAnchor, nullptr);
    EXPECT_EQ(board().GetLibrarySet().m_pendingComponent, nullptr);
}

TEST_F(Board, SetOriginKeepsObjectsOnThePhotoAndUndoStillFits)
{
    SetTransform(0.8, 0.8, {0, 0}, {0, 1500});
    // Points off the pixel boundaries, where rounding halves away from zero would
    // differ by a pixel on either side of the origin.
    CLine* a = AddTrack(100.3, 100.1, 400, 100);
    CLine* b = AddTrack(1000, 900, 1000.2, 1200.1);
    Select(a);
    board().MoveSelection(Position(-50, 0)); // a moves to (150.3, 100.1)
    const Point pixelA = board().BoardToScreen(a->GetStart());
    const Point pixelB = board().BoardToScreen(b->GetEnd());
    const int notices = view.NoticeCount(BN_MODIFIED);

    const Position p(321.3, 77.9);
    board().SetOrigin(p);
    EXPECT_EQ(view.NoticeCount(BN_MODIFIED), notices + 1);
    EXPECT_NEAR(a->GetStart().x, 150.3 - p.x, 1e-9);
    EXPECT_NEAR(b->GetEnd().y, 1200.1 - p.y, 1e-9);
    EXPECT_EQ(board().BoardToScreen(a->GetStart()), pixelA);
    EXPECT_EQ(board().BoardToScreen(b->GetEnd()), pixelB);
    int origin[2];
    board().GetScreenOrigin(origin);
    EXPECT_EQ((Point{origin[0], origin[1]}), board().BoardToScreen(Position(0, 0)));

    // Undo of the earlier move puts a back where it was, in the new coordinates.
    board().Undo();
    EXPECT_NEAR(a->GetStart().x, 100.3 - p.x, 1e-9);
    EXPECT_NEAR(a->GetStart().y, 100.1 - p.y, 1e-9);
    board().Redo();
    EXPECT_NEAR(a->GetStart().x, 150.3 - p.x, 1e-9);
}

TEST_F(Board, ZoomToFitEndsOnTheFirstLevelThatFitsAndCentres)
{
    board().ZoomToFit();
    EXPECT_TRUE(view.zoomSteps.empty());
    EXPECT_TRUE(view.scrolledTo.empty());

    AddTrack(0, 0, 4000, 0);
    AddTrack(0, 1000, 10, 1000);
    BOX2D box;
    ASSERT_TRUE(board().GetElements().GetBoundingBox(&box));
    const Position centre = box.Center();
    // Some 4000 x 1000 mils in an 800 x 600 view: 5 mils a pixel and a bit, so the
    // scales 1, 2, 4, 8 ... of the fake view end on 8.
    const double target = std::max(box.Width() / 800.0, box.Height() / 600.0);
    ASSERT_GT(target, 4.0);
    ASSERT_LT(target, 8.0);
    for (double start : {1.0, 64.0, 0.125}) {
        SCOPED_TRACE(start);
        board().SetScaleX(start);
        board().SetScaleY(start);
        view.zoomSteps.clear();
        board().ZoomToFit();
        EXPECT_DOUBLE_EQ(board().GetScaleX(), 8.0);
        ASSERT_FALSE(view.scrolledTo.empty());
        EXPECT_EQ(view.scrolledTo.back(), board().BoardToScreen(centre));
        for (const auto& step : view.zoomSteps)
            EXPECT_EQ(step.second, centre);
    }
    // Zooming out ends where the view's range does.
    view.maxScale = 4.0;
    board().SetScaleX(1.0);
    board().SetScaleY(1.0);
    board().ZoomToFit();
    EXPECT_DOUBLE_EQ(board().GetScaleX(), 4.0);
}

// ---------------------------------------------------------------------------------
// Display and layers

TEST_F(Board, DrawBoardPaintsTemporaryObjectsLast)
{
    board().GetLayerTable().entries[0].color = MakeRGB(0, 0, 255);
    board().GetLayerTable().entries[LAYER_HIGHLIGHT].color = MakeRGB(0, 255, 0);
    AddTrack(0, 0, 100, 0);
    CLine rubber(Position(0, 0), Position(50, 0));
    rubber.SetLayer(LAYER_HIGHLIGHT);
    board().SetTempEntity(&rubber);
    EXPECT_EQ(board().GetTempEntities(), std::list<CEntity*>{&rubber});

    RecordingDrawContext dc;
    board().DrawBoard(&dc, Rect{-100, -100, 200, 100});
    int lastBoard = -1, firstTemp = -1;
    for (int i = 0; i < int(dc.calls.size()); ++i) {
        const auto& call = dc.calls[std::size_t(i)];
        if (call.op == RecordingDrawContext::Op::SetPen)
            continue;
        if (call.pen.color == MakeRGB(0, 0, 255))
            lastBoard = i;
        if (call.pen.color == MakeRGB(0, 255, 0) && firstTemp < 0)
            firstTemp = i;
    }
    ASSERT_GE(lastBoard, 0);
    EXPECT_GT(firstTemp, lastBoard);

    // Replacing it deselects and repaints the old one.
    rubber.ToggleSelect();
    view.invalidated.clear();
    board().SetTempEntity(nullptr);
    EXPECT_FALSE(rubber.IsSelected());
    EXPECT_FALSE(view.invalidated.empty());
    EXPECT_TRUE(board().GetTempEntities().empty());
}

TEST_F(Board, LayersDialogRecomputesHiddenKeysWhateverItsResult)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    AddTrack(0, 0, 10, 0, 0);
    AddTrack(0, 0, 10, 0, 16);
    AddTrack(0, 0, 10, 0, 5)->Deactivate();
    board().SetCurrentLayer(3);

    ui.Expect<LayersValues>(true, [](LayersValues& v) {
        v.table[16].shown = 0;
        v.table[36].shown = 0;
        v.table[38].color = MakeRGB(1, 2, 3);
    });
    board().ShowLayersDialog();
    ASSERT_EQ(ui.Received<LayersValues>().size(), 1u);
    EXPECT_EQ(ui.Received<LayersValues>()[0].used,
              (std::map<int, int>{{0, 1}, {16, 1}, {36, 1}, {37, 1}}));
    EXPECT_EQ(ui.Received<LayersValues>()[0].current, 3);
    EXPECT_EQ(ui.Received<LayersValues>()[0].table.size(), 40u);
    EXPECT_EQ(board().GetLayerColor(38), MakeRGB(1, 2, 3));
    EXPECT_EQ(board().GetElements().GetHiddenLayers(), (HiddenLayers{{16, 1}, {36, 1}}));
    EXPECT_EQ(board().GetGrid().GetOption(), 0);

    // Cancelled: the table stays, but the hidden set and grid option follow it again.
    board().GetLayerTable().entries[16].shown = 1;
    board().GetLayerTable().entries[36].shown = 1;
    board().GetLayerTable().entries[20].shown = 0;
    ui.Expect<LayersValues>(false, [](LayersValues& v) { v.table[0].shown = 0; });
    board().ShowLayersDialog();
    EXPECT_EQ(board().GetLayerTable().entries[0].shown, 1);
    EXPECT_EQ(board().GetElements().GetHiddenLayers(), (HiddenLayers{{20, 1}}));
    EXPECT_EQ(board().GetGrid().GetOption(), 1);

    // Hidden grids are not among the used keys.
    board().ClearBoard();
    board().GetLayerTable().entries[36].shown = 0;
    ui.Expect<LayersValues>(false);
    board().ShowLayersDialog();
    EXPECT_EQ(ui.Received<LayersValues>().back().used, (std::map<int, int>{{37, 1}}));
    EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(Board, LayerSettingsPersistAcrossRuns)
{
    board().GetLayerTable().entries[38].color = MakeRGB(9, 8, 7);
    board().GetLayerTable().entries[16].shown = 0;
    board().GetLayerTable().entries[36].shown = 0;
    board().SetView(nullptr);
    CInfomation::Destroy();
    EXPECT_EQ(theInfomation, nullptr);

    CInfomation* again = CInfomation::Create(settingsFolder);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(&BoardServices::Current(), static_cast<BoardServices*>(again));
    EXPECT_EQ(again->GetLayerColor(38), MakeRGB(9, 8, 7));
    EXPECT_EQ(again->GetElements().GetHiddenLayers(), (HiddenLayers{{16, 1}, {36, 1}}));
    EXPECT_EQ(again->GetGrid().GetOption(), 0);
    again->SetView(&view);
}

} // namespace
