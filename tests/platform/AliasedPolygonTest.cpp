#include "platform/qt/AliasedPolygon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kSize = 96;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kInk = 0xFF0000FF;

// Random polygons of every kind a drawing meets: specks, small and large ones, the long
// thin bodies of tracks at any angle, triangles, and corners that come twice.
std::vector<Point> RandomPolygon(int i, std::mt19937& random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Point> corners(4);
    if (i % 4 == 3) {
        const double half = 40.0 * unit(random);
        const double r = 0.2 + 4.0 * unit(random) * unit(random);
        const double axis = 6.3 * unit(random);
        const double cx = 48.0 + unit(random);
        const double cy = 48.0 + unit(random);
        const double ax = std::cos(axis) * half, ay = -std::sin(axis) * half;
        const double sx = -std::sin(axis) * r, sy = -std::cos(axis) * r;
        const auto at = [](double x, double y) {
            return Point{int(std::lround(x)), int(std::lround(y))};
        };
        corners = {at(cx + ax + sx, cy + ay + sy), at(cx - ax + sx, cy - ay + sy),
                   at(cx - ax - sx, cy - ay - sy), at(cx + ax - sx, cy + ay - sy)};
    } else {
        const int reach = i % 4 == 0 ? 6 : (i % 4 == 1 ? 24 : 80);
        std::uniform_int_distribution<int> c(48 - reach / 2, 48 + reach / 2);
        for (Point& p : corners)
            p = Point{c(random), c(random)};
    }
    if (i % 7 == 0)
        corners[2] = corners[1];
    if (i % 5 == 1)
        corners.resize(3);
    return corners;
}

} // namespace

// Filled, outlined or both, cut by a clip either way or not, the same pixels as the
// painter lights for the same polygon, every one of them.
TEST(AliasedPolygonTest, LightsWhatThePainterLightsFilledOutlinedAndClipped)
{
    std::mt19937 random(5);
    const QRect clips[] = {QRect(0, 0, kSize, kSize), QRect(0, 40, kSize, 16),
                           QRect(40, 0, 16, kSize)};
    int compared = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<Point> corners = RandomPolygon(i, random);
        for (const QRect& clip : clips)
            for (const bool fill : {true, false})
                for (const bool outline : {true, false}) {
                    if (!fill && !outline)
                        continue;
                    QImage painted(kSize, kSize, QImage::Format_RGB32);
                    painted.fill(kWhite);
                    {
                        QPainter painter(&painted);
                        painter.setClipRect(clip);
                        QPen pen(QColor::fromRgb(kInk));
                        pen.setWidth(1);
                        pen.setCapStyle(Qt::FlatCap);
                        painter.setPen(outline ? pen : QPen(Qt::NoPen));
                        painter.setBrush(fill ? QBrush(QColor::fromRgb(kInk)) : QBrush());
                        std::vector<QPointF> points;
                        for (const Point& p : corners)
                            points.emplace_back(p.x, p.y);
                        painter.drawPolygon(points.data(), int(points.size()), Qt::OddEvenFill);
                    }
                    std::vector<AliasedPolygon::Span> spans;
                    if (fill)
                        AliasedPolygon::Fill(corners, &spans);
                    if (outline)
                        AliasedPolygon::Outline(corners, &spans);
                    QImage lit(kSize, kSize, QImage::Format_RGB32);
                    lit.fill(kWhite);
                    for (const AliasedPolygon::Span& s : spans)
                        for (int x = s.x; x < s.x + s.length; ++x)
                            if (clip.contains(x, s.y))
                                lit.setPixel(x, s.y, kInk);
                    if (lit != painted) {
                        std::string named;
                        for (const Point& p : corners)
                            named += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
                        ADD_FAILURE() << "polygon" << named << " fill " << fill << " outline "
                                      << outline << " clip top " << clip.top();
                    }
                    ++compared;
                }
    }
    EXPECT_EQ(compared, 3000 * 3 * 3);
}
