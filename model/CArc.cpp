#include "CArc.h"

#include "BoardServices.h"
#include "CCircle.h"
#include "CLine.h"
#include "Constants.h"
#include "LibraryRecord.h"
#include "ProtelFormat.h"
#include "UiServices.h"
#include "Utilities.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstring>

IMPLEMENT_SERIAL(CArc, CEntity, VERSIONABLE_SCHEMA | 1)

CArc thePrototypeArc(CArc::PrototypeTag{});

namespace
{

// The angular slack of hit tests and offset copies at each end of an arc, whatever
// its radius.
double Window()
{
    static const double window = std::asin(0.05);
    return window;
}

// Radius within which a click selects an end point, in mils.
constexpr double kEndPointReach = 3.0;

// An arc that is not placed yet sits here.
constexpr double kUnplaced = -1000000.0;

// Length of the selection grips, in pixels.
constexpr int kGripPixels = 5;

// Angles of arcs are kept in [0, 2 pi). The one-step wrap leaves exactly 2 pi alone
// (and cannot bring far-off values back); both are folded in here. A value that is not
// a number at all becomes 0, so that no arc ever carries one.
double ArcAngle(double a)
{
    if (!std::isfinite(a))
        return 0.0;
    NormalizeAngle(&a);
    if (a < 0.0 || a >= TWO_PI) {
        a = std::fmod(a, TWO_PI);
        if (a < 0.0)
            a += TWO_PI;
        if (a >= TWO_PI)
            a = 0.0;
    }
    return a;
}

// Counter-clockwise sweep from start to end; equal angles are a full turn.
double Sweep(double start, double end)
{
    double sweep = end - start;
    if (sweep <= 0.0)
        sweep += TWO_PI;
    return sweep;
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction

CArc::CArc(PrototypeTag)
{
    CArc::Reset();
}

CArc::CArc()
{
    CArc::Reset();
    CArc::CopyFrom(thePrototypeArc);
    m_position = Position(kUnplaced, kUnplaced);
}

CArc::CArc(const Position& centre, const double& radius, const double& start, const double& end)
{
    CArc::Reset();
    m_position = centre;
    m_radius = radius;
    m_startAngle = ArcAngle(start);
    m_endAngle = ArcAngle(end);
}

// Fewer than three points cannot define a circle: the arc becomes the zero-radius arc
// at the point on the arc (the second one), or at the only point given.
CArc::CArc(const std::vector<Position>& points)
{
    CArc::Reset();
    CArc::CopyFrom(thePrototypeArc);
    if (points.size() >= 3) {
        Through(points[0], points[1], points[2]);
    } else {
        const Position at =
            points.empty() ? Position() : points[std::min<std::size_t>(1, points.size() - 1)];
        Through(at, at, at);
    }
}

// The copy keeps the centre only; its other attributes are the defaults. Use Clone for
// a full copy.
CArc::CArc(const CArc& other) : CEntity(other)
{
    CArc::Reset();
    m_position = other.m_position;
    if (other.m_attached)
        m_attached = other.m_attached->Clone();
}

CArc::~CArc()
{
    delete m_attached;
}

void CArc::Reset()
{
    CEntity::Reset();
    m_type = ET_ARC;
    delete m_attached;
    m_attached = nullptr;
    m_position = Position();
    m_radius = 0.0;
    m_startAngle = 0.0;
    m_endAngle = 0.0;
}

CEntity& CArc::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CEntity::CopyFrom(other);
    if (const CArc* arc = dynamic_cast<const CArc*>(&other); arc && arc != this) {
        m_radius = arc->m_radius;
        m_startAngle = arc->m_startAngle;
        m_endAngle = arc->m_endAngle;
    }
    return *this;
}

CEntity* CArc::Clone()
{
    CArc* copy = new CArc(m_position, m_radius, m_startAngle, m_endAngle);
    copy->CopyFrom(*this);
    if (m_attached) {
        const int noRepaint = 0;
        copy->SetAttachedEntity(m_attached->Clone(), &noRepaint);
    }
    return copy;
}

// ---------------------------------------------------------------------------------
// Geometry

// The circle through the three points. The arc starts at `start` and ends at `end`
// when the three points turn counter-clockwise; otherwise the two are swapped, so that
// the arc, which always runs counter-clockwise, still passes through `mid`.
bool CArc::Through(const Position& start, const Position& mid, const Position& end)
{
    const double bx = mid.x - start.x;
    const double by = mid.y - start.y;
    const double cx = end.x - start.x;
    const double cy = end.y - start.y;
    const double cross = bx * cy - by * cx;
    const double b2 = bx * bx + by * by;
    const double c2 = cx * cx + cy * cy;

    // Collinear or coincident points (the turn is negligible against the chords).
    const bool flat = !(std::fabs(cross) > 1e-12 * std::sqrt(b2) * std::sqrt(c2));
    Position centre;
    double radius = 0.0;
    if (!flat) {
        const double d = 2.0 * cross;
        const double ux = (cy * b2 - by * c2) / d;
        const double uy = (bx * c2 - cx * b2) / d;
        centre = Position(start.x + ux, start.y + uy);
        radius = std::sqrt(ux * ux + uy * uy);
    }
    if (flat || !std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius)) {
        m_position = mid;
        m_radius = 0.0;
        m_startAngle = 0.0;
        m_endAngle = PI;
        return false;
    }

