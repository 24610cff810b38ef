// The drawing context that paints through a QPainter, with the pixel rules of the
// desktop API the board code was written for: right and bottom edges of rectangles and
// ellipse boxes are exclusive, a line stops one pixel short of its end point, a pen of
// width 0 or 1 is one pixel wide, wider pens have round ends and joins, and arcs run
// counter-clockwise as seen on screen. The painter's render hints are left as they are;
// a fresh QPainter paints without antialiasing, which these rules assume. Text needs a
// running QGuiApplication for its fonts.
//
// Painting on a QImage, small arcs and ellipses drawn with a thin solid pen (alone or as
// figures of a filled path) are written into the image from the pixels the painter lit
// for the same shape before (ShapeMasks), within the painter's clip as it is when the
// context is made: a clip set later must be undone before the context draws again. The
// figures of such a path are drawn each alone, so where the painter would carry a line
// from one figure into the next, or leave two overlapping figures unfilled, a pixel may
// differ from the painter's own drawing of the whole path (a few in ten thousand lit).
#pragma once

#include "platform/DrawContext.h"
#include "platform/qt/AliasedPolygon.h"
#include "platform/qt/QtFonts.h"
#include "platform/qt/ShapeMasks.h"

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;

class QtDrawContext : public DrawContext
{
  public:
    // The painter is not owned and must outlive the context; so must `fonts` when given
    // (fonts kept from one paint to the next, used by no other context meanwhile).
    explicit QtDrawContext(QPainter* painter, QtFonts* fonts = nullptr);

    PenSpec SetPen(const PenSpec& pen) override;
    BrushSpec SetBrush(const BrushSpec& brush) override;
    PenSpec GetPen() const override { return m_state.pen; }
    BrushSpec GetBrush() const override { return m_state.brush; }
    COLORREF GetBkColor() const override { return m_state.bk; }
    void SetBkColor(COLORREF color) override { m_state.bk = color; }
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
    void BeginFigure() override;
    void EndFigure() override;
    // From masks alone (and the painter for a long body), when masks serve.
    bool FilledObround(const Point (&sides)[4], const Rect (&caps)[2], COLORREF color) override;
    void SetFont(const FontSpec& font) override;
    void SetTextColor(COLORREF color) override;
    void TextOut(Point p, const std::string& text) override;
    TextMetrics MeasureText(const std::string& text) const override;

    static QColor ToQColor(COLORREF c);
    // Off, every shape goes through the painter, as it would on a widget (tests compare
    // the two).
    void UseShapeMasks(bool on) { m_useMasks = on; }

  private:
    struct State {
        PenSpec pen;
        BrushSpec brush;
        COLORREF bk = 0xFFFFFF;
        Point pos;
    };

    // An arc of the ellipse inscribed in a box, in the terms QPainter uses.
    struct ArcGeometry {
        QRectF rect;     // the box as QPainter draws it
        double startDeg; // counter-clockwise as seen, from the positive x axis
        double spanDeg;  // positive, up to a full turn
        Point endPoint;  // where the arc ends, rounded to pixels
    };
    static ArcGeometry MakeArc(const Rect& box, Point start, Point end);
    // The QPainter rectangle covering the same pixels as `r` with exclusive right/bottom.
    static QRectF ShapeRect(Rect r);

    // Draws a shape whose box is at most one pixel across; false when the box is larger.
    bool DrawThinShape(Rect box);
    // Sets the pixels of row y from `from` up to `to`, within the clip, to `pixel`.
    void LightRow(int y, int from, int to, QRgb pixel);
    // Sets the pixels of a normalised box, within the clip, to `color`.
    void LightBox(const Rect& box, COLORREF color);
    // Whether an obround's body (its sides' ends, as FilledObround takes them) is an
    // upright rectangle within the pixels this context writes, and then the box its fill
    // and outline light: every pixel of it, corners included, as the painter lights them
    // (checked over hundreds of thousands of them, clipped or not, a pixel or none thick
    // too). A body of one point lights nothing there and is left to the painter.
    bool UprightBody(const Point (&sides)[4], Rect* box) const;
    // Lights a polygon of whole-pixel corners as the painter fills (when `filled`) and
    // outlines it with a thin solid pen in `color`, within the clip, when its corners lie
    // within the picture this context writes; false, lighting nothing, otherwise.
    bool LightPolygon(std::span<const Point> corners, bool filled, COLORREF color);
    std::vector<AliasedPolygon::Span> m_spans;
    void ApplyPenAndBrush();
    // A line as the desktop API draws it: the start pixel lit, the end pixel left.
    void DrawLine(QPointF from, QPointF to);
    void StartFigureIfNeeded();
    void DrawFinishedPath(bool stroke, bool fill);

