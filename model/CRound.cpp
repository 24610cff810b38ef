#include "CRound.h"

#include "BoardServices.h"
#include "CArc.h"
#include "CCircle.h"
#include "CRectAngle.h"
#include "Constants.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

IMPLEMENT_SERIAL(CRound, CEntity, VERSIONABLE_SCHEMA | 1)

namespace
{

// The outline points of an obround: the ends of the two straight sides and the tips
// of the two caps (half circles through side end, tip and side end).
struct Obround {
    Position side1a; // side 1 runs from side1a (by cap 1) to side1b (by cap 2)
    Position side1b;
    Position side2a; // side 2 runs from side2a (by cap 1) to side2b (by cap 2)
    Position side2b;
    Position tip1;
    Position tip2;
};

Obround ObroundOutline(const Position& cap1, const Position& cap2, double r, const Position& axis)
{
    // The axis's unit vector gives the offsets along it and across it to the left.
    const Position along(axis.x * r, axis.y * r);
    const Position left(-along.y, along.x);
    Obround o;
    o.side1a = cap1 + left;
    o.side1b = cap2 + left;
    o.side2a = cap1 - left;
    o.side2b = cap2 - left;
    o.tip1 = cap1 + along;
    o.tip2 = cap2 - along;
    return o;
}

// The obround in client pixels: its sides' ends and its caps' boxes, each cap running
// counter-clockwise from one side to the other round its tip.
struct ObroundPixels {
    Point sides[4]; // side1a, side1b, side2a, side2b
    Rect caps[2];
};

ObroundPixels PixelsOf(const Position& cap1, const Position& cap2, double r, const Position& axis)
{
    const Obround o = ObroundOutline(cap1, cap2, r, axis);
    // The sides' ends and the corners of the caps' circles, turned into pixels together.
    Position board[] = {o.side1a, o.side1b, o.side2a, o.side2b, {}, {}, {}, {}};
    CArc::CircleCorners(cap1, r, &board[4], &board[5]);
    CArc::CircleCorners(cap2, r, &board[6], &board[7]);
    Point pixel[std::size(board)];
    BoardServices::Current().BoardToClient(board, pixel, std::size(board));
    return ObroundPixels{
        {pixel[0], pixel[1], pixel[2], pixel[3]},
        {CArc::CircleBox(pixel[4], pixel[5]), CArc::CircleBox(pixel[6], pixel[7])}};
}

// The outline is always drawn with a thin solid pen in the layer's colour; the brush
// follows the drawing mode, solid in that colour but when outlined only. Mode 7 leaves
// the brush to the caller. Filled, the context may draw it whole.
bool DrawFilled(DrawContext* dc, int mode, const ObroundPixels& o, COLORREF color)
{
    return mode != DM_NONE && mode != DM_OUTLINE &&
           dc->FilledObround({o.sides[0], o.sides[1], o.sides[2], o.sides[3]},
                             {o.caps[0], o.caps[1]}, color);
}

} // namespace

CRound::CRound() = default;

CRound::CRound(const Position& centre, double sizeX, double sizeY, int layer)
{
    CRound::Reset();
    m_position = centre;
    m_sizeX = sizeX;
    m_sizeY = sizeY;
    m_layer = layer;
}

// Only the reference point survives the copy; Clone completes it with the attributes.
CRound::CRound(const CRound& other) : CEntity(other)
{
    CRound::Reset();
    m_position = other.m_position;
}

void CRound::Reset()
{
    CEntity::Reset();
    m_type = ET_RECTANGLE;
    m_rotation = 0.0;
}

CEntity* CRound::Clone()
{
    auto* copy = new CRound(*this);
    copy->CEntity::CopyFrom(*this);
    return copy;
}

void CRound::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CRound));
}

void CRound::CapGeometry(Position* cap1, Position* cap2, double* capRadius, Position* axis) const
{
    const double longSide = std::max(m_sizeX, m_sizeY);
    const double shortSide = std::min(m_sizeX, m_sizeY);
    const double direction = m_sizeX > m_sizeY ? m_rotation : m_rotation + PI * 0.5;
    const double offset = (longSide - shortSide) * 0.5;
    const Position unit(std::cos(direction), std::sin(direction));
    const Position along(unit.x * offset, unit.y * offset);
    if (cap1)
        *cap1 = m_position + along;
    if (cap2)
        *cap2 = m_position - along;
    if (capRadius)
        *capRadius = shortSide * 0.5;
    if (axis)
        *axis = unit;
}

