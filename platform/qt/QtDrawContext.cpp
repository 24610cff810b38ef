#include "QtDrawContext.h"

#include "AliasedPolygon.h"
#include "FigureCache.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <QtMath>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{

// Dash and gap lengths of a dashed pen, in pixels.
constexpr double kDash = 18.0;
constexpr double kGap = 6.0;

QPointF ToQPointF(Point p)
{
    return QPointF(p.x, p.y);
}

// Points each figure operation carries, in the order of QtDrawContext::FigureOp.
constexpr int kFigurePoints[] = {1, 1, 4, 4, 2, 2, 0, 0, 0, 0, 0, 0};

// The calls without points, in the order of QtDrawContext::FigureOp from kBeginPath on.
constexpr void (DrawContext::*kPathCalls[])() = {
    &DrawContext::BeginPath,         &DrawContext::CloseFigure, &DrawContext::EndPath,
    &DrawContext::StrokeAndFillPath, &DrawContext::StrokePath,  &DrawContext::FillPath};

Rect BoxOf(Point a, Point b)
{
    return Rect{a.x, a.y, b.x, b.y};
}

// True when `a` and `b` lie on the same ray from the centre of `box` (both on the centre
// counts as the same ray). Worked in doubled integer coordinates so that it is exact.
bool SameRay(const Rect& box, Point a, Point b)
{
    const std::int64_t ax = 2 * std::int64_t(a.x) - box.left - box.right;
    const std::int64_t ay = 2 * std::int64_t(a.y) - box.top - box.bottom;
    const std::int64_t bx = 2 * std::int64_t(b.x) - box.left - box.right;
    const std::int64_t by = 2 * std::int64_t(b.y) - box.top - box.bottom;
    const bool aZero = ax == 0 && ay == 0;
    const bool bZero = bx == 0 && by == 0;
    if (aZero || bZero)
        return aZero && bZero;
    return ax * by - ay * bx == 0 && ax * bx + ay * by > 0;
}

// Pixels in a wide type: a box far out may reach past what an int difference holds.
using Wide = std::int64_t;

// True when shapes lighting pixels from `least` to `most` either way fit a mask: at most
// `largest` pixels across, and not so far outside any picture that sums of pixels could
// overflow (those the painter draws).
bool FitsMask(const Wide least[2], const Wide most[2], Wide largest)
{
    constexpr Wide kFarthest = Wide(1) << 29;
    return least[0] <= most[0] && least[1] <= most[1] && most[0] - least[0] <= largest &&
           most[1] - least[1] <= largest && std::abs(least[0]) <= kFarthest &&
           std::abs(least[1]) <= kFarthest;
}

// The corner of the scratch picture a mask of that extent is drawn in, with its margins.
QSize MaskScratchSize(const Wide least[2], const Wide most[2])
{
    return QSize(int(most[0] - least[0]) + 2 * ShapeMasks::kMargin + 1,
                 int(most[1] - least[1]) + 2 * ShapeMasks::kMargin + 1);
}

// The pixels of spans relative to a mask's corner, within a box of `kLargest` pixels and
// its margins, as runs kept with the masks: each pixel once, row by row.
template <int kLargest>
std::span<const ShapeMasks::Run> KeepLit(const std::vector<AliasedPolygon::Span>& spans,
                                         ShapeMasks* masks)
{
    constexpr int kSide = kLargest + 2 * ShapeMasks::kMargin + 1;
    bool lit[kSide][kSide] = {};
    for (const AliasedPolygon::Span& span : spans) {
        const int y = span.y + ShapeMasks::kMargin;
        for (int x = span.x + ShapeMasks::kMargin; x < span.x + ShapeMasks::kMargin + span.length;
             ++x)
            if (y >= 0 && y < kSide && x >= 0 && x < kSide)
                lit[y][x] = true;
    }
    ShapeMasks::Run runs[kSide * (kSide / 2 + 1)];
    std::size_t count = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide;) {
            if (!lit[y][x]) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < kSide && lit[y][x])
                ++x;
            runs[count++] =
                ShapeMasks::Run{std::int16_t(y - ShapeMasks::kMargin),
                                std::int16_t(from - ShapeMasks::kMargin), std::int16_t(x - from)};
        }
    return masks->KeepRuns({runs, count});
}

// True when the last two of a quadrilateral's whole-pixel corners lie no further than a
// pixel from the line through its first two. Filled and outlined with a thin pen, such a
// sliver lights nothing with its fill that its outline does not light (as the painter
// fills and outlines, checked over millions of them, clipped or not).
bool Sliver(const QPointF (&corners)[4])
{
    constexpr Wide kFarthest = Wide(1) << 24;
    Wide c[4][2];
    for (int i = 0; i < 4; ++i) {
        c[i][0] = Wide(corners[i].x());
        c[i][1] = Wide(corners[i].y());
        if (std::abs(c[i][0]) > kFarthest || std::abs(c[i][1]) > kFarthest)
            return false;
    }
    const Wide dx = c[1][0] - c[0][0];
    const Wide dy = c[1][1] - c[0][1];
    const Wide length2 = dx * dx + dy * dy; // below 2^51
    if (length2 == 0)
        return false;
    for (int i = 2; i < 4; ++i) {
        // Twice the triangle's area: the distance times the side's length.
        const Wide cross = std::abs((c[i][0] - c[0][0]) * dy - (c[i][1] - c[0][1]) * dx);
        if (cross > (Wide(1) << 26) || cross * cross > length2)
            return false;
    }
    return true;
}

} // namespace

QtDrawContext::QtDrawContext(QPainter* painter, QtFonts* fonts)
    : m_painter(painter), m_noPen(QBrush(Qt::black), 1.0, Qt::NoPen), m_noBrush(Qt::NoBrush),
      m_ownFonts(fonts ? nullptr : std::make_unique<QtFonts>()),
      m_fonts(fonts ? fonts : m_ownFonts.get())
{
    m_fonts->Trim();
    m_noBrush.setColor(Qt::white); // a brush of its own, apart from the shared empty one
    // Dash gaps and text backgrounds are left unpainted.
    m_painter->setBackgroundMode(Qt::TransparentMode);
    if (QPaintDevice* device = m_painter->device();
        device && device->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(device);
        const QImage::Format format = image->format();
        QRect area = image->rect();
        if (m_painter->hasClipping()) {
            const QRegion clip = m_painter->clipRegion();
            area = clip.rectCount() == 1 ? area & clip.boundingRect() : QRect();
        }
        if ((format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
             format == QImage::Format_ARGB32_Premultiplied) &&
            !area.isEmpty()) {
            // Read without detaching: the painter already draws into these pixels.
            m_bits = const_cast<uchar*>(image->constBits());
            m_stride = image->bytesPerLine();
            m_writable = area;
            m_picture = image->rect();
        }
    }
    SetPen(m_state.pen);
    SetBrush(m_state.brush);
}

QColor QtDrawContext::ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

PenSpec QtDrawContext::SetPen(const PenSpec& pen)
{
    DropFigure();
    const PenSpec old = m_state.pen;
    m_state.pen = pen;
    m_qpen = PenFor(pen);
    return old;
}

const QPen& QtDrawContext::PenFor(const PenSpec& pen)
{
    for (const auto& [spec, made] : m_pens)
        if (spec == pen)
            return made;
    return m_pens.emplace_back(pen, MakePen(pen)).second;
}

const QBrush& QtDrawContext::BrushFor(const BrushSpec& brush)
{
    if (brush.style == BrushStyle::Hollow)
        return m_noBrush;
    for (const auto& [spec, made] : m_brushes)
        if (spec == brush)
            return made;
    return m_brushes.emplace_back(brush, QBrush(ToQColor(brush.color))).second;
}