    QPainter* m_painter;
    State m_state;
    std::vector<State> m_saved;
    QPen m_qpen;
    QBrush m_qbrush;
    // Pens and brushes made so far, each made once. Making one takes a reference to Qt's
    // one shared empty brush, which contexts drawing on several threads would all bump
    // at once; copies of these touch only their own. The empty ones are made so too.
    std::vector<std::pair<PenSpec, QPen>> m_pens;
    std::vector<std::pair<BrushSpec, QBrush>> m_brushes;
    QPen m_noPen;
    QBrush m_noBrush;
    QPen MakePen(const PenSpec& pen) const;
    // The pen and brush made for a spec, made now if not yet.
    const QPen& PenFor(const PenSpec& pen);
    const QBrush& BrushFor(const BrushSpec& brush);
    // The fonts: the caller's set when given, else one of the context's own.
    QtFonts::Font& CurrentFont() const;
    FontSpec m_fontSpec;
    std::unique_ptr<QtFonts> m_ownFonts;
    QtFonts* m_fonts;
    COLORREF m_textColor = 0;

    // Figures: their calls are recorded as an operation followed by its points, each
    // point two numbers, and drawn at EndFigure, from a picture kept per thread when the
    // same figure was drawn before (FigureCache).
    enum FigureOp : int {
        kMoveTo,
        kLineTo,
        kArc,
        kArcTo,
        kRectangle,
        kEllipse,
        kBeginPath,
        kCloseFigure,
        kEndPath,
        kStrokeAndFillPath,
        kStrokePath,
        kFillPath,
    };
    // Figures larger than this many pixels either way are drawn directly.
    static constexpr int kLargestFigure = 48;
    // Texts longer than this are drawn directly.
    static constexpr std::size_t kLongestKeptText = 8;
    // True when the call went into the figure being recorded.
    bool Record(FigureOp op, std::initializer_list<Point> points);
    // Draws what was recorded as it came and records no more of this figure (a call a
    // figure cannot hold was made).
    void DropFigure();
    void Replay(QtDrawContext* on, Point shift) const;
    // True when the arc recorded at `at`, drawn outside a path, is drawn again as a figure
    // of a path whose outline is stroked later, which lights all its pixels anyway.
    bool ArcStrokedAgain(std::size_t at) const;
    // True when the path begun before `from` in the figure is drawn filled.
    bool PathFilled(std::size_t from) const;
    bool PlainPainter() const;

    int m_figureDepth = 0;
    bool m_recording = false;
    std::vector<int> m_figure;
    bool m_figureMoved = false;   // a MoveTo was recorded
    bool m_figureUsesPos = false; // a line starts at the position the figure found
    int m_figurePath = 0;         // 0 no path, 1 being built, 2 built and not drawn
    std::string m_key;

