#include "platform/qt/QtDrawContext.h"

#include "platform/qt/FigureCache.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace
{

// Text needs the font database of a running application.
class GuiApplicationEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        if (!QGuiApplication::instance())
            m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[18] = "QtDrawContextTest";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

constexpr COLORREF kRed = MakeRGB(255, 0, 0);
constexpr COLORREF kGreen = MakeRGB(0, 255, 0);
constexpr COLORREF kBlue = MakeRGB(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

// Paints on a white image through a fresh context with a red pen and a blue brush.
QImage Paint(int w, int h, const std::function<void(QtDrawContext&)>& draw)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kWhite);
    QPainter painter(&img);
    QtDrawContext dc(&painter);
    dc.SetPen(PenSpec{PenStyle::Solid, 1, kRed});
    dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
    draw(dc);
    painter.end();
    return img;
}

QRgb Rgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}
bool Lit(const QImage& img, int x, int y)
{
    return img.pixel(x, y) != kWhite;
}

// Counts painted pixels in [x0, x1) x [y0, y1), by default the whole image.
int CountLit(const QImage& img, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    int n = 0;
    for (int y = y0; y < (y1 < 0 ? img.height() : y1); ++y)
        for (int x = x0; x < (x1 < 0 ? img.width() : x1); ++x)
            n += Lit(img, x, y) ? 1 : 0;
    return n;
}

TEST(QtDrawContextTest, LinesLightTheirStartButNotTheirEndInPensWidthAndStyle)
{
    const QImage img = Paint(30, 30, [](QtDrawContext& dc) {
        dc.MoveTo({2, 5});
        dc.LineTo({12, 5});
        dc.LineTo({12, 15}); // continues from the previous end
        dc.MoveTo({20, 25});
        dc.LineTo({20, 15}); // upwards
    });
    for (int x = 2; x < 12; ++x)
        EXPECT_EQ(img.pixel(x, 5), Rgb(kRed)) << x;
    EXPECT_TRUE(Lit(img, 12, 5) && Lit(img, 12, 14) && Lit(img, 20, 25));
    EXPECT_FALSE(Lit(img, 12, 15) || Lit(img, 20, 15));
    EXPECT_EQ(CountLit(img), 30);

    auto line = [](PenSpec pen) {
        return Paint(110, 20, [&](QtDrawContext& dc) {
            dc.SetPen(pen);
            dc.MoveTo({0, 10});
            dc.LineTo({100, 10});
        });
    };
    // Widths 0 and 1 are both one pixel; wider pens cover their width across the line.
    EXPECT_EQ(CountLit(line({PenStyle::Solid, 0, kRed}), 50, 0, 51, 20), 1);
    EXPECT_EQ(CountLit(line({PenStyle::Solid, 5, kRed}), 50, 0, 51, 20), 5);
    EXPECT_EQ(CountLit(line({PenStyle::Null, 3, kRed})), 0);

    // A restored state draws with the saved pen from the saved position.
    const QImage restored = Paint(30, 30, [](QtDrawContext& dc) {
        dc.RestoreState(); // nothing saved: no effect
        dc.MoveTo({2, 5});
        dc.SaveState();
        dc.SetPen(PenSpec{PenStyle::Solid, 3, kGreen});
        dc.MoveTo({2, 20});
        dc.RestoreState();
        dc.LineTo({12, 5});
    });
    EXPECT_EQ(restored.pixel(5, 5), Rgb(kRed));
    EXPECT_EQ(CountLit(restored), 10);
}

