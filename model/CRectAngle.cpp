#include "CRectAngle.h"

#include "BoardServices.h"
#include "CLine.h"
#include "CPolygon.h"
#include "Constants.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>

IMPLEMENT_SERIAL(CRectAngle, CEntity, VERSIONABLE_SCHEMA | 1)

namespace
{

// Every hatch cut-out keeps this much (added to the whole length and width) around
// the shape, whatever the pour's own settings.
constexpr double kHatchClearance = 10.0;

// The point of `points` nearest to `to`; the first one on equal distances.
Position Nearest(const std::vector<Position>& points, const Position& to)
{
    Position best = points.front();
    double bestDistance = best.Distance(to);
    for (const Position& p : points) {
        const double d = p.Distance(to);
        if (d < bestDistance) {
            bestDistance = d;
            best = p;
        }
    }
    return best;
}

// A colour carried as a double, truncated to a colour value.
COLORREF ColourFromDouble(double colour)
{
    if (!(colour > 0.0)) // also NaN
        return 0;
    if (colour >= 4294967295.0)
        return 0xFFFFFFFFu;
    return COLORREF(colour);
}

} // namespace

CRectAngle::CRectAngle()
{
    CRectAngle::Reset();
}

CRectAngle::CRectAngle(const Position& centre, double length, double width)
{
    SetGeometry(centre, length, width, double(m_color));
}

CRectAngle::CRectAngle(const CRectAngle& other) : CEntity()
{
    CEntity::CopyFrom(other);
}

void CRectAngle::Reset()
{
    CEntity::Reset();
    m_type = ET_RECTANGLE;
    SetGeometry(Position(0.0, 0.0), 30.0, 30.0, 255.0);
    m_rotation = 0.0;
}

CEntity* CRectAngle::Clone()
{
    return new CRectAngle(*this);
}

void CRectAngle::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    ar.SerializeClass(RUNTIME_CLASS(CRectAngle));
}

void CRectAngle::SetGeometry(const Position& centre, const double& sizeX, const double& sizeY,
                             const double& colour)
{
    NotifyBoxChanged();
    m_position = centre;
    m_color = ColourFromDouble(colour);
    m_sizeX = sizeX;
    m_sizeY = sizeY;
}

void CRectAngle::Inflate(const double& dx, const double& dy)
{
    m_sizeX += dx;
    m_sizeY += dy;
}

void CRectAngle::Corners(Position out[4]) const
{
    const double a = m_sizeX * 0.5;
    const double b = m_sizeY * 0.5;
    const double across = m_rotation + PI * 0.5;
    const Position front = m_position.PolarOffset(a, m_rotation);
    const Position back = m_position.PolarOffset(-a, m_rotation);
    out[0] = front.PolarOffset(-b, across);
    out[1] = front.PolarOffset(b, across);
    out[2] = back.PolarOffset(b, across);
    out[3] = back.PolarOffset(-b, across);
}

void CRectAngle::GetEdges(std::vector<CLine*>& edges) const
{
    Position corner[4];
    Corners(corner);
    for (int i = 0; i < 4; ++i)
        edges.push_back(new CLine(corner[i], corner[(i + 1) % 4]));
}

BOX2D CRectAngle::BoxOf(const Position& centre, double sizeX, double sizeY, double rotation)
{
    // The corners' reach from the centre depends on the size and the turn alone, and a
    // board holds a few sizes and turns of pads many times over: the reaches are kept,
    // per thread, by size and turn. Rounding keeps order, so the least of the centre
    // plus each reach is the centre plus the least reach: the box is the one the corners
    // give, bit for bit. A rectangle without size is worked out each time, so that the
    // sign of its zero reaches is the one the corners give, not that of an empty entry.
    struct Reach {
        double sizeX, sizeY, rotation;
        double left, bottom, right, top;
    };
    constexpr std::size_t kReaches = 256;
    thread_local std::array<Reach, kReaches> theReaches{};
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    const std::uint64_t key = bits(sizeX) * 0x9E3779B97F4A7C15ULL ^
                              bits(sizeY) * 0xC2B2AE3D27D4EB4FULL ^
                              bits(rotation) * 0x165667B19E3779F9ULL;
    Reach& reach = theReaches[std::size_t(key >> 56) % kReaches];
    if (reach.sizeX != sizeX || reach.sizeY != sizeY || reach.rotation != rotation ||
        (sizeX == 0.0 && sizeY == 0.0)) {
        const double h = std::sqrt(sizeX * sizeX + sizeY * sizeY) * 0.5;
        // atan2 keeps a rectangle without size at its centre instead of dividing 0 by 0.
        const double t = std::atan2(sizeY, sizeX);
        const double angles[4] = {t, PI - t, PI + t, TWO_PI - t};
        double xs[4];
        double ys[4];
        for (int i = 0; i < 4; ++i) {
            double a = angles[i] + rotation;
            NormalizeAngle(&a);
            xs[i] = std::cos(a) * h;
            ys[i] = std::sin(a) * h;
        }
        std::sort(xs, xs + 4);
        std::sort(ys, ys + 4);
        reach = Reach{sizeX, sizeY, rotation, xs[0], ys[0], xs[3], ys[3]};
    }
    return BOX2D(centre.x + reach.left, centre.y + reach.bottom, centre.x + reach.right,
                 centre.y + reach.top);
}

