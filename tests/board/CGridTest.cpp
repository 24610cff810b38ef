#include "board/CGrid.h"
#include "support/FakeBoardServices.h"

#include "model/BoardServices.h"
#include "platform/RecordingDrawContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace
{

using Op = RecordingDrawContext::Op;

constexpr COLORREF kGrid1 = MakeRGB(0, 255, 255);
constexpr COLORREF kGrid2 = MakeRGB(0, 128, 128);

class CGridTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_services.layerColors[36] = kGrid1;
        m_services.layerColors[37] = kGrid2;
        BoardServices::Install(&m_services);
        m_grid.SetOption(1);
    }

    std::set<std::pair<int, int>> Dots() const
    {
        std::set<std::pair<int, int>> dots;
        for (const auto* call : m_dc.Find(Op::FillRect)) {
            EXPECT_EQ(call->color, kGrid1);
            EXPECT_EQ(call->rect.Width(), 1);
            EXPECT_EQ(call->rect.Height(), 1);
            dots.insert({call->rect.left, call->rect.top});
        }
        return dots;
    }
    // Vertical lines (x) and horizontal lines (y) drawn for grid 2, each from the MoveTo
    // before it.
    std::pair<std::set<int>, std::set<int>> Lines() const
    {
        std::set<int> columns, rows;
        for (std::size_t i = 1; i < m_dc.calls.size(); ++i) {
            const auto& call = m_dc.calls[i];
            if (call.op != Op::LineTo)
                continue;
            EXPECT_EQ(call.pen.color, kGrid2);
            const Point from = m_dc.calls[i - 1].points.at(0), to = call.points.at(0);
            if (from.x == to.x)
                columns.insert(to.x);
            else if (from.y == to.y)
                rows.insert(to.y);
            else
                ADD_FAILURE() << "slanted grid line";
        }
        return {columns, rows};
    }

    FakeBoardServices m_services;
    RecordingDrawContext m_dc;
    CGrid m_grid;
};