    m_position = centre;
    m_radius = radius;
    const double a1 = ArcAngle(centre.AngleTo(start));
    const double a3 = ArcAngle(centre.AngleTo(end));
    if (cross > 0.0) {
        m_startAngle = a1;
        m_endAngle = a3;
    } else {
        m_startAngle = a3;
        m_endAngle = a1;
    }
    return true;
}

void CArc::SetGeometry(const Position& centre, double radius, double start, double end)
{
    NotifyBoxChanged();
    SetPosition(centre, 0);
    m_radius = radius;
    m_startAngle = ArcAngle(start);
    m_endAngle = ArcAngle(end);
}

void CArc::SetAngles(double start, double end)
{
    NotifyBoxChanged();
    m_startAngle = ArcAngle(start);
    m_endAngle = ArcAngle(end);
}

void CArc::SetRadius(const double* radius, const int* repaint)
{
    NotifyBoxChanged();
    const bool paint = repaint && *repaint;
    if (paint)
        Invalidate();
    if (radius)
        m_radius = *radius;
    const Position centre = m_position;
    SetPosition(centre, 0);
    if (paint)
        Invalidate();
}

void CArc::CircleCorners(const Position& c, double r, Position* topLeft, Position* bottomRight)
{
    *topLeft = Position(c.x - r, c.y + r);
    *bottomRight = Position(c.x + r, c.y - r);
}

Rect CArc::CircleBox(Point topLeft, Point bottomRight)
{
    Rect rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    rect.Normalize();
    return rect;
}

Rect CArc::CircleOnScreen(const Position& c, double r)
{
    Position a, b;
    CircleCorners(c, r, &a, &b);
    return CircleBox(a.ToClient(), b.ToClient());
}

Position CArc::GetStartPoint() const
{
    return m_position.PolarOffset(m_radius, m_startAngle);
}

Position CArc::GetEndPoint() const
{
    return m_position.PolarOffset(m_radius, m_endAngle);
}

void CArc::SetAttachedEntity(CEntity* entity, const int* repaint)
{
    NotifyBoxChanged();
    const bool paint = repaint && *repaint;
    if (paint)
        Invalidate();
    if (entity != m_attached) {
        delete m_attached;
        m_attached = entity;
    }
    if (paint)
        Invalidate();
}

bool CArc::InAngularWindow(const Position& p) const
{
    const double a = m_position.AngleTo(p);
    const double window = Window();
    if (m_startAngle < m_endAngle)
        return m_startAngle - window <= a && a <= m_endAngle + window;
    return a <= m_endAngle + window || a > m_startAngle - window;
}

BOOL CArc::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return FALSE;
    const double band = (tolerance ? *tolerance : 0.0) + m_lineWidth;
    const double d = m_position.Distance(p);
    if (!(m_radius - band < d && d < m_radius + band))
        return FALSE;
    return InAngularWindow(p) ? TRUE : FALSE;
}

int CArc::HitEndPoint(const Position& cursor)
{
    if (cursor.Distance(GetStartPoint()) < kEndPointReach)
        return 2;
    if (cursor.Distance(GetEndPoint()) < kEndPointReach)
        return 3;
    return -1;
}

Position CArc::GetSnapPoint(const Position& cursor)
{
    const Position s = GetStartPoint();
    const Position e = GetEndPoint();
    double a = m_position.AngleTo(cursor);
    const double start = m_startAngle;
    double end = m_endAngle;
    if (end < start) {
        if (a < end || std::fabs(a - end) < std::fabs(a - start))
            a += TWO_PI;
        end += TWO_PI;
    }
    const double span = std::fabs(end - start);

    const double toCentre = m_position.Distance(cursor);
    if (toCentre < s.Distance(cursor) && toCentre < e.Distance(cursor))
        return m_position;
    if (std::fabs(a - start) < span / 3.0)
        return s;
    if (std::fabs(a - end) < span / 3.0)
        return e;
    return m_position;
}

