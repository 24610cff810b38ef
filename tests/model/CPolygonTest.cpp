#include "model/CPolygon.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "model/CArc.h"
#include "model/CFillArea.h"
#include "model/CLine.h"
#include "model/Constants.h"
#include "platform/CArchive.h"
#include "support/FakeUiServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr double kEps = 1e-4;

::testing::AssertionResult Near(const Position& actual, const Position& expected)
{
    if (std::fabs(actual.x - expected.x) <= kEps && std::fabs(actual.y - expected.y) <= kEps)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

CLine* Track(CEntity* e)
{
    return dynamic_cast<CLine*>(e);
}

// A closed outline through the points, one track per side.
std::unique_ptr<CPolygon> MakePour(const std::vector<Position>& points, int style = 1,
                                   double grid = 12.0)
{
    auto pour = std::make_unique<CPolygon>();
    pour->SetHatchStyle(style);
    pour->SetHatchParam(grid);
    for (std::size_t i = 0; i < points.size(); ++i)
        pour->AddOutlineSegment(new CLine(points[i], points[(i + 1) % points.size()]));
    return pour;
}

const std::vector<Position> kRectangle = {Position(0.0, 0.0), Position(100.0, 0.0),
                                          Position(100.0, 50.0), Position(0.0, 50.0)};

// The hatch tracks of a pour (after the outline copies), split into lines along x and
// lines along y.
struct Hatch {
    std::vector<CLine*> horizontal;
    std::vector<CLine*> vertical;
    std::vector<CLine*> other;
};

Hatch HatchOf(CPolygon& pour)
{
    Hatch h;
    const auto& fill = pour.GetHatchList();
    for (std::size_t i = pour.GetOutline().size(); i < fill.size(); ++i) {
        CLine* t = Track(fill[i]);
        if (!t)
            continue;
        if (std::fabs(t->GetStart().y - t->GetEnd().y) < kEps)
            h.horizontal.push_back(t);
        else if (std::fabs(t->GetStart().x - t->GetEnd().x) < kEps)
            h.vertical.push_back(t);
        else
            h.other.push_back(t);
    }
    return h;
}

class CPolygonTest : public ::testing::Test
{
  protected:
    void SetUp() override { BoardServices::Install(&m_services); }
    FakeBoardServices m_services;
};

// ---------------------------------------------------------------------------------
// The hatch

TEST_F(CPolygonTest, RectangleHatchSpacingAndFamiliesByStyle)
{
    struct Case {
        int style;
        std::size_t horizontal;
        std::size_t vertical;
    };
    for (const Case c : {Case{1, 3, 7}, Case{3, 3, 0}, Case{4, 0, 7}, Case{0, 0, 0}}) {
        auto pour = MakePour(kRectangle, c.style);
        pour->SetLayer(2);
        pour->RebuildFill();
        const auto& fill = pour->GetHatchList();
        ASSERT_EQ(fill.size(), 4 + c.horizontal + c.vertical) << "style " << c.style;
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_TRUE(Near(Track(fill[i])->GetStart(), kRectangle[i]));
            EXPECT_NE(fill[i], pour->GetOutline()[i]);
        }
        const Hatch h = HatchOf(*pour);
        ASSERT_EQ(h.horizontal.size(), c.horizontal);
        ASSERT_EQ(h.vertical.size(), c.vertical);
        // 50 / 12 gives 4 steps of 12.5 from the top; 100 / 12 gives 8 steps of 12.5.
        for (std::size_t i = 0; i < h.horizontal.size(); ++i) {
            const double y = 50.0 - 12.5 * double(i + 1);
            EXPECT_TRUE(Near(h.horizontal[i]->GetStart(), Position(100.0, y)));
            EXPECT_TRUE(Near(h.horizontal[i]->GetEnd(), Position(0.0, y)));
        }
        for (std::size_t i = 0; i < h.vertical.size(); ++i) {
            const double x = 12.5 * double(i + 1);
            EXPECT_TRUE(Near(h.vertical[i]->GetStart(), Position(x, 0.0)));
            EXPECT_TRUE(Near(h.vertical[i]->GetEnd(), Position(x, 50.0)));
        }
        for (CEntity* e : fill)
            EXPECT_TRUE(e->GetLineWidth() == 8.0 && e->GetLayer() == 2);
    }
}