TEST(QtDrawContextTest, ShapesAreExclusiveOfRightAndBottom)
{
    const QImage solid = Paint(30, 30, [](QtDrawContext& dc) { dc.Rectangle({10, 10, 20, 20}); });
    EXPECT_EQ(solid.pixel(19, 19), Rgb(kRed));
    EXPECT_EQ(solid.pixel(15, 15), Rgb(kBlue));
    EXPECT_EQ(CountLit(solid), 100);
    EXPECT_EQ(Paint(30, 30, [](QtDrawContext& dc) { dc.Rectangle({20, 20, 10, 10}); }), solid);
    const QImage hollow = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetBrush(BrushSpec{BrushStyle::Hollow, kBlue});
        dc.Rectangle({10, 10, 20, 20});
    });
    EXPECT_EQ(CountLit(hollow), 36);

    // An empty box draws nothing; a box one pixel wide draws exactly its pixels. FillRect
    // takes the colour in its own byte order, not the brush.
    const QImage thin = Paint(20, 20, [](QtDrawContext& dc) {
        dc.Rectangle({2, 2, 2, 10});
        dc.Ellipse({4, 4, 4, 4});
        dc.Arc({6, 6, 6, 9}, {0, 0}, {0, 0});
        dc.Rectangle({10, 2, 11, 7});
        dc.Ellipse({12, 12, 17, 13});
        dc.FillRect({8, 8, 8, 9}, kGreen);
        dc.FillRect({2, 15, 5, 17}, COLORREF(0x0000FF));
    });
    EXPECT_EQ(CountLit(thin), 5 + 5 + 6);
    EXPECT_EQ(CountLit(thin, 10, 2, 11, 7), 5);
    EXPECT_EQ(CountLit(thin, 12, 12, 17, 13), 5);
    EXPECT_EQ(thin.pixel(4, 16), qRgb(255, 0, 0));
}

TEST(QtDrawContextTest, ArcsRunCounterClockwiseFromStartRayToEndRay)
{
    // Box centred on (30, 30), radius 20.
    const Rect box{10, 10, 51, 51};
    const QImage upperRight = Paint(61, 61, [&](QtDrawContext& dc) {
        dc.Arc(box, {60, 30}, {30, 0});
    });
    EXPECT_GT(CountLit(upperRight, 31, 10, 51, 30), 20);
    EXPECT_EQ(CountLit(upperRight), CountLit(upperRight, 30, 0, 61, 31));
    // Swapping the rays draws the other three quarters; equal rays, the whole ellipse.
    const QImage rest = Paint(61, 61, [&](QtDrawContext& dc) { dc.Arc(box, {30, 0}, {60, 30}); });
    EXPECT_EQ(CountLit(rest, 32, 0, 61, 29), 0);
    EXPECT_GT(CountLit(rest, 0, 31, 29, 61), 20);
    const QImage full = Paint(61, 61, [&](QtDrawContext& dc) { dc.Arc(box, {35, 30}, {60, 30}); });
    EXPECT_GT(CountLit(full, 31, 0, 61, 29), 20);

    // A flat ellipse about (100, 20): the rays at 45 and 135 degrees meet it about 19.6
    // pixels either side of the centre, so the arc is only the middle of the top edge.
    const QImage flat = Paint(202, 42, [](QtDrawContext& dc) {
        dc.Arc({0, 0, 201, 41}, {200, -80}, {0, -80});
    });
    EXPECT_TRUE(Lit(flat, 100, 0));
    EXPECT_EQ(CountLit(flat, 0, 0, 76, 42) + CountLit(flat, 125, 0, 202, 42), 0);

    // ArcTo joins the current position to the arc's start, then moves to its end.
    const QImage joined = Paint(61, 61, [&](QtDrawContext& dc) {
        dc.MoveTo({55, 55});
        dc.ArcTo(box, {60, 30}, {30, 0});
        dc.SetPen(PenSpec{PenStyle::Solid, 1, kGreen});
        dc.LineTo({30, 40});
    });
    EXPECT_GT(CountLit(joined, 51, 31, 56, 56), 20); // the joining line up to (50, 30)
    EXPECT_EQ(joined.pixel(30, 20), Rgb(kGreen));
    EXPECT_EQ(CountLit(joined, 0, 0, 29, 61), 0);
}

