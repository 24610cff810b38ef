#include "RecordingDrawContext.h"

#include <cmath>

namespace
{

// Where the ray from the centre of `box` through `p` meets the ellipse inscribed in `box`.
Point PointOnEllipse(const Rect& box, Point p)
{
    // In doubles: a box far out may reach past what an int sum holds.
    const double cx = (double(box.left) + box.right) * 0.5;
    const double cy = (double(box.top) + box.bottom) * 0.5;
    const double a = std::abs(double(box.right) - box.left) * 0.5;
    const double b = std::abs(double(box.bottom) - box.top) * 0.5;
    const double dx = p.x - cx;
    const double dy = p.y - cy;
    // Parametric angle of the ray's meeting point; the products keep a flat box finite.
    const double t = std::atan2(dy * a, dx * b);
    return Point{int(std::lround(cx + a * std::cos(t))), int(std::lround(cy + b * std::sin(t)))};
}

} // namespace

RecordingDrawContext::Call& RecordingDrawContext::Add(Op op)
{
    Call c;
    c.op = op;
    c.pen = m_state.pen;
    c.brush = m_state.brush;
    c.inPath = m_inPath;
    calls.push_back(std::move(c));
    return calls.back();
}

PenSpec RecordingDrawContext::SetPen(const PenSpec& pen)
{
    const PenSpec old = m_state.pen;
    m_state.pen = pen;
    Add(Op::SetPen);
    return old;
}

BrushSpec RecordingDrawContext::SetBrush(const BrushSpec& brush)
{
    const BrushSpec old = m_state.brush;
    m_state.brush = brush;
    Add(Op::SetBrush);
    return old;
}

void RecordingDrawContext::SetBkColor(COLORREF color)
{
    m_state.bk = color;
    Add(Op::SetBkColor).color = color;
}

void RecordingDrawContext::SaveState()
{
    m_saved.push_back(m_state);
    Add(Op::SaveState);
}

void RecordingDrawContext::RestoreState()
{
    if (!m_saved.empty()) {
        m_state = m_saved.back();
        m_saved.pop_back();
    }
    Add(Op::RestoreState);
}

void RecordingDrawContext::MoveTo(Point p)
{
    m_state.pos = p;
    Add(Op::MoveTo).points = {p};
}

void RecordingDrawContext::LineTo(Point p)
{
    Add(Op::LineTo).points = {p};
    m_state.pos = p;
}

void RecordingDrawContext::Arc(const Rect& box, Point start, Point end)
{
    Call& c = Add(Op::Arc);
    c.rect = box;
    c.points = {start, end};
}

void RecordingDrawContext::ArcTo(const Rect& box, Point start, Point end)
{
    Call& c = Add(Op::ArcTo);
    c.rect = box;
    c.points = {start, end};
    m_state.pos = PointOnEllipse(box, end);
}

void RecordingDrawContext::Rectangle(const Rect& r)
{
    Add(Op::Rectangle).rect = r;
}

void RecordingDrawContext::Ellipse(const Rect& box)
{
    Add(Op::Ellipse).rect = box;
}

void RecordingDrawContext::Polygon(const std::vector<Point>& points)
{
    Add(Op::Polygon).points = points;
}

void RecordingDrawContext::FillRect(const Rect& r, COLORREF color)
{
    Call& c = Add(Op::FillRect);
    c.rect = r;
    c.color = color;
}

void RecordingDrawContext::BeginPath()
{
    Add(Op::BeginPath);
    m_inPath = true;
}

void RecordingDrawContext::CloseFigure()
{
    Add(Op::CloseFigure);
}

void RecordingDrawContext::EndPath()
{
    Add(Op::EndPath);
    m_inPath = false;
}

void RecordingDrawContext::StrokeAndFillPath()
{
    Add(Op::StrokeAndFillPath);
}

void RecordingDrawContext::StrokePath()
{
    Add(Op::StrokePath);
}

void RecordingDrawContext::FillPath()
{
    Add(Op::FillPath);
}

void RecordingDrawContext::SetFont(const FontSpec&)
{
    Add(Op::SetFont);
}

void RecordingDrawContext::SetTextColor(COLORREF color)
{
    Add(Op::SetTextColor).color = color;
}

void RecordingDrawContext::TextOut(Point p, const std::string& text)
{
    Call& c = Add(Op::TextOut);
    c.points = {p};
    c.text = text;
}

TextMetrics RecordingDrawContext::MeasureText(const std::string& text) const
{
    return TextMetrics{int(text.size()) * 6, 10, 8};
}

std::vector<const RecordingDrawContext::Call*> RecordingDrawContext::Find(Op op) const
{
    std::vector<const Call*> found;
    for (const Call& c : calls)
        if (c.op == op)
            found.push_back(&c);
    return found;
}

int RecordingDrawContext::Count(Op op) const
{
    int n = 0;
    for (const Call& c : calls)
        if (c.op == op)
            ++n;
    return n;
}

int RecordingDrawContext::DrawingCount() const
{
    int n = 0;
    for (const Call& c : calls) {
        switch (c.op) {
        case Op::LineTo:
        case Op::Arc:
        case Op::ArcTo:
        case Op::Rectangle:
        case Op::Ellipse:
        case Op::Polygon:
        case Op::FillRect:
        case Op::StrokeAndFillPath:
        case Op::StrokePath:
        case Op::FillPath:
        case Op::TextOut:
            ++n;
            break;
        default:
            break;
        }
    }
    return n;
}
