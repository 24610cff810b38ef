#include "platform/qt/QtDrawContext.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Text needs the font database of a running application.
class GuiApplicationEnvironment : public ::testing::Environment {
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

// Paints on a white image through a fresh context and hands the image back.
QImage Paint(int w, int h, const std::function<void(QtDrawContext&)>& draw)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kWhite);
    QPainter painter(&img);
    QtDrawContext dc(&painter);
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

// Counts painted pixels in [x0, x1) x [y0, y1).
int CountLit(const QImage& img, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += Lit(img, x, y) ? 1 : 0;
    return n;
}

int CountLit(const QImage& img)
{
    return CountLit(img, 0, 0, img.width(), img.height());
}

PenSpec Pen(COLORREF c, int width = 1, PenStyle style = PenStyle::Solid)
{
    return PenSpec{style, width, c};
}

} // namespace

TEST(QtDrawContextTest, LineLightsItsStartButNotItsEndInEitherDirection)
{
    const QImage img = Paint(30, 10, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.MoveTo({2, 5});
        dc.LineTo({12, 5});
    });
    for (int x = 2; x < 12; ++x)
        EXPECT_EQ(img.pixel(x, 5), Rgb(kRed)) << x;
    EXPECT_FALSE(Lit(img, 12, 5));
    EXPECT_EQ(CountLit(img), 10);

    const QImage back = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.MoveTo({12, 5});
        dc.LineTo({2, 5});
        dc.MoveTo({20, 25});
        dc.LineTo({20, 15});
    });
    EXPECT_TRUE(Lit(back, 12, 5));
    EXPECT_FALSE(Lit(back, 2, 5));
    EXPECT_TRUE(Lit(back, 20, 25));
    EXPECT_FALSE(Lit(back, 20, 15));
    EXPECT_EQ(CountLit(back), 20);
}

TEST(QtDrawContextTest, LineToContinuesFromThePreviousEndPoint)
{
    const QImage img = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.MoveTo({2, 2});
        dc.LineTo({20, 2});
        dc.LineTo({20, 20});
    });
    EXPECT_TRUE(Lit(img, 20, 2));
    EXPECT_TRUE(Lit(img, 20, 19));
    EXPECT_FALSE(Lit(img, 20, 20));
    EXPECT_EQ(CountLit(img), 18 + 18);
}

TEST(QtDrawContextTest, PenWidthsAndStyles)
{
    // Widths 0 and 1 are both one pixel; wider pens cover their width across the line.
    for (int width : {0, 1}) {
        const QImage img = Paint(30, 20, [&](QtDrawContext& dc) {
            dc.SetPen(Pen(kRed, width));
            dc.MoveTo({2, 10});
            dc.LineTo({25, 10});
        });
        EXPECT_EQ(CountLit(img, 10, 0, 11, 20), 1) << width;
    }
    const QImage wide = Paint(30, 20, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed, 5));
        dc.MoveTo({5, 10});
        dc.LineTo({25, 10});
    });
    EXPECT_EQ(CountLit(wide, 15, 0, 16, 20), 5);

    // A dashed line has gaps along it; all of it lies on its row.
    const QImage dashed = Paint(110, 5, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed, 1, PenStyle::Dash));
        dc.MoveTo({0, 2});
        dc.LineTo({100, 2});
    });
    const int onRow = CountLit(dashed, 0, 2, 100, 3);
    EXPECT_GT(onRow, 40);
    EXPECT_LT(onRow, 100);
    EXPECT_EQ(CountLit(dashed), onRow);

    const QImage none = Paint(30, 10, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed, 3, PenStyle::Null));
        dc.MoveTo({2, 5});
        dc.LineTo({25, 5});
    });
    EXPECT_EQ(CountLit(none), 0);
}

