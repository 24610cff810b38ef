#include "CFillArea.h"

#include "BoardServices.h"
#include "CLine.h"
#include "CPolygon.h"
#include "CRectAngle.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstring>

IMPLEMENT_SERIAL(CFillArea, CEntity, VERSIONABLE_SCHEMA | 1)

CFillArea thePrototypeFillArea(CFillArea::PrototypeTag{});

namespace
{

constexpr int kRecordSize = 32;

// A fill keeps a pour's hatch this far away on every side: its rectangle grows by twice
// this in width and in height.
constexpr double kHatchClearance = 25.0;

// The pure red of the area selection's frame.
constexpr COLORREF kFrameColour = MakeRGB(255, 0, 0);

// Moves the smaller of a and b down and the larger up by `by`.
void GrowApart(double& a, double& b, double by)
{
    if (a <= b) {
        a -= by;
        b += by;
    } else {
        a += by;
        b -= by;
    }
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CFillArea::CFillArea(PrototypeTag)
{
    CFillArea::Reset();
}

CFillArea::CFillArea()
{
    CFillArea::Reset();
    CEntity::CopyFrom(thePrototypeFillArea);
    // The prototype hands on its attributes, not its place.
    m_position = Position();
    m_sizeX = 0.0;
    m_sizeY = 0.0;
    m_cachedBox = BOX2D();
}

CFillArea::CFillArea(const CFillArea& other) : CEntity()
{
    CFillArea::Reset();
    CEntity::CopyFrom(other);
    m_corner1 = other.m_corner1;
    m_corner2 = other.m_corner2;
}

void CFillArea::Reset()
{
    CEntity::Reset();
    m_type = ET_FILLAREA;
    m_selectionFrame = 0;
    m_corner1 = Position();
    m_corner2 = Position();
    m_position = Position();
}

CEntity& CFillArea::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CEntity::CopyFrom(other);
    if (const auto* fill = dynamic_cast<const CFillArea*>(&other); fill && fill != this) {
        m_corner1 = fill->m_corner1;
        m_corner2 = fill->m_corner2;
    }
    return *this;
}

CEntity* CFillArea::Clone()
{
    auto* copy = new CFillArea(*this);
    copy->CopyFrom(*this);
    return copy;
}

// ---------------------------------------------------------------------------------
// Geometry

void CFillArea::RecomputeSizes()
{
    NotifyBoxChanged();
    m_sizeX = std::fabs(m_corner2.x - m_corner1.x);
    m_sizeY = std::fabs(m_corner2.y - m_corner1.y);
}

BOX2D CFillArea::OrderedBox() const
{
    return BOX2D(std::min(m_corner1.x, m_corner2.x), std::min(m_corner1.y, m_corner2.y),
                 std::max(m_corner1.x, m_corner2.x), std::max(m_corner1.y, m_corner2.y));
}

void CFillArea::SetCorner1(const Position& p)
{
    Invalidate();
    m_corner1 = p;
    m_position = p;
    Invalidate();
}

void CFillArea::SetCorner2(const Position& p)
{
    Invalidate();
    m_corner2 = p;
    RecomputeSizes();
    Invalidate();
}

int CFillArea::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    *out = OrderedBox();
    KeepBox(*out);
    return 1;
}

Rect CFillArea::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

// The whole rectangle counts, grown by the tolerance.
BOOL CFillArea::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return FALSE;
    const double tol = tolerance ? std::max(0.0, *tolerance) : 0.0;
    BOX2D box = OrderedBox();
    box.x1 -= tol;
    box.y1 -= tol;
    box.x2 += tol;
    box.y2 += tol;
    return p.IsInBox(box) ? TRUE : FALSE;
}

// The nearest corner of the box; on equal distances the earlier of (x1, y1), (x2, y2),
// (x2, y1), (x1, y2).
Position CFillArea::GetSnapPoint(const Position& cursor)
{
    const BOX2D box = OrderedBox();
    const Position corners[4] = {
        Position(box.x1, box.y1),
        Position(box.x2, box.y2),
        Position(box.x2, box.y1),
        Position(box.x1, box.y2),
    };
    std::size_t best = 0;
    double bestDistance = cursor.Distance(corners[0]);
    for (std::size_t i = 1; i < 4; ++i) {
        const double d = cursor.Distance(corners[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return corners[best];
}

// ---------------------------------------------------------------------------------
// Transformations

int CFillArea::Move(const Position& to, const Position& from, int*)
{
    NotifyBoxChanged();
    const Position shift = to - from;
    m_corner1 += shift;
    m_position = m_corner1;
    m_corner2 += shift;
    RecomputeSizes();
    m_cachedBox.Move(to, from);
    return 0;
}

void CFillArea::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    const Position shift = to - from;
    m_corner1 += shift;
    m_corner2 += shift;
    CEntity::MoveBy(from, to);
    RecomputeSizes();
}

// A component's children leave the prototype alone: the component turns them all at once.
void CFillArea::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorY(axis);
    m_corner1.MirrorHorizontal(axis);
    m_corner2.MirrorHorizontal(axis);
    RecomputeSizes();
    if (this != &thePrototypeFillArea && !IsComponentPart())
        thePrototypeFillArea.MirrorY(axis);
}

void CFillArea::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorX(axis);
    m_corner1.MirrorVertical(axis);
    m_corner2.MirrorVertical(axis);
    RecomputeSizes();
    if (this != &thePrototypeFillArea && !IsComponentPart())
        thePrototypeFillArea.MirrorX(axis);
}