TEST(QtDrawContextTest, PathsDrawOnceAndOnlyWhenStrokedOrFilled)
{
    // A square left open (the closing side is (5, 25) to (5, 5)), then an obround: two
    // sides and two half-circle caps as figures of their own, filled together.
    auto shapes = [](QtDrawContext& dc) {
        dc.BeginPath();
        dc.MoveTo({5, 5});
        dc.LineTo({25, 5});
        dc.LineTo({25, 25});
        dc.LineTo({5, 25});
        dc.MoveTo({50, 10});
        dc.LineTo({90, 10});
        dc.LineTo({90, 30});
        dc.LineTo({50, 30});
        dc.Arc({80, 10, 101, 31}, {90, 30}, {90, 10}); // right cap, bottom to top
        dc.Arc({40, 10, 61, 31}, {50, 10}, {50, 30});  // left cap, top to bottom
        dc.EndPath();
    };
    auto with = [&](void (QtDrawContext::*finish)()) {
        return Paint(110, 40, [&](QtDrawContext& dc) {
            shapes(dc);
            if (finish)
                (dc.*finish)();
        });
    };
    EXPECT_EQ(CountLit(with(nullptr)), 0);
    const QImage filled = with(&QtDrawContext::StrokeAndFillPath);
    EXPECT_EQ(filled.pixel(15, 15), Rgb(kBlue));
    EXPECT_EQ(filled.pixel(5, 15), Rgb(kRed)); // the side that closes the figure
    EXPECT_EQ(CountLit(filled, 0, 0, 30, 30), 21 * 21);
    for (int x : {70, 96, 44})
        EXPECT_EQ(filled.pixel(x, 20), Rgb(kBlue)) << x;
    EXPECT_FALSE(Lit(filled, 42, 12) || Lit(filled, 98, 28)); // outside the caps
    const QImage stroked = with(&QtDrawContext::StrokePath);
    EXPECT_EQ(stroked.pixel(15, 5), Rgb(kRed));
    EXPECT_FALSE(Lit(stroked, 15, 15) || Lit(stroked, 5, 15));
    const QImage onlyFilled = with(&QtDrawContext::FillPath);
    EXPECT_EQ(onlyFilled.pixel(6, 6), Rgb(kBlue));
    EXPECT_FALSE(Lit(onlyFilled, 25, 15));
    const QImage once = Paint(110, 40, [&](QtDrawContext& dc) {
        shapes(dc);
        dc.StrokeAndFillPath();
        dc.FillRect({0, 0, 110, 40}, MakeRGB(255, 255, 255));
        dc.StrokeAndFillPath();
    });
    EXPECT_EQ(CountLit(once), 0);
}