QPen QtDrawContext::MakePen(const PenSpec& pen) const
{
    if (pen.style == PenStyle::Null)
        return m_noPen;
    const int width = pen.width > 1 ? pen.width : 1;
    QPen made(ToQColor(pen.color));
    made.setWidth(width);
    if (width > 1 && pen.style == PenStyle::Solid) {
        made.setCapStyle(Qt::RoundCap);
        made.setJoinStyle(Qt::RoundJoin);
    } else {
        // A flat cap makes a line stop one pixel short of its end point.
        made.setCapStyle(Qt::FlatCap);
        made.setJoinStyle(Qt::MiterJoin);
    }
    if (pen.style == PenStyle::Dash)
        made.setDashPattern({kDash / width, kGap / width}); // in units of the pen width
    return made;
}

BrushSpec QtDrawContext::SetBrush(const BrushSpec& brush)
{
    DropFigure();
    const BrushSpec old = m_state.brush;
    m_state.brush = brush;
    m_qbrush = BrushFor(brush);
    return old;
}

void QtDrawContext::SaveState()
{
    DropFigure();
    m_saved.push_back(m_state);
}

void QtDrawContext::RestoreState()
{
    DropFigure();
    if (m_saved.empty())
        return;
    const State s = m_saved.back();
    m_saved.pop_back();
    SetPen(s.pen);
    SetBrush(s.brush);
    m_state = s;
}

void QtDrawContext::ApplyPenAndBrush()
{
    m_painter->setPen(m_qpen);
    m_painter->setBrush(m_qbrush);
}

void QtDrawContext::StartFigureIfNeeded()
{
    if (!m_figureOpen) {
        StartSubpath();
        m_path.moveTo(ToQPointF(m_state.pos));
        m_figureOpen = true;
    }
}

void QtDrawContext::MoveTo(Point p)
{
    if (Record(kMoveTo, {p}))
        return;
    m_state.pos = p;
    if (m_inPath) {
        RecordPathOp(kMoveTo, {p});
        if (m_partsUsable) {
            m_parts.push_back(PathPart{false, false, {}, {}, {}, m_partPoints.size(), 1});
            m_partPoints.push_back(ToQPointF(p));
        } else if (!m_pathInOps) {
            StartSubpath();
            m_path.moveTo(ToQPointF(p));
        }
        m_figureOpen = true;
    }
}

void QtDrawContext::DrawLine(QPointF from, QPointF to)
{
    m_painter->setPen(m_qpen);
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double major = std::max(std::abs(dx), std::abs(dy));
    const bool backwards = std::abs(dx) >= std::abs(dy) ? dx < 0.0 : dy < 0.0;
    if (m_qpen.capStyle() == Qt::FlatCap && major > 0.0 && backwards) {
        // QPainter lights a thin line from its lower to just before its higher end along the
        // main axis, whatever its direction; a line running backwards must light its start
        // and leave its end instead. Sliding it one step along itself does that.
        const QPointF step(-dx / major, -dy / major);
        m_painter->drawLine(from + step, to + step);
        return;
    }
    m_painter->drawLine(from, to);
}

void QtDrawContext::LineTo(Point p)
{
    if (Record(kLineTo, {p}))
        return;
    if (m_inPath) {
        if (!m_figureOpen)
            RecordPathOp(kMoveTo, {m_state.pos});
        RecordPathOp(kLineTo, {p});
    }
    if (m_inPath && m_partsUsable) {
        if (!m_figureOpen) {
            m_parts.push_back(PathPart{false, false, {}, {}, {}, m_partPoints.size(), 1});
            m_partPoints.push_back(ToQPointF(m_state.pos));
            m_figureOpen = true;
        }
        m_partPoints.push_back(ToQPointF(p));
        ++m_parts.back().count;
    } else if (m_inPath) {
        if (!m_pathInOps) {
            StartFigureIfNeeded();
            m_path.lineTo(ToQPointF(p));
        }
        m_figureOpen = true;
    } else {
        DrawLine(ToQPointF(m_state.pos), ToQPointF(p));
    }
    m_state.pos = p;
}

QRectF QtDrawContext::ShapeRect(Rect r)
{
    r.Normalize();
    // An outline drawn along a QRectF of integer edges lights the pixels from the left edge
    // to the right edge inclusive, so the exclusive right and bottom edges move in by one.
    return QRectF(r.left, r.top, std::max(r.Width() - 1, 0), std::max(r.Height() - 1, 0));
}

bool QtDrawContext::DrawThinShape(Rect box)
{
    box.Normalize();
    if (box.Width() > 1 && box.Height() > 1)
        return false;
    // A box one pixel across holds nothing but the outline; an empty one nothing at all.
    if (box.IsEmpty() || m_state.pen.style == PenStyle::Null)
        return true;
    if (m_useMasks && m_bits && PlainPainter()) {
        LightBox(box, m_state.pen.color); // the pixels the painter would set
        return true;
    }
    m_painter->fillRect(QRect(box.left, box.top, box.Width(), box.Height()), m_qpen.color());
    return true;
}

void QtDrawContext::LightRow(int y, int from, int to, QRgb pixel)
{
    if (y < m_writable.top() || y > m_writable.bottom())
        return;
    from = std::max(from, m_writable.left());
    to = std::min(to, m_writable.right() + 1);
    auto* row = reinterpret_cast<QRgb*>(m_bits + std::ptrdiff_t(y) * m_stride);
    if (to > from)
        std::fill(row + from, row + to, pixel);
}

void QtDrawContext::LightBox(const Rect& box, COLORREF color)
{
    const QRgb pixel = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    for (int y = std::max(box.top, m_writable.top());
         y < std::min(box.bottom, m_writable.bottom() + 1); ++y)
        LightRow(y, box.left, box.right, pixel);
}

QtDrawContext::ArcGeometry QtDrawContext::MakeArc(const Rect& box, Point start, Point end)
{
    Rect b = box;
    b.Normalize();
    // In doubles: a box far out may reach past what an int sum holds.
    const double cx = (double(b.left) + b.right) * 0.5;
    const double cy = (double(b.top) + b.bottom) * 0.5;
    const double ra = (double(b.right) - b.left) * 0.5;
    const double rb = (double(b.bottom) - b.top) * 0.5;
    // Parametric angle, counter-clockwise as seen (screen y grows downwards), of the point
    // where the ray from the centre through p meets the ellipse.
    auto angleOf = [&](Point p) { return std::atan2(-(p.y - cy) * ra, (p.x - cx) * rb); };
    const double t0 = angleOf(start);
    const double t1 = angleOf(end);

    ArcGeometry g;
    g.rect = ShapeRect(b);
    g.startDeg = qRadiansToDegrees(t0);
    double span = qRadiansToDegrees(t1) - g.startDeg;
    if (SameRay(b, start, end))
        span = 360.0;
    else {
        span = std::fmod(span, 360.0);
        if (span <= 0.0)
            span += 360.0;
    }
    g.spanDeg = span;
    g.endPoint =
        Point{int(std::lround(cx + ra * std::cos(t1))), int(std::lround(cy - rb * std::sin(t1)))};
    return g;
}