TEST(QtDrawContextTest, RectangleIsExclusiveOfRightAndBottomAndUsesTheBrush)
{
    const QImage solid = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.Rectangle({10, 10, 20, 20});
    });
    EXPECT_EQ(solid.pixel(10, 10), Rgb(kRed));
    EXPECT_EQ(solid.pixel(19, 19), Rgb(kRed));
    EXPECT_EQ(solid.pixel(19, 15), Rgb(kRed));
    EXPECT_EQ(solid.pixel(15, 19), Rgb(kRed));
    EXPECT_EQ(solid.pixel(15, 15), Rgb(kBlue));
    EXPECT_EQ(CountLit(solid), 100);

    const QImage hollow = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Hollow, kBlue});
        dc.Rectangle({10, 10, 20, 20});
    });
    EXPECT_EQ(CountLit(hollow, 11, 11, 19, 19), 0);
    EXPECT_EQ(CountLit(hollow), 36);

    // Corners given the other way round draw the same rectangle.
    const QImage flipped = Paint(30, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.Rectangle({20, 20, 10, 10});
    });
    EXPECT_EQ(flipped, solid);
}

TEST(QtDrawContextTest, ShapesInBoxesAtMostOnePixelAcross)
{
    // An empty box draws nothing; a box one pixel wide draws exactly its pixels.
    const QImage img = Paint(20, 20, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.Rectangle({2, 2, 2, 10});
        dc.Ellipse({4, 4, 4, 4});
        dc.Arc({6, 6, 6, 9}, {0, 0}, {0, 0});
        dc.Rectangle({10, 2, 11, 7});
        dc.Ellipse({12, 12, 17, 13});
        dc.Arc({2, 15, 3, 16}, {0, 0}, {0, 0});
    });
    EXPECT_EQ(CountLit(img), 5 + 5 + 1);
    EXPECT_EQ(CountLit(img, 10, 2, 11, 7), 5);
    EXPECT_EQ(CountLit(img, 12, 12, 17, 13), 5);
    EXPECT_EQ(img.pixel(2, 15), Rgb(kRed));
}

TEST(QtDrawContextTest, EllipseStaysInsideItsBox)
{
    const QImage img = Paint(40, 30, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.Ellipse({10, 5, 31, 26});
    });
    // Extremes of the ellipse touch the box's inner pixels.
    EXPECT_TRUE(Lit(img, 10, 15));
    EXPECT_TRUE(Lit(img, 30, 15));
    EXPECT_TRUE(Lit(img, 20, 5));
    EXPECT_TRUE(Lit(img, 20, 25));
    EXPECT_EQ(img.pixel(20, 15), Rgb(kBlue));
    // Nothing outside the box, and the box's corners stay clear.
    EXPECT_EQ(CountLit(img), CountLit(img, 10, 5, 31, 26));
    EXPECT_FALSE(Lit(img, 10, 5));
    EXPECT_FALSE(Lit(img, 30, 25));
}

TEST(QtDrawContextTest, ArcRunsCounterClockwiseAsSeenFromStartRayToEndRay)
{
    // Box centred on (30, 30), radius 20.
    const Rect box{10, 10, 51, 51};
    const Point right{60, 30};
    const Point top{30, 0};
    const QImage upperRight = Paint(61, 61, [&](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.Arc(box, right, top);
    });
    EXPECT_GT(CountLit(upperRight, 31, 10, 51, 30), 20);
    EXPECT_EQ(CountLit(upperRight), CountLit(upperRight, 30, 0, 61, 31));
    EXPECT_TRUE(Lit(upperRight, 44, 16)); // on the circle at 45 degrees

    // Swapping the rays draws the other three quarters.
    const QImage rest = Paint(61, 61, [&](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.Arc(box, top, right);
    });
    EXPECT_LE(CountLit(rest, 32, 0, 61, 29), 0);
    EXPECT_GT(CountLit(rest, 0, 0, 30, 30), 20);
    EXPECT_GT(CountLit(rest, 0, 31, 30, 61), 20);
    EXPECT_GT(CountLit(rest, 31, 31, 61, 61), 20);

    // Equal rays: the whole ellipse.
    const QImage full = Paint(61, 61, [&](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.Arc(box, {35, 30}, {60, 30});
    });
    EXPECT_GT(CountLit(full, 31, 0, 61, 29), 20);
    EXPECT_GT(CountLit(full, 0, 0, 29, 29), 20);
    EXPECT_GT(CountLit(full, 0, 31, 29, 61), 20);
    EXPECT_GT(CountLit(full, 31, 31, 61, 61), 20);
}