// A path of arcs joined to lines is held by its calls until the painter needs it: when it
// is not drawn from a mask (two colours, too large), or a shape joins it, the painter gets
// the path it would have got built call by call.
TEST(QtDrawContextTest, PathsOfJoinedArcsReachThePainterAsBuiltCallByCall)
{
    const auto ring = [](QtDrawContext& dc, int r) {
        dc.MoveTo({40 + r, 40});
        dc.ArcTo({40 - r, 40 - r, 40 + r, 40 + r}, {40 + r, 40}, {40 + r, 40});
        dc.LineTo({40 + r / 2, 40});
        dc.LineTo({40, 40 - r / 2});
        dc.CloseFigure();
    };
    const std::function<void(QtDrawContext&)> paths[] = {
        [&](QtDrawContext& dc) { ring(dc, 6); }, [&](QtDrawContext& dc) { ring(dc, 30); },
        [&](QtDrawContext& dc) {
            dc.MoveTo({2, 2});
            dc.LineTo({20, 4});
            dc.ArcTo({10, 10, 30, 24}, {30, 17}, {20, 10});
            dc.Arc({40, 4, 60, 20}, {60, 12}, {40, 12});
            dc.LineTo({50, 30});
            dc.ArcTo({50, 30, 70, 50}, {70, 40}, {60, 30});
            dc.CloseFigure();
            dc.MoveTo({5, 60});
            dc.ArcTo({5, 50, 25, 70}, {15, 70}, {25, 60});
        },
        [&](QtDrawContext& dc) {
            ring(dc, 8);
            dc.Rectangle({60, 60, 75, 72});
            dc.LineTo({10, 70});
        }};
    const std::pair<COLORREF, void (QtDrawContext::*)()> finishes[] = {
        {kBlue, &QtDrawContext::StrokeAndFillPath},
        {kRed, &QtDrawContext::StrokeAndFillPath},
        {kRed, &QtDrawContext::StrokePath},
        {kRed, &QtDrawContext::FillPath}};
    for (std::size_t i = 0; i < std::size(paths); ++i)
        for (const auto& [brush, finish] : finishes) {
            SCOPED_TRACE(i);
            const auto draw = [&](bool masks) {
                return Paint(90, 90, [&](QtDrawContext& dc) {
                    dc.UseShapeMasks(masks);
                    dc.SetBrush(BrushSpec{BrushStyle::Solid, brush});
                    dc.BeginPath();
                    paths[i](dc);
                    dc.EndPath();
                    (dc.*finish)();
                });
            };
            const QImage built = draw(false);
            EXPECT_GT(CountLit(built), 0);
            EXPECT_EQ(draw(true), built);
        }
}

TEST(QtDrawContextTest, TextIsPaintedBelowAndRightOfItsPointWithinItsMeasure)
{
    TextMetrics m, shorter;
    const QImage img = Paint(120, 60, [&](QtDrawContext& dc) {
        dc.SetFont(FontSpec{"Sans", 20, false});
        dc.SetTextColor(kRed);
        m = dc.MeasureText("HHHH");
        shorter = dc.MeasureText("HH");
        dc.TextOut({10, 20}, "HHHH");
    });
    EXPECT_GT(m.width, shorter.width);
    EXPECT_GE(m.height, 15);
    EXPECT_TRUE(m.ascent > 0 && m.ascent <= m.height);
    const int lit = CountLit(img);
    EXPECT_GT(lit, 0);
    EXPECT_EQ(CountLit(img, 10, 20, 10 + m.width, 20 + m.height), lit);
    // Capitals fill most of the ascent: text drawn with its baseline at the point would
    // leave this band empty.
    EXPECT_GT(CountLit(img, 10, 20 + m.ascent / 2, 10 + m.width, 20 + m.ascent), 0);
}

} // namespace

