#include "board/CDib.h"

#include "model/Utilities.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Sets the board-without-photo switch for one test and puts it back afterwards.
struct SwitchSetting {
    explicit SwitchSetting(int on) : saved(thePlatformFlag) { thePlatformFlag = on; }
    ~SwitchSetting() { thePlatformFlag = saved; }
    int saved;
};

// A photograph whose every pixel tells where it is.
QImage Gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return image;
}

class CDibTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
    }

    std::string Save(const QImage& image, const char* name)
    {
        const std::string path = settingsFolder + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }
    // Loads a photograph answering the DPI question and confirming it.
    BOOL Load(CDib& dib, const std::string& path, unsigned horizontal = 800,
              unsigned vertical = 800)
    {
        ui.Expect<DpiValues>(true, [=](DpiValues& v) {
            v.horizontal = horizontal;
            v.vertical = vertical;
        });
        ui.Expect<Question>(true);
        return dib.Load(path);
    }
    static Rect Covered(CDib& dib)
    {
        Rect r;
        dib.Draw(nullptr, Rect{}, &r);
        return r;
    }
    // Draws the photograph into a client area of `size`, first filled with `fill`.
    static QImage Paint(CDib& dib, QSize size, const Rect& clip, QRgb fill = qRgb(1, 2, 3))
    {
        QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(fill);
        QPainter painter(&canvas);
        Rect covered;
        dib.Draw(&painter, clip, &covered);
        return canvas;
    }

    FakeUiServices ui;
};