TEST(QtDrawContextTest, ArcOfAnEllipseEndsWhereItsRaysMeetTheEllipse)
{
    // A flat ellipse about (100, 20), semi-axes 100 and 20: the rays at 45 and 135 degrees
    // meet it about 19.6 pixels either side of the centre, so the arc between them is only
    // the middle of the top edge.
    const QImage img = Paint(202, 42, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.Arc({0, 0, 201, 41}, {200, -80}, {0, -80});
    });
    EXPECT_TRUE(Lit(img, 100, 0));
    EXPECT_EQ(CountLit(img, 0, 0, 76, 42), 0);
    EXPECT_EQ(CountLit(img, 125, 0, 202, 42), 0);
    EXPECT_EQ(CountLit(img, 0, 10, 202, 42), 0);
}

TEST(QtDrawContextTest, ArcToJoinsTheCurrentPositionAndMovesItToTheArcEnd)
{
    // Quarter circle about (30, 30), radius 20, from the right ray to the top ray; then a
    // line in another colour straight down from where the arc ended.
    const QImage img = Paint(61, 61, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.MoveTo({55, 55});
        dc.ArcTo({10, 10, 51, 51}, {60, 30}, {30, 0});
        dc.SetPen(Pen(kGreen));
        dc.LineTo({30, 40});
    });
    // The joining line runs from (55, 55) up to the arc's start at (50, 30).
    EXPECT_TRUE(Lit(img, 55, 55));
    EXPECT_GT(CountLit(img, 51, 31, 56, 56), 20);
    EXPECT_EQ(CountLit(img, 0, 41, 50, 61), 0);
    // The green line starts at the top of the circle.
    EXPECT_EQ(img.pixel(30, 20), Rgb(kGreen));
    EXPECT_EQ(img.pixel(30, 39), Rgb(kGreen));
    EXPECT_EQ(CountLit(img, 0, 0, 29, 61), 0);
}

TEST(QtDrawContextTest, PathsDrawOnlyWhenStrokedOrFilled)
{
    auto outline = [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.BeginPath();
        dc.MoveTo({5, 5});
        dc.LineTo({25, 5});
        dc.LineTo({25, 25});
        dc.LineTo({5, 25}); // left open: the closing side is (5, 25) to (5, 5)
        dc.EndPath();
    };

    EXPECT_EQ(CountLit(Paint(30, 30, outline)), 0);

    const QImage filled = Paint(30, 30, [&](QtDrawContext& dc) {
        outline(dc);
        dc.StrokeAndFillPath();
    });
    EXPECT_EQ(filled.pixel(15, 15), Rgb(kBlue));
    EXPECT_EQ(filled.pixel(15, 5), Rgb(kRed));
    EXPECT_EQ(filled.pixel(25, 15), Rgb(kRed));
    EXPECT_EQ(filled.pixel(15, 25), Rgb(kRed));
    EXPECT_EQ(filled.pixel(5, 15), Rgb(kRed)); // the side that closes the figure
    EXPECT_EQ(CountLit(filled), 21 * 21);

    const QImage stroked = Paint(30, 30, [&](QtDrawContext& dc) {
        outline(dc);
        dc.StrokePath();
    });
    EXPECT_EQ(stroked.pixel(15, 5), Rgb(kRed));
    EXPECT_FALSE(Lit(stroked, 15, 15));
    EXPECT_FALSE(Lit(stroked, 5, 15));

    const QImage onlyFilled = Paint(30, 30, [&](QtDrawContext& dc) {
        outline(dc);
        dc.FillPath();
    });
    EXPECT_EQ(onlyFilled.pixel(15, 15), Rgb(kBlue));
    EXPECT_EQ(onlyFilled.pixel(6, 6), Rgb(kBlue));
    EXPECT_FALSE(Lit(onlyFilled, 25, 15));

    // A path is drawn once: a second StrokeAndFillPath has nothing left to draw.
    const QImage once = Paint(30, 30, [&](QtDrawContext& dc) {
        outline(dc);
        dc.StrokeAndFillPath();
        dc.FillRect({0, 0, 30, 30}, MakeRGB(255, 255, 255));
        dc.StrokeAndFillPath();
    });
    EXPECT_EQ(CountLit(once), 0);
}