// A figure is drawn once directly, then from a kept picture wherever it comes back moved
// by whole pixels: the pixels, and the position the next line starts from, are those of
// drawing each call as it comes.
TEST(QtDrawContextTest, FiguresDrawnAgainElsewhereLightWhatTheirCallsLight)
{
    using Figure = std::function<void(QtDrawContext&, Point)>;
    const auto at = [](Point o, int x, int y) { return Point{o.x + x, o.y + y}; };
    const std::pair<const char*, Figure> figures[] = {
        {"obround",
         [&](QtDrawContext& dc, Point o) {
             const Rect cap1{o.x, o.y, o.x + 7, o.y + 7};
             const Rect cap2{o.x + 9, o.y + 4, o.x + 16, o.y + 11};
             dc.Arc(cap1, at(o, 5, 6), at(o, 2, 0));
             dc.BeginPath();
             dc.MoveTo(at(o, 2, 0));
             dc.LineTo(at(o, 12, 4));
             dc.LineTo(at(o, 13, 11));
             dc.LineTo(at(o, 5, 6));
             dc.Arc(cap1, at(o, 5, 6), at(o, 2, 0));
             dc.Arc(cap2, at(o, 12, 4), at(o, 13, 11));
             dc.EndPath();
             dc.StrokeAndFillPath();
         }},
        {"a filled path of figures left open, closed and of shapes",
         [&](QtDrawContext& dc, Point o) {
             dc.BeginPath();
             dc.LineTo(at(o, 6, 1));
             dc.LineTo(at(o, 3, 9));
             dc.CloseFigure();
             dc.LineTo(at(o, 14, 2));
             dc.Rectangle({o.x + 8, o.y + 8, o.x + 15, o.y + 13});
             dc.ArcTo({o.x + 16, o.y, o.x + 26, o.y + 10}, at(o, 26, 5), at(o, 21, 0));
             dc.Ellipse({o.x + 2, o.y + 12, o.x + 9, o.y + 19});
             dc.Arc({o.x + 10, o.y + 14, o.x + 20, o.y + 24}, at(o, 20, 19), at(o, 10, 19));
             dc.LineTo(at(o, 12, 22));
             dc.MoveTo(at(o, 18, 14));
             dc.LineTo(at(o, 24, 19));
             dc.EndPath();
             dc.StrokeAndFillPath();
         }},
        {"an arc alone, then a path it does not lie along",
         [&](QtDrawContext& dc, Point o) {
             dc.Arc({o.x, o.y, o.x + 12, o.y + 9}, at(o, 12, 4), at(o, 0, 4));
             dc.BeginPath();
             dc.Arc({o.x, o.y + 2, o.x + 12, o.y + 11}, at(o, 0, 6), at(o, 12, 6));
             dc.EndPath();
             dc.StrokeAndFillPath();
             dc.Arc({o.x + 14, o.y, o.x + 24, o.y + 10}, at(o, 24, 5), at(o, 19, 0));
         }},
        {"disc",
         [&](QtDrawContext& dc, Point o) {
             dc.Ellipse({o.x, o.y, o.x + 9, o.y + 6});
         }},
        {"line from where the last one ended",
         [&](QtDrawContext& dc, Point o) { dc.LineTo(at(o, 9, 3)); }},
        {"arc to, then a line",
         [&](QtDrawContext& dc, Point o) {
             dc.MoveTo(at(o, 0, 0));
             dc.ArcTo({o.x, o.y, o.x + 12, o.y + 12}, at(o, 12, 6), at(o, 6, 0));
             dc.LineTo(at(o, 2, 11));
         }},
        {"a polygon among the calls",
         [&](QtDrawContext& dc, Point o) {
             dc.Rectangle({o.x, o.y, o.x + 5, o.y + 5});
             dc.Polygon({at(o, 6, 0), at(o, 12, 3), at(o, 7, 8)});
         }},
        {"larger than any kept", [&](QtDrawContext& dc, Point o) {
             dc.Ellipse({o.x, o.y, o.x + 70, o.y + 20});
         }}};
    const Point places[] = {{3, 4}, {40, 9}, {3, 4}, {71, 33}, {12, 50}, {40, 9}};
    // A thin pen draws figures as they come where shapes come from masks (arcs that a
    // path outlines later held back and left out); a wider one keeps their pictures.
    const std::pair<bool, int> pens[] = {{false, 2}, {true, 2}, {false, 1}};
    for (const auto& [smooth, width] : pens) {
        for (const auto& [name, figure] : figures) {
            SCOPED_TRACE(name);
            FigureCache::ForgetAll();
            const auto draw = [&](bool asFigures) {
                QImage img(160, 90, QImage::Format_RGB32);
                img.fill(kWhite);
                QPainter painter(&img);
                painter.setRenderHint(QPainter::Antialiasing, smooth);
                QtDrawContext dc(&painter);
                dc.SetPen(PenSpec{PenStyle::Solid, width, kRed});
                dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
                for (const Point& o : places) {
                    dc.MoveTo(at(o, -3, 2));
                    if (asFigures)
                        dc.BeginFigure();
                    figure(dc, o);
                    if (asFigures)
                        dc.EndFigure();
                    dc.SetPen(PenSpec{PenStyle::Solid, 1, kGreen});
                    dc.LineTo(at(o, 3, 30));
                    dc.SetPen(PenSpec{PenStyle::Solid, width, kRed});
                }
                painter.end();
                return img;
            };
            const QImage direct = draw(false);
            EXPECT_GT(CountLit(direct), 0);
            EXPECT_EQ(draw(true), direct);
            EXPECT_EQ(draw(true), direct) << "with every figure kept";
        }
    }
}