// The fill stays the axis-aligned rectangle between its two turned corners.
void CFillArea::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position& centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    m_corner1.Rotate(centre, angle);
    m_corner2.Rotate(centre, angle);
    RecomputeSizes();
    if (this != &thePrototypeFillArea && !IsComponentPart())
        thePrototypeFillArea.Rotate(centre, angle);
}

// ---------------------------------------------------------------------------------
// Clearing a pour's hatch

void CFillArea::ClipHatch(CPolygon* pour, TrackGroups* groups)
{
    if (!pour)
        return;
    // The working rectangle: this fill grown outwards, each corner keeping its side.
    Position k1 = m_corner1;
    Position k2 = m_corner2;
    GrowApart(k1.x, k2.x, kHatchClearance);
    GrowApart(k1.y, k2.y, kHatchClearance);
    const BOX2D inside(std::min(k1.x, k2.x), std::min(k1.y, k2.y), std::max(k1.x, k2.x),
                       std::max(k1.y, k2.y));

    const Position k12(k1.x, k2.y);
    const Position k21(k2.x, k1.y);
    const CLine sides[4] = {CLine(k1, k12), CLine(k12, k2), CLine(k2, k21), CLine(k21, k1)};
    CRectAngle::ClipTracksAround(inside, sides, pour->GetHatchParam(), pour->GetHatchList(),
                                 groups);
}

// ---------------------------------------------------------------------------------
// Drawing

void CFillArea::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden) || !m_live)
        return;
    SetColor(BoardServices::Current().GetLayerColor(m_layer));

    bool selected = false;
    if (m_selectionFrame) {
        dc->SaveState();
        dc->SetPen(PenSpec{PenStyle::Dash, 1, kFrameColour});
        dc->SetBrush(BrushSpec{BrushStyle::Hollow, 0});
        selected = true;
    } else {
        selected = SelectPenAndBrush(dc, mode, 1);
    }

    Rect r;
    const Point a = m_corner1.ToClient();
    const Point b = m_corner2.ToClient();
    r.left = a.x;
    r.top = a.y;
    r.right = b.x;
    r.bottom = b.y;
    r.Normalize();
    dc->Rectangle(r);

    if (selected)
        dc->RestoreState();
    CEntity::Draw(dc, mode, clip, nullptr);
}

// ---------------------------------------------------------------------------------
// Property dialog

FillProperties CFillArea::GetProperties()
{
    FillProperties values;
    values.corner1 = m_corner1;
    values.corner2 = m_corner2;
    values.layer = m_layer;
    return values;
}

void CFillArea::SetProperties(const FillProperties& values)
{
    NotifyBoxChanged();
    SetCorner1(values.corner1);
    SetCorner2(values.corner2);
    SetLayer(values.layer);
}

int CFillArea::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    FillProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        thePrototypeFillArea.CopyFrom(*this);
        thePrototypeFillArea.SetComponentPart(0);
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

void CFillArea::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CFillArea));
    if (ar.IsStoring()) {
        ar.WriteF64(m_corner1.x);
        ar.WriteF64(m_corner1.y);
        ar.WriteF64(m_corner2.x);
        ar.WriteF64(m_corner2.y);
        return;
    }
    const double x1 = ar.ReadF64();
    const double y1 = ar.ReadF64();
    const double x2 = ar.ReadF64();
    const double y2 = ar.ReadF64();
    if (!AllFinite({x1, y1, x2, y2}))
        CArchive::Throw(CArchiveException::generic,
                        "area fill record holds a corner that is not a finite number");
    m_corner1.Set(x1, y1);
    m_corner2.Set(x2, y2);
}

// Kind 2: [4] corner 1 x, [8] corner 2 y, [12] corner 2 x, [16] corner 1 y.
int CFillArea::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    BYTE* rec = buf + *offset;
    *offset += kRecordSize;
    std::memset(rec, 0, kRecordSize);
    LibRecord::PutHeader(rec, LibRecord::Fill, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_corner1.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_corner2.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(m_corner2.x));
    LibRecord::PutI32(rec + 16, LibRecord::ToLength(m_corner1.y));
    return 1;
}

int CFillArea::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    // A record cut short is refused rather than read past its end.
    if (!rec || size < kRecordSize)
        return 0;
    m_corner1.Set(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                  LibRecord::FromLength(LibRecord::GetI32(rec + 16)));
    m_corner2.Set(LibRecord::FromLength(LibRecord::GetI32(rec + 12)),
                  LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    m_position = m_corner1;
    RecomputeSizes();
    // Refused: a board holding an object on a layer outside the board could be saved
    // but not opened again.
    const int layer = LibRecord::GetLayer(rec);
    if (!IsObjectLayer(layer))
        return 0;
    SetLayer(layer);
    return 1;
}

void CFillArea::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('F', m_inComponent != 0);
    out += Protel::Len(m_corner1.x) + Protel::Len(m_corner1.y);
    out += Protel::Len(m_corner2.x) + Protel::Len(m_corner2.y);
    out += Protel::Int(m_layer + 1);
    out += "0\n 0 1 0.000\n";
}
