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
    drawing.Run(clip, 99, &copy, [&](const Rect& band) {
        RecordingDrawContext dc;
        board().DrawElements(&dc, band);
        const std::lock_guard<std::mutex> hold(lock);
        wrongServices += &BoardServices::Current() == &copy ? 0 : 1;
        drawn[band.top] = {band, std::move(dc.calls)};
    });
    EXPECT_EQ(&BoardServices::Current(), &board());
    EXPECT_EQ(wrongServices, 0);
    ASSERT_EQ(drawn.size(), std::size_t(4 * BandedDrawing::kBandsPerThread));

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

} // namespace