// An obround's caps are drawn alone and again within its stroked outline; a figure draws
// them once where that lights the same pixels. Obrounds of every size and angle, with
// filled and hollow bodies, each in a cell of its own.
TEST(QtDrawContextTest, ObroundsLightWhatTheirCallsLightAsFiguresAndFromMasks)
{
    constexpr int kCell = 64;
    constexpr int kAcross = 30;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto pixel = [](double x, double y) {
        return Point{int(std::lround(x)), int(std::lround(y))};
    };
    struct Obround {
        Rect cap1, cap2;
        Point side1a, side1b, side2a, side2b;
    };
    std::vector<Obround> obrounds;
    for (int i = 0; i < kAcross * kAcross; ++i) {
        const double r = 0.3 + 13.0 * unit(random) * unit(random);
        const double half = 16.0 * unit(random);
        // Every fourth one upright, as most tracks are.
        const double turned = 6.3 * unit(random);
        const double quarter = std::numbers::pi / 2.0;
        const double axis = i % 4 == 0 ? std::round(turned / quarter) * quarter : turned;
        const double cx = (double(i % kAcross) + 0.5) * kCell + unit(random);
        const double cy = (double(i / kAcross) + 0.5) * kCell + unit(random);
        const double ax = std::cos(axis) * half;
        const double ay = -std::sin(axis) * half;
        const double sx = -std::sin(axis) * r;
        const double sy = -std::cos(axis) * r;
        const Point box1a = pixel(cx + ax - r, cy + ay - r),
                    box1b = pixel(cx + ax + r, cy + ay + r);
        const Point box2a = pixel(cx - ax - r, cy - ay - r),
                    box2b = pixel(cx - ax + r, cy - ay + r);
        obrounds.push_back({{box1a.x, box1a.y, box1b.x, box1b.y},
                            {box2a.x, box2a.y, box2b.x, box2b.y},
                            pixel(cx + ax + sx, cy + ay + sy),
                            pixel(cx - ax + sx, cy - ay + sy),
                            pixel(cx + ax - sx, cy + ay - sy),
                            pixel(cx - ax - sx, cy - ay - sy)});
    }
    // Drawn as figures or not, the same pixels; with shapes taken from masks instead of
    // the painter's paths (within a clip cutting through some of them), nearly so. The
    // brush in a colour of its own, or in the pen's (where masks hold both together).
    for (const auto& [body, fillColour] :
         {std::pair{BrushStyle::Solid, kBlue}, std::pair{BrushStyle::Hollow, kBlue},
          std::pair{BrushStyle::Solid, kRed}}) {
        // `quick`: through FilledObround where the context takes it (counted in `quickOnes`).
        int quickOnes = 0;
        const auto draw = [&](bool asFigures, bool masks, bool forget = true, bool quick = false) {
            if (forget)
                FigureCache::ForgetAll();
            QImage img(kCell * kAcross, kCell * kAcross, QImage::Format_RGB32);
            img.fill(kWhite);
            QPainter painter(&img);
            painter.setClipRect(kCell * 3 + 17, 5, kCell * kAcross - 200, kCell * kAcross - 90);
            QtDrawContext dc(&painter);
            dc.UseShapeMasks(masks);
            dc.SetPen(PenSpec{PenStyle::Solid, 1, kRed});
            dc.SetBrush(BrushSpec{body, fillColour});
            for (const Obround& o : obrounds) {
                if (quick && dc.FilledObround({o.side1a, o.side1b, o.side2a, o.side2b},
                                              {o.cap1, o.cap2}, kRed)) {
                    ++quickOnes;
                    dc.Ellipse(Rect{o.side1b.x, o.side1b.y, o.cap2.right, o.cap2.bottom});
                    continue;
                }
                if (asFigures)
                    dc.BeginFigure();
                dc.Arc(o.cap1, o.side2a, o.side1a);
                dc.Arc(o.cap2, o.side1b, o.side2b);
                dc.BeginPath();
                dc.MoveTo(o.side1a);
                dc.LineTo(o.side1b);
                dc.LineTo(o.side2b);
                dc.LineTo(o.side2a);
                dc.Arc(o.cap1, o.side2a, o.side1a);
                dc.Arc(o.cap2, o.side1b, o.side2b);
                dc.EndPath();
                dc.StrokeAndFillPath();
                if (asFigures)
                    dc.EndFigure();
                dc.Ellipse(Rect{o.side1b.x, o.side1b.y, o.cap2.right, o.cap2.bottom});
            }
            painter.end();
            return img;
        };
        const QImage painted = draw(false, false);
        EXPECT_EQ(draw(true, false), painted);
        // From masks, the figures of a path are drawn each alone, and where the painter
        // would carry a line from one figure to the next or leave the overlap of two
        // figures unfilled, a pixel may differ: a few in a thousand lit, no more.
        const QImage masked = draw(false, true);
        EXPECT_EQ(draw(true, true), masked);
        // Another thread, with no masks of its own yet, takes those made here.
        QImage elsewhere;
        std::thread([&] { elsewhere = draw(false, true, false); }).join();
        EXPECT_EQ(elsewhere, masked);
        if (fillColour == kRed) {
            // In one colour, the whole obround at once: every one of them so.
            EXPECT_EQ(draw(false, true, true, true), masked);
            EXPECT_EQ(quickOnes, int(obrounds.size()));
            EXPECT_EQ(draw(false, false, true, true), painted) << "the calls where masks are off";
            EXPECT_EQ(quickOnes, int(obrounds.size()));
        }
        int lit = 0;
        int differing = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x) {
                lit += painted.pixel(x, y) != kWhite ? 1 : 0;
                differing += painted.pixel(x, y) != masked.pixel(x, y) ? 1 : 0;
            }
        EXPECT_LE(differing, lit / 1000);
    }
}

