#include "CCircle.h"

#include "BoardServices.h"
#include "platform/CArchive.h"

#include <cmath>

IMPLEMENT_SERIAL(CCircle, CEntity, VERSIONABLE_SCHEMA | 1)

namespace
{

// How far from a radius (mils) the cursor still takes its stretch handle.
constexpr double kHandleReach = 3.0;

} // namespace

CCircle::CCircle() = default;

CCircle::CCircle(const Position& centre, const double& radius, int layer)
{
    CCircle::Reset();
    m_r0 = radius;
    m_r1 = radius;
    m_position = centre;
    m_layer = layer;
}

CCircle::CCircle(const CCircle& other) : CEntity(other), m_r0(other.m_r0), m_r1(other.m_r1) {}

void CCircle::Reset()
{
    CEntity::Reset();
    m_type = ET_CIRCLE;
    m_r0 = 0.0;
    m_r1 = 0.0;
}

CEntity& CCircle::CopyFrom(const CEntity& other)
{
    NotifyBoxChanged();
    CEntity::CopyFrom(other);
    if (const auto* circle = dynamic_cast<const CCircle*>(&other)) {
        m_r0 = circle->m_r0;
        m_r1 = circle->m_r1;
    }
    return *this;
}

CEntity* CCircle::Clone()
{
    auto* copy = new CCircle(m_position, m_r0, m_layer);
    copy->CopyFrom(*this);
    return copy;
}

void CCircle::SetRadius(const double& r)
{
    NotifyBoxChanged();
    m_r0 = r;
    m_r1 = r;
}

void CCircle::GetOuterBox(BOX2D& out) const
{
    out = BOX2D(m_position.x - m_r0, m_position.y - m_r0, m_position.x + m_r0, m_position.y + m_r0);
}

void CCircle::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CCircle));
    if (ar.IsStoring()) {
        ar.WriteF64(m_r0);
        ar.WriteF64(m_r1);
        return;
    }
    const unsigned schema = ar.GetObjectSchema();
    if (schema == 1 || schema == 2) {
        m_r0 = ar.ReadF64();
        m_r1 = ar.ReadF64();
    }
}

// A filled disc of the outer radius, on whatever layer.
BOOL CCircle::HitTestPoint(const Position& p, const double* tolerance, const HiddenLayers*)
{
    if (!m_live)
        return 0;
    const double tol = tolerance ? *tolerance : 0.0;
    return m_position.Distance(p) <= m_r0 + tol ? 1 : 0;
}

int CCircle::HitHandle(const Position& cursor, int* cursorKind)
{
    const double d = m_position.Distance(cursor);
    if (cursorKind)
        *cursorKind = int(ResizeCursorCode(m_position.AngleTo(cursor)));
    if (std::fabs(d - m_r0) <= kHandleReach)
        return 1;
    if (std::fabs(d - m_r1) <= kHandleReach)
        return 0;
    return -1;
}

// Dragging one radius past the other makes the two change roles, so the outer radius
// stays the larger one and the handle follows the cursor.
void CCircle::DragHandle(int* handle, const Position& cursor)
{
    NotifyBoxChanged();
    if (!handle)
        return;
    const double d = m_position.Distance(cursor);
    if (*handle == 1) {
        if (d > m_r1 + kHandleReach) {
            m_r0 = d;
        } else if (d < m_r1 - kHandleReach) {
            m_r0 = m_r1;
            m_r1 = d;
            *handle = 0;
        }
    } else if (*handle == 0) {
        if (d < m_r0 - kHandleReach) {
            m_r1 = d;
        } else if (d > m_r0 + kHandleReach) {
            m_r1 = m_r0;
            m_r0 = d;
            *handle = 1;
        }
    }
}

void CCircle::Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden) || !m_live)
        return;
    CEntity::Draw(dc, mode, clip, hidden);
    SetColor(BoardServices::Current().GetLayerColor(m_layer));
    const bool selected = SelectPenAndBrush(dc, mode, 1);

    BOX2D box;
    GetOuterBox(box);
    const Point a = Position(box.x1, box.y1).ToClient();
    const Point b = Position(box.x2, box.y2).ToClient();
    Rect r{a.x, a.y, b.x, b.y};
    r.Normalize();
    dc->BeginFigure();
    dc->Ellipse(r);
    dc->EndFigure();

    if (selected)
        dc->RestoreState();
}
