// Bands of one board drawn on several threads at once: together they are the clip, each
// thread sees the copy of the view, and each band is drawn as one thread draws it alone.
// The thread sanitizer runs this test too.
#include "board/BandedDrawing.h"

#include "board/CInfomation.h"
#include "board/ViewSnapshot.h"
#include "platform/RecordingDrawContext.h"
#include "support/BoardFixture.h"
#include "support/RealisticBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace
{

using Calls = std::vector<RecordingDrawContext::Call>;

bool SameCalls(const Calls& a, const Calls& b)
{
    const auto key = [](const RecordingDrawContext::Call& c) {
        return std::tie(c.op, c.points, c.rect, c.pen, c.brush, c.color, c.text, c.inPath);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](const auto& x, const auto& y) { return key(x) == key(y); });
}

// Weighs each strip alone with `weigh`.
BandedDrawing::WeighStrips PerStrip(const std::function<std::size_t(const Rect&)>& weigh)
{
    return [weigh](const std::vector<int>& edges) {
        std::vector<std::size_t> weights;
        for (std::size_t i = 1; i < edges.size(); ++i)
            weights.push_back(weigh(Rect{0, edges[i - 1], 1, edges[i]}));
        return weights;
    };
}

using BandedDrawingTest = BoardTest;

TEST_F(BandedDrawingTest, BandsOnThreadsDrawWhatOneThreadDrawsBandByBand)
{
    RealisticBoard(15).Fill(board().GetElements(), 3000);
    const double milsPerPixel = 8.0;
    board().SetScaleX(milsPerPixel);
    board().SetScaleY(milsPerPixel);
    const int origin[2] = {0, 1000};
    board().SetScreenOrigin(origin);
    board().SelectInBox(nullptr, BOX2D(2000, 2000, 4000, 3000), BoxSelect::Replace);
    const Rect clip{0, 0, 1250, 1000};

    ViewSnapshot copy(board());
    board().ReadyToDrawOnThreads();
    std::mutex lock;
    std::map<int, std::pair<Rect, Calls>> drawn;
    int wrongServices = 0;
    BandedDrawing drawing(4);
    // The strips counted in one pass hold what each strip counted alone holds.
    std::vector<int> strips;
    for (int row = clip.top; row <= clip.bottom; row += 50)
        strips.push_back(row);
    std::vector<std::size_t> each;
    for (std::size_t i = 1; i < strips.size(); ++i)
        each.push_back(
            board().CountObjectsUnder(Rect{clip.left, strips[i - 1], clip.right, strips[i]}));
    EXPECT_EQ(board().CountObjectsUnderRows(clip, strips), each);
    const std::vector<int> edges = BandedDrawing::Edges(clip, 4, [&](const std::vector<int>& rows) {
        return board().CountObjectsUnderRows(clip, rows);
    });
    drawing.Run(clip, edges, &copy, [&](int, const Rect& band) {
        RecordingDrawContext dc;
        board().DrawElements(&dc, band);
        const std::lock_guard<std::mutex> hold(lock);
        wrongServices += &BoardServices::Current() == &copy ? 0 : 1;
        drawn[band.top] = {band, std::move(dc.calls)};
    });
    EXPECT_EQ(&BoardServices::Current(), &board());
    EXPECT_EQ(wrongServices, 0);
    ASSERT_EQ(drawn.size(), edges.size() - 1);
    ASSERT_GE(drawn.size(), std::size_t(3));

    int top = clip.top;
    std::size_t total = 0;
    for (const auto& [bandTop, result] : drawn) {
        const Rect& band = result.first;
        EXPECT_EQ(band.top, top);
        EXPECT_EQ(band.left, clip.left);
        EXPECT_EQ(band.right, clip.right);
        top = band.bottom;
        RecordingDrawContext alone;
        board().DrawElements(&alone, band);
        EXPECT_TRUE(SameCalls(result.second, alone.calls)) << "band at " << bandTop;
        total += alone.calls.size();
    }
    EXPECT_EQ(top, clip.bottom);
    EXPECT_GT(total, std::size_t(20000));
}

// A board crowded at the top: the bands there are thin, the empty rows below make one.
TEST(BandedDrawingEdgesTest, BandsHoldAboutTheSameWeightAndCoverTheClip)
{
    const Rect clip{0, 100, 50, 1100};
    const auto crowdedTop = [](const Rect& rows) {
        return std::size_t(std::max(0, std::min(rows.bottom, 300) - rows.top) * 10);
    };
    const std::vector<int> edges = BandedDrawing::Edges(clip, 4, PerStrip(crowdedTop));
    ASSERT_EQ(edges.size(), std::size_t(5));
    EXPECT_EQ(edges.front(), clip.top);
    EXPECT_EQ(edges.back(), clip.bottom);
    EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end()));
    EXPECT_LE(edges[3], 300);

    // One strip heavier than all the rest: never an empty band, never more than asked.
    const auto oneHeavyRow = [](const Rect& rows) {
        return rows.top <= 500 && rows.bottom > 500 ? std::size_t(1000000) : std::size_t(0);
    };
    const std::vector<int> heavy = BandedDrawing::Edges(clip, 8, PerStrip(oneHeavyRow));
    EXPECT_LE(heavy.size(), std::size_t(9));
    EXPECT_EQ(std::adjacent_find(heavy.begin(), heavy.end(), std::greater_equal<>()), heavy.end());
    EXPECT_EQ(BandedDrawing::Edges(Rect{0, 0, 10, 1}, 8, PerStrip(oneHeavyRow)),
              (std::vector<int>{0, 1}));
}

} // namespace