TEST(QtDrawContextTest, PathWithArcsIsFilledAsOneShape)
{
    // The shape of an obround: two straight sides as one figure and two half-circle caps
    // as figures of their own, all closed and filled together.
    const QImage img = Paint(80, 40, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kRed));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kBlue});
        dc.BeginPath();
        dc.MoveTo({20, 10});
        dc.LineTo({60, 10});
        dc.LineTo({60, 30});
        dc.LineTo({20, 30});
        dc.Arc({50, 10, 71, 31}, {60, 30}, {60, 10}); // right cap, bottom to top
        dc.Arc({10, 10, 31, 31}, {20, 10}, {20, 30}); // left cap, top to bottom
        dc.EndPath();
        dc.StrokeAndFillPath();
    });
    EXPECT_EQ(img.pixel(40, 20), Rgb(kBlue));
    EXPECT_EQ(img.pixel(66, 20), Rgb(kBlue));
    EXPECT_EQ(img.pixel(14, 20), Rgb(kBlue));
    EXPECT_TRUE(Lit(img, 70, 20));
    EXPECT_TRUE(Lit(img, 10, 20));
    EXPECT_FALSE(Lit(img, 12, 12)); // outside the left cap
    EXPECT_FALSE(Lit(img, 68, 28)); // outside the right cap
}

TEST(QtDrawContextTest, FillRectUsesColourRefByteOrderAndExclusiveEdges)
{
    const QImage img = Paint(10, 10, [](QtDrawContext& dc) {
        dc.SetPen(Pen(kGreen));
        dc.SetBrush(BrushSpec{BrushStyle::Solid, kGreen});
        dc.FillRect({2, 3, 5, 7}, COLORREF(0x0000FF));
        dc.FillRect({8, 8, 8, 9}, COLORREF(0x0000FF)); // empty
    });
    EXPECT_EQ(img.pixel(2, 3), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(4, 6), qRgb(255, 0, 0));
    EXPECT_EQ(CountLit(img), 3 * 4);
}

TEST(QtDrawContextTest, RestoredStateDrawsWithTheSavedPenAndPosition)
{
    const QImage img = Paint(30, 30, [](QtDrawContext& dc) {
        dc.RestoreState(); // nothing saved: no effect
        dc.SetPen(Pen(kRed));
        dc.MoveTo({2, 5});
        dc.SaveState();
        dc.SetPen(Pen(kGreen, 3));
        dc.MoveTo({2, 20});
        dc.RestoreState();
        dc.LineTo({12, 5});
    });
    EXPECT_EQ(img.pixel(5, 5), Rgb(kRed));
    EXPECT_EQ(CountLit(img), 10);
}

TEST(QtDrawContextTest, TextIsPaintedBelowAndRightOfItsPointWithinItsMeasure)
{
    TextMetrics m;
    TextMetrics shorter;
    const QImage img = Paint(120, 60, [&](QtDrawContext& dc) {
        dc.SetFont(FontSpec{"Sans", 20, false});
        dc.SetTextColor(kRed);
        m = dc.MeasureText("HHHH");
        shorter = dc.MeasureText("HH");
        dc.TextOut({10, 20}, "HHHH");
    });
    EXPECT_GT(m.width, shorter.width);
    EXPECT_GE(m.height, 15);
    EXPECT_GT(m.ascent, 0);
    EXPECT_LE(m.ascent, m.height);
    const int lit = CountLit(img);
    EXPECT_GT(lit, 0);
    EXPECT_EQ(CountLit(img, 10, 20, 10 + m.width, 20 + m.height), lit);
    // Capitals fill most of the ascent: text drawn with its baseline at the point would
    // leave this band empty.
    EXPECT_GT(CountLit(img, 10, 20 + m.ascent / 2, 10 + m.width, 20 + m.ascent), 0);
}