TEST_F(CPolygonTest, DiagonalHatchRunsAtFortyFiveAndOneThirtyFiveDegrees)
{
    auto pour = MakePour(kRectangle, 2);
    pour->RebuildFill();
    const Hatch h = HatchOf(*pour);
    EXPECT_TRUE(h.horizontal.empty() && h.vertical.empty());
    ASSERT_EQ(h.other.size(), 14u);
    for (std::size_t i = 0; i < h.other.size(); ++i) {
        const Position a = h.other[i]->GetStart();
        const Position b = h.other[i]->GetEnd();
        EXPECT_NEAR((b.y - a.y) / (b.x - a.x), i < 7 ? 1.0 : -1.0, 1e-3) << i;
        // First family from the larger x, second from the smaller y.
        EXPECT_GT(i < 7 ? a.x - b.x : b.y - a.y, 0.0) << i;
        for (const Position& p : {a, b})
            EXPECT_TRUE(p.IsInBox(BOX2D(-kEps, -kEps, 100.0 + kEps, 50.0 + kEps))) << i;
    }
}

TEST_F(CPolygonTest, CrossingsArePairedInOrderAndArcsTakeNoPart)
{
    // A divider down the middle: three crossings on every horizontal scan line, of which
    // only the first pair (from the right) makes a track; the vertical scan line that
    // runs along the divider meets it nowhere.
    auto pour = MakePour(kRectangle, 1);
    pour->AddOutlineSegment(new CLine(Position(50.0, 0.0), Position(50.0, 50.0)));
    pour->RebuildFill();
    const Hatch h = HatchOf(*pour);
    ASSERT_EQ(h.horizontal.size(), 3u);
    for (CLine* t : h.horizontal) {
        EXPECT_NEAR(t->GetStart().x, 100.0, kEps);
        EXPECT_NEAR(t->GetEnd().x, 50.0, kEps);
    }
    EXPECT_EQ(h.vertical.size(), 7u);

    // Arcs only: no crossings at all.
    CPolygon round;
    round.AddOutlineSegment(new CArc(Position(0.0, 0.0), 50.0, 0.0, PI));
    round.AddOutlineSegment(new CArc(Position(0.0, 0.0), 50.0, PI, 0.0));
    round.RebuildFill();
    EXPECT_EQ(round.GetHatchList().size(), 2u);
    EXPECT_TRUE(Near(round.GetPosition(), Position(50.0, 0.0)));
}

TEST_F(CPolygonTest, GridOfZeroMakesNoHatchAndATinyGridIsCapped)
{
    for (double grid : {0.0, -12.0, 60.0}) {
        auto pour = MakePour(kRectangle, 1, grid);
        pour->RebuildFill();
        EXPECT_EQ(pour->GetHatchList().size(), 4u) << grid;
    }

    auto pour = MakePour(kRectangle, 1, 1e-9);
    pour->RebuildFill();
    const Hatch h = HatchOf(*pour);
    EXPECT_EQ(h.horizontal.size(), std::size_t(CPolygon::kMaxHatchLines));
    EXPECT_EQ(h.vertical.size(), std::size_t(CPolygon::kMaxHatchLines));
    // The spacing widened evenly: still inside the box, never on its border.
    EXPECT_GT(h.horizontal.front()->GetStart().y, 49.99);
    EXPECT_LT(h.horizontal.front()->GetStart().y, 50.0);
    EXPECT_GT(h.vertical.back()->GetStart().x, 99.99);
    EXPECT_LT(h.vertical.back()->GetStart().x, 100.0);
}

// ---------------------------------------------------------------------------------
// Elements, copies and transformations

