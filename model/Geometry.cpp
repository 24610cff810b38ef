#include "Geometry.h"

#include "BoardServices.h"
#include "Constants.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------
// Position

Position::Position(const Point& pt)
{
    *this = BoardServices::Current().ScreenToBoard(pt);
}

void Position::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteF64(x);
        ar.WriteF64(y);
    } else {
        x = ar.ReadF64();
        y = ar.ReadF64();
    }
}

double Position::Distance(const Position& p) const
{
    const double dx = p.x - x;
    const double dy = p.y - y;
    return std::sqrt(dx * dx + dy * dy);
}

BOOL Position::IsInBox(const BOX2D& b) const
{
    return x >= b.x1 && x <= b.x2 && y >= b.y1 && y <= b.y2;
}

Position Position::PolarOffset(const double& d, const double& a) const
{
    return Position(x + std::cos(a) * d, y + std::sin(a) * d);
}

Position& Position::operator+=(const Position& p)
{
    x += p.x;
    y += p.y;
    return *this;
}

Position& Position::operator-=(const Position& p)
{
    x -= p.x;
    y -= p.y;
    return *this;
}

BOOL Position::IsNear(const Position& p) const
{
    return std::fabs(p.x - x) < POINT_TOLERANCE && std::fabs(p.y - y) < POINT_TOLERANCE;
}

double Position::DeltaX(const Position& p) const
{
    return std::fabs(p.x - x);
}

double Position::DeltaY(const Position& p) const
{
    return std::fabs(p.y - y);
}

// Both mirrors go through directions, as the tracks do: from the foot on the mirror
// line the point is sent the opposite way by twice its distance. The board's value of
// pi leaves the image a hair off the exact reflection, which stored boards reflect.
void Position::MirrorHorizontal(const Position& p)
{
    const Position foot(x, p.y);
    const double distance = std::fabs(y - p.y);
    const double away = foot.AngleTo(*this);
    *this = PolarOffset(2.0 * distance, away + PI);
}

void Position::MirrorVertical(const Position& p)
{
    const Position foot(p.x, y);
    const double distance = std::fabs(x - p.x);
    const double away = foot.AngleTo(*this);
    *this = PolarOffset(2.0 * distance, away + PI);
}

void Position::Rotate(const Position& c, const double& a)
{
    const double dx = x - c.x;
    const double dy = y - c.y;
    const double cs = std::cos(a);
    const double sn = std::sin(a);
    x = c.x + dx * cs - dy * sn;
    y = c.y + dx * sn + dy * cs;
}

Position Position::MidPoint(const Position& p) const
{
    return Position((x + p.x) * 0.5, (y + p.y) * 0.5);
}

double Position::AngleTo(const Position& p) const
{
    const double dx = p.x - x;
    const double dy = p.y - y;
    if (dx == 0.0)
        return dy > 0.0 ? PI * 0.5 : PI * 1.5;
    if (dy == 0.0)
        return dx < 0.0 ? PI : 0.0;
    const double t = std::atan(dy / dx);
    if (dx < 0.0)
        return t + PI;
    return t < 0.0 ? t + TWO_PI : t;
}

Point Position::ToScreen() const
{
    return BoardServices::Current().BoardToScreen(*this);
}

// ---------------------------------------------------------------------------------
// BOX2D

void BOX2D::Move(const Position& to, const Position& from)
{
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    x1 += dx;
    x2 += dx;
    y1 += dy;
    y2 += dy;
}

Position BOX2D::Center() const
{
    return Position((x1 + x2) * 0.5, (y1 + y2) * 0.5);
}

BOX2D BOX2D::Union(const BOX2D& other) const
{
    if (IsEmpty())
        return other;
    if (other.IsEmpty())
        return *this;
    return BOX2D(std::min(x1, other.x1), std::min(y1, other.y1), std::max(x2, other.x2),
                 std::max(y2, other.y2));
}

void BOX2D::Merge(const BOX2D& other)
{
    *this = Union(other);
}