int CArc::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    BOX2D box;
    CCircle(m_position, m_radius + m_lineWidth, m_layer).GetOuterBox(box);
    if (m_attached) {
        BOX2D extra;
        if (m_attached->GetBox(&extra, hidden))
            box.Merge(extra);
    }
    KeepBox(box);
    *out = box;
    return 1;
}

Rect CArc::GetScreenRect()
{
    BOX2D box;
    CCircle(m_position, m_radius + m_lineWidth, m_layer).GetOuterBox(box);
    return box.ToDeviceRect();
}

CEntity* CArc::CreateOffset(const Position& side, const double* distance)
{
    const double d = distance ? *distance : 0.0;
    double radius = 0.0;
    if (m_position.Distance(side) > m_radius + 0.0001 && InAngularWindow(side))
        radius = m_radius + d;
    else if (d < m_radius)
        radius = m_radius - d;
    else
        return nullptr;

    CArc* copy = static_cast<CArc*>(Clone());
    const int noRepaint = 0;
    copy->SetRadius(&radius, &noRepaint);
    return copy;
}

// ---------------------------------------------------------------------------------
// Transformations

void CArc::Rotate(const Position& c, const double& a)
{
    NotifyBoxChanged();
    CEntity::Rotate(c, a);
    m_startAngle = ArcAngle(m_startAngle + a);
    m_endAngle = ArcAngle(m_endAngle + a);
    if (this != &thePrototypeArc && !IsComponentPart())
        thePrototypeArc.Rotate(c, a);
}

// Both mirrors reverse the direction of travel: the mirrored end point becomes the new
// start, so the arc stays counter-clockwise. An arc without extent has no end points to
// take directions from; its angles are mirrored directly.
void CArc::MirrorY(const Position& p)
{
    NotifyBoxChanged();
    const MirroredEnds ends = MirrorEnds(p, &Position::MirrorHorizontal);
    CEntity::MirrorY(p);
    TakeMirroredEnds(ends, [](double a) { return -a; });
    if (this != &thePrototypeArc && !IsComponentPart())
        thePrototypeArc.MirrorY(p);
}

void CArc::MirrorX(const Position& p)
{
    NotifyBoxChanged();
    const MirroredEnds ends = MirrorEnds(p, &Position::MirrorVertical);
    CEntity::MirrorX(p);
    TakeMirroredEnds(ends, [](double a) { return PI - a; });
    if (this != &thePrototypeArc && !IsComponentPart())
        thePrototypeArc.MirrorX(p);
}

CArc::MirroredEnds CArc::MirrorEnds(const Position& p,
                                    void (Position::*mirror)(const Position&)) const
{
    MirroredEnds ends{GetEndPoint(), GetStartPoint(), m_startAngle, m_endAngle};
    (ends.start.*mirror)(p);
    (ends.end.*mirror)(p);
    return ends;
}

void CArc::TakeMirroredEnds(const MirroredEnds& ends, double (*reflect)(double))
{
    NotifyBoxChanged();
    if (m_radius > 0.0) {
        m_startAngle = ArcAngle(CLine(m_position, ends.start).GetAngle());
        m_endAngle = ArcAngle(CLine(m_position, ends.end).GetAngle());
    } else {
        m_startAngle = ArcAngle(reflect(ends.oldEnd));
        m_endAngle = ArcAngle(reflect(ends.oldStart));
    }
}

int CArc::SetPosition(const Position& p, int /*flag*/)
{
    NotifyBoxChanged();
    BOX2D box;
    GetBox(&box);
    const Position old = m_position;
    m_position = p;
    m_cachedBox.Move(p, old);
    return 0;
}

int CArc::Move(const Position& to, const Position& from, int* /*flag*/)
{
    NotifyBoxChanged();
    BOX2D box;
    GetBox(&box);
    m_position += to - from;
    m_cachedBox.Move(to, from);
    return 0;
}

// ---------------------------------------------------------------------------------
// Drawing

