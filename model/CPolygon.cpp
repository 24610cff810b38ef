#include "CPolygon.h"

#include "BoardServices.h"
#include "CArc.h"
#include "CLine.h"
#include "Constants.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

IMPLEMENT_SERIAL(CPolygon, CEntity, VERSIONABLE_SCHEMA | 1)

CPolygon thePrototypePolygon(CPolygon::PrototypeTag{});

namespace
{

using Owned = std::unique_ptr<CEntity>;

void DeleteAll(std::vector<CEntity*>& list)
{
    for (CEntity* e : list)
        delete e;
    list.clear();
}

// Appends an element the list is to own; nothing leaks when the list cannot grow.
void Append(std::vector<CEntity*>& list, Owned element)
{
    list.push_back(element.get());
    (void)element.release();
}

// Copies of every element of `from`.
std::vector<Owned> CloneAll(const std::vector<CEntity*>& from)
{
    std::vector<Owned> copies;
    copies.reserve(from.size());
    for (CEntity* e : from)
        if (CEntity* copy = e->Clone())
            copies.emplace_back(copy);
    return copies;
}

// Hands the elements over to `to`, which must already have room for them all, so
// that nothing can fail half-way.
void MoveOut(std::vector<Owned>& from, std::vector<CEntity*>& to) noexcept
{
    for (Owned& e : from)
        to.push_back(e.release());
    from.clear();
}

// Where a track or an arc starts; other kinds have no start of their own.
Position StartOf(const CEntity* e)
{
    if (const auto* line = dynamic_cast<const CLine*>(e))
        return line->GetStart();
    if (const auto* arc = dynamic_cast<const CArc*>(e))
        return arc->GetStartPoint();
    return Position();
}

// The elements of a pour are turned and mirrored with it, without each of them
// dragging its class prototype along: they go through the transformation flagged as
// parts, then get their own flag back.
template <class F> void TransformQuietly(std::vector<CEntity*>& list, F transform)
{
    for (CEntity* e : list) {
        const int flag = e->IsComponentPart();
        e->SetComponentPart(1);
        transform(e);
        e->SetComponentPart(flag);
    }
}

// The number of equal steps of at least `grid` along a guide of `length`: none for a
// grid that is not positive, and never more than one past the line cap, so that a tiny
// grid widens the spacing instead of making millions of tracks.
int StepCount(double length, double grid)
{
    if (!(grid > 0.0) || !std::isfinite(grid) || !(length > 0.0))
        return 0;
    const double steps = length / grid;
    const double most = double(CPolygon::kMaxHatchLines) + 1.0;
    if (!(steps < most)) // also infinity
        return int(most);
    return int(steps);
}

Position PointOnGuide(const Position& from, const Position& to, int i, int n)
{
    const double t = double(i) / double(n);
    return Position(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
}

struct Guide {
    Position from;
    Position to;
};

std::string Thousandths(double mils)
{
    return std::to_string(Protel::Length(mils));
}

PenStyle PenStyleFrom(int style)
{
    switch (style) {
    case 1: // dash
    case 2: // dot
    case 3: // dash-dot
    case 4: // dash-dot-dot
        return PenStyle::Dash;
    case 5:
        return PenStyle::Null;
    default:
        return PenStyle::Solid;
    }
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CPolygon::CPolygon(PrototypeTag)
{
    CPolygon::Reset();
}

CPolygon::CPolygon()
{
    CPolygon::Reset();
    // The prototype's attributes and hatch settings; its elements are not wanted.
    CEntity::CopyFrom(thePrototypePolygon);
    m_hatchGrid = thePrototypePolygon.m_hatchGrid;
    m_hatchStyle = thePrototypePolygon.m_hatchStyle;
    // The prototype hands on its attributes, not its place.
    m_position = Position();
    m_cachedBox = BOX2D();
}

CPolygon::CPolygon(const CPolygon& other) : CEntity()
{
    CPolygon::Reset();
    CPolygon::CopyFrom(other);
}

CPolygon::~CPolygon()
{
    DeleteAll(m_fill);
    DeleteAll(m_outline);
}

void CPolygon::Reset()
{
    CEntity::Reset();
    m_type = ET_POLYGON;
    m_hatchStyle = HATCH_90;
    m_hatchGrid = 12.0;
    m_lineWidth = 8.0;
    m_layer = 0;
    DeleteAll(m_fill);
    DeleteAll(m_outline);
}

CEntity& CPolygon::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    if (&other == this)
        return *this;
    const auto* pour = dynamic_cast<const CPolygon*>(&other);
    if (!pour) {
        CEntity::CopyFrom(other);
        return *this;
    }
    // The copies are made first, so a failure leaves this polygon as it was.
    std::vector<Owned> fill = CloneAll(pour->m_fill);
    std::vector<Owned> outline = CloneAll(pour->m_outline);
    std::vector<CEntity*> newFill;
    std::vector<CEntity*> newOutline;
    newFill.reserve(fill.size());
    newOutline.reserve(outline.size());
    MoveOut(fill, newFill);
    MoveOut(outline, newOutline);

    CEntity::CopyFrom(other);
    m_hatchGrid = pour->m_hatchGrid;
    m_hatchStyle = pour->m_hatchStyle;
    DeleteAll(m_fill);
    DeleteAll(m_outline);
    m_fill = std::move(newFill);
    m_outline = std::move(newOutline);
    return *this;
}

CEntity* CPolygon::Clone()
{
    return new CPolygon(*this);
}

// ---------------------------------------------------------------------------------
// Elements

void CPolygon::AddOutlineSegment(CEntity* seg)
{
    NotifyBoxChanged();
    if (!seg)
        return;
    Owned owned(seg);
    seg->SetLineWidth(&m_lineWidth);
    seg->SetLayer(m_layer);
    const bool first = m_outline.empty();
    Append(m_outline, std::move(owned));
    if (first)
        m_position = StartOf(seg);
}

void CPolygon::RemoveLastOutlineSegment()
{
    NotifyBoxChanged();
    if (m_outline.empty())
        return;
    delete m_outline.back();
    m_outline.pop_back();
}

CEntity* CPolygon::AddFillTrack(CEntity* track)
{
    NotifyBoxChanged();
    if (!track)
        return nullptr;
    Owned owned(track);
    track->SetLineWidth(&m_lineWidth);
    track->SetLayer(m_layer);
    Append(m_fill, std::move(owned));
    return track;
}

// The hatch: parallel scan lines across the outline's box, one grid or a little more
// apart, none on the box's border. Each scan line is cut by the outline's tracks (arcs
// take no part) and its crossings, in order along the line, are joined in pairs: in,
// out, in, out.
void CPolygon::RebuildFill()
{
    if (m_outline.empty())
        return;

    DeleteAll(m_fill);
    for (CEntity* seg : m_outline)
        if (CEntity* copy = seg->Clone())
            Append(m_fill, Owned(copy));
    const std::size_t copies = m_fill.size();

    if (m_hatchStyle == HATCH_NONE)
        return;

    const BOX2D box = HatchBox();
    const double w = box.x2 - box.x1;
    const double h = box.y2 - box.y1;

    Guide g1, g2, g3, g4;
    if (m_hatchStyle == HATCH_45) {
        // The corners of a square turned by 45 degrees around the box.
        const double root2 = std::sqrt(2.0);
        const Position r = Position(box.x2, box.y1).PolarOffset(h / root2, PI * 0.25);
        const Position b = r.PolarOffset((w + h) / root2, PI * 1.25);
        const Position t = Position(box.x1, box.y2).PolarOffset(w / root2, PI * 0.25);
        const Position l = t.PolarOffset((w + h) / root2, PI * 1.25);
        g1 = {l, b};
        g2 = {t, r};
        g3 = {l, t};
        g4 = {b, r};
    } else {
        g1 = {Position(box.x1, box.y2), Position(box.x1, box.y1)};
        g2 = {Position(box.x2, box.y2), Position(box.x2, box.y1)};
        g3 = {Position(box.x1, box.y2), Position(box.x2, box.y2)};
        g4 = {Position(box.x1, box.y1), Position(box.x2, box.y1)};
    }
    const int n1 = StepCount(g1.from.Distance(g1.to), m_hatchGrid);
    const int n2 = StepCount(g3.from.Distance(g3.to), m_hatchGrid);

    // The crossings of one scan line with the outline's tracks. `before` tells whether a
    // new point goes in front of a point already listed.
    auto crossings = [&](const CLine& scan, auto before) {
        std::vector<Position> points;
        std::vector<Position> found;
        for (std::size_t k = 0; k < copies; ++k) {
            CEntity* e = m_fill[k];
            if (e->GetType() != ET_LINE)
                continue;
            const auto* track = dynamic_cast<const CLine*>(e);
            if (!track)
                continue;
            found.clear();
            if (!scan.IntersectSegment(*track, found) || found.empty())
                continue;
            const Position p = found.front();
            auto at = std::find_if(points.begin(), points.end(),
                                   [&](const Position& q) { return before(p, q); });
            points.insert(at, p);
        }
        return points;
    };
    auto addPairs = [&](const std::vector<Position>& points) {
        for (std::size_t k = 0; k + 1 < points.size(); k += 2)
            AddFillTrack(new CLine(points[k], points[k + 1]));
    };

    // First family: from the largest x to the smallest along each line.
    if (m_hatchStyle != HATCH_VERTICAL) {
        for (int i = 1; i < n1; ++i) {
            const CLine scan(PointOnGuide(g1.from, g1.to, i, n1),
                             PointOnGuide(g2.from, g2.to, i, n1));
            addPairs(
                crossings(scan, [](const Position& p, const Position& q) { return q.x < p.x; }));
        }
    }
    // Second family: from the smallest y to the largest.
    if (m_hatchStyle != HATCH_HORIZONTAL) {
        for (int i = 1; i < n2; ++i) {
            const CLine scan(PointOnGuide(g3.from, g3.to, i, n2),
                             PointOnGuide(g4.from, g4.to, i, n2));
            addPairs(
                crossings(scan, [](const Position& p, const Position& q) { return q.y > p.y; }));
        }
    }

    bool anyLive = false;
    for (std::size_t k = 0; k < copies; ++k)
        anyLive = anyLive || m_fill[k]->IsActive();
    if (!anyLive)
        for (std::size_t k = 0; k < copies; ++k)
            m_fill[k]->Activate();
}

// The outline's own extent: the end points of its tracks and the circles of its arcs,
// without the line width. The hatch is spread over it, so that its scan lines keep the
// same distance from the outline whatever the width.
BOX2D CPolygon::HatchBox() const
{
    BOX2D box;
    bool any = false;
    auto add = [&](double x1, double y1, double x2, double y2) {
        if (!any) {
            box = BOX2D(x1, y1, x2, y2);
            any = true;
            return;
        }
        box.x1 = std::min(box.x1, x1);
        box.y1 = std::min(box.y1, y1);
        box.x2 = std::max(box.x2, x2);
        box.y2 = std::max(box.y2, y2);
    };
    for (CEntity* seg : m_outline) {
        if (const auto* line = dynamic_cast<const CLine*>(seg)) {
            const Position a = line->GetStart();
            const Position b = line->GetEnd();
            add(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
        } else if (auto* arc = dynamic_cast<CArc*>(seg)) {
            const Position c = arc->GetPosition();
            const double r = std::fabs(arc->GetRadius());
            add(c.x - r, c.y - r, c.x + r, c.y + r);
        } else {
            BOX2D part;
            if (seg->GetBox(&part, nullptr))
                add(part.x1, part.y1, part.x2, part.y2);
        }
    }
    return box;
}

// ---------------------------------------------------------------------------------
// Box, hit test, snap

int CPolygon::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden) || m_outline.empty())
        return 0;
    bool any = false;
    BOX2D box;
    for (CEntity* seg : m_outline) {
        BOX2D part;
        if (!seg->GetBox(&part, nullptr))
            continue;
        if (any)
            box.Merge(part);
        else
            box = part;
        any = true;
    }
    if (!any)
        return 0;
    KeepBox(box);
    *out = box;
    return 1;
}