void QtDrawContext::Arc(const Rect& box, Point start, Point end)
{
    if (Record(kArc, {{box.left, box.top}, {box.right, box.bottom}, start, end}))
        return;
    if (m_inPath) {
        RecordPathOp(kArc, {{box.left, box.top}, {box.right, box.bottom}, start, end});
        // An arc starts a figure of its own and leaves the current position alone.
        m_figureOpen = false;
        if (m_partsUsable) {
            m_parts.push_back(PathPart{true, false, box, start, end, 0, 0});
            return;
        }
        if (m_pathInOps)
            return;
        const ArcGeometry g = MakeArc(box, start, end);
        StartSubpath();
        m_path.arcMoveTo(g.rect, g.startDeg);
        m_path.arcTo(g.rect, g.startDeg, g.spanDeg);
        return;
    }
    if (DrawThinShape(box))
        return;
    if (m_figureDepth > 0 && !m_recording && m_state.pen.style == PenStyle::Solid &&
        std::abs(box.right - box.left) >= kSmallestCoveredBox &&
        std::abs(box.bottom - box.top) >= kSmallestCoveredBox) {
        m_pendingArcs.push_back(PathPart{true, false, box, start, end, 0, 0});
        return;
    }
    StrokeArc(box, start, end);
}

void QtDrawContext::StrokeArc(const Rect& box, Point start, Point end)
{
    if (const ShapeMasks::Mask* mask = nullptr; m_state.pen.style == PenStyle::Solid &&
                                                ReadyMasks() &&
                                                (mask = MaskOf(kOpenArc, box, start, end))) {
        LightRuns(mask->outline, Corner(box), m_state.pen.color);
        return;
    }
    const ArcGeometry g = MakeArc(box, start, end);
    QPainterPath arc;
    arc.arcMoveTo(g.rect, g.startDeg);
    arc.arcTo(g.rect, g.startDeg, g.spanDeg);
    m_painter->strokePath(arc, m_qpen);
}

void QtDrawContext::DrawPendingArcs(bool outlined)
{
    for (const PathPart& arc : m_pendingArcs) {
        const bool covered =
            outlined && std::any_of(m_parts.begin(), m_parts.end(), [&](const PathPart& part) {
                return part.arc && part.box == arc.box && part.start == arc.start &&
                       part.end == arc.end;
            });
        if (!covered)
            StrokeArc(arc.box, arc.start, arc.end);
    }
    m_pendingArcs.clear();
}

void QtDrawContext::ArcTo(const Rect& box, Point start, Point end)
{
    if (Record(kArcTo, {{box.left, box.top}, {box.right, box.bottom}, start, end}))
        return;
    const ArcGeometry g = MakeArc(box, start, end);
    if (m_inPath) {
        if (!m_figureOpen)
            RecordPathOp(kMoveTo, {m_state.pos});
        RecordPathOp(kArcTo, {{box.left, box.top}, {box.right, box.bottom}, start, end});
        if (m_pathOpsUsable) {
            // Held by the calls alone until the painter needs the path (most such paths
            // are drawn from masks).
            m_partsUsable = false;
            m_pathInOps = true;
            m_figureOpen = true;
        } else {
            BuildPathFromParts(false);
            StartFigureIfNeeded();
            m_path.arcTo(g.rect, g.startDeg, g.spanDeg); // joined to the current point by a line
        }
    } else {
        QPainterPath arc;
        arc.arcMoveTo(g.rect, g.startDeg);
        DrawLine(ToQPointF(m_state.pos), arc.currentPosition());
        if (!DrawThinShape(box)) {
            arc.arcTo(g.rect, g.startDeg, g.spanDeg);
            m_painter->strokePath(arc, m_qpen);
        }
    }
    m_state.pos = g.endPoint;
}

void QtDrawContext::Rectangle(const Rect& r)
{
    if (Record(kRectangle, {{r.left, r.top}, {r.right, r.bottom}}))
        return;
    const QRectF q = ShapeRect(r);
    if (m_inPath) {
        BuildPath(false);
        StartSubpath();
        m_pathOpsUsable = false;
        m_path.addRect(q);
        m_figureOpen = false;
        return;
    }
    if (DrawThinShape(r))
        return;
    ApplyPenAndBrush();
    m_painter->drawRect(q);
}

void QtDrawContext::Ellipse(const Rect& box)
{
    if (Record(kEllipse, {{box.left, box.top}, {box.right, box.bottom}}))
        return;
    const QRectF q = ShapeRect(box);
    if (m_inPath) {
        BuildPath(false);
        StartSubpath();
        m_pathOpsUsable = false;
        m_path.addEllipse(q);
        m_figureOpen = false;
        return;
    }
    if (DrawThinShape(box))
        return;
    const bool filled = m_state.brush.style == BrushStyle::Solid;
    const bool outlined = m_state.pen.style == PenStyle::Solid;
    const MaskKind kind = filled ? (outlined ? kEllipseFilled : kEllipseFill) : kEllipseOutline;
    // An ellipse has no points of its own: its key takes the box's corner for them, so
    // that it is the same wherever the ellipse lies.
    const Point corner = Corner(box);
    if (const ShapeMasks::Mask* mask = nullptr;
        (filled || outlined) && ReadyMasks() && (mask = MaskOf(kind, box, corner, corner))) {
        LightRuns(mask->fill, Corner(box), m_state.brush.color);
        LightRuns(mask->outline, Corner(box), m_state.pen.color);
        return;
    }
    ApplyPenAndBrush();
    m_painter->drawEllipse(q);
}

void QtDrawContext::Polygon(const std::vector<Point>& points)
{
    DropFigure();
    if (points.empty())
        return;
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()));
    for (const Point& p : points)
        poly << ToQPointF(p);
    if (m_inPath) {
        BuildPath(false);
        StartSubpath();
        m_pathOpsUsable = false;
        m_path.addPolygon(poly);
        m_path.closeSubpath();
        m_figureOpen = false;
        return;
    }
    ApplyPenAndBrush();
    m_painter->drawPolygon(poly, Qt::OddEvenFill);
}

void QtDrawContext::FillRect(const Rect& r, COLORREF color)
{
    DropFigure();
    if (r.IsEmpty())
        return;
    m_painter->fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(color));
}

void QtDrawContext::BeginPath()
{
    if (Record(kBeginPath, {}))
        return;
    m_path = QPainterPath();
    m_inPath = true;
    m_figureOpen = false;
    m_havePath = false;
    m_pathClosed = m_buildClosed;
    m_buildClosed = false;
    m_parts.clear();
    m_partPoints.clear();
    m_partsUsable = m_useMasks && m_bits;
    m_pathOps.clear();
    m_pathOpsUsable = m_partsUsable;
    m_pathInOps = false;
    // Setting the rule makes the path allocate: a path built of parts may never need it.
    if (!m_partsUsable)
        m_path.setFillRule(Qt::OddEvenFill);
}

void QtDrawContext::BuildPathFromParts(bool ended)
{
    if (!m_partsUsable)
        return;
    m_partsUsable = false;
    m_path.setFillRule(Qt::OddEvenFill);
    for (const PathPart& part : m_parts) {
        StartSubpath();
        if (part.arc) {
            const ArcGeometry g = MakeArc(part.box, part.start, part.end);
            m_path.arcMoveTo(g.rect, g.startDeg);
            m_path.arcTo(g.rect, g.startDeg, g.spanDeg);
            continue;
        }
        m_path.moveTo(m_partPoints[part.first]);
        for (std::size_t i = 1; i < part.count; ++i)
            m_path.lineTo(m_partPoints[part.first + i]);
        if (part.closed)
            m_path.closeSubpath();
    }
    if (ended)
        StartSubpath();
}