// Outline mode draws the ring's edges with a one-pixel pen: the inner and outer arcs
// and a half-circle cap about each end point, bulging away from the arc. Every other
// mode strokes the centre line with a pen as wide as the arc. The board-without-photo
// switch changes nothing here.
void CArc::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden) || !m_live)
        return;
    BoardServices& board = BoardServices::Current();
    SetColor(board.GetLayerColor(m_layer));
    const int penWidth = mode == DM_OUTLINE ? 1 : std::max(1, board.BoardToPixels(m_lineWidth));
    const bool selected = SelectPenAndBrush(dc, mode, penWidth);

    if (mode == DM_OUTLINE) {
        const double h = m_lineWidth * 0.5;
        CArc inner(m_position, std::max(0.0, m_radius - h), m_startAngle, m_endAngle);
        CArc outer(m_position, m_radius + h, m_startAngle, m_endAngle);
        CArc startCap(GetStartPoint(), h, m_startAngle + PI, m_startAngle);
        CArc endCap(GetEndPoint(), h, m_endAngle, m_endAngle + PI);
        for (CArc* part : {&inner, &outer, &startCap, &endCap}) {
            part->SetLayer(m_layer);
            part->DrawOutline(dc, mode, clip, nullptr);
        }
    } else {
        DrawOutline(dc, mode, clip, nullptr);
    }

    if (m_attached) {
        m_attached->SetColor(m_color);
        m_attached->SetLineWidth(&m_lineWidth);
        m_attached->Draw(dc, mode, clip, nullptr);
    }
    if (selected)
        dc->RestoreState();
    CEntity::Draw(dc, mode, clip, hidden);
}

void CArc::DrawOutline(DrawContext* dc, int /*mode*/, Rect /*clip*/, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden))
        return;
    dc->Arc(CircleOnScreen(m_position, m_radius), GetStartPoint().ToClient(),
            GetEndPoint().ToClient());
}

// The ring between radius - width/2 and radius + width/2: the outer arc forward, the
// inner arc back (as a polyline, the context drawing arcs counter-clockwise only), closed
// and filled.
void CArc::DrawPath(DrawContext* dc, int mode, Rect /*clip*/, int penWidth)
{
    if (!dc || !m_live)
        return;
    BoardServices& board = BoardServices::Current();
    SetColor(board.GetLayerColor(m_layer));
    const bool selected = SelectPenAndBrush(dc, mode, std::max(0, penWidth));

    const double h = m_lineWidth * 0.5;
    const double outerRadius = m_radius + h;
    const double innerRadius = std::max(0.0, m_radius - h);
    const double sweep = Sweep(m_startAngle, m_endAngle);
    const Point outerStart = m_position.PolarOffset(outerRadius, m_startAngle).ToClient();
    const Point outerEnd = m_position.PolarOffset(outerRadius, m_endAngle).ToClient();

    // About one inner point every three pixels of arc length.
    const double innerPixels = std::min(1.0e6, double(board.BoardToPixels(innerRadius)));
    const int steps = std::clamp(int(innerPixels * sweep / 3.0), 2, 360);

    dc->BeginFigure();
    dc->BeginPath();
    dc->MoveTo(outerStart);
    dc->ArcTo(CircleOnScreen(m_position, outerRadius), outerStart, outerEnd);
    for (int i = 0; i <= steps; ++i) {
        const double a = m_endAngle - sweep * double(i) / double(steps);
        dc->LineTo(m_position.PolarOffset(innerRadius, a).ToClient());
    }
    dc->CloseFigure();
    dc->EndPath();
    dc->StrokeAndFillPath();
    dc->EndFigure();

    if (selected)
        dc->RestoreState();
}

// The highlight, then one short diagonal grip at each corner of the arc's two ends:
// outer start, inner start, outer end, inner end, pointing at 45, 135, 225 and 315
// degrees in that order.
void CArc::DrawSelected(DrawContext* dc, int mode, Rect clip)
{
    CEntity::DrawSelected(dc, mode, clip);
    const double h = m_lineWidth * 0.5;
    const double length = BoardServices::Current().PixelsToBoard(kGripPixels);
    const Position corners[4] = {
        m_position.PolarOffset(m_radius + h, m_startAngle),
        m_position.PolarOffset(m_radius - h, m_startAngle),
        m_position.PolarOffset(m_radius + h, m_endAngle),
        m_position.PolarOffset(m_radius - h, m_endAngle),
    };
    const double directions[4] = {PI * 0.25, PI * 0.75, PI * 1.25, PI * 1.75};
    for (int i = 0; i < 4; ++i)
        corners[i].DrawLineTo(corners[i].PolarOffset(length, directions[i]), dc, mode,
                              LAYER_HIGHLIGHT);
}

// ---------------------------------------------------------------------------------
// Editing