int CRectAngle::GetBox(BOX2D* out, const HiddenLayers* hidden)
{
    if (!CEntity::GetBox(out, hidden))
        return 0;
    *out = BoxOf(m_position, m_sizeX, m_sizeY, m_rotation);
    KeepBox(*out);
    return 1;
}

Rect CRectAngle::GetScreenRect()
{
    BOX2D box;
    GetBox(&box, nullptr);
    return box.ToDeviceRect();
}

BOOL CRectAngle::HitTestPoint(const Position& p, const double*, const HiddenLayers* hidden)
{
    if (IsLayerHidden(hidden) || !m_live)
        return 0;
    BOX2D box;
    if (!GetBox(&box, nullptr))
        return 0;
    return p.IsInBox(box) ? 1 : 0;
}

// Temporaries draw too, so the live flag is not asked here.
void CRectAngle::Draw(DrawContext* dc, int mode, Rect, const HiddenLayers* hidden)
{
    if (!dc || IsLayerHidden(hidden))
        return;
    SetColor(BoardServices::Current().GetLayerColor(m_layer));
    const bool selected = SelectPenAndBrush(dc, mode, 1);

    Position corner[4];
    Corners(corner);
    dc->BeginFigure();
    dc->BeginPath();
    dc->MoveTo(corner[0].ToClient());
    for (int i = 1; i < 4; ++i)
        dc->LineTo(corner[i].ToClient());
    dc->EndPath();
    dc->StrokeAndFillPath();
    dc->EndFigure();

    if (selected)
        dc->RestoreState();
}

void CRectAngle::ClipHatch(CPolygon* pour, TrackGroups* groups)
{
    if (!pour)
        return;
    ClipHatchTracks(pour->GetHatchParam(), pour->GetHatchList(), groups);
}

void CRectAngle::ClipHatchTracks(double grid, std::vector<CEntity*>& hatch, TrackGroups* groups)
{
    CRectAngle area(*this);
    area.Inflate(kHatchClearance, kHatchClearance);

    BOX2D inside;
    area.GetBox(&inside, nullptr);
    Position corner[4];
    area.Corners(corner);
    const CLine sides[4] = {CLine(corner[0], corner[1]), CLine(corner[1], corner[2]),
                            CLine(corner[2], corner[3]), CLine(corner[3], corner[0])};
    ClipTracksAround(inside, sides, grid, hatch, groups);
}

void CRectAngle::ClipTracksAround(const BOX2D& inside, const CLine (&sides)[4], double grid,
                                  std::vector<CEntity*>& hatch, TrackGroups* groups)
{
    std::vector<Position> sideCrossings[4];
    std::vector<std::unique_ptr<CLine>> pieces;

    for (CEntity* element : hatch) {
        // Only live tracks are cut: arcs copied from the outline stay as they are, and
        // a track already removed must not come back as pieces.
        if (!element || element->GetType() != ET_LINE || !element->IsActive())
            continue;
        auto* track = dynamic_cast<CLine*>(element);
        if (!track)
            continue;

        const Position start = track->GetStart();
        const Position end = track->GetEnd();
        const bool startInside = start.IsInBox(inside);
        const bool endInside = end.IsInBox(inside);
        if (startInside && endInside && groups) {
            track->Deactivate();
            continue;
        }

        std::vector<Position> crossings;
        for (int k = 0; k < 4; ++k) {
            std::vector<Position> found;
            track->IntersectSegment(sides[k], found);
            for (const Position& p : found) {
                if (!groups && (p.IsNear(start) || p.IsNear(end)))
                    continue;
                crossings.push_back(p);
                sideCrossings[k].push_back(p);
            }
        }
        if (crossings.empty())
            continue;

        const Position nearStart = Nearest(crossings, start);
        if (startInside)
            track->SetStart(nearStart);
        track->SetEnd(nearStart);

        const Position nearEnd = Nearest(crossings, end);
        std::unique_ptr<CEntity> copy(track->Clone());
        auto* piece = dynamic_cast<CLine*>(copy.get());
        if (!piece)
            continue;
        pieces.emplace_back(piece);
        (void)copy.release();
        piece->SetStart(nearEnd);
        piece->SetEnd(endInside ? nearEnd : end);
    }

    hatch.reserve(hatch.size() + pieces.size());
    for (std::unique_ptr<CLine>& piece : pieces)
        hatch.push_back(piece.release());

    if (!groups)
        return;
    std::vector<std::unique_ptr<CLine>> border;
    for (int k = 0; k < 4; ++k) {
        if (sideCrossings[k].size() < 2)
            continue;
        const Position sideStart = sides[k].GetStart();
        const Position sideEnd = sides[k].GetEnd();
        Position from = Nearest(sideCrossings[k], sideStart);
        Position to = Nearest(sideCrossings[k], sideEnd);
        if (from.Distance(sideStart) <= grid)
            from = sideStart;
        if (to.Distance(sideEnd) <= grid)
            to = sideEnd;
        border.push_back(std::make_unique<CLine>(from, to));
    }
    std::vector<CLine*> group;
    group.reserve(border.size());
    for (std::unique_ptr<CLine>& track : border)
        group.push_back(track.get());
    groups->push_back(std::move(group));
    for (std::unique_ptr<CLine>& track : border)
        (void)track.release();
}
