#include "CLine.h"

#include "BoardServices.h"
#include "CArc.h"
#include "CRectAngle.h"
#include "CRound.h"
#include "Constants.h"
#include "Intersection.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstring>

IMPLEMENT_SERIAL(CLine, CEntity, VERSIONABLE_SCHEMA | 1)

// Built at start-up like any other track; reads no other global.
CLine theDefaultLine;

namespace
{

constexpr int kRecordSize = 32;
// Distance within which the cursor is on an end point, in mils.
constexpr double kEndPointReach = 3.0;

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CLine::CLine()
{
    Reset();
}

CLine::CLine(const Position& a, const Position& b)
{
    Reset();
    m_start = a;
    m_end = b;
    m_position = a;
}

CLine::CLine(const Position& a, const Position& b, const int* layer)
{
    Reset();
    CopyFrom(theDefaultLine);
    m_start = a;
    m_end = b;
    m_position = a;
    if (layer)
        SetLayer(*layer);
}

CLine::CLine(const CLine& other) : CEntity(other), m_start(other.m_start), m_end(other.m_end)
{
    // The guide belongs to one track only: the copy gets a copy of its own.
    if (other.m_attached)
        m_attached = other.m_attached->Clone();
}

CLine::~CLine()
{
    delete m_attached;
}

void CLine::Reset()
{
    CEntity::Reset();
    m_type = ET_LINE;
    delete m_attached;
    m_attached = nullptr;
    m_start = Position();
    m_end = Position();
    m_position = m_start;
}

CEntity& CLine::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CEntity::CopyFrom(other);
    // Property undo restores a track through this copy, so the points come along.
    if (const auto* line = dynamic_cast<const CLine*>(&other)) {
        m_start = line->m_start;
        m_end = line->m_end;
    }
    return *this;
}

CEntity* CLine::Clone()
{
    auto* copy = new CLine(m_start, m_end);
    copy->CopyFrom(*this);
    if (m_attached) {
        const int noRepaint = 0;
        copy->SetAttachedEntity(m_attached->Clone(), &noRepaint);
    }
    return copy;
}

void CLine::SetAttachedEntity(CEntity* entity, const int* repaint)
{
    NotifyBoxChanged();
    const bool repaintArea = repaint && *repaint;
    if (repaintArea)
        Invalidate();
    if (entity != m_attached) {
        delete m_attached;
        m_attached = entity;
    }
    if (repaintArea)
        Invalidate();
}

// ---------------------------------------------------------------------------------
// Geometry

void CLine::SetStart(const Position& p)
{
    NotifyBoxChanged();
    Invalidate();
    m_start = p;
    m_position = p;
    Invalidate();
}

void CLine::SetEnd(const Position& p)
{
    NotifyBoxChanged();
    Invalidate();
    m_end = p;
    Invalidate();
}

double CLine::GetAngle() const
{
    // The same direction rule as between two points.
    return m_start.AngleTo(m_end);
}

double CLine::GetSlope() const
{
    const double dx = m_end.x - m_start.x;
    if (dx == 0.0)
        return VERTICAL_SLOPE;
    return (m_end.y - m_start.y) / dx;
}

double CLine::GetLength() const
{
    return m_start.Distance(m_end);
}

Position CLine::GetMidPoint() const
{
    return Position((m_start.x + m_end.x) * 0.5, (m_start.y + m_end.y) * 0.5);
}

// A track whose slope reaches the vertical constant counts as vertical: the foot is
// level with p on the start's x. An exactly horizontal track gives the point on its
// y below or above p. Every other track gives the true foot of the perpendicular,
// worked out along the track's direction rather than through the slope: the slope form
// (X from m, then Y = p.y + (p.x - X) / m) is the same point, but it divides by a slope
// that may be tiny and squares one that may be huge, and loses the point there.
Position CLine::FootPoint(const Position& p) const
{
    if (GetSlope() >= VERTICAL_SLOPE)
        return Position(m_start.x, p.y);
    if (m_end.y - m_start.y == 0.0)
        return Position(p.x, (m_start.y + m_end.y) * 0.5);

    // Direction scaled to a largest component of 1, so nothing overflows or vanishes.
    const double dx = m_end.x - m_start.x;
    const double dy = m_end.y - m_start.y;
    const double scale = std::max(std::fabs(dx), std::fabs(dy));
    const double ux = dx / scale;
    const double uy = dy / scale;
    const double t = ((p.x - m_start.x) * ux + (p.y - m_start.y) * uy) / (ux * ux + uy * uy);
    return Position(m_start.x + t * ux, m_start.y + t * uy);
}

void CLine::Reverse()
{
    NotifyBoxChanged();
    std::swap(m_start, m_end);
}

int CLine::IntersectSegment(const CLine& other, std::vector<Position>& out) const
{
    // Segments whose boxes are apart cannot meet (boxes that touch still may).
    if (std::max(other.m_start.x, other.m_end.x) < std::min(m_start.x, m_end.x) ||
        std::max(m_start.x, m_end.x) < std::min(other.m_start.x, other.m_end.x) ||
        std::max(other.m_start.y, other.m_end.y) < std::min(m_start.y, m_end.y) ||
        std::max(m_start.y, m_end.y) < std::min(other.m_start.y, other.m_end.y))
        return 0;
    Position crossing;
    if (!IntersectSegments(other.m_start, other.m_end, m_start, m_end, &crossing))
        return 0;
    out.push_back(crossing);
    return 1;
}