ArcProperties CArc::GetProperties()
{
    ArcProperties values;
    values.centre = m_position;
    values.startAngle = m_startAngle;
    values.endAngle = m_endAngle;
    values.width = m_lineWidth;
    values.layer = m_layer;
    values.radius = m_radius;
    return values;
}

void CArc::SetProperties(const ArcProperties& values)
{
    NotifyBoxChanged();
    SetAngles(values.startAngle, values.endAngle);
    m_radius = values.radius;
    m_lineWidth = values.width;
    const Position oldCentre = m_position;
    MoveBy(oldCentre, values.centre);
    SetLayer(values.layer);
}

int CArc::EditProperties(UINT nFlags, const Position& at)
{
    BoardServices::Current().ReleaseCapture();
    Deactivate();
    Invalidate();

    ArcProperties values = GetProperties();

    int result = 0;
    if (UiServices::Current().Ask(values)) {
        SetProperties(values);
        thePrototypeArc.CopyFrom(*this);
        thePrototypeArc.SetComponentPart(0);
        theDefaultLine.SetLineWidth(&m_lineWidth);
        theDefaultLine.SetLayer(m_layer);
        Invalidate();
        result = 1;
    }
    Activate();
    CEntity::EditProperties(nFlags, at);
    return result;
}

// ---------------------------------------------------------------------------------
// Files

void CArc::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CArc));
    if (ar.IsStoring()) {
        ar.WriteF64(m_radius);
        ar.WriteF64(m_startAngle);
        ar.WriteF64(m_endAngle);
        return;
    }
    const unsigned schema = ar.GetObjectSchema();
    if (schema != 1 && schema != 2)
        return;
    const double radius = ar.ReadF64();
    const double start = ar.ReadF64();
    const double end = ar.ReadF64();
    if (!AllFinite({radius, start, end}))
        CArchive::Throw(CArchiveException::generic,
                        "arc record holds a radius or angle that is not a finite number");
    m_radius = radius;
    m_startAngle = ArcAngle(start);
    m_endAngle = ArcAngle(end);
}

// Kind 1, 32 bytes: kind, layer + 1, centre, radius, start and end angles as 6-byte
// reals in degrees, width. An angle that cannot be encoded leaves the whole record
// zero and fails.
int CArc::WriteLibraryRecord(BYTE* buf, int* offset)
{
    if (!buf || !offset)
        return 0;
    BYTE* rec = buf + *offset;
    *offset += GetRecordSize();
    std::memset(rec, 0, 32);

    LibRecord::PutHeader(rec, LibRecord::Arc, m_layer);
    LibRecord::PutI32(rec + 4, LibRecord::ToLength(m_position.x));
    LibRecord::PutI32(rec + 8, LibRecord::ToLength(m_position.y));
    LibRecord::PutI32(rec + 12, LibRecord::ToLength(m_radius));
    if (!DoubleToReal48(AngleToRecordDegrees(m_startAngle), rec + 16) ||
        !DoubleToReal48(AngleToRecordDegrees(m_endAngle), rec + 22)) {
        std::memset(rec, 0, 32);
        return 0;
    }
    LibRecord::PutI32(rec + 28, LibRecord::ToLength(m_lineWidth));
    return 1;
}

int CArc::ReadFromLibraryRecord(const BYTE* rec, int size)
{
    Reset();
    if (!rec || size < 32)
        return 0;
    m_position = Position(LibRecord::FromLength(LibRecord::GetI32(rec + 4)),
                          LibRecord::FromLength(LibRecord::GetI32(rec + 8)));
    m_radius = LibRecord::FromLength(LibRecord::GetI32(rec + 12));
    m_lineWidth = LibRecord::FromLength(LibRecord::GetI32(rec + 28));
    const double start = Real48ToDouble(rec + 16);
    const double end = Real48ToDouble(rec + 22);
    // Refused: a board holding an object on a layer outside the board could be saved
    // but not opened again.
    const int layer = LibRecord::GetLayer(rec);
    if (!IsObjectLayer(layer))
        return 0;
    SetLayer(layer);
    SetAngles(start, end);
    return 1;
}

void CArc::ExportText(std::string& out, std::map<int, int>& counts)
{
    CEntity::ExportText(out, counts);
    out = Protel::Tag('A', m_inComponent != 0);
    out += Protel::Len(m_position.x);
    out += Protel::Len(m_position.y);
    out += Protel::Len(m_radius);
    out += Protel::Deg(m_startAngle);
    out += Protel::Deg(m_endAngle);
    out += Protel::Len(m_lineWidth);
    out += Protel::Int(m_layer + 1);
    out += "0 0";
    out += "\n 0 1";
    out += "\n";
}
