// A disc of outer radius r0 with a second radius r1 that its stretch handles edit: the
// round part of pads, and the full-circle box of arcs. The only object with handles.
#pragma once

#include "CEntity.h"

class CCircle : public CEntity
{
    DECLARE_SERIAL(CCircle)

  public:
    CCircle();
    CCircle(const Position& centre, const double& radius, int layer);
    CCircle(const CCircle& other);

    void SetRadius(const double& r);
    double GetOuterRadius() const { return m_r0; }
    double GetInnerRadius() const { return m_r1; }
    void GetOuterBox(BOX2D& out) const;

    void Serialize(CArchive& ar) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    int HitHandle(const Position& cursor, int* cursorKind) override;
    void DragHandle(int* handle, const Position& cursor) override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_CIRCLE; }
    CEntity* Clone() override;
    void Reset() override;

  private:
    double m_r0 = 0.0; // outer radius
    double m_r1 = 0.0; // inner radius
};
