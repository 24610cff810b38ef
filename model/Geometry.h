// The three value types that carry all board geometry: a point, an axis-aligned box
// and an angle kept within one turn. Lengths are mils, angles radians measured from
// +x towards +y (board y grows upwards).
#pragma once

#include "platform/WinTypes.h"

#include <vector>

class CArchive;
class DrawContext;
class BOX2D;

class Position
{
  public:
    Position() = default;
    Position(const double& px, const double& py) : x(px), y(py) {}
    // The board point under a scrolled-view pixel.
    explicit Position(const Point& pt);
    Position(const Position&) = default;
    Position& operator=(const Position&) = default;
    virtual ~Position() = default;

    virtual void Serialize(CArchive& ar);

    void Set(double px, double py)
    {
        x = px;
        y = py;
    }
    double Distance(const Position& p) const;
    BOOL IsInBox(const BOX2D& b) const;
    Position PolarOffset(const double& d, const double& a) const;
    Position operator+(const Position& p) const { return Position(x + p.x, y + p.y); }
    Position operator-(const Position& p) const { return Position(x - p.x, y - p.y); }
    Position OffsetBy(const Position& v) const { return Position(x + v.x, y + v.y); }
    Position& operator+=(const Position& p);
    Position& operator-=(const Position& p);
    BOOL operator!=(const Position& p) const { return !(x == p.x && y == p.y); }
    BOOL operator==(const Position& p) const { return x == p.x && y == p.y; }
    BOOL IsNear(const Position& p) const;
    double DeltaX(const Position& p) const;
    double DeltaY(const Position& p) const;
    // Mirror across the horizontal line through p (y -> 2 p.y - y).
    void MirrorHorizontal(const Position& p);
    // Mirror across the vertical line through p (x -> 2 p.x - x).
    void MirrorVertical(const Position& p);
    void Rotate(const Position& c, const double& a);
    Position MidPoint(const Position& p) const;
    // Direction from this point to p in [0, 2 pi); a point to itself gives 1.5 pi.
    double AngleTo(const Position& p) const;
    // The scrolled-view pixel of this point.
    Point ToScreen() const;
    // The view's client pixel of this point (scrolled-view pixel less the scroll
    // position): the space drawing contexts paint in.
    Point ToClient() const;
    // Draws the segment to `to` in the colour of `layer` (layer 39: the highlight).
    void DrawLineTo(const Position& to, DrawContext* dc, int mode, int layer) const;

    double x = 0.0;
    double y = 0.0;
};

class BOX2D
{
  public:
    BOX2D() = default;
    BOX2D(double ax1, double ay1, double ax2, double ay2) : x1(ax1), y1(ay1), x2(ax2), y2(ay2) {}
    BOX2D(const BOX2D&) = default;
    BOX2D& operator=(const BOX2D&) = default;
    virtual ~BOX2D() = default;

    void Move(const Position& to, const Position& from);
    Position Center() const;
    BOX2D Union(const BOX2D& other) const;
    void Merge(const BOX2D& other);
    // Strict overlap: boxes sharing a left or lower edge, or only touching, do not meet.
    BOOL Intersects(const BOX2D& other) const;
    double Width() const;
    double Height() const;
    double Diagonal() const;
    // The client-pixel rectangle of the box, grown by a small margin.
    Rect ToDeviceRect() const;
    void MirrorX(const Position& p);
    void MirrorY(const Position& p);
    // Turns the box about c and takes the bounding box of its four turned corners.
    void Rotate(const Position& c, const double& a);
    void Normalize();
    BOOL IsEmpty() const { return x1 == x2 && y1 == y2; }

    // Pixels by which ToDeviceRect grows its rectangle on every side.
    static constexpr int kDeviceMargin = 3;

    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

class CAngle
{
  public:
    CAngle() = default;
    explicit CAngle(double a) : m_angle(Normalize(a)) {}
    virtual ~CAngle() = default;

    // One wrap step only: above 2 pi loses one turn, then below 0 gains one.
    static double Normalize(double a);
    double GetValue() const { return m_angle; }
    BOOL IsEqual(const CAngle& other) const;
    // this - other, plus 2 pi when this <= other: in (0, 2 pi].
    double SweepFrom(const CAngle& other) const;
    // Appends n + 1 angles from `from` to this one, counter-clockwise, in n equal steps.
    // n <= 0 appends `from` only.
    void Split(const CAngle& from, int n, std::vector<double>& out) const;
    double ToDegree() const;

  private:
    double m_angle = 0.0;
};
