// A circular arc of a given width on one layer: centre (the reference point), radius,
// and start and end angles; it runs counter-clockwise from start to end.
#pragma once

#include "CEntity.h"
#include "UiServices.h"

#include <vector>

class CArc : public CEntity
{
    DECLARE_SERIAL(CArc)

  public:
    // The prototype's attributes, not placed yet: centre (-1000000, -1000000).
    CArc();
    CArc(const Position& centre, const double& radius, const double& start, const double& end);
    // The arc through three points: start, a point on the arc, end. Collinear or
    // coincident points give a finite arc (see Through); use Through to learn whether
    // the points defined a circle.
    explicit CArc(const std::vector<Position>& points);
    CArc(const CArc& other);
    // Would share the owned guide object; copy with Clone or CopyFrom instead.
    CArc& operator=(const CArc&) = delete;
    ~CArc() override;

    // Sets centre, radius and angles through three points; false (and a zero-radius arc
    // at the middle point) when the points are collinear or coincide.
    bool Through(const Position& start, const Position& mid, const Position& end);
    void SetGeometry(const Position& centre, double radius, double start, double end);
    void SetAngles(double start, double end);
    void SetRadius(const double* radius, const int* repaint);
    double GetRadius() const { return m_radius; }
    double GetStartAngle() const { return m_startAngle; }
    double GetEndAngle() const { return m_endAngle; }
    Position GetStartPoint() const;
    Position GetEndPoint() const;
    // The box, in view pixels, of the circle of radius r (board units) about c.
    static Rect CircleOnScreen(const Position& c, double r);
    // The two board corners CircleOnScreen turns into pixels: top left, bottom right.
    static void CircleCorners(const Position& c, double r, Position* topLeft,
                              Position* bottomRight);
    // The box of the circle from those corners' pixels.
    static Rect CircleBox(Point topLeft, Point bottomRight);
    void SetAttachedEntity(CEntity* entity, const int* repaint);
    CEntity* GetAttachedEntity() const { return m_attached; }
    // Whether the direction from the centre to p lies within the arc's angular window
    // (the span widened by asin(0.05) at each end).
    bool InAngularWindow(const Position& p) const;
    // The arc as a filled path (the via's ring).
    void DrawPath(DrawContext* dc, int mode, Rect clip, int penWidth);
    // The thin outline arc with the context's current pen.
    void DrawOutline(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden);

    void Serialize(CArchive& ar) override;
    int GetRecordSize() override { return 32; }
    int WriteLibraryRecord(BYTE* buf, int* offset) override;
    CEntity* CreateOffset(const Position& side, const double* distance) override;
    std::string GetTypeName() override { return "Arc"; }
    Position GetSnapPoint(const Position& cursor) override;
    void ExportText(std::string& out, std::map<int, int>& counts) override;
    void DrawSelected(DrawContext* dc, int mode, Rect clip) override;
    void MirrorY(const Position& p) override;
    void MirrorX(const Position& p) override;
    void Rotate(const Position& c, const double& a) override;
    int ReadFromLibraryRecord(const BYTE* rec, int size) override;
    int GetFixedRecordSize() override { return 32; }
    int EditProperties(UINT nFlags, const Position& at) override;
    // The values its property dialog shows, and taking them back (mils, radians).
    ArcProperties GetProperties();
    void SetProperties(const ArcProperties& values);
    Rect GetScreenRect() override;
    int GetBox(BOX2D* out, const HiddenLayers* hidden = nullptr) override;
    int SetPosition(const Position& p, int flag) override;
    int Move(const Position& to, const Position& from, int* flag) override;
    BOOL HitTestPoint(const Position& p, const double* tolerance,
                      const HiddenLayers* hidden) override;
    CEntity& CopyFrom(const CEntity& other) override;
    int GetType() override { return ET_ARC; }
    CEntity* Clone() override;
    void Reset() override;
    void Draw(DrawContext* dc, int mode, Rect clip, const HiddenLayers* hidden) override;
    int HitEndPoint(const Position& cursor) override;

    // Builds the prototype itself (it copies no prototype).
    struct PrototypeTag {
    };
    explicit CArc(PrototypeTag);

  private:
    // The end points mirrored across the line through a point, swapped so that the arc
    // stays counter-clockwise, and the angles they had (radians).
    struct MirroredEnds {
        Position start;
        Position end;
        double oldStart;
        double oldEnd;
    };
    // Taken before the centre moves; `mirror` is the point's mirror across that line.
    MirroredEnds MirrorEnds(const Position& p, void (Position::*mirror)(const Position&)) const;
    // The angles after the centre has moved: towards the mirrored ends, or for an arc
    // without extent the old angles swapped and mirrored by `reflect`.
    void TakeMirroredEnds(const MirroredEnds& ends, double (*reflect)(double));

    CEntity* m_attached = nullptr;
    double m_radius = 0.0;
    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
};

// The arc prototype: every new arc copies its attributes.
extern CArc thePrototypeArc;