Rect CPolygon::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

BOOL CPolygon::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return FALSE;
    for (CEntity* e : m_fill)
        if (e->HitTestPoint(p, tolerance, hidden))
            return TRUE;
    return FALSE;
}

// Without a fill list there is no first element to ask: the reference point serves.
Position CPolygon::GetSnapPoint(const Position& cursor)
{
    if (m_fill.empty())
        return m_position;
    return m_fill.front()->GetSnapPoint(cursor);
}

// ---------------------------------------------------------------------------------
// Attributes and transformations

void CPolygon::SetLayer(int layer)
{
    NotifyBoxChanged();
    CEntity::SetLayer(layer);
    for (CEntity* e : m_fill)
        e->SetLayer(layer);
    for (CEntity* e : m_outline)
        e->SetLayer(layer);
}

void CPolygon::SetLineWidth(const double* width)
{
    NotifyBoxChanged();
    CEntity::SetLineWidth(width);
    for (CEntity* e : m_fill)
        e->SetLineWidth(width);
    for (CEntity* e : m_outline)
        e->SetLineWidth(width);
}

void CPolygon::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorY(axis);
    auto mirror = [&](CEntity* e) { e->MirrorY(axis); };
    TransformQuietly(m_fill, mirror);
    TransformQuietly(m_outline, mirror);
    m_cachedBox.MirrorY(axis);
}