TEST_F(CDibTest, SizesActualSizeAndReleaseWithEitherSwitchSetting)
{
    struct Case {
        int on;
        int w, h;
        unsigned dpiX, dpiY;
        const char* file;
        unsigned milsW, milsH;
        double frameW, frameH;
        Rect photo; // scrolled-view pixels at actual size
    } cases[] = {
        {0, 1600, 1200, 800, 800, "a.bmp", 2000, 1500, 1600, 1200, {0, 0, 1600, 1200}},
        {0, 1600, 1200, 400, 800, "b.jpg", 4000, 1500, 1600, 1200, {0, 0, 1600, 1200}},
        {1, 1600, 1200, 800, 800, "c.jpg", 2000, 1500, 80000, 80000, {39200, 39400, 40800, 40600}},
        // A photograph larger than the board: the frame grows to hold it.
        {1, 1000, 500, 5, 5, "d.bmp", 200000, 100000, 1000, 500, {0, 0, 1000, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SwitchSetting setting(c.on);
        CDib dib;
        ASSERT_TRUE(Load(dib, Save(Gradient(c.w, c.h), c.file), c.dpiX, c.dpiY));
        // The question opens with 800 x 800; horizontal is x.
        EXPECT_EQ(std::pair(ui.Received<DpiValues>().back().horizontal,
                            ui.Received<DpiValues>().back().vertical),
                  std::pair(800u, 800u));
        EXPECT_EQ(ui.Received<Question>().back().text, "You have sure the photo DPI is " +
                                                           std::to_string(c.dpiX) + " * " +
                                                           std::to_string(c.dpiY));
        EXPECT_EQ(std::pair(dib.GetBoardWidthMils(), dib.GetBoardHeightMils()),
                  std::pair(c.milsW, c.milsH));
        EXPECT_EQ(std::pair(dib.GetWidth(), dib.GetHeight()), std::pair(c.frameW, c.frameH));
        EXPECT_EQ(Covered(dib), c.photo);
        EXPECT_DOUBLE_EQ(board().GetScaleX(), 1000.0 / c.dpiX);
        EXPECT_DOUBLE_EQ(board().GetScaleY(), 1000.0 / c.dpiY);
        // The board origin is the frame's bottom-left.
        EXPECT_EQ(board().ScreenToBoard(Point{0, int(c.frameH)}), Position(0, 0));
        EXPECT_TRUE(ui.AllAnswersUsed());

        // Released (after a zoom), only the switch keeps it loaded: as a board of 100000
        // mils at 800 DPI and actual size.
        ASSERT_TRUE(dib.ZoomIn(Position()));
        dib.Release();
        EXPECT_EQ(dib.IsLoaded(), c.on);
        EXPECT_EQ(Covered(dib), Rect{});
        EXPECT_EQ(std::pair(dib.GetWidth(), dib.GetHeight()),
                  c.on ? std::pair(80000.0, 80000.0) : std::pair(0.0, 0.0));
        EXPECT_EQ(board().GetScaleX(), 1.25);
        EXPECT_EQ(board().ScreenToBoard(Point{0, int(dib.GetHeight())}), Position(0, 0));
        EXPECT_EQ(dib.ZoomIn(Position()), c.on);
    }
}

TEST_F(CDibTest, ZoomKeepsEveryBoardPointOnItsPhotoPixel)
{
    for (int on : {0, 1})
        for (bool movedOrigin : {false, true}) {
            SCOPED_TRACE(testing::Message() << "switch " << on << " moved origin " << movedOrigin);
            SwitchSetting setting(on);
            CDib dib;
            ASSERT_TRUE(Load(dib, Save(Gradient(1600, 1200), "z.bmp")));
            if (movedOrigin) {
                const int origin[2] = {-37, 1211};
                board().SetScreenOrigin(origin);
            }
            int start[2];
            board().GetScreenOrigin(start);
            const Rect photo = Covered(dib);
            std::vector<std::pair<Position, QPointF>> marks;
            for (QPoint px : {QPoint(0, 0), QPoint(123, 457), QPoint(1599, 1199)})
                marks.emplace_back(
                    board().ScreenToBoard(Point{photo.left + px.x(), photo.top + px.y()}),
                    QPointF(px));
            auto check = [&] {
                const double z = dib.GetZoomFactor();
                const Rect r = Covered(dib);
                EXPECT_NEAR(r.Width(), 1600 * z, 1.0);
                EXPECT_DOUBLE_EQ(board().GetScaleX(), 1.25 / z);
                if (!on) {
                    EXPECT_EQ(dib.GetWidth(), std::trunc(1600 * z));
                }
                for (const auto& [q, px] : marks) {
                    const Point s = board().BoardToScreen(q);
                    EXPECT_NEAR((s.x - r.left) / z, px.x(), 1.0 / z + 1e-9) << "zoom " << z;
                    EXPECT_NEAR((s.y - r.top) / z, px.y(), 1.0 / z + 1e-9) << "zoom " << z;
                }
            };
            for (int i = 0; i < 4; ++i) {
                EXPECT_TRUE(dib.ZoomIn(marks[1].first));
                check();
            }
            EXPECT_EQ(dib.GetZoomFactor(), 16.0);
            EXPECT_FALSE(dib.ZoomIn(marks[1].first));
            for (int i = 0; i < 10; ++i) {
                EXPECT_TRUE(dib.ZoomOut(marks[1].first));
                check();
            }
            EXPECT_EQ(dib.GetZoomFactor(), 1.0 / 64);
            EXPECT_FALSE(dib.ZoomOut(marks[1].first));
            EXPECT_DOUBLE_EQ(board().GetScaleX(), 80.0);
            // Back at actual size nothing has drifted.
            EXPECT_EQ(dib.ZoomToActualSize(), 1);
            int end[2];
            board().GetScreenOrigin(end);
            EXPECT_EQ(end[0], start[0]);
            EXPECT_EQ(end[1], start[1]);
            EXPECT_EQ(Covered(dib), photo);
        }
}

TEST_F(CDibTest, FailedLoadsKeepThePreviousState)
{
    SwitchSetting off(0);
    const std::string old = Save(Gradient(64, 48), "old.bmp");
    const std::string good = Save(Gradient(40, 30), "good.bmp");
    const std::string missing = settingsFolder + "none.bmp";
    const std::string garbage = settingsFolder + "garbage.jpg";
    QFile file(QString::fromStdString(garbage));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("\xFF\xD8\xFF\xE0 no photo") > 0);
    file.close();
    // The answers to the DPI question (-1 cancels it), to the confirmation (-1: not
    // asked), the result and the number of messages.
    struct Case {
        std::string path;
        std::vector<int> dpis;
        int confirm;
        BOOL loads;
        size_t messages;
    } cases[] = {
        {missing, {}, -1, FALSE, 1},   {garbage, {}, -1, FALSE, 1},
        {good, {-1}, -1, FALSE, 0},    {good, {300}, 0, FALSE, 0},
        {good, {0, -1}, -1, FALSE, 1}, {good, {10001, 0, -1}, -1, FALSE, 2},
        {good, {0, 300}, 1, TRUE, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.dpis.size()) + " answers");
        CDib dib;
        ASSERT_TRUE(Load(dib, old, 100, 100));
        FakeUiServices answers;
        UiServices::Install(&answers);
        for (int dpi : c.dpis)
            answers.Expect<DpiValues>(
                dpi >= 0, [dpi](DpiValues& v) { v.horizontal = v.vertical = unsigned(dpi); });
        if (c.confirm >= 0)
            answers.Expect<Question>(c.confirm == 1);
        EXPECT_EQ(dib.Load(c.path), c.loads);
        EXPECT_EQ(answers.messages.size(), c.messages);
        EXPECT_TRUE(answers.AllAnswersUsed());
        EXPECT_EQ(dib.GetPixelWidth(), c.loads ? 40 : 64);
        EXPECT_EQ(dib.GetResolutionX(), c.loads ? 300u : 100u);
        EXPECT_EQ(dib.GetPath(), c.loads ? good : old);
        UiServices::Install(&ui);
    }
    // Without a photograph before, there is none after.
    CDib dib;
    EXPECT_FALSE(dib.Load(garbage));
    EXPECT_FALSE(dib.IsLoaded());
    EXPECT_EQ(ui.messages.size(), 1u);
}

