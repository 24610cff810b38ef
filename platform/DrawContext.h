// The drawing calls board objects make, in view pixels. One implementation paints
// through QPainter (platform/qt), another records the calls for tests.
//
// The context keeps a current pen, brush, position and background colour, as the
// desktop API it replaces does. Between BeginPath and EndPath, MoveTo, LineTo, ArcTo
// and Arc build a path instead of drawing; StrokeAndFillPath, StrokePath or FillPath
// then draws it with the current pen and brush.
#pragma once

#include "WinTypes.h"

#include <string>
#include <vector>

enum class PenStyle { Solid, Dash, Null };
enum class BrushStyle { Solid, Hollow };

struct PenSpec {
    PenStyle style = PenStyle::Solid;
    int width = 1; // pixels; 0 is drawn one pixel wide
    COLORREF color = 0;
    friend bool operator==(const PenSpec&, const PenSpec&) = default;
};

struct BrushSpec {
    BrushStyle style = BrushStyle::Solid;
    COLORREF color = 0;
    friend bool operator==(const BrushSpec&, const BrushSpec&) = default;
};

struct FontSpec {
    std::string family = "Sans";
    int pixelHeight = 12;
    bool bold = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct TextMetrics {
    int width = 0;
    int height = 0;
    int ascent = 0;
};

class DrawContext
{
  public:
    virtual ~DrawContext() = default;

    // Current pen and brush; the previous values are returned so callers can restore them.
    virtual PenSpec SetPen(const PenSpec& pen) = 0;
    virtual BrushSpec SetBrush(const BrushSpec& brush) = 0;
    virtual PenSpec GetPen() const = 0;
    virtual BrushSpec GetBrush() const = 0;
    virtual COLORREF GetBkColor() const = 0;
    virtual void SetBkColor(COLORREF color) = 0;

    // Saves and restores pen, brush, background colour and current position.
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;

    virtual void MoveTo(Point p) = 0;
    virtual void LineTo(Point p) = 0;
    // Outline of the ellipse inscribed in `box`, counter-clockwise as seen on screen from
    // the ray towards `start` to the ray towards `end` (equal rays: a full ellipse).
    virtual void Arc(const Rect& box, Point start, Point end) = 0;
    // As Arc, but first a line from the current position to the arc's start; the
    // current position ends at the arc's end.
    virtual void ArcTo(const Rect& box, Point start, Point end) = 0;
    // Filled with the brush and outlined with the pen.
    virtual void Rectangle(const Rect& r) = 0;
    virtual void Ellipse(const Rect& box) = 0;
    virtual void Polygon(const std::vector<Point>& points) = 0;
    // Fills with a colour, ignoring pen and brush.
    virtual void FillRect(const Rect& r, COLORREF color) = 0;

    virtual void BeginPath() = 0;
    virtual void CloseFigure() = 0;
    virtual void EndPath() = 0;
    virtual void StrokeAndFillPath() = 0;
    virtual void StrokePath() = 0;
    virtual void FillPath() = 0;

    // The calls between BeginFigure and EndFigure draw one small shape with the pen and
    // brush in force at BeginFigure, placed by nothing but the points they pass (and the
    // current position, where a line starts from it). A context may keep the pixels such
    // a figure lights and light them again wherever the same figure comes back, moved by
    // whole pixels. Figures may nest; only the outermost counts. The default draws each
    // call as it comes.
    virtual void BeginFigure() {}
    virtual void EndFigure() {}

    // Draws, with a thin solid pen and a solid brush both in `color`, the figure of a
    // filled obround whose sides run from sides[0] to sides[1] and from sides[2] to
    // sides[3], cap i inscribed in caps[i]: the same pixels as these calls, whatever pen
    // and brush are in force, which they leave as they were:
    //   BeginFigure(); Arc(caps[0], sides[2], sides[0]); Arc(caps[1], sides[1], sides[3]);
    //   BeginPath(); MoveTo(sides[0]); LineTo(sides[1]); LineTo(sides[3]);
    //   LineTo(sides[2]); the two Arcs again; EndPath(); StrokeAndFillPath(); EndFigure();
    // False, drawing nothing, when the context has no quicker way than the calls (the
    // default): the caller then makes them.
    virtual bool FilledObround(const Point (&/*sides*/)[4], const Rect (&/*caps*/)[2],
                               COLORREF /*color*/)
    {
        return false;
    }

    virtual void SetFont(const FontSpec& font) = 0;
    virtual void SetTextColor(COLORREF color) = 0;
    // Draws text with its top-left corner at p, on a transparent background.
    virtual void TextOut(Point p, const std::string& text) = 0;
    virtual TextMetrics MeasureText(const std::string& text) const = 0;
};