void CPolygon::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position axis = p;
    CEntity::MirrorX(axis);
    auto mirror = [&](CEntity* e) { e->MirrorX(axis); };
    TransformQuietly(m_fill, mirror);
    TransformQuietly(m_outline, mirror);
    m_cachedBox.MirrorX(axis);
}

void CPolygon::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    auto turn = [&](CEntity* e) { e->Rotate(centre, angle); };
    TransformQuietly(m_fill, turn);
    TransformQuietly(m_outline, turn);
    m_cachedBox.Rotate(centre, angle);
}

// Only the outline moves; the hatch stays until it is rebuilt.
int CPolygon::Move(const Position& to, const Position& from, int* flag)
{
    NotifyBoxChanged();
    const int result = CEntity::Move(to, from, flag);
    for (CEntity* seg : m_outline)
        seg->Move(to, from, flag);
    m_cachedBox.Move(to, from);
    return result;
}

void CPolygon::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    for (CEntity* e : m_fill)
        e->MoveBy(from, to);
    for (CEntity* e : m_outline)
        e->MoveBy(from, to);
    CEntity::MoveBy(from, to);
}

// ---------------------------------------------------------------------------------
// Drawing

void CPolygon::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden) || !m_live)
        return;
    const COLORREF colour = BoardServices::Current().GetLayerColor(m_layer);
    SetColor(colour);
    for (CEntity* e : m_fill)
        e->SetColor(colour);
    for (CEntity* e : m_outline)
        e->SetColor(colour);
    if (m_outline.empty())
        return;

    bool selected = false;
    if (mode == DM_NORMAL) {
        dc->SaveState();
        const int width = BoardServices::Current().BoardToPixels(m_lineWidth);
        dc->SetPen(PenSpec{PenStyleFrom(m_penStyle), std::max(0, width), m_color});
        dc->SetBrush(BrushSpec{BrushStyle::Solid, m_color});
        selected = true;
    } else {
        selected = SelectPenAndBrush(dc, mode, 1);
    }

    if (mode == DM_OUTLINE) {
        for (CEntity* seg : m_outline)
            seg->Draw(dc, DM_OUTLINE, clip, nullptr);
    } else {
        for (CEntity* e : m_fill)
            if (e->MeetsClip(clip))
                e->Draw(dc, mode, clip, nullptr);
    }

    if (selected)
        dc->RestoreState();
    // The highlight of a selected pour, over its elements.
    CEntity::Draw(dc, mode, clip, nullptr);
}