// A file cut short is shown as far as it was read and the user is told; the part the
// file lacks is never memory the decoder did not write, such as the photograph before.
TEST_F(CDibTest, AFileCutShortIsShownAsFarAsItWasReadAndReported)
{
    const QRgb earlier = qRgb(200, 30, 40);
    const QRgb later = qRgb(20, 180, 60);
    QImage fill(64, 64, QImage::Format_RGB32);
    // A 64 x 64 BMP is a 54-byte header and 64 rows of 192 bytes, the bottom row first.
    struct Case {
        const char* name;
        int cut; // bytes taken off the end
        bool incomplete;
        int rowsRead; // BMP: rows of the file left whole
    } cases[] = {
        {"whole.bmp", 0, false, 64},
        {"rows.bmp", 44 * 192, true, 20},
        {"midrow.bmp", 44 * 192 + 7, true, 19},
        {"whole.jpg", 0, false, 0},
        {"noend.jpg", 2, true, 0},
        {"half.jpg", -2, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDib dib;
        fill.fill(earlier);
        ASSERT_TRUE(Load(dib, Save(fill, "earlier.bmp")));
        dib.Release();

        fill.fill(later);
        const std::string path = Save(fill, c.name);
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        // Half of the coded data after the start of the scan, or `cut` bytes off.
        const qint64 scan = file.readAll().indexOf("\xFF\xDA");
        ASSERT_TRUE(file.resize(c.cut < 0 ? scan + (file.size() - scan) / 2 : file.size() - c.cut));
        file.close();

        ui.messages.clear();
        ASSERT_TRUE(Load(dib, path));
        ASSERT_EQ(ui.messages.size(), c.incomplete ? 1u : 0u);
        if (c.incomplete) {
            EXPECT_NE(ui.messages[0].find("is incomplete"), std::string::npos) << ui.messages[0];
        }
        const QImage& shown = dib.GetPyramid().Level(0);
        ASSERT_EQ(shown.size(), QSize(64, 64));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; x += 9) {
                const QRgb pixel = shown.pixel(x, y);
                ASSERT_GT(std::abs(qRed(pixel) - qRed(earlier)), 60) << x << "," << y;
                const bool bmp = std::string(c.name).find(".bmp") != std::string::npos;
                const int whole = 64 - c.rowsRead, partial = c.cut % 192 ? 1 : 0;
                if (bmp && (y >= whole || y < whole - partial)) {
                    ASSERT_EQ(pixel, y >= whole ? later : qRgb(0, 0, 0)) << x << "," << y;
                }
            }
        // The part a JPEG holds is shown: its first rows.
        if (std::string(c.name).find(".jpg") != std::string::npos) {
            EXPECT_NEAR(qGreen(shown.pixel(5, 5)), qGreen(later), 8);
        }
    }
}