TEST_F(CPolygonTest, ElementsFollowTheAttributesAndTransformations)
{
    auto pour = MakePour(kRectangle, 1);
    pour->RebuildFill();
    const double width = 5.0;
    pour->SetLineWidth(&width);
    pour->SetLayer(6);
    using List = const std::vector<CEntity*>*;
    for (List list : std::initializer_list<List>{&pour->GetHatchList(), &pour->GetOutline()})
        for (CEntity* e : *list)
            EXPECT_TRUE(e->GetLineWidth() == 5.0 && e->GetLayer() == 6);

    // Move shifts the outline only; MoveBy both lists.
    pour->Move(Position(10.0, 0.0), Position(0.0, 0.0), nullptr);
    EXPECT_TRUE(Near(Track(pour->GetOutline()[0])->GetStart(), Position(10.0, 0.0)));
    EXPECT_TRUE(Near(Track(pour->GetHatchList()[0])->GetStart(), Position(0.0, 0.0)));
    pour->MoveBy(Position(0.0, 0.0), Position(-10.0, 5.0));
    EXPECT_TRUE(Near(Track(pour->GetOutline()[0])->GetStart(), Position(0.0, 5.0)));
    EXPECT_TRUE(Near(Track(pour->GetHatchList()[0])->GetStart(), Position(-10.0, 5.0)));

    // Turning and mirroring the pour move every element once and leave the track and
    // arc prototypes where they were.
    const Position protoStart = theDefaultLine.GetStart();
    pour->Rotate(Position(0.0, 0.0), PI * 0.5);
    pour->MirrorX(Position(0.0, 0.0));
    pour->MirrorY(Position(0.0, 0.0));
    EXPECT_TRUE(Near(Track(pour->GetOutline()[1])->GetStart(), Position(5.0, -100.0)));
    EXPECT_TRUE(Near(theDefaultLine.GetStart(), protoStart));
    EXPECT_EQ(theDefaultLine.GetRotation() + thePrototypeArc.GetRotation(), 0.0);

    // A clone owns copies of its own; copying a pour onto itself keeps it whole.
    std::unique_ptr<CEntity> clone(pour->Clone());
    auto* copy = dynamic_cast<CPolygon*>(clone.get());
    ASSERT_NE(copy, nullptr);
    const std::size_t count = pour->GetHatchList().size();
    pour.reset();
    EXPECT_EQ(copy->GetHatchList().size(), count);
    copy->CopyFrom(*copy);
    EXPECT_EQ(copy->GetOutline().size(), 4u);
    BOX2D box;
    EXPECT_EQ(CPolygon().GetBox(&box), 0);
    auto fresh = MakePour(kRectangle, 1);
    fresh->RebuildFill();
    HiddenLayers hidden{{0, 0}};
    EXPECT_TRUE(fresh->HitTestPoint(Position(50.0, 25.0), nullptr, nullptr));
    EXPECT_FALSE(fresh->HitTestPoint(Position(50.0, 25.0), nullptr, &hidden));
}

// ---------------------------------------------------------------------------------
// Files

std::vector<std::uint8_t> Store(CPolygon& pour)
{
    CArchive out;
    out.WriteObject(&pour);
    return out.TakeBytes();
}

std::unique_ptr<CPolygon> Load(const std::vector<std::uint8_t>& bytes)
{
    CArchive in(bytes);
    std::unique_ptr<CObject> ob(in.ReadObject(RUNTIME_CLASS(CPolygon)));
    EXPECT_TRUE(in.AtEnd());
    return std::unique_ptr<CPolygon>(dynamic_cast<CPolygon*>(ob.release()));
}

TEST_F(CPolygonTest, DocumentRecordSplitsAtTheOutlineCount)
{
    auto pour = MakePour(kRectangle, 3, 10.0);
    pour->SetLayer(4);
    pour->RebuildFill(); // four copies, four horizontal tracks
    ASSERT_EQ(pour->GetHatchList().size(), 8u);
    pour->GetOutline()[1]->Deactivate();   // kept: outlines are stored live or not
    pour->GetHatchList()[0]->Deactivate(); // dropped with the hatch piece below
    pour->GetHatchList()[5]->Deactivate();

    auto back = Load(Store(*pour));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->GetOutline().size(), 4u);
    ASSERT_EQ(back->GetHatchList().size(), 6u);
    EXPECT_FALSE(back->GetOutline()[1]->IsActive());
    EXPECT_TRUE(Near(Track(back->GetOutline()[2])->GetStart(), kRectangle[2]));
    EXPECT_TRUE(Near(Track(back->GetHatchList()[0])->GetStart(), kRectangle[1]));
    EXPECT_TRUE(back->GetHatchParam() == 10.0 && back->GetHatchStyle() == 3);

    // The outline count is the last field: one more than the list holds is refused, as
    // is a negative one; the whole list as outline leaves an empty fill list.
    const std::vector<std::uint8_t> bytes = Store(*pour);
    auto withCount = [&](std::int32_t count) {
        std::vector<std::uint8_t> patched = bytes;
        std::memcpy(patched.data() + patched.size() - 4, &count, 4);
        return patched;
    };
    auto all = Load(withCount(10));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->GetOutline().size(), 10u);
    EXPECT_TRUE(all->GetHatchList().empty());
    // Only tracks and arcs belong in a pour.
    pour->GetHatchList().push_back(new CFillArea);
    const std::pair<std::vector<std::uint8_t>, int> damaged[] = {
        {withCount(11), CArchiveException::generic},
        {withCount(-1), CArchiveException::generic},
        {Store(*pour), CArchiveException::badClass}};
    for (const auto& [patched, cause] : damaged) {
        CArchive in(patched);
        try {
            delete in.ReadObject(RUNTIME_CLASS(CPolygon));
            ADD_FAILURE() << "a damaged pour was read, expected cause " << cause;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, cause);
        }
    }
}