void QtDrawContext::BuildPath(bool ended)
{
    if (!m_pathInOps) {
        BuildPathFromParts(ended);
        return;
    }
    m_pathInOps = false;
    m_path = QPainterPath();
    m_path.setFillRule(Qt::OddEvenFill);
    for (std::size_t i = 0; i < m_pathOps.size(); i += 2 + 2 * std::size_t(m_pathOps[i + 1])) {
        const int* v = &m_pathOps[i + 2];
        const auto at = [v](int k) { return Point{v[2 * k], v[2 * k + 1]}; };
        switch (m_pathOps[i]) {
        case kMoveTo:
            StartSubpath();
            m_path.moveTo(ToQPointF(at(0)));
            break;
        case kLineTo:
            m_path.lineTo(ToQPointF(at(0)));
            break;
        case kArc:
        case kArcTo: {
            const ArcGeometry g = MakeArc(BoxOf(at(0), at(1)), at(2), at(3));
            if (m_pathOps[i] == kArc) {
                StartSubpath();
                m_path.arcMoveTo(g.rect, g.startDeg);
            }
            m_path.arcTo(g.rect, g.startDeg, g.spanDeg);
            break;
        }
        case kCloseFigure:
            m_path.closeSubpath();
            break;
        default:
            break;
        }
    }
    if (ended)
        StartSubpath(); // as EndPath would have
}

void QtDrawContext::StartSubpath()
{
    if (m_pathClosed)
        m_path.closeSubpath();
}

void QtDrawContext::CloseFigure()
{
    if (Record(kCloseFigure, {}))
        return;
    if (m_inPath && m_figureOpen) {
        RecordPathOp(kCloseFigure, {});
        if (m_partsUsable)
            m_parts.back().closed = true;
        else if (!m_pathInOps)
            m_path.closeSubpath();
        m_figureOpen = false;
    }
}

void QtDrawContext::EndPath()
{
    if (Record(kEndPath, {}))
        return;
    if (!m_inPath)
        return;
    if (!m_partsUsable && !m_pathInOps)
        StartSubpath(); // the last figure closed too (parts, calls: when they make the path)
    m_inPath = false;
    m_figureOpen = false;
    m_havePath = true;
}

void QtDrawContext::DrawFinishedPath(bool stroke, bool fill)
{
    if (m_inPath) // a path still open is taken as finished
        EndPath();
    if (!m_pendingArcs.empty())
        DrawPendingArcs(m_havePath && stroke && m_state.pen.style == PenStyle::Solid &&
                        m_state.pen.width <= 1);
    if (!m_havePath)
        return;
    m_havePath = false;
    if (fill && m_partsUsable && DrawPathFromMasks(stroke))
        return;
    if (DrawPathFromMask(stroke, fill)) {
        m_path = QPainterPath();
        m_partsUsable = false;
        m_pathInOps = false;
        return;
    }
    BuildPath(true);
    const QPainterPath path = m_path;
    m_path = QPainterPath();

    QPainterPath outline = path;
    if (fill && !m_pathClosed) {
        // Stroking a filled path outlines every figure closed.
        outline = QPainterPath();
        outline.setFillRule(path.fillRule());
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                if (i > 0)
                    outline.closeSubpath();
                outline.moveTo(e.x, e.y);
                break;
            case QPainterPath::LineToElement:
                outline.lineTo(e.x, e.y);
                break;
            case QPainterPath::CurveToElement:
                if (i + 2 < path.elementCount()) {
                    const QPainterPath::Element c2 = path.elementAt(i + 1);
                    const QPainterPath::Element to = path.elementAt(i + 2);
                    outline.cubicTo(QPointF(e.x, e.y), QPointF(c2.x, c2.y), QPointF(to.x, to.y));
                }
                i += 2;
                break;
            case QPainterPath::CurveToDataElement:
                break;
            }
        }
        outline.closeSubpath();
    }
    m_painter->setPen(stroke ? m_qpen : m_noPen);
    m_painter->setBrush(fill ? m_qbrush : m_noBrush);
    m_painter->drawPath(outline);
}

void QtDrawContext::StrokeAndFillPath()
{
    if (Record(kStrokeAndFillPath, {}))
        return;
    DrawFinishedPath(true, true);
}

void QtDrawContext::StrokePath()
{
    if (Record(kStrokePath, {}))
        return;
    DrawFinishedPath(true, false);
}

void QtDrawContext::FillPath()
{
    if (Record(kFillPath, {}))
        return;
    DrawFinishedPath(false, true);
}

void QtDrawContext::SetFont(const FontSpec& font)
{
    DropFigure();
    m_fontSpec = font;
}

QtFonts::Font& QtDrawContext::CurrentFont() const
{
    return m_fonts->Get(m_fontSpec);
}

void QtDrawContext::SetTextColor(COLORREF color)
{
    m_textColor = color;
}

void QtDrawContext::TextOut(Point p, const std::string& text)
{
    DropFigure();
    const QtFonts::Font& font = CurrentFont();
    const auto draw = [&](QPainter* painter, Point at) {
        painter->setFont(font.font);
        painter->setPen(ToQColor(m_textColor));
        painter->drawText(QPointF(at.x, at.y + font.ascent), QString::fromStdString(text));
    };
    // Short texts in small type (pad numbers) are kept as figures; the picture reaches
    // past the text's measure on every side for the glyphs that overhang it.
    const int margin = m_fontSpec.pixelHeight / 2 + 2;
    const int width = MeasureText(text).width + 2 * margin;
    const int height = font.height + 2 * margin;
    if (text.size() > kLongestKeptText || width > kLargestFigure || height > kLargestFigure ||
        !PlainPainter()) {
        draw(m_painter, p);
        return;
    }
    const std::uint32_t head[] = {0xFFFFFFFFu, m_textColor, std::uint32_t(m_fontSpec.pixelHeight),
                                  m_fontSpec.bold ? 1u : 0u};
    m_key.assign(reinterpret_cast<const char*>(head), sizeof head);
    m_key += m_fontSpec.family;
    m_key += '\0';
    m_key += text;
    // Kept from the first sighting on, and shared: a board shows its few pad numbers
    // again and again, in every band.
    FigureCache& cache = FigureCache::ForThisThread();
    bool again = false;
    const FigureCache::Figure* kept = cache.Find(m_key, &again);
    if (!kept) {
        QImage picture = FigureCache::Shared(m_key);
        if (picture.isNull()) {
            draw(cache.Scratch(QSize(width, height)), Point{margin, margin});
            picture = cache.ScratchPicture(QSize(width, height));
            FigureCache::Share(m_key, picture);
        }
        kept = &cache.Keep(m_key, FigureCache::Figure{std::move(picture), Point{}});
    }
    m_painter->drawImage(QPoint(p.x - margin, p.y - margin), kept->picture);
}

TextMetrics QtDrawContext::MeasureText(const std::string& text) const
{
    QtFonts::Font& font = CurrentFont();
    return TextMetrics{QtFonts::Width(font, text), font.height, font.ascent};
}

// ---------------------------------------------------------------------------------
// Figures

void QtDrawContext::BeginFigure()
{
    if (m_figureDepth++ > 0 || m_inPath || m_havePath)
        return;
    // Where shapes come from masks, a figure drawn with a thin pen is drawn as it comes:
    // its small arcs and ellipses are copies already, and a picture of it would cost more.
    // An arc that may lie along the figure's path waits for it (m_pendingArcs).
    if (MasksServe())
        return;
    m_recording = true;
    m_figure.clear();
    m_figureMoved = false;
    m_figureUsesPos = false;
    m_figurePath = 0;
}