int CLine::IntersectLine(const CLine& other, std::vector<Position>& out) const
{
    // Parallel directions (a zero-length track among them) have no single crossing.
    const double ax = other.m_end.x - other.m_start.x;
    const double ay = other.m_end.y - other.m_start.y;
    const double bx = m_end.x - m_start.x;
    const double by = m_end.y - m_start.y;
    if (ax * by - ay * bx == 0.0)
        return 0;
    Position crossing;
    if (!IntersectLines(other.m_start, other.m_end, m_start, m_end, &crossing))
        return 0;
    out.push_back(crossing);
    return 1;
}

// ---------------------------------------------------------------------------------
// Box and hit tests

int CLine::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    // The body as drawn: an obround half a width longer than the track at each end.
    CRound body(GetMidPoint(), GetLength() + m_lineWidth, m_lineWidth, m_layer);
    body.SetAngle(GetAngle());
    BOX2D box;
    body.GetBox(&box);
    if (m_attached) {
        BOX2D guide;
        if (m_attached->GetBox(&guide))
            box.Merge(guide);
    }
    KeepBox(box);
    *out = box;
    return 1;
}

Rect CLine::GetScreenRect()
{
    BOX2D box;
    GetBox(&box);
    if (m_attached) {
        BOX2D guide;
        if (m_attached->GetBox(&guide))
            box.Merge(guide);
    }
    return box.ToDeviceRect();
}

BOOL CLine::HitTestPoint(const Position& p, const double* /*tolerance*/, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return FALSE;
    BOX2D box;
    if (!GetBox(&box) || !p.IsInBox(box))
        return FALSE;
    return p.Distance(FootPoint(p)) <= m_lineWidth ? TRUE : FALSE;
}

int CLine::HitEndPoint(const Position& cursor)
{
    if (cursor.Distance(m_start) < kEndPointReach)
        return 0;
    if (cursor.Distance(m_end) < kEndPointReach)
        return 1;
    return -1;
}

Position CLine::GetSnapPoint(const Position& cursor)
{
    return cursor.Distance(m_start) <= cursor.Distance(m_end) ? m_start : m_end;
}

// ---------------------------------------------------------------------------------
// Transformations

void CLine::MoveBy(const Position& from, const Position& to)
{
    NotifyBoxChanged();
    const Position shift = to - from;
    m_start += shift;
    m_end += shift;
    CEntity::MoveBy(Position(), shift);
}

// The reference point, both ends and the stored box move once by (to - from).
int CLine::Move(const Position& to, const Position& from, int* flag)
{
    NotifyBoxChanged();
    const Position shift = to - from;
    const int result = CEntity::Move(shift, Position(), flag);
    m_start += shift;
    m_end += shift;
    m_cachedBox.Move(shift, Position());
    return result;
}

void CLine::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    const Position& centre = c;
    const double angle = a;
    CEntity::Rotate(centre, angle);
    m_start.Rotate(centre, angle);
    m_end.Rotate(centre, angle);
    // The prototype follows a rotated selection.
    if (this != &theDefaultLine && !IsComponentPart())
        theDefaultLine.Rotate(centre, angle);
}

void CLine::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorY(axis);
    m_start.MirrorHorizontal(axis);
    m_end.MirrorHorizontal(axis);
    if (this != &theDefaultLine && !IsComponentPart())
        theDefaultLine.MirrorY(axis);
}

void CLine::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const Position& axis = p;
    CEntity::MirrorX(axis);
    m_start.MirrorVertical(axis);
    m_end.MirrorVertical(axis);
    if (this != &theDefaultLine && !IsComponentPart())
        theDefaultLine.MirrorX(axis);
}

CEntity* CLine::CreateOffset(const Position& side, const double* distance)
{
    if (!distance)
        return nullptr;
    CEntity* copy = Clone();
    const Position foot = FootPoint(side);
    const double towards = foot.AngleTo(side);
    const Position target = foot.PolarOffset(*distance, towards);
    copy->MoveBy(foot, target);
    return copy;
}

void CLine::ClipHatch(CPolygon* pour, TrackGroups* groups)
{
    if (!pour)
        return;
    CRectAngle area(GetMidPoint(), GetLength() + m_lineWidth, m_lineWidth);
    area.SetAngle(GetAngle());
    area.ClipHatch(pour, groups);
}

// ---------------------------------------------------------------------------------
// Drawing

Rect CLine::ClipReach()
{
    // The box is that of a rectangle a width longer than the track at each end and a
    // width across: its corners lie within a width and a half of the ends on either axis.
    const double w = 1.5 * std::fabs(m_lineWidth);
    if (m_attached || !std::isfinite(w + m_start.x + m_start.y + m_end.x + m_end.y))
        return GetScreenRect();
    return BOX2D(std::min(m_start.x, m_end.x) - w, std::min(m_start.y, m_end.y) - w,
                 std::max(m_start.x, m_end.x) + w, std::max(m_start.y, m_end.y) + w)
        .ToDeviceRect();
}