TEST_F(CPolygonTest, LibraryRecordsAreTheLiveFillElements)
{
    auto pour = MakePour(kRectangle, 1);
    pour->RebuildFill();
    auto& fill = pour->GetHatchList();
    fill[6]->Deactivate();
    const int live = int(fill.size()) - 1;
    EXPECT_EQ(pour->GetRecordCount(), live);
    ASSERT_EQ(pour->GetRecordSize(), live * 32);

    std::vector<BYTE> buf(std::size_t(live) * 32, 0xEE), expected(buf.size(), 0);
    int offset = 0, at = 0;
    EXPECT_EQ(pour->WriteLibraryRecord(buf.data(), &offset), 1);
    EXPECT_EQ(offset, live * 32);
    for (CEntity* e : fill)
        if (e->IsActive())
            e->WriteLibraryRecord(expected.data(), &at);
    EXPECT_EQ(buf, expected);
    // A pour is never read back from one record.
    EXPECT_EQ(pour->ReadFromLibraryRecord(buf.data(), 32), 0);
    EXPECT_TRUE(pour->GetHatchList().empty());
}

TEST_F(CPolygonTest, ProtelRecordWithVertexLinesAndItsFallback)
{
    auto pour = MakePour(kRectangle, 0);
    pour->SetLayer(2);
    const std::string head = "PG\n3\n 0\n1 1 1 0 0 1\n12000 8000 2000 0\n\n4\n"
                             "0 0\n100000 0\n100000 50000\n0 50000\n0 0\n 0 0 0 0 0\n";
    std::map<int, int> counts{{2, 0}, {5, 0}};
    std::string out;

    // No fill list yet: the vertices come from the outline itself.
    pour->ExportText(out, counts);
    EXPECT_EQ(out, head);

    pour->RebuildFill();
    pour->ExportText(out, counts);
    EXPECT_EQ(out, head + "FT\n0 0 0 0 100000 0 8000 3 0 0 0\n 0 0 1 0 0\n"
                          "FT\n0 0 100000 0 100000 50000 8000 3 0 0 0\n 0 0 1 0 0\n"
                          "FT\n0 0 100000 50000 0 50000 8000 3 0 0 0\n 0 0 1 0 0\n"
                          "FT\n0 0 0 50000 0 0 8000 3 0 0 0\n 0 0 1 0 0\n");
    EXPECT_EQ(counts[2], 4);
    EXPECT_EQ(counts.count(16), 0u);

    // A copy dropped from the head (deleted, saved, read back): still the outline's
    // vertices, and no record for the deleted copy.
    pour->GetHatchList()[0]->Deactivate();
    auto back = Load(Store(*pour));
    back->ExportText(out, counts);
    EXPECT_EQ(out.substr(0, head.size()), head);
    std::size_t records = 0;
    for (std::size_t at = out.find("FT\n"); at != std::string::npos; at = out.find("FT\n", at + 1))
        ++records;
    EXPECT_EQ(records, 3u);
    EXPECT_EQ(out.find("FT\n0 0 0 0 100000 0 "), std::string::npos);

    // An arc's vertex is its start point.
    CPolygon arcs;
    arcs.AddOutlineSegment(new CArc(Position(0.0, 0.0), 50.0, PI * 0.5, PI * 1.5));
    arcs.AddOutlineSegment(new CLine(Position(0.0, -50.0), Position(0.0, 50.0)));
    arcs.RebuildFill();
    arcs.ExportText(out, counts);
    EXPECT_NE(out.find("\n2\n0 50000\n0 -49999\n0 50000\n 0 0 0\nFA\n"), std::string::npos) << out;
}

TEST_F(CPolygonTest, PropertyDialogRebuildsAndUpdatesThePrototype)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    auto pour = MakePour(kRectangle, 1);
    pour->RebuildFill();
    ui.Expect<PolygonProperties>(true, [](PolygonProperties& v) {
        v.grid = 20.0;
        v.width = 10.0;
        v.hatchStyle = 3;
        v.layer = 5;
    });
    EXPECT_EQ(pour->EditProperties(0, Position()), 1);
    EXPECT_EQ(ui.Received<PolygonProperties>().at(0).grid, 12.0);
    EXPECT_TRUE(pour->IsActive());
    // 50 / 20: two steps, one horizontal scan line.
    ASSERT_EQ(pour->GetHatchList().size(), 5u);
    for (CEntity* e : pour->GetHatchList())
        EXPECT_TRUE(e->GetLineWidth() == 10.0 && e->GetLayer() == 5);

    // New pours take the prototype's settings but none of its elements.
    CPolygon fresh;
    EXPECT_TRUE(fresh.GetHatchParam() == 20.0 && fresh.GetHatchStyle() == 3);
    EXPECT_EQ(fresh.GetLayer(), 5);
    EXPECT_TRUE(fresh.GetHatchList().empty() && fresh.GetOutline().empty());
}

} // namespace