bool QtDrawContext::Record(FigureOp op, std::initializer_list<Point> points)
{
    if (!m_recording) {
        // Arcs waiting for the path they may lie along wait no longer once anything but
        // that path or another such arc is drawn.
        if (!m_pendingArcs.empty() && !m_inPath && op != kArc && op != kMoveTo &&
            op != kBeginPath && op < kStrokeAndFillPath)
            DrawPendingArcs(false);
        return false;
    }
    m_figure.push_back(op);
    for (const Point& p : points) {
        m_figure.push_back(p.x);
        m_figure.push_back(p.y);
    }
    switch (op) {
    case kMoveTo:
        m_figureMoved = true;
        break;
    case kLineTo:
    case kArcTo:
        m_figureUsesPos = m_figureUsesPos || !m_figureMoved;
        break;
    case kBeginPath:
        m_figurePath = 1;
        break;
    case kEndPath:
        m_figurePath = m_figurePath == 1 ? 2 : m_figurePath;
        break;
    case kStrokeAndFillPath:
    case kStrokePath:
    case kFillPath:
        m_figurePath = 0;
        break;
    default:
        break;
    }
    return true;
}

void QtDrawContext::DropFigure()
{
    if (!m_pendingArcs.empty())
        DrawPendingArcs(false);
    if (!m_recording)
        return;
    m_recording = false;
    Replay(this, Point{});
}

bool QtDrawContext::ArcStrokedAgain(std::size_t at) const
{
    const int* arc = &m_figure[at + 1];
    if (m_state.pen.style != PenStyle::Solid || m_state.pen.width > 1 ||
        std::abs(arc[2] - arc[0]) < kSmallestCoveredBox ||
        std::abs(arc[3] - arc[1]) < kSmallestCoveredBox)
        return false;
    bool inPath = false;
    bool again = false;
    for (std::size_t i = at + 1 + 2 * kFigurePoints[kArc]; i < m_figure.size();) {
        const auto op = FigureOp(m_figure[i++]);
        if (op == kArc && inPath && std::equal(arc, arc + 8, &m_figure[i]))
            again = true;
        inPath = op == kBeginPath || (inPath && op < kEndPath);
        if (op == kStrokeAndFillPath || op == kStrokePath)
            return again;
        if (op == kFillPath)
            again = false;
        i += std::size_t(2 * kFigurePoints[op]);
    }
    return false;
}

bool QtDrawContext::PathFilled(std::size_t from) const
{
    for (std::size_t i = from; i < m_figure.size();) {
        const auto op = FigureOp(m_figure[i++]);
        if (op == kStrokeAndFillPath || op == kFillPath)
            return true;
        if (op == kStrokePath || op == kBeginPath)
            return false;
        i += std::size_t(2 * kFigurePoints[op]);
    }
    return false;
}

void QtDrawContext::Replay(QtDrawContext* on, Point shift) const
{
    Point p[4];
    bool inPath = false;
    for (std::size_t i = 0; i < m_figure.size();) {
        const std::size_t at = i;
        const auto op = FigureOp(m_figure[i++]);
        for (int k = 0; k < kFigurePoints[op]; ++k, i += 2)
            p[k] = Point{m_figure[i] + shift.x, m_figure[i + 1] + shift.y};
        inPath = op == kBeginPath || (inPath && op < kEndPath); // a drawing ends it too
        switch (op) {
        case kMoveTo:
            on->MoveTo(p[0]);
            break;
        case kLineTo:
            on->LineTo(p[0]);
            break;
        case kArc:
            if (inPath || !ArcStrokedAgain(at))
                on->Arc(BoxOf(p[0], p[1]), p[2], p[3]);
            break;
        case kArcTo:
            on->ArcTo(BoxOf(p[0], p[1]), p[2], p[3]);
            break;
        case kBeginPath:
            on->m_buildClosed = PathFilled(i);
            on->BeginPath();
            break;
        case kRectangle:
            on->Rectangle(BoxOf(p[0], p[1]));
            break;
        case kEllipse:
            on->Ellipse(BoxOf(p[0], p[1]));
            break;
        default:
            (on->*kPathCalls[op - kBeginPath])();
            break;
        }
    }
}

bool QtDrawContext::PlainPainter() const
{
    return !m_painter->testRenderHint(QPainter::Antialiasing) &&
           m_painter->worldTransform().type() == QTransform::TxNone &&
           m_painter->opacity() == 1.0 &&
           m_painter->compositionMode() == QPainter::CompositionMode_SourceOver;
}

void QtDrawContext::EndFigure()
{
    if (m_figureDepth == 0 || --m_figureDepth > 0)
        return;
    if (!m_recording) {
        DrawPendingArcs(false);
        return;
    }
    m_recording = false;
    Rect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    bool movesPos = false;
    for (std::size_t i = 0; i < m_figure.size();) {
        const auto op = FigureOp(m_figure[i++]);
        movesPos = movesPos || op == kMoveTo || op == kLineTo || op == kArcTo;
        for (int k = 0; k < kFigurePoints[op]; ++k, i += 2) {
            box.left = std::min(box.left, m_figure[i]);
            box.right = std::max(box.right, m_figure[i]);
            box.top = std::min(box.top, m_figure[i + 1]);
            box.bottom = std::max(box.bottom, m_figure[i + 1]);
        }
    }
    if (m_figureUsesPos) {
        box.left = std::min(box.left, m_state.pos.x);
        box.right = std::max(box.right, m_state.pos.x);
        box.top = std::min(box.top, m_state.pos.y);
        box.bottom = std::max(box.bottom, m_state.pos.y);
    }
    // Wide enough for the pen, and for a thin line moved by a pixel to light its start.
    const int margin = std::max(1, m_state.pen.width) + 2;
    const Point origin{box.left - margin, box.top - margin};
    const int width = box.right + margin + 1 - origin.x;
    const int height = box.bottom + margin + 1 - origin.y;
    if (box.left > box.right || m_figurePath != 0 || width > kLargestFigure ||
        height > kLargestFigure || !PlainPainter()) {
        Replay(this, Point{});
        return;
    }

    // The key: pen, brush, where the figure starts from when that matters, and the
    // figure moved to the corner of its picture, every coordinate then a byte.
    const COLORREF colors[] = {m_state.pen.color, m_state.brush.color};
    m_key.assign(reinterpret_cast<const char*>(colors), sizeof colors);
    m_key += char(m_state.pen.style);
    m_key += char(m_state.pen.width);
    m_key += char(m_state.brush.style);
    m_key += char(m_figureUsesPos);
    if (m_figureUsesPos) {
        m_key += char(m_state.pos.x - origin.x);
        m_key += char(m_state.pos.y - origin.y);
    }
    for (std::size_t i = 0; i < m_figure.size();) {
        const int op = m_figure[i++];
        m_key += char(op);
        for (int k = 0; k < kFigurePoints[op]; ++k, i += 2) {
            m_key += char(m_figure[i] - origin.x);
            m_key += char(m_figure[i + 1] - origin.y);
        }
    }

    FigureCache& cache = FigureCache::ForThisThread();
    bool again = false;
    const FigureCache::Figure* kept = cache.Find(m_key, &again);
    if (!kept && !again) {
        Replay(this, Point{});
        return;
    }
    if (!kept) {
        QPainter* painter = cache.Scratch(QSize(width, height));
        QtDrawContext on(painter);
        on.SetPen(m_state.pen);
        on.SetBrush(m_state.brush);
        on.m_state.pos = Point{m_state.pos.x - origin.x, m_state.pos.y - origin.y};
        Replay(&on, Point{-origin.x, -origin.y});
        kept = &cache.Keep(
            m_key, FigureCache::Figure{cache.ScratchPicture(QSize(width, height)), on.m_state.pos});
    }
    m_painter->drawImage(QPoint(origin.x, origin.y), kept->picture);
    if (movesPos)
        m_state.pos = Point{kept->end.x + origin.x, kept->end.y + origin.y};
}