    // Shapes written from masks. A key names a shape by its kind and its points relative
    // to its box; false when the shape is too large for a mask. MasksServe tells whether
    // shapes may be drawn from masks now; ReadyMasks tells it too, and readies this
    // thread's masks for the shapes about to be drawn (MaskOf: null when too large).
    enum MaskKind : int {
        kOpenArc,
        kClosedArc,
        kEllipseFilled,
        kEllipseFill,
        kEllipseOutline,
        kPolygon,
        // Filled and outlined in one colour: the pixels of both together, as the outline.
        kClosedArcWhole,
        kPolygonWhole
    };
    static bool MaskKey(MaskKind kind, const Rect& box, Point start, Point end, std::uint64_t* key);
    bool MasksServe() const;
    bool ReadyMasks();
    const ShapeMasks::Mask* MaskOf(MaskKind kind, const Rect& box, Point start, Point end);
    const ShapeMasks::Mask& MaskFor(std::uint64_t key, MaskKind kind, const Rect& box, Point start,
                                    Point end);
    // The mask of a polygon of 2 to kMostPolygonPoints whole-pixel points filled and
    // outlined apart (`whole`: together), placed at `corner`, the least x and y of its
    // points; null when the polygon has more points or spans more than kLargestPolygon
    // pixels either way.
    static constexpr std::size_t kMostPolygonPoints = 4;
    static constexpr int kLargestPolygon = 8;
    const ShapeMasks::Mask* PolygonMask(const QPointF* points, std::size_t count, bool whole,
                                        Point* corner);
    // The top-left corner of a box given either way round, where its masks are placed.
    static Point Corner(const Rect& box);
    bool DrawPathFromMasks(bool stroke);
    // Lights the runs (relative to `corner`) in `color`, within the clip.
    void LightRuns(std::span<const ShapeMasks::Run> runs, Point corner, COLORREF color);

    bool m_useMasks = true;
    uchar* m_bits = nullptr; // the image painted on, when its pixels can be written
    qsizetype m_stride = 0;
    QRect m_writable; // the clip within that image
    QRect m_picture;  // all of that image
    // The figures of the path being built while it may be drawn from masks: an arc each,
    // or lines through points of m_partPoints, closed or not. The painter's path is made
    // of them only when it is needed: when the path is not drawn from masks, or another
    // kind of figure joins it.
    struct PathPart {
        bool arc = false;
        bool closed = false;
        Rect box;
        Point start;
        Point end;
        std::size_t first = 0;
        std::size_t count = 0;
    };
    std::vector<PathPart> m_parts;
    std::vector<QPointF> m_partPoints;
    bool m_partsUsable = false;
    // Makes m_path of the parts and builds the rest of the path there; `ended`: as
    // EndPath leaves it.
    void BuildPathFromParts(bool ended);
    // Makes m_path of what holds the path so far: the calls (m_pathInOps), or the parts
    // (as BuildPathFromParts).
    void BuildPath(bool ended);
    // The path so far is held by m_pathOps alone, m_path empty, since an arc joined to a
    // figure came (BuildPath makes it when the painter needs it).
    bool m_pathInOps = false;
    // The outline of a path lights every pixel of an arc drawn alone along one of its
    // figures, with a thin solid pen, once the arc's box is this many pixels either way;
    // below that a pixel or two of the tightest curves may differ.
    static constexpr int kSmallestCoveredBox = 5;
    // Arcs of that size drawn alone in a figure that is not recorded, held back until
    // the figure's path is drawn: one lying along a figure of that path is left out when
    // the path is `outlined` with a thin solid pen.
    std::vector<PathPart> m_pendingArcs;
    void DrawPendingArcs(bool outlined);
    void StrokeArc(const Rect& box, Point start, Point end);

    // The calls that build the path, in whole pixels, while the whole path may be drawn
    // from a mask: for each, its operation, its count of points and their coordinates. A
    // line that starts from the current position is preceded by a move there. A path of
    // one colour within a mask's box is drawn from a mask found by a hash of these, its
    // coordinates taken from the least x and y (DrawPathFromMask).
    std::vector<int> m_pathOps;
    bool m_pathOpsUsable = false;
    static constexpr std::size_t kMostPathOps = 256;
    void RecordPathOp(FigureOp op, std::initializer_list<Point> points);
    bool DrawPathFromMask(bool stroke, bool fill);

    // Closes the path's last figure before another starts when the path is built closed.
    void StartSubpath();

    bool m_inPath = false;
    bool m_figureOpen = false; // the path's last figure accepts further lines
    QPainterPath m_path;
    bool m_havePath = false; // a path was completed and not yet drawn
    // The next path will be filled (a replayed figure says so before it begins): its
    // figures are closed as it is built, as a fill's outline needs them, instead of in a
    // copy made when it is drawn. `m_pathClosed` tells that of the path being built.
    bool m_buildClosed = false;
    bool m_pathClosed = false;
};