TEST_F(CGridTest, SnapGivesTheNearestMultipleOfTheStepInBoardCoordinates)
{
    struct Case {
        double step, x, y, sx, sy;
    };
    const Case cases[] = {
        {20.0, 29.9, -29.9, 20.0, -20.0},
        {20.0, 30.0, -30.0, 40.0, -40.0}, // halves away from zero
        {20.0, -10.0001, 10.0001, -20.0, 20.0},
        {20.0, 1e6 + 11.0, -1e6 - 9.0, 1e6 + 20.0, -1e6},
        {2.5, 7.4, -3.6, 7.5, -2.5},
        {5.0, 0.0, 0.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        m_grid.SetStep(c.step);
        const Position s = m_grid.SnapBoard(Position(c.x, c.y));
        EXPECT_DOUBLE_EQ(s.x, c.sx) << c.x;
        EXPECT_DOUBLE_EQ(s.y, c.sy) << c.y;
    }
    // No negative zero comes out of a small negative coordinate.
    m_grid.SetStep(20.0);
    EXPECT_FALSE(std::signbit(m_grid.SnapBoard(Position(-3.0, -0.5)).x));

    // A step that is not a positive number leaves the point.
    for (double step : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        m_grid.SetStep(step);
        EXPECT_EQ(m_grid.SnapBoard(Position(12.3, -4.5)), Position(12.3, -4.5));
    }

    // Snap goes through the view transform: 2 mils per pixel, board (0, 0) at pixel
    // (100, 500), y upwards. Pixel (113, 480) is board (26, 40): snapped to (20, 40),
    // pixel (110, 480); pixel (94, 517) is board (-12, -34): (-20, -40), pixel (90, 520).
    m_services.scaleX = m_services.scaleY = 2.0;
    m_services.originPixel = Point{100, 500};
    m_grid.SetStep(20.0);
    EXPECT_EQ(m_grid.Snap(Point{113, 480}), (Point{110, 480}));
    EXPECT_EQ(m_grid.Snap(Point{94, 517}), (Point{90, 520}));
}

TEST_F(CGridTest, DrawnDotsAndLinesAgreeWithSnappedPoints)
{
    // An awkward transform: 0.7 mils per pixel, shifted, scrolled.
    m_services.scaleX = m_services.scaleY = 0.7;
    m_services.viewOffset = Position(3.3, -7.1);
    m_services.originPixel = Point{37, 801};
    m_services.scroll = Point{15, 22};
    m_grid.SetStep(5.0); // about 7 pixels apart
    const Rect clip{10, 20, 210, 160};
    m_grid.Draw(&m_dc, clip, nullptr, nullptr);

    const auto dots = Dots();
    const auto [columns, rows] = Lines();
    ASSERT_FALSE(dots.empty());
    ASSERT_FALSE(columns.empty());
    ASSERT_FALSE(rows.empty());
    for (const auto& [x, y] : dots) {
        EXPECT_TRUE(x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom);
    }
    // Every snapped point inside the clip lies on a dot; a point snapped to a multiple
    // of ten steps also lies on both grid 2 lines.
    int onMajor = 0;
    for (int y = clip.top; y < clip.bottom; y += 3)
        for (int x = clip.left; x < clip.right; x += 3) {
            const Point s = m_grid.Snap(Point{x + m_services.scroll.x, y + m_services.scroll.y});
            const Point c{s.x - m_services.scroll.x, s.y - m_services.scroll.y};
            if (c.x < clip.left || c.x >= clip.right || c.y < clip.top || c.y >= clip.bottom)
                continue;
            EXPECT_TRUE(dots.count({c.x, c.y})) << c.x << "," << c.y;
            const Position b = m_services.ScreenToBoard(s);
            const Position snapped = m_grid.SnapBoard(b);
            if (std::fmod(std::fabs(snapped.x), 50.0) == 0.0 &&
                std::fmod(std::fabs(snapped.y), 50.0) == 0.0) {
                ++onMajor;
                EXPECT_TRUE(columns.count(c.x) && rows.count(c.y)) << c.x << "," << c.y;
            }
        }
    EXPECT_GT(onMajor, 0);
    EXPECT_EQ(m_dc.SaveDepth(), 0);
}

TEST_F(CGridTest, NothingIsDrawnWhereTheGridIsTooDense)
{
    const Rect clip{0, 0, 300, 200};
    // 1 mil per pixel: a 2-mil step puts dots 2 pixels apart, grid 2 lines 20 apart.
    m_grid.SetStep(2.0);
    m_grid.Draw(&m_dc, clip, nullptr, nullptr);
    EXPECT_EQ(m_dc.Count(Op::FillRect), 0);
    const auto [columns, rows] = Lines();
    EXPECT_EQ(columns.size(), 15u);
    EXPECT_EQ(rows.size(), 10u);

    // A 0.2-mil step: grid 2 lines would be 2 pixels apart too.
    m_dc.Clear();
    m_grid.SetStep(0.2);
    m_grid.Draw(&m_dc, clip, nullptr, nullptr);
    EXPECT_EQ(m_dc.DrawingCount(), 0);

    // Grid hidden: nothing at any step.
    m_dc.Clear();
    m_grid.SetStep(20.0);
    m_grid.SetOption(0);
    m_grid.Draw(&m_dc, clip, nullptr, nullptr);
    EXPECT_TRUE(m_dc.calls.empty());
}

TEST_F(CGridTest, DrawingStaysInsideThePhoto)
{
    // Board (0, 0) at the photo's bottom-left corner, pixel (0, 400); scrolled by 50.
    m_services.originPixel = Point{0, 400};
    m_services.scroll = Point{50, 50};
    m_grid.SetStep(10.0);
    const int width = 200, height = 400;
    m_grid.Draw(&m_dc, Rect{0, 0, 500, 500}, &width, &height);
    const auto dots = Dots();
    ASSERT_FALSE(dots.empty());
    for (const auto& [x, y] : dots) {
        EXPECT_TRUE(x >= 0 && x < width - 50) << x;
        EXPECT_TRUE(y >= 0 && y < height - 50) << y;
    }
    // The photo's right edge (x = 200 mils, client 150) is just outside; x = 190 is in.
    EXPECT_TRUE(dots.count({140, 0}));
    EXPECT_FALSE(dots.count({150, 0}));
}

} // namespace