void CLine::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return;
    m_color = BoardServices::Current().GetLayerColor(m_layer);

    if (!CRound::DrawFilledSegment(dc, mode, m_start, m_end, m_lineWidth, m_color)) {
        CRound body(GetMidPoint(), GetLength() + m_lineWidth, m_lineWidth, m_layer);
        body.SetAngle(GetAngle());
        body.Draw(dc, mode, clip, hidden);
    }

    if (m_attached) {
        m_attached->SetColor(m_color);
        m_attached->SetLineWidth(&m_lineWidth);
        m_attached->Draw(dc, mode, clip, nullptr);
    }
    CEntity::Draw(dc, mode, clip, hidden);
}

// One pixel wide and solid whatever the mode: guides, grips and the cross-hair.
void CLine::DrawThin(DrawContext* dc, int /*mode*/, Rect /*clip*/, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return;
    const BoardServices& board = BoardServices::Current();
    m_color = board.GetLayerColor(m_layer);

    const Point a = m_start.ToClient();
    const Point b = m_end.ToClient();

    dc->SaveState();
    dc->SetPen(PenSpec{PenStyle::Solid, 1, m_color});
    dc->MoveTo(a);
    dc->LineTo(b);
    dc->RestoreState();
}

// ---------------------------------------------------------------------------------
// Property dialog

TrackProperties CLine::GetProperties()
{
    TrackProperties values;
    values.width = m_lineWidth;
    values.start = m_start;
    values.end = m_end;
    values.layer = m_layer;
    return values;
}

void CLine::SetProperties(const TrackProperties& values)
{
    NotifyBoxChanged();
    m_lineWidth = values.width;
    SetStart(values.start);
    SetEnd(values.end);
    SetLayer(values.layer);
}

int CLine::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    // Hidden while the dialog is open.
    Deactivate();
    Invalidate();

    TrackProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        // New tracks and arcs start with what the user chose last.
        theDefaultLine.CopyFrom(*this);
        theDefaultLine.SetComponentPart(0);
        thePrototypeArc.SetLineWidth(&m_lineWidth);
        thePrototypeArc.SetLayer(m_layer);
        Invalidate();
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

void CLine::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CLine));
    if (ar.IsStoring()) {
        ar.WriteF64(m_start.x);
        ar.WriteF64(m_start.y);
        ar.WriteF64(m_end.x);
        ar.WriteF64(m_end.y);
        return;
    }
    const double sx = ar.ReadF64();
    const double sy = ar.ReadF64();
    const double ex = ar.ReadF64();
    const double ey = ar.ReadF64();
    if (!AllFinite({sx, sy, ex, ey})) {
        std::string what = "A track's end point is not a finite number.";
        if (!ar.GetFileName().empty())
            what = ar.GetFileName() + ": " + what;
        CArchive::Throw(CArchiveException::generic, what);
    }
    m_start.Set(sx, sy);
    m_end.Set(ex, ey);
    m_position = m_start;
}

int CLine::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    BYTE* rec = buf + *offset;
    *offset += kRecordSize;
    std::memset(rec, 0, kRecordSize);
    LibRecord::PutHeader(rec, LibRecord::Track, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_start.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_start.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(m_end.x));
    LibRecord::PutI32(rec + 16, LibRecord::ToLength(m_end.y));
    LibRecord::PutI32(rec + 20, LibRecord::ToLength(m_lineWidth));
    return 1;
}

int CLine::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    // A record cut short is refused rather than read past its end.
    if (!rec || size < kRecordSize)
        return 0;
    m_start.Set(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    m_end.Set(LibRecord::FromLength(LibRecord::GetI32(rec + 12)),
              LibRecord::FromLength(LibRecord::GetI32(rec + 16)));
    m_lineWidth = LibRecord::FromLength(LibRecord::GetI32(rec + 20));
    m_position = m_start;
    // Refused: a board holding an object on a layer outside the board could be saved
    // but not opened again.
    const int layer = LibRecord::GetLayer(rec);
    if (!IsObjectLayer(layer))
        return 0;
    SetLayer(layer);
    return 1;
}

void CLine::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('T', m_inComponent != 0);
    out += Protel::Len(m_start.x) + Protel::Len(m_start.y);
    out += Protel::Len(m_end.x) + Protel::Len(m_end.y);
    out += Protel::Len(m_lineWidth);
    out += Protel::Int(m_layer + 1);
    out += "0 0 0\n";
    out += m_exportVariant ? " 1 0 1 0 0\n" : " 0 0 1 0 0\n";
}

// ---------------------------------------------------------------------------------
// Position::DrawLineTo is drawn as a thin track, so it lives with the track.

void Position::DrawLineTo(const Position& to, DrawContext* dc, int mode, int layer) const
{
    CLine segment(*this, to);
    segment.SetLayer(layer);
    segment.DrawThin(dc, mode, Rect{}, nullptr);
}
