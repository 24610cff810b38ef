// A filled rectangle turned by the rotation: the rectangular copper part of pads, and
// the shape with which tracks and texts clear their area out of a polygon pour's hatch.
#pragma once

#include "CEntity.h"

#include <vector>

class CRectAngle : public CEntity
{
    DECLARE_SERIAL(CRectAngle)

  public:
    CRectAngle();
    // Centre, length along the rotation and width across it; other attributes keep the
    // constructor's values (no Reset). Set the rotation with SetAngle.
    CRectAngle(const Position& centre, double length, double width);
    CRectAngle(const CRectAngle& other);

    void SetGeometry(const Position& centre, const double& sizeX, const double& sizeY,
                     const double& colour);
    void Inflate(const double& dx, const double& dy);
    // Appends the four sides, as new tracks between consecutive corners (owned by the caller).
    void GetEdges(std::vector<CLine*>& edges) const;
    // The hatch clearing of a polygon pour: cuts every track of `hatch` around this
    // rectangle grown by 5 mils on every side; pieces made are appended to `hatch`.
    // Elements that are not tracks are left alone. With `groups`, tracks wholly inside
    // are deactivated and the new border pieces of each side are appended as one group.
    // `grid` is the pour's hatch grid.
    void ClipHatchTracks(double grid, std::vector<CEntity*>& hatch, TrackGroups* groups);
    // The cutting behind ClipHatchTracks, for any rectangular cut-out: a track end counts
    // as inside when it lies in `inside`, and `sides` are the cut-out's four sides in order
    // (the border piece of each side is made from that side's crossings).
    static void ClipTracksAround(const BOX2D& inside, const CLine (&sides)[4], double grid,
                                 std::vector<CEntity*>& hatch, TrackGroups* groups);

    void Serialize(CArchive& ar) override;
    void ClipHatch(CPolygon* pour, TrackGroups* groups = nullptr) override;
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    // The box of a rectangle `sizeX` by `sizeY` mils round `centre`, turned by `rotation`
    // radians (kept within a turn, as SetAngle keeps it).
    static BOX2D BoxOf(const Position& centre, double sizeX, double sizeY, double rotation);
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    int GetType() override { return ET_RECTANGLE; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    void Rotate(const Position& c, const double& a) override { CEntity::Rotate(c, a); }
    void MirrorX(const Position& p) override { CEntity::MirrorX(p); }
    void MirrorY(const Position& p) override { CEntity::MirrorY(p); }
    void MoveBy(const Position& from, const Position& to) override { CEntity::MoveBy(from, to); }

  private:
    // The four corners in order, from the centre by polar offsets.
    void Corners(Position out[4]) const;
};