// Rings as vias draw them (an arc joined to a line back round the hole, filled and
// outlined in one colour), outlines of them and their fills alone, drawn from masks of
// the whole path: each as the painter draws it, wherever it comes again.
TEST(QtDrawContextTest, RingsLightFromMasksWhatThePainterLights)
{
    constexpr int kCell = 40;
    constexpr int kAcross = 24;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> radius(1, 14);
    std::uniform_int_distribution<int> step(1, 6);
    struct Ring {
        int outer, inner, steps, kind;
    };
    std::vector<Ring> rings;
    // Filled and outlined (kinds 0, 1), outlined only (2), filled only (3), with a hollow
    // brush (4) or no pen (5).
    for (int i = 0; i < 12; ++i) {
        const int outer = radius(random) + 2;
        rings.push_back({outer, std::max(0, outer - step(random)), step(random), i % 6});
    }
    const auto draw = [&](bool masks, bool forget = true) {
        if (forget)
            FigureCache::ForgetAll();
        QImage img(kCell * kAcross, kCell * kAcross, QImage::Format_RGB32);
        img.fill(kWhite);
        QPainter painter(&img);
        QtDrawContext dc(&painter);
        dc.UseShapeMasks(masks);
        for (int i = 0; i < kAcross * kAcross; ++i) {
            // Each ring comes again in many cells, some cut by the picture's edge.
            const Ring& r = rings[std::size_t(i) % rings.size()];
            const int cx = (i % kAcross) * kCell + kCell / 2 - (i % 3 == 0 ? kCell / 2 : 0);
            const int cy = (i / kAcross) * kCell + kCell / 2;
            dc.SetPen(PenSpec{r.kind == 5 ? PenStyle::Null : PenStyle::Solid, 1, kRed});
            dc.SetBrush(BrushSpec{r.kind == 4 ? BrushStyle::Hollow : BrushStyle::Solid, kRed});
            const Point start{cx + r.outer, cy};
            dc.BeginPath();
            dc.MoveTo(start);
            dc.ArcTo(Rect{cx - r.outer, cy - r.outer, cx + r.outer, cy + r.outer}, start, start);
            for (int k = 0; k <= r.steps; ++k) {
                const double a = -6.2831853 * k / r.steps;
                dc.LineTo(Point{cx + int(std::lround(r.inner * std::cos(a))),
                                cy - int(std::lround(r.inner * std::sin(a)))});
            }
            dc.CloseFigure();
            dc.EndPath();
            if (r.kind == 3)
                dc.FillPath();
            else if (r.kind == 2)
                dc.StrokePath();
            else
                dc.StrokeAndFillPath();
        }
        painter.end();
        return img;
    };
    const QImage painted = draw(false);
    EXPECT_GT(CountLit(painted), kAcross * kAcross * 4);
    EXPECT_EQ(draw(true), painted);
    QImage elsewhere;
    std::thread([&] { elsewhere = draw(true, false); }).join();
    EXPECT_EQ(elsewhere, painted) << "drawn on another thread from the masks made here";
}