// ---------------------------------------------------------------------------------
// Property dialog

PolygonProperties CPolygon::GetProperties()
{
    PolygonProperties values;
    values.grid = m_hatchGrid;
    values.width = m_lineWidth;
    values.hatchStyle = m_hatchStyle;
    values.layer = m_layer;
    return values;
}

void CPolygon::SetProperties(const PolygonProperties& values)
{
    NotifyBoxChanged();
    m_hatchGrid = values.grid;
    m_lineWidth = values.width;
    SetLineWidth(&m_lineWidth);
    m_hatchStyle = values.hatchStyle;
    RebuildFill();
    SetLayer(values.layer);
}

int CPolygon::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    PolygonProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        thePrototypePolygon.CopyFrom(*this);
        thePrototypePolygon.SetComponentPart(0);
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

// One list: every outline segment, live or not, then the live fill elements; then the
// hatch grid, the hatch style and the number of outline segments at the list's head.
void CPolygon::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CPolygon));
    if (ar.IsStoring()) {
        std::size_t liveFill = 0;
        for (CEntity* e : m_fill)
            liveFill += e->IsActive() ? 1 : 0;
        ar.WriteCount(m_outline.size() + liveFill);
        for (CEntity* seg : m_outline)
            ar.WriteObject(seg);
        for (CEntity* e : m_fill)
            if (e->IsActive())
                ar.WriteObject(e);
        ar.WriteF64(m_hatchGrid);
        ar.WriteI32(m_hatchStyle);
        ar.WriteI32(std::int32_t(m_outline.size()));
        return;
    }

    const unsigned schema = ar.GetObjectSchema();
    const std::size_t count = ar.ReadCount();
    std::vector<Owned> loaded;
    loaded.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_ptr<CObject> ob(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        if (!ob || !(ob->IsKindOf(RUNTIME_CLASS(CLine)) || ob->IsKindOf(RUNTIME_CLASS(CArc))))
            CArchive::Throw(CArchiveException::badClass,
                            "a polygon element is neither a track nor an arc");
        loaded.emplace_back(static_cast<CEntity*>(ob.release()));
    }
    if (schema != 1 && schema != 2)
        return; // what was read is dropped

    const double grid = ar.ReadF64();
    const std::int32_t style = ar.ReadI32();
    const std::int32_t outlineCount = ar.ReadI32();
    if (!AllFinite({grid}))
        CArchive::Throw(CArchiveException::generic,
                        "polygon record holds a hatch grid that is not a finite number");
    if (outlineCount < 0 || std::size_t(outlineCount) > loaded.size())
        CArchive::Throw(CArchiveException::generic,
                        "polygon record counts " + std::to_string(outlineCount) +
                            " outline segments in a list of " + std::to_string(loaded.size()));

    const std::size_t split = std::size_t(outlineCount);
    std::vector<Owned> fill;
    fill.reserve(loaded.size() - split);
    for (std::size_t i = split; i < loaded.size(); ++i)
        fill.push_back(std::move(loaded[i]));
    loaded.resize(split);
    std::vector<CEntity*> newOutline;
    std::vector<CEntity*> newFill;
    newOutline.reserve(loaded.size());
    newFill.reserve(fill.size());
    MoveOut(loaded, newOutline);
    MoveOut(fill, newFill);

    DeleteAll(m_fill);
    DeleteAll(m_outline);
    m_outline = std::move(newOutline);
    m_fill = std::move(newFill);
    m_hatchGrid = grid;
    m_hatchStyle = style;
}