// ---------------------------------------------------------------------------------
// Shapes from masks

bool QtDrawContext::MasksServe() const
{
    return m_useMasks && m_bits && m_state.pen.style != PenStyle::Dash && m_state.pen.width <= 1 &&
           PlainPainter();
}

bool QtDrawContext::ReadyMasks()
{
    ShapeMasks::ForThisThread().MakeRoom();
    return MasksServe();
}

Point QtDrawContext::Corner(const Rect& box)
{
    return Point{std::min(box.left, box.right), std::min(box.top, box.bottom)};
}

const ShapeMasks::Mask* QtDrawContext::MaskOf(MaskKind kind, const Rect& box, Point start,
                                              Point end)
{
    std::uint64_t key = 0;
    return MaskKey(kind, box, start, end, &key) ? &MaskFor(key, kind, box, start, end) : nullptr;
}

bool QtDrawContext::MaskKey(MaskKind kind, const Rect& box, Point start, Point end,
                            std::uint64_t* key)
{
    // Points within this reach of the box's corner fit a byte each.
    constexpr int kLeast = -64;
    constexpr int kMost = 191;
    Rect b = box;
    b.Normalize();
    const Wide least[2] = {b.left, b.top};
    const Wide most[2] = {b.right, b.bottom};
    if (!FitsMask(least, most, ShapeMasks::kLargestBox))
        return false;
    const Wide w = most[0] - least[0];
    const Wide h = most[1] - least[1];
    const Wide coords[] = {Wide(start.x) - b.left, Wide(start.y) - b.top, Wide(end.x) - b.left,
                           Wide(end.y) - b.top};
    std::uint64_t made = std::uint64_t(kind) | std::uint64_t(w) << 3 | std::uint64_t(h) << 9;
    int shift = 15;
    for (const Wide c : coords) {
        if (c < kLeast || c > kMost)
            return false;
        made |= std::uint64_t(c - kLeast) << shift;
        shift += 8;
    }
    *key = made;
    return true;
}