BOOL BOX2D::Intersects(const BOX2D& other) const
{
    const bool inX = (x1 < other.x1 && x2 > other.x1) || (x1 > other.x1 && x1 < other.x2);
    const bool inY = (y1 < other.y1 && y2 > other.y1) || (y1 > other.y1 && y1 < other.y2);
    return inX && inY;
}

double BOX2D::Width() const
{
    return std::fabs(x2 - x1);
}

double BOX2D::Height() const
{
    return std::fabs(y2 - y1);
}

double BOX2D::Diagonal() const
{
    const double w = Width();
    const double h = Height();
    return std::sqrt(w * w + h * h);
}

Point Position::ToClient() const
{
    const BoardServices& board = BoardServices::Current();
    const Point s = board.BoardToScreen(*this);
    const Point scroll = board.GetViewScrollPosition();
    return Point{s.x - scroll.x, s.y - scroll.y};
}

Rect BOX2D::ToDeviceRect() const
{
    const Point a = Position(x1, y1).ToClient();
    const Point b = Position(x2, y2).ToClient();
    Rect r{a.x, a.y, b.x, b.y};
    r.Normalize();
    r.Inflate(kDeviceMargin, kDeviceMargin);
    return r;
}

void BOX2D::MirrorX(const Position& p)
{
    x1 = 2.0 * p.x - x1;
    x2 = 2.0 * p.x - x2;
    Normalize();
}

void BOX2D::MirrorY(const Position& p)
{
    y1 = 2.0 * p.y - y1;
    y2 = 2.0 * p.y - y2;
    Normalize();
}

void BOX2D::Rotate(const Position& c, const double& a)
{
    Position corners[4] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    for (Position& corner : corners)
        corner.Rotate(c, a);
    x1 = x2 = corners[0].x;
    y1 = y2 = corners[0].y;
    for (const Position& corner : corners) {
        x1 = std::min(x1, corner.x);
        x2 = std::max(x2, corner.x);
        y1 = std::min(y1, corner.y);
        y2 = std::max(y2, corner.y);
    }
}

void BOX2D::Normalize()
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
}

// ---------------------------------------------------------------------------------
// CAngle

double CAngle::Normalize(double a)
{
    if (a > TWO_PI)
        a -= TWO_PI;
    if (a < 0.0)
        a += TWO_PI;
    return a;
}

BOOL CAngle::IsEqual(const CAngle& other) const
{
    const double a = m_angle;
    const double b = other.m_angle;
    if (std::fabs(a - b) < ANGLE_TOLERANCE)
        return TRUE;
    auto nearZero = [](double v) { return std::fabs(v) < ANGLE_TOLERANCE; };
    auto nearTurn = [](double v) { return std::fabs(v - TWO_PI) < ANGLE_TOLERANCE; };
    if (nearZero(a) && nearTurn(b))
        return std::fabs(a + TWO_PI - b) < ANGLE_TOLERANCE;
    if (nearZero(b) && nearTurn(a))
        return std::fabs(b + TWO_PI - a) < ANGLE_TOLERANCE;
    return FALSE;
}

double CAngle::SweepFrom(const CAngle& other) const
{
    double sweep = m_angle - other.m_angle;
    if (m_angle <= other.m_angle)
        sweep += TWO_PI;
    return sweep;
}

void CAngle::Split(const CAngle& from, int n, std::vector<double>& out) const
{
    const double start = from.m_angle;
    if (n <= 0) {
        out.push_back(start);
        return;
    }
    if (m_angle > start) {
        const double step = std::fabs(m_angle - start) / n;
        for (int i = 0; i <= n; ++i)
            out.push_back(start + i * step);
    } else {
        const double step = std::fabs(m_angle + TWO_PI - start) / n;
        for (int i = 0; i <= n; ++i)
            out.push_back(Normalize(start + i * step));
    }
}

double CAngle::ToDegree() const
{
    return m_angle * 180.0 / PI;
}
