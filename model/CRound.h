// A disc (equal sizes) or an obround (unequal sizes): the round copper part of pads
// and the body a track is drawn and boxed with.
#pragma once

#include "CEntity.h"

class CRound : public CEntity
{
    DECLARE_SERIAL(CRound)

  public:
    CRound();
    CRound(const Position& centre, double sizeX, double sizeY, int layer);
    CRound(const CRound& other);

    void Serialize(CArchive& ar) override;
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    int GetType() override { return ET_ROUND; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    // The body of a track or a glyph stroke from `a` to `b`, `width` across (board mils),
    // filled in `color`: the obround a CRound of length |ab| + width turned along ab
    // draws, its axis taken from the segment itself rather than turned by an angle.
    // False, with nothing drawn, where the mode outlines or the context does not draw it
    // in one go (or the segment has no length): the caller then draws the CRound.
    static bool DrawFilledSegment(DrawContext* dc, int mode, const Position& a, const Position& b,
                                  double width, COLORREF color);

  private:
    // Obround geometry: the two cap centres, the cap radius and the unit vector of the
    // axis from cap 2 to cap 1.
    void CapGeometry(Position* cap1, Position* cap2, double* capRadius, Position* axis) const;
};