const ShapeMasks::Mask& QtDrawContext::MaskFor(std::uint64_t key, MaskKind kind, const Rect& box,
                                               Point start, Point end)
{
    ShapeMasks& masks = ShapeMasks::ForThisThread();
    if (const ShapeMasks::Mask* kept = masks.Find(key))
        return *kept;

    // Drawn as the painter would draw it, moved to the scratch picture's margin, outline
    // and fill in colours of their own.
    constexpr COLORREF kOutline = 0x0000FF;
    constexpr COLORREF kFill = 0xFF0000;
    Rect b = box;
    b.Normalize();
    const int dx = ShapeMasks::kMargin - b.left;
    const int dy = ShapeMasks::kMargin - b.top;
    const Rect moved{b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
    const QSize size(moved.right + ShapeMasks::kMargin + 1, moved.bottom + ShapeMasks::kMargin + 1);
    QPainter* painter = masks.Scratch();
    painter->setClipRect(QRect(QPoint(0, 0), size));
    const QPen outline = MakePen(PenSpec{PenStyle::Solid, 1, kOutline});
    const QBrush fill(ToQColor(kFill));
    ShapeMasks::Mask mask;
    if (kind == kOpenArc || kind == kClosedArc || kind == kClosedArcWhole) {
        const ArcGeometry g =
            MakeArc(moved, Point{start.x + dx, start.y + dy}, Point{end.x + dx, end.y + dy});
        QPainterPath path;
        path.arcMoveTo(g.rect, g.startDeg);
        path.arcTo(g.rect, g.startDeg, g.spanDeg);
        if (kind == kOpenArc) {
            painter->strokePath(path, outline);
        } else if (kind == kClosedArcWhole) {
            path.closeSubpath();
            painter->fillPath(path, QBrush(ToQColor(kOutline)));
            painter->strokePath(path, outline);
        } else {
            // A path is filled, then outlined: each alone.
            path.closeSubpath();
            painter->fillPath(path, fill);
            mask.fill = masks.Lit(size, ToQColor(kFill).rgb());
            painter->strokePath(path, outline);
        }
    } else {
        // An ellipse is drawn as a whole: its fill stops where its outline runs.
        painter->setPen(kind == kEllipseFill ? m_noPen : outline);
        painter->setBrush(kind == kEllipseOutline ? QBrush(Qt::NoBrush) : fill);
        painter->drawEllipse(ShapeRect(moved));
        mask.fill = masks.Lit(size, ToQColor(kFill).rgb());
    }
    mask.outline = masks.Lit(size, ToQColor(kOutline).rgb());
    return masks.Keep(key, std::move(mask));
}

const ShapeMasks::Mask* QtDrawContext::PolygonMask(const QPointF* points, std::size_t count,
                                                   bool whole, Point* corner)
{
    static_assert(kLargestPolygon <= ShapeMasks::kLargestBox && kLargestPolygon < 64);
    if (count < 2 || count > kMostPolygonPoints)
        return nullptr;
    // The points are whole pixels (they came from Points), so they convert exactly.
    Wide least[2] = {Wide(points[0].x()), Wide(points[0].y())};
    Wide most[2] = {least[0], least[1]};
    for (std::size_t i = 1; i < count; ++i) {
        const Wide c[2] = {Wide(points[i].x()), Wide(points[i].y())};
        for (int a = 0; a < 2; ++a) {
            least[a] = std::min(least[a], c[a]);
            most[a] = std::max(most[a], c[a]);
        }
    }
    if (!FitsMask(least, most, kLargestPolygon))
        return nullptr;
    // The kind, the count and six bits for each point's offset from the corner.
    std::uint64_t key = std::uint64_t(whole ? kPolygonWhole : kPolygon) | std::uint64_t(count - 2)
                                                                              << 3;
    int shift = 5;
    for (std::size_t i = 0; i < count; ++i, shift += 12)
        key |= std::uint64_t(Wide(points[i].x()) - least[0]) << shift |
               std::uint64_t(Wide(points[i].y()) - least[1]) << (shift + 6);
    *corner = Point{int(least[0]), int(least[1])};

    ShapeMasks& masks = ShapeMasks::ForThisThread();
    if (const ShapeMasks::Mask* kept = masks.Find(key))
        return kept;
    if (count >= 3) {
        // Worked out as the painter lights it: the fill and the outline each alone, or
        // both at once as the outline.
        Point corners[kMostPolygonPoints];
        for (std::size_t i = 0; i < count; ++i)
            corners[i] =
                Point{int(Wide(points[i].x()) - least[0]), int(Wide(points[i].y()) - least[1])};
        const std::span<const Point> polygon(corners, count);
        ShapeMasks::Mask mask;
        m_spans.clear();
        AliasedPolygon::Fill(polygon, &m_spans);
        if (!whole) {
            mask.fill = KeepLit<kLargestPolygon>(m_spans, &masks);
            m_spans.clear();
        }
        AliasedPolygon::Outline(polygon, &m_spans);
        mask.outline = KeepLit<kLargestPolygon>(m_spans, &masks);
        return &masks.Keep(key, std::move(mask));
    }
    // Drawn as the painter would draw it, moved to the scratch picture's margin: the fill,
    // then the outline, each alone, or both at once in the outline's colour.
    QPointF moved[kMostPolygonPoints];
    const QPointF shift2(double(ShapeMasks::kMargin - least[0]),
                         double(ShapeMasks::kMargin - least[1]));
    for (std::size_t i = 0; i < count; ++i)
        moved[i] = points[i] + shift2;
    const QSize size = MaskScratchSize(least, most);
    constexpr COLORREF kOutline = 0x0000FF;
    constexpr COLORREF kFill = 0xFF0000;
    QPainter* painter = masks.Scratch();
    painter->setClipRect(QRect(QPoint(0, 0), size));
    ShapeMasks::Mask mask;
    if (!whole) {
        painter->setPen(m_noPen);
        painter->setBrush(QBrush(ToQColor(kFill)));
        painter->drawPolygon(moved, int(count), Qt::OddEvenFill);
        mask.fill = masks.Lit(size, ToQColor(kFill).rgb());
    }
    painter->setPen(MakePen(PenSpec{PenStyle::Solid, 1, kOutline}));
    painter->setBrush(whole ? QBrush(ToQColor(kOutline)) : m_noBrush);
    painter->drawPolygon(moved, int(count), Qt::OddEvenFill);
    mask.outline = masks.Lit(size, ToQColor(kOutline).rgb());
    return &masks.Keep(key, std::move(mask));
}

void QtDrawContext::RecordPathOp(FigureOp op, std::initializer_list<Point> points)
{
    if (!m_pathOpsUsable)
        return;
    if (m_pathOps.size() + 2 + 2 * points.size() > kMostPathOps) {
        if (m_pathInOps)
            BuildPath(false); // from the calls so far; the caller adds this one
        m_pathOpsUsable = false;
        return;
    }
    m_pathOps.push_back(op);
    m_pathOps.push_back(int(points.size()));
    for (const Point& p : points) {
        m_pathOps.push_back(p.x);
        m_pathOps.push_back(p.y);
    }
}

bool QtDrawContext::DrawPathFromMask(bool stroke, bool fill)
{
    if (!m_pathOpsUsable || m_pathOps.empty() || !ReadyMasks())
        return false;
    const bool filled = fill && m_state.brush.style == BrushStyle::Solid;
    const bool outlined = stroke && m_state.pen.style == PenStyle::Solid;
    if ((!filled && !outlined) || (filled && outlined && m_state.brush.color != m_state.pen.color))
        return false;

    // The extent of every point and box corner.
    Wide least[2] = {std::numeric_limits<Wide>::max(), std::numeric_limits<Wide>::max()};
    Wide most[2] = {std::numeric_limits<Wide>::min(), std::numeric_limits<Wide>::min()};
    for (std::size_t i = 0; i < m_pathOps.size(); i += 2 + 2 * std::size_t(m_pathOps[i + 1]))
        for (int k = 0; k < m_pathOps[i + 1]; ++k)
            for (int a = 0; a < 2; ++a) {
                const Wide c = m_pathOps[i + 2 + 2 * std::size_t(k) + std::size_t(a)];
                least[a] = std::min(least[a], c);
                most[a] = std::max(most[a], c);
            }
    if (!FitsMask(least, most, ShapeMasks::kLargestBox))
        return false;

    // The shape: how it is drawn, then the calls relative to the corner.
    thread_local std::vector<int> shape;
    shape.assign(m_pathOps.begin(), m_pathOps.end());
    for (std::size_t i = 0; i < shape.size(); i += 2 + 2 * std::size_t(shape[i + 1]))
        for (int k = 0; k < shape[i + 1]; ++k) {
            shape[i + 2 + 2 * std::size_t(k)] -= int(least[0]);
            shape[i + 3 + 2 * std::size_t(k)] -= int(least[1]);
        }
    shape.push_back(int(stroke) | int(fill) << 1 | int(filled) << 2 | int(outlined) << 3);
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const int v : shape)
        hash = (hash ^ std::uint32_t(v)) * 0x100000001B3ull;
    // Apart from the keys of the other masks, which stay below the top bit.
    std::uint64_t key = hash | std::uint64_t(1) << 63;
    if (key == ShapeMasks::kNoKey)
        key ^= 1;

    ShapeMasks& masks = ShapeMasks::ForThisThread();
    const ShapeMasks::Mask* mask = masks.Find(key);
    if (mask && !std::ranges::equal(mask->shape, shape))
        return false; // another shape of the same hash: the painter draws this one
    if (!mask) {
        // Drawn by a context of its own on the scratch picture, moved to its margin, in
        // the outline's colour, the calls made as they were made here.
        constexpr COLORREF kColour = 0x0000FF;
        const int dx = ShapeMasks::kMargin - int(least[0]);
        const int dy = ShapeMasks::kMargin - int(least[1]);
        const QSize size = MaskScratchSize(least, most);
        QPainter* painter = masks.Scratch();
        painter->setClipRect(QRect(QPoint(0, 0), size));
        {
            QtDrawContext scratch(painter, m_fonts);
            scratch.UseShapeMasks(false);
            scratch.SetPen(outlined ? PenSpec{PenStyle::Solid, 1, kColour}
                                    : PenSpec{PenStyle::Null, 1, 0});
            scratch.SetBrush(filled ? BrushSpec{BrushStyle::Solid, kColour}
                                    : BrushSpec{BrushStyle::Hollow, 0});
            scratch.BeginPath();
            for (std::size_t i = 0; i < m_pathOps.size();
                 i += 2 + 2 * std::size_t(m_pathOps[i + 1])) {
                const int* v = &m_pathOps[i + 2];
                auto at = [&](int k) { return Point{v[2 * k] + dx, v[2 * k + 1] + dy}; };
                switch (m_pathOps[i]) {
                case kMoveTo:
                    scratch.MoveTo(at(0));
                    break;
                case kLineTo:
                    scratch.LineTo(at(0));
                    break;
                case kArc:
                    scratch.Arc(Rect{at(0).x, at(0).y, at(1).x, at(1).y}, at(2), at(3));
                    break;
                case kArcTo:
                    scratch.ArcTo(Rect{at(0).x, at(0).y, at(1).x, at(1).y}, at(2), at(3));
                    break;
                default:
                    scratch.CloseFigure();
                    break;
                }
            }
            scratch.EndPath();
            if (stroke && fill)
                scratch.StrokeAndFillPath();
            else if (stroke)
                scratch.StrokePath();
            else
                scratch.FillPath();
        }
        const std::span<const ShapeMasks::Run> runs = masks.Lit(size, ToQColor(kColour).rgb());
        mask = &masks.Keep(key, ShapeMasks::Mask{{}, runs, masks.KeepShape(shape)});
    }
    LightRuns(mask->outline, Point{int(least[0]), int(least[1])},
              outlined ? m_state.pen.color : m_state.brush.color);
    return true;
}

void QtDrawContext::LightRuns(std::span<const ShapeMasks::Run> runs, Point corner, COLORREF color)
{
    const QRgb pixel = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    for (const ShapeMasks::Run& run : runs)
        LightRow(corner.y + run.y, corner.x + run.x, corner.x + run.x + run.length, pixel);
}