// One record per live fill element: deleted pieces of the hatch stay out of libraries.
int CPolygon::GetRecordCount()
{
    int count = 0;
    for (CEntity* e : m_fill)
        if (e->IsActive())
            count += e->GetRecordCount();
    return count;
}

int CPolygon::GetRecordSize()
{
    int size = 0;
    for (CEntity* e : m_fill)
        if (e->IsActive())
            size += e->GetRecordSize();
    return size;
}

int CPolygon::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    // Stored without one of its pieces the pour would read back with a gap: a piece
    // that cannot be written fails the whole record.
    for (CEntity* e : m_fill)
        if (e->IsActive() && e->GetRecordSize() > 0 && !e->WriteLibraryRecord(buf, offset))
            return 0;
    return 1;
}

// Polygons have no record of their own: libraries hold their fill elements instead.
int CPolygon::ReadFromLibraryRecord(const BYTE*, int)
{
    Reset();
    return 0;
}

// The vertices come from the outline copies at the head of the fill list. When the
// list no longer starts with them (the hatch was never built, or a copy was cut away or
// dropped), the outline segments themselves give the vertices.
std::vector<Position> CPolygon::ExportVertices() const
{
    bool headIsOutline = m_fill.size() >= m_outline.size();
    for (std::size_t i = 0; headIsOutline && i < m_outline.size(); ++i) {
        CEntity* seg = m_outline[i];
        CEntity* copy = m_fill[i];
        headIsOutline = copy->GetType() == seg->GetType() && StartOf(copy).IsNear(StartOf(seg));
    }
    const std::vector<CEntity*>& source = headIsOutline ? m_fill : m_outline;
    std::vector<Position> vertices;
    vertices.reserve(m_outline.size());
    for (std::size_t i = 0; i < m_outline.size(); ++i) {
        const int type = m_outline[i]->GetType();
        vertices.push_back(type == ET_LINE || type == ET_ARC ? StartOf(source[i]) : Position());
    }
    return vertices;
}

void CPolygon::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    std::string text = "PG\n";
    text += std::to_string(m_layer + 1) + "\n";
    text += " 0\n";
    text += "1 1 1 0 0 1\n";
    text += Thousandths(m_hatchGrid) + " " + Thousandths(m_lineWidth) + " 2000";
    text += " 0\n\n";

    const std::vector<Position> vertices = ExportVertices();
    text += std::to_string(vertices.size()) + "\n";
    for (const Position& v : vertices)
        text += Thousandths(v.x) + " " + Thousandths(v.y) + "\n";
    if (!vertices.empty())
        text += Thousandths(vertices.front().x) + " " + Thousandths(vertices.front().y) + "\n";
    for (std::size_t i = 0; i <= vertices.size(); ++i)
        text += " 0";
    text += "\n";

    for (CEntity* e : m_fill) {
        if (!e->IsActive())
            continue;
        std::string record;
        e->ExportText(record, counts);
        text += record;
    }
    out = std::move(text);
}
