// A drawing context that records every call instead of painting, for tests. Each
// drawing call is stored with the pen and brush in force and whether it was made
// while a path was being built.
#pragma once

#include "DrawContext.h"

#include <string>
#include <vector>

class RecordingDrawContext : public DrawContext
{
  public:
    enum class Op {
        SetPen,
        SetBrush,
        SetBkColor,
        SaveState,
        RestoreState,
        MoveTo,
        LineTo,
        Arc,
        ArcTo,
        Rectangle,
        Ellipse,
        Polygon,
        FillRect,
        BeginPath,
        CloseFigure,
        EndPath,
        StrokeAndFillPath,
        StrokePath,
        FillPath,
        SetFont,
        SetTextColor,
        TextOut,
    };

    struct Call {
        Op op;
        std::vector<Point>
            points;         // MoveTo/LineTo: 1; Arc/ArcTo: start, end; Polygon: all; TextOut: 1
        Rect rect;          // Arc/ArcTo/Ellipse/Rectangle/FillRect
        PenSpec pen;        // in force when the call was made (SetPen: the new pen)
        BrushSpec brush;    // in force when the call was made (SetBrush: the new brush)
        COLORREF color = 0; // SetBkColor, FillRect, SetTextColor
        std::string text;   // TextOut
        bool inPath = false;
    };

    PenSpec SetPen(const PenSpec& pen) override;
    BrushSpec SetBrush(const BrushSpec& brush) override;
    PenSpec GetPen() const override { return m_state.pen; }
    BrushSpec GetBrush() const override { return m_state.brush; }
    COLORREF GetBkColor() const override { return m_state.bk; }
    void SetBkColor(COLORREF color) override;
    void SaveState() override;
    void RestoreState() override;
    void MoveTo(Point p) override;
    void LineTo(Point p) override;
    void Arc(const Rect& box, Point start, Point end) override;
    void ArcTo(const Rect& box, Point start, Point end) override;
    void Rectangle(const Rect& r) override;
    void Ellipse(const Rect& box) override;
    void Polygon(const std::vector<Point>& points) override;
    void FillRect(const Rect& r, COLORREF color) override;
    void BeginPath() override;
    void CloseFigure() override;
    void EndPath() override;
    void StrokeAndFillPath() override;
    void StrokePath() override;
    void FillPath() override;
    void SetFont(const FontSpec& font) override;
    void SetTextColor(COLORREF color) override;
    void TextOut(Point p, const std::string& text) override;
    // Every character is taken as 6 x 10 pixels.
    TextMetrics MeasureText(const std::string& text) const override;

    std::vector<Call> calls;

    // The calls of one kind, in order.
    std::vector<const Call*> Find(Op op) const;
    int Count(Op op) const;
    // Calls that put something on the page (lines, arcs, shapes, paths stroked or
    // filled, text).
    int DrawingCount() const;
    void Clear() { calls.clear(); }
    // Saves not yet restored.
    int SaveDepth() const { return int(m_saved.size()); }
    Point CurrentPosition() const { return m_state.pos; }

  private:
    struct State {
        PenSpec pen;
        BrushSpec brush;
        COLORREF bk = 0xFFFFFF;
        Point pos;
    };
    Call& Add(Op op);

    State m_state;
    std::vector<State> m_saved;
    bool m_inPath = false;
};