TEST_F(CDibTest, DrawsOnlyTheClipPixelForPixelMagnifiedOrAveraged)
{
    SwitchSetting off(0);
    const QImage source = Gradient(600, 400);
    CDib dib;
    ASSERT_TRUE(Load(dib, Save(source, "p.bmp")));
    view.scroll = Point{100, 50};
    const QSize client(300, 200);
    const Rect clip{40, 30, 170, 140};
    const QRgb fill = qRgb(1, 2, 3);
    auto outsideUntouched = [&](const QImage& canvas) {
        for (int y = 0; y < client.height(); ++y)
            for (int x = 0; x < client.width(); ++x)
                if ((x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) &&
                    canvas.pixel(x, y) != fill)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y;
        return ::testing::AssertionSuccess();
    };
    // Actual size: the photograph's own pixels, shifted by the scroll position.
    QImage canvas = Paint(dib, client, clip, fill);
    EXPECT_TRUE(outsideUntouched(canvas));
    for (int y = clip.top; y < clip.bottom; y += 7)
        for (int x = clip.left; x < clip.right; x += 5)
            ASSERT_EQ(canvas.pixel(x, y), source.pixel(x + 100, y + 50)) << x << "," << y;
    // Magnified: the clip alone paints what a full repaint paints there, seams included.
    ASSERT_TRUE(dib.ZoomIn(Position()) && dib.ZoomIn(Position()));
    const QImage full = Paint(dib, client, Rect{0, 0, client.width(), client.height()}, fill);
    canvas = Paint(dib, client, clip, fill);
    EXPECT_TRUE(outsideUntouched(canvas));
    EXPECT_EQ(canvas.copy(40, 30, 130, 110), full.copy(40, 30, 130, 110));
    EXPECT_NEAR(qRed(canvas.pixel(50, 40)), (50 + 100) / 4, 1);
    EXPECT_NEAR(qGreen(canvas.pixel(50, 40)), (40 + 50) / 4, 1);

    // Zoomed out, a one-pixel checkerboard averages to grey instead of black or white.
    QImage checks(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    ASSERT_TRUE(Load(dib, Save(checks, "check.bmp")));
    view.scroll = Point{};
    for (int steps = 1; steps <= 3; ++steps) {
        ASSERT_TRUE(dib.ZoomOut(Position()));
        const int w = 64 >> steps, h = 48 >> steps;
        ASSERT_EQ(Covered(dib), (Rect{0, 0, w, h}));
        canvas = Paint(dib, QSize(w, h), Rect{0, 0, w, h});
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(canvas.pixel(x, y), qRgb(128, 128, 128))
                    << steps << ": " << x << "," << y;
    }
}

// Every reduced pixel is the rounded mean of its 2 x 2 block, channel by channel, the
// block cut short on an odd edge (37 columns: wide and narrow inner loops and an edge).
TEST(PhotoPyramidTest, HalvesByAveragingEachChannel)
{
    std::mt19937 rng(5);
    QImage image(37, 9, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 37; ++x) {
            const int a = int(rng() % 256);
            image.setPixel(x, y, qRgba(int(rng()) % (a + 1), int(rng()) % (a + 1), a / 2, a));
        }
    PhotoPyramid pyramid;
    ASSERT_TRUE(pyramid.Build(image, 6));
    ASSERT_EQ(pyramid.LevelCount(), 7); // down to 1 x 1
    const QImage& half = pyramid.Level(1);
    ASSERT_EQ(half.size(), QSize(19, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 19; ++x) {
            const int x1 = std::min(2 * x + 1, 36), y1 = std::min(2 * y + 1, 8);
            for (int shift : {0, 8, 16, 24}) {
                int sum = 2;
                for (QRgb q : {image.pixel(2 * x, 2 * y), image.pixel(x1, 2 * y),
                               image.pixel(2 * x, y1), image.pixel(x1, y1)})
                    sum += (q >> shift) & 0xFF;
                ASSERT_EQ(int((half.pixel(x, y) >> shift) & 0xFF), sum / 4) << x << "," << y;
            }
        }
    EXPECT_EQ(pyramid.Level(6).size(), QSize(1, 1));
    EXPECT_FALSE(pyramid.Build(QImage(), 6));
    ASSERT_TRUE(pyramid.Build(QImage(1000, 10, QImage::Format_Grayscale8), 2));
    EXPECT_EQ(pyramid.LevelCount(), 3);
    EXPECT_EQ(pyramid.Level(0).format(), QImage::Format_RGB32);
}

} // namespace