// Short texts in small type are kept as figures too, drawn over whatever lies beneath.
TEST(QtDrawContextTest, ShortTextsDrawnAgainElsewhereLookAsDrawnDirectly)
{
    FigureCache::ForgetAll();
    const auto draw = [](bool smooth) {
        QImage img(120, 40, QImage::Format_RGB32);
        img.fill(kWhite);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing, smooth);
        QtDrawContext dc(&painter);
        dc.FillRect({0, 0, 120, 20}, kBlue);
        dc.SetFont(FontSpec{"Sans", 9, false});
        dc.SetTextColor(kRed);
        for (const Point at : {Point{2, 2}, Point{30, 14}, Point{61, 5}, Point{90, 25}})
            dc.TextOut(at, "12");
        painter.end();
        return img;
    };
    const QImage direct = draw(true);
    ASSERT_GT(CountLit(direct), 0);
    const QImage kept = draw(false);
    int worst = 0;
    for (int y = 0; y < kept.height(); ++y)
        for (int x = 0; x < kept.width(); ++x)
            for (const int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int((kept.pixel(x, y) >> shift) & 0xFF) -
                                                 int((direct.pixel(x, y) >> shift) & 0xFF)));
    EXPECT_LE(worst, 2) << "a channel differs by " << worst;
}

// Shapes far outside the picture, where sums of their pixels would overflow, light
// nothing and leave the picture whole.
TEST(QtDrawContextTest, ShapesFarOutsideLightNothing)
{
    constexpr int kFar = 2'000'000'000;
    const QImage img = Paint(40, 30, [](QtDrawContext& dc) {
        for (const int x : {kFar, -kFar}) {
            const Rect box{x, x, x + 30, x + 20};
            dc.Arc(box, Point{x + 30, x + 10}, Point{x, x + 10});
            dc.Ellipse(box);
            dc.BeginPath();
            dc.MoveTo(Point{x, x});
            dc.LineTo(Point{x + 20, x + 5});
            dc.Arc(box, Point{x + 30, x + 10}, Point{x, x + 10});
            dc.EndPath();
            dc.StrokeAndFillPath();
        }
    });
    EXPECT_EQ(CountLit(img), 0);
}