int CRound::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    if (m_sizeX == 0.0 || m_sizeY == 0.0) {
        *out = BOX2D(m_position.x, m_position.y, m_position.x, m_position.y);
    } else {
        // One short dimension longer than the shape itself.
        const double length = m_sizeX > m_sizeY ? m_sizeX + m_sizeY : m_sizeX;
        const double width = m_sizeY > m_sizeX ? m_sizeY + m_sizeX : m_sizeY;
        *out = CRectAngle::BoxOf(m_position, length, width, CAngle::Normalize(m_rotation));
    }
    KeepBox(*out);
    return 1;
}

Rect CRound::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

BOOL CRound::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return 0;
    if (m_sizeX == m_sizeY) {
        CCircle disc(m_position, m_sizeX * 0.5, m_layer);
        return disc.HitTestPoint(p, tolerance, hidden);
    }

    // The body: the box of the rectangle the obround fits in, turned with it so that
    // a turned pad is hit where it is drawn.
    CRectAngle body;
    body.SetGeometry(m_position, m_sizeX, m_sizeY, double(m_color));
    body.SetAngle(m_rotation);
    if (body.HitTestPoint(p, tolerance, nullptr))
        return 1;

    // Around the caps.
    Position cap1, cap2;
    double r = 0.0;
    Position axis;
    CapGeometry(&cap1, &cap2, &r, &axis);
    const Obround o = ObroundOutline(cap1, cap2, r, axis);
    const double noTolerance = 0.0;
    const double* tol = tolerance ? tolerance : &noTolerance;
    CArc capArc1(std::vector<Position>{o.side1a, o.tip1, o.side2a});
    if (capArc1.HitTestPoint(p, tol, nullptr))
        return 1;
    CArc capArc2(std::vector<Position>{o.side2b, o.tip2, o.side1b});
    return capArc2.HitTestPoint(p, tol, nullptr) ? 1 : 0;
}

bool CRound::DrawFilledSegment(DrawContext* dc, int mode, const Position& a, const Position& b,
                               double width, COLORREF color)
{
    // As CapGeometry has it for a length of |ab| + width and a width of `width`, the
    // axis the unit vector from a to b.
    const double length = a.Distance(b);
    const double sizeX = length + width;
    if (!dc || !(width > 0.0) || !(sizeX > width) || !std::isfinite(sizeX))
        return false;
    const Position axis((b.x - a.x) / length, (b.y - a.y) / length);
    const double offset = (sizeX - width) * 0.5;
    const Position along(axis.x * offset, axis.y * offset);
    const Position middle = a.MidPoint(b);
    return DrawFilled(dc, mode, PixelsOf(middle + along, middle - along, width * 0.5, axis), color);
}

void CRound::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden) || !m_live)
        return;
    CEntity::Draw(dc, mode, clip, hidden);
    SetColor(BoardServices::Current().GetLayerColor(m_layer));

    if (m_sizeX == m_sizeY) {
        CCircle disc(m_position, m_sizeX * 0.5, m_layer);
        disc.Draw(dc, mode, clip, hidden);
        return;
    }

    Position cap1, cap2;
    double r = 0.0;
    Position axis;
    CapGeometry(&cap1, &cap2, &r, &axis);
    const ObroundPixels o = PixelsOf(cap1, cap2, r, axis);
    if (DrawFilled(dc, mode, o, m_color))
        return;
    const Point side1a = o.sides[0];
    const Point side1b = o.sides[1];
    const Point side2a = o.sides[2];
    const Point side2b = o.sides[3];
    const Rect capBox1 = o.caps[0];
    const Rect capBox2 = o.caps[1];
    const PenSpec thinPen{PenStyle::Solid, 1, m_color};
    if (!SelectPenAndBrush(dc, mode, 1))
        dc->SaveState();
    dc->SetPen(thinPen);

    dc->BeginFigure();
    dc->Arc(capBox1, side2a, side1a);
    dc->Arc(capBox2, side1b, side2b);

    dc->BeginPath();
    dc->MoveTo(side1a);
    dc->LineTo(side1b);
    dc->LineTo(side2b);
    dc->LineTo(side2a);
    dc->Arc(capBox1, side2a, side1a);
    dc->Arc(capBox2, side1b, side2b);
    dc->EndPath();
    dc->StrokeAndFillPath();
    dc->EndFigure();

    dc->RestoreState();
}
