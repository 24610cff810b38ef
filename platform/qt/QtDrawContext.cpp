#include "QtDrawContext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{

// Dash and gap lengths of a dashed pen, in pixels.
constexpr double kDash = 18.0;
constexpr double kGap = 6.0;

QPointF ToQPointF(Point p)
{
    return QPointF(p.x, p.y);
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

} // namespace

QtDrawContext::QtDrawContext(QPainter* painter)
    : m_painter(painter), m_noPen(QBrush(Qt::black), 1.0, Qt::NoPen), m_noBrush(Qt::NoBrush)
{
    m_noBrush.setColor(Qt::white); // a brush of its own, apart from the shared empty one
    // Dash gaps and text backgrounds are left unpainted.
    m_painter->setBackgroundMode(Qt::TransparentMode);
    SetPen(m_state.pen);
    SetBrush(m_state.brush);
    SetFont(FontSpec{});
}

QColor QtDrawContext::ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

PenSpec QtDrawContext::SetPen(const PenSpec& pen)
{
    const PenSpec old = m_state.pen;
    m_state.pen = pen;
    for (const auto& [spec, made] : m_pens)
        if (spec == pen) {
            m_qpen = made;
            return old;
        }
    m_qpen = MakePen(pen);
    m_pens.emplace_back(pen, m_qpen);
    return old;
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
    const BrushSpec old = m_state.brush;
    m_state.brush = brush;
    if (brush.style == BrushStyle::Hollow) {
        m_qbrush = m_noBrush;
        return old;
    }
    for (const auto& [spec, made] : m_brushes)
        if (spec == brush) {
            m_qbrush = made;
            return old;
        }
    m_qbrush = QBrush(ToQColor(brush.color));
    m_brushes.emplace_back(brush, m_qbrush);
    return old;
}

void QtDrawContext::SaveState()
{
    m_saved.push_back(m_state);
}

void QtDrawContext::RestoreState()
{
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
        m_path.moveTo(ToQPointF(m_state.pos));
        m_figureOpen = true;
    }
}

void QtDrawContext::MoveTo(Point p)
{
    m_state.pos = p;
    if (m_inPath) {
        m_path.moveTo(ToQPointF(p));
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
    if (m_inPath) {
        StartFigureIfNeeded();
        m_path.lineTo(ToQPointF(p));
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
    if (!box.IsEmpty() && m_state.pen.style != PenStyle::Null)
        m_painter->fillRect(QRect(box.left, box.top, box.Width(), box.Height()), m_qpen.color());
    return true;
}

QtDrawContext::ArcGeometry QtDrawContext::MakeArc(const Rect& box, Point start, Point end)
{
    Rect b = box;
    b.Normalize();
    const double cx = (b.left + b.right) * 0.5;
    const double cy = (b.top + b.bottom) * 0.5;
    const double ra = b.Width() * 0.5;
    const double rb = b.Height() * 0.5;
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
    const ArcGeometry g = MakeArc(box, start, end);
    if (m_inPath) {
        // An arc starts a figure of its own and leaves the current position alone.
        m_path.arcMoveTo(g.rect, g.startDeg);
        m_path.arcTo(g.rect, g.startDeg, g.spanDeg);
        m_figureOpen = false;
        return;
    }
    if (DrawThinShape(box))
        return;
    QPainterPath arc;
    arc.arcMoveTo(g.rect, g.startDeg);
    arc.arcTo(g.rect, g.startDeg, g.spanDeg);
    m_painter->strokePath(arc, m_qpen);
}

void QtDrawContext::ArcTo(const Rect& box, Point start, Point end)
{
    const ArcGeometry g = MakeArc(box, start, end);
    if (m_inPath) {
        StartFigureIfNeeded();
        m_path.arcTo(g.rect, g.startDeg, g.spanDeg); // joined to the current point by a line
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
    const QRectF q = ShapeRect(r);
    if (m_inPath) {
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
    const QRectF q = ShapeRect(box);
    if (m_inPath) {
        m_path.addEllipse(q);
        m_figureOpen = false;
        return;
    }
    if (DrawThinShape(box))
        return;
    ApplyPenAndBrush();
    m_painter->drawEllipse(q);
}

void QtDrawContext::Polygon(const std::vector<Point>& points)
{
    if (points.empty())
        return;
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()));
    for (const Point& p : points)
        poly << ToQPointF(p);
    if (m_inPath) {
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
    if (r.IsEmpty())
        return;
    m_painter->fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(color));
}

void QtDrawContext::BeginPath()
{
    m_path = QPainterPath();
    m_path.setFillRule(Qt::OddEvenFill);
    m_inPath = true;
    m_figureOpen = false;
    m_havePath = false;
}

void QtDrawContext::CloseFigure()
{
    if (m_inPath && m_figureOpen) {
        m_path.closeSubpath();
        m_figureOpen = false;
    }
}

void QtDrawContext::EndPath()
{
    if (!m_inPath)
        return;
    m_inPath = false;
    m_figureOpen = false;
    m_havePath = true;
}

void QtDrawContext::DrawFinishedPath(bool stroke, bool fill)
{
    if (m_inPath) // a path still open is taken as finished
        EndPath();
    if (!m_havePath)
        return;
    m_havePath = false;
    const QPainterPath path = m_path;
    m_path = QPainterPath();

    QPainterPath outline = path;
    if (fill) {
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
    DrawFinishedPath(true, true);
}

void QtDrawContext::StrokePath()
{
    DrawFinishedPath(true, false);
}

void QtDrawContext::FillPath()
{
    DrawFinishedPath(false, true);
}

void QtDrawContext::SetFont(const FontSpec& font)
{
    if (m_font && m_font->spec == font)
        return;
    for (const auto& known : m_fonts)
        if (known->spec == font) {
            m_font = known.get();
            return;
        }
    QFont made(QString::fromStdString(font.family));
    if (font.pixelHeight > 0)
        made.setPixelSize(font.pixelHeight);
    made.setBold(font.bold);
    m_fonts.push_back(std::make_unique<Font>(Font{font, made, QFontMetrics(made)}));
    m_font = m_fonts.back().get();
}

void QtDrawContext::SetTextColor(COLORREF color)
{
    m_textColor = color;
}

void QtDrawContext::TextOut(Point p, const std::string& text)
{
    const QFont font = m_font ? m_font->font : QFont();
    const int ascent = m_font ? m_font->metrics.ascent() : QFontMetrics(font).ascent();
    m_painter->setFont(font);
    m_painter->setPen(ToQColor(m_textColor));
    m_painter->drawText(QPointF(p.x, p.y + ascent), QString::fromStdString(text));
}

TextMetrics QtDrawContext::MeasureText(const std::string& text) const
{
    const QFontMetrics fm = m_font ? m_font->metrics : QFontMetrics(QFont());
    const int width = fm.horizontalAdvance(QString::fromStdString(text));
    return TextMetrics{width, fm.height(), fm.ascent()};
}