bool QtDrawContext::DrawPathFromMasks(bool stroke)
{
    if (!ReadyMasks())
        return false;
    const bool filled = m_state.brush.style == BrushStyle::Solid;
    const bool outlined = stroke && m_state.pen.style == PenStyle::Solid;
    // Filled and outlined in one colour: the masks of both together serve (their fills
    // are empty, all their pixels being in their outlines).
    const bool whole = filled && outlined && m_state.brush.color == m_state.pen.color;
    constexpr std::size_t kMostArcs = 4;
    const ShapeMasks::Mask* masks[kMostArcs];
    Point corners[kMostArcs];
    std::size_t arcs = 0;
    std::size_t lineParts = 0;
    for (const PathPart& part : m_parts) {
        if (!part.arc) {
            lineParts += part.count > 1 ? 1 : 0;
            continue;
        }
        if (arcs == kMostArcs || !(masks[arcs] = MaskOf(whole ? kClosedArcWhole : kClosedArc,
                                                        part.box, part.start, part.end)))
            return false;
        corners[arcs++] = Corner(part.box);
    }

    // The lines of one small figure: from the mask of their polygon.
    if (lineParts == 1) {
        const auto part = std::find_if(m_parts.begin(), m_parts.end(),
                                       [](const PathPart& p) { return !p.arc && p.count > 1; });
        Point corner;
        if (const ShapeMasks::Mask* lines =
                PolygonMask(&m_partPoints[part->first], part->count, whole, &corner)) {
            if (filled) {
                LightRuns(lines->fill, corner, m_state.brush.color);
                for (std::size_t i = 0; i < arcs; ++i)
                    LightRuns(masks[i]->fill, corners[i], m_state.brush.color);
            }
            if (outlined) {
                LightRuns(lines->outline, corner, m_state.pen.color);
                for (std::size_t i = 0; i < arcs; ++i)
                    LightRuns(masks[i]->outline, corners[i], m_state.pen.color);
            }
            return true;
        }
    }

    // The lines: their figures together in one polygon or path, filled and outlined
    // as the painter fills and outlines the whole path.
    QPainterPath lines;
    if (lineParts > 1) {
        lines.setFillRule(Qt::OddEvenFill);
        for (const PathPart& part : m_parts)
            if (!part.arc && part.count > 1) {
                lines.moveTo(m_partPoints[part.first]);
                for (std::size_t i = 1; i < part.count; ++i)
                    lines.lineTo(m_partPoints[part.first + i]);
                lines.closeSubpath();
            }
    }
    auto drawLines = [&](const QPen& pen, const QBrush& brush) {
        if (lineParts == 0)
            return;
        m_painter->setPen(pen);
        m_painter->setBrush(brush);
        if (lineParts > 1) {
            m_painter->drawPath(lines);
            return;
        }
        for (const PathPart& part : m_parts)
            if (!part.arc && part.count > 1)
                m_painter->drawPolygon(&m_partPoints[part.first], int(part.count), Qt::OddEvenFill);
    };

    // Every fill before every outline, as one path would be drawn.
    if (filled && outlined && m_state.brush.color == m_state.pen.color) {
        drawLines(m_qpen, m_qbrush);
    } else if (filled) {
        drawLines(m_noPen, m_qbrush);
    }
    if (filled)
        for (std::size_t i = 0; i < arcs; ++i)
            LightRuns(masks[i]->fill, corners[i], m_state.brush.color);
    if (outlined && !(filled && m_state.brush.color == m_state.pen.color))
        drawLines(m_qpen, m_noBrush);
    if (outlined)
        for (std::size_t i = 0; i < arcs; ++i)
            LightRuns(masks[i]->outline, corners[i], m_state.pen.color);
    return true;
}

bool QtDrawContext::UprightBody(const Point (&sides)[4], Rect* box) const
{
    const bool upright = (sides[0].x == sides[1].x && sides[2].x == sides[3].x &&
                          sides[0].y == sides[2].y && sides[1].y == sides[3].y) ||
                         (sides[0].y == sides[1].y && sides[2].y == sides[3].y &&
                          sides[0].x == sides[2].x && sides[1].x == sides[3].x);
    if (!upright)
        return false;
    const int left = std::min(sides[0].x, sides[3].x);
    const int right = std::max(sides[0].x, sides[3].x);
    const int top = std::min(sides[0].y, sides[3].y);
    const int bottom = std::max(sides[0].y, sides[3].y);
    if ((left == right && top == bottom) || left < m_writable.left() ||
        right > m_writable.right() || top < m_writable.top() || bottom > m_writable.bottom())
        return false;
    *box = Rect{left, top, right + 1, bottom + 1};
    return true;
}

bool QtDrawContext::LightPolygon(std::span<const Point> corners, bool filled, COLORREF color)
{
    // The painter's clip only keeps pixels out, as the lighting below does (checked over
    // hundreds of thousands of polygons cut by a clip either way); the picture's edges cut
    // the sides.
    for (const Point& p : corners)
        if (!m_picture.contains(p.x, p.y))
            return false;
    m_spans.clear();
    if (filled)
        AliasedPolygon::Fill(corners, &m_spans);
    AliasedPolygon::Outline(corners, &m_spans);
    const QRgb pixel = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    for (const AliasedPolygon::Span& span : m_spans)
        LightRow(span.y, span.x, span.x + span.length, pixel);
    return true;
}

bool QtDrawContext::FilledObround(const Point (&sides)[4], const Rect (&caps)[2], COLORREF color)
{
    // Only where the calls would go to masks: not within a figure or a path of the
    // caller's, and on a plain painter over pixels this context may write.
    if (m_figureDepth > 0 || m_inPath || m_havePath || !m_pendingArcs.empty() || !m_useMasks ||
        !m_bits || !PlainPainter())
        return false;
    ShapeMasks::ForThisThread().MakeRoom();

    // Every mask is found before anything is drawn, so that nothing is drawn twice
    // where one is lacking and the calls draw the whole figure after all. Of the calls'
    // caps drawn alone, only one a pixel across lights anything the filled path does not
    // (its box); where a larger one strays from the path's outline, it strays into the
    // fill (checked over tens of thousands of caps).
    // A cap whose box is a pixel across one way and at most two the other lights its
    // box, no more (its mask lies within it: checked for every start and end point
    // around such boxes), and is lit as that box without its mask.
    const Point capEnds[2][2] = {{sides[2], sides[0]}, {sides[1], sides[3]}};
    const ShapeMasks::Mask* inPath[2] = {nullptr, nullptr};
    Rect capBoxes[2] = {caps[0], caps[1]};
    for (int i = 0; i < 2; ++i) {
        Rect& box = capBoxes[i];
        box.Normalize();
        const int least = std::min(box.Width(), box.Height());
        const int most = std::max(box.Width(), box.Height());
        if (least == 1 && most <= 2)
            continue;
        if (!(inPath[i] = MaskOf(kClosedArcWhole, caps[i], capEnds[i][0], capEnds[i][1])))
            return false;
    }
    const QPointF body[] = {ToQPointF(sides[0]), ToQPointF(sides[1]), ToQPointF(sides[3]),
                            ToQPointF(sides[2])};
    Rect upright;
    Point bodyCorner;
    const ShapeMasks::Mask* bodyMask = nullptr;
    if (UprightBody(sides, &upright)) {
        LightBox(upright, color);
    } else if ((bodyMask = PolygonMask(body, std::size(body), true, &bodyCorner))) {
        LightRuns(bodyMask->fill, bodyCorner, color);
        LightRuns(bodyMask->outline, bodyCorner, color);
    } else if (const Point corners[] = {sides[0], sides[1], sides[3], sides[2]};
               !LightPolygon(corners, !Sliver(body), color)) {
        m_painter->setPen(PenFor(PenSpec{PenStyle::Solid, 1, color}));
        m_painter->setBrush(Sliver(body) ? m_noBrush
                                         : BrushFor(BrushSpec{BrushStyle::Solid, color}));
        m_painter->drawPolygon(body, int(std::size(body)), Qt::OddEvenFill);
    }
    for (int i = 0; i < 2; ++i) {
        if (capBoxes[i].Width() <= 1 || capBoxes[i].Height() <= 1)
            LightBox(capBoxes[i], color);
        if (inPath[i]) {
            LightRuns(inPath[i]->fill, Corner(caps[i]), color);
            LightRuns(inPath[i]->outline, Corner(caps[i]), color);
        }
    }
    return true;
}
