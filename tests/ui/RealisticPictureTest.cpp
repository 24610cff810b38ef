// The realistic board of 20,000 objects over its photograph, drawn by the view at the
// scales of fit (8 mils per pixel in a full-HD view), actual size (1) and 4x (0.25),
// with a selection and a track being drawn, against the pictures kept in
// tests/data/pictures: at most 0.1 % of the pixels may differ by more than 24 in any
// channel. Each picture is the middle of the board, 480 x 300 pixels.
//
// With VANTOR_WRITE_PICTURES set, the pictures are written instead (only when the
// drawing is meant to change).
#include "ui/CVantorView.h"

#include "board/CDib.h"
#include "board/CVantorDoc.h"
#include "commands/CommandKinds.h"
#include "model/CLine.h"
#include "model/Utilities.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"
#include "support/RealisticBoard.h"
#include "ui/CommandIds.h"

#include <QApplication>
#include <QCursor>
#include <QFontInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

constexpr int kViewW = 480;
constexpr int kViewH = 300;
// The photograph: 11.8 x 8.5 inches at 250 dpi, 4 mils per pixel at actual size.
constexpr int kPhotoW = 2950;
constexpr int kPhotoH = 2125;
constexpr unsigned kPhotoDpi = 250;
const Position kBoardOrigin(900.0, 250.0);
constexpr int kObjects = 20000;
constexpr int kChannelTolerance = 24;
constexpr double kPixelShare = 0.001;

struct Picture {
    const char* file;
    double milsPerPixel;
};
constexpr Picture kPictures[] = {
    {"realistic-fit.png", 8.0}, {"realistic-actual.png", 1.0}, {"realistic-4x.png", 0.25}};

// Pixels of which some channel differs by more than the tolerance.
int DifferingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const bool differs = std::abs(qRed(pa[x]) - qRed(pb[x])) > kChannelTolerance ||
                                 std::abs(qGreen(pa[x]) - qGreen(pb[x])) > kChannelTolerance ||
                                 std::abs(qBlue(pa[x]) - qBlue(pb[x])) > kChannelTolerance;
            count += differs ? 1 : 0;
        }
    }
    return count;
}

class RealisticPictureTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        m_savedSwitch = thePlatformFlag;
        thePlatformFlag = 0;
        doc = std::make_unique<CVantorDoc>();
        view = std::make_unique<CVantorView>(doc.get());
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->resize(kViewW, kViewH);
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        board().ClearTempEntities();
        view.reset();
        doc.reset();
        thePlatformFlag = m_savedSwitch;
        BoardTest::TearDown();
    }

    void LoadPhoto()
    {
        const std::string path = settingsFolder + "photo.bmp";
        ASSERT_TRUE(RealisticBoard::Photo(kPhotoW, kPhotoH).save(QString::fromStdString(path)));
        ui.Expect<DpiValues>(true, [](DpiValues& d) { d.horizontal = d.vertical = kPhotoDpi; });
        ui.Expect<Question>(true);
        ASSERT_TRUE(doc->GetPhoto().Load(path));
        view->PhotoChanged();
    }

    static Position Centre()
    {
        return kBoardOrigin +
               Position(RealisticBoard::kWidthMils / 2.0, RealisticBoard::kHeightMils / 2.0);
    }

    // The view at `milsPerPixel`, centred on the middle of the board.
    void ZoomTo(double milsPerPixel)
    {
        view->OnPhotoActualSize();
        while (board().GetScaleX() > milsPerPixel * 1.01 && view->ZoomIn(Centre())) {
        }
        while (board().GetScaleX() < milsPerPixel * 0.99 && view->ZoomOut(Centre())) {
        }
        view->ScrollToLogical(Centre().ToScreen());
        ASSERT_NEAR(board().GetScaleX(), milsPerPixel, milsPerPixel * 0.01);
    }

    // What the platform holds for the window (a grab of the widget would paint it anew),
    // once the repaints queued have been asked for and made.
    QImage Shown() const
    {
        QApplication::processEvents();
        QApplication::processEvents();
        return view->screen()
            ->grabWindow(view->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // What the window shows once the whole board is drawn afresh.
    QImage ShownAfresh()
    {
        view->InvalidateAll();
        return Shown();
    }

    FakeUiServices ui;
    std::unique_ptr<CVantorDoc> doc;
    std::unique_ptr<CVantorView> view;

  private:
    int m_savedSwitch = 0;
};

TEST_F(RealisticPictureTest, TheBoardLooksAsItDidAtFitActualSizeAndFourTimes)
{
    if (QFontInfo(QFont(QStringLiteral("Sans"))).family() != QStringLiteral("DejaVu Sans"))
        GTEST_SKIP() << "pad numbers are drawn in the system's Sans, DejaVu Sans here";
    LoadPhoto();
    RealisticBoard(15, kBoardOrigin).Fill(board().GetElements(), kObjects);
    const Position c = Centre();
    board().SelectInBox(nullptr, BOX2D(c.x - 300.0, c.y + 25.0, c.x - 40.0, c.y + 150.0),
                        BoxSelect::Replace);
    ASSERT_FALSE(board().IsSelectionEmpty());
    CLine band(c + Position(-50.0, -20.0), c + Position(60.0, 30.0));
    const double width = 10.0;
    band.SetLineWidth(&width);
    board().SetTempEntity(&band);

    const bool write = std::getenv("VANTOR_WRITE_PICTURES") != nullptr;
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(picture.file);
        ZoomTo(picture.milsPerPixel);
        const QImage drawn =
            view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(drawn.size(), QSize(kViewW, kViewH));
        const QString path = QStringLiteral(VANTOR_PICTURE_DIR "/") + QLatin1String(picture.file);
        if (write) {
            ASSERT_TRUE(drawn.save(path));
            continue;
        }
        const QImage kept = QImage(path).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(kept.size(), drawn.size());
        EXPECT_LE(DifferingPixels(kept, drawn), int(kViewW * kViewH * kPixelShare));
    }
    board().SetTempEntity(nullptr);
}

// A scroll moves the pixels already shown and paints only what it uncovers; the window
// must then show what painting it whole shows.
TEST_F(RealisticPictureTest, AScrolledViewShowsWhatAWholeRepaintShows)
{
    LoadPhoto();
    RealisticBoard(15, kBoardOrigin).Fill(board().GetElements(), 3000);
    ZoomTo(1.0);
    Shown();
    const QPoint steps[] = {{100, 0}, {-37, 55}, {0, -240}, {613, 401}};
    for (const QPoint& step : steps) {
        SCOPED_TRACE(step.x());
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + step.x());
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + step.y());
        const QImage scrolled = Shown();
        // The board as kept, under a tool's shape that covers the whole view.
        view->InvalidateOverlay(Rect{0, 0, kViewW, kViewH});
        const QImage kept = Shown();
        const QImage whole = ShownAfresh();
        EXPECT_LE(DifferingPixels(kept, whole), int(kViewW * kViewH * kPixelShare));
        ASSERT_EQ(scrolled.size(), QSize(kViewW, kViewH));
        // A shape cut by the edge of the uncovered strip may round a pixel or two
        // otherwise; the same share as above holds.
        EXPECT_LE(DifferingPixels(scrolled, whole), int(kViewW * kViewH * kPixelShare));
    }
}

// A track being drawn is drawn over the board as last drawn, which is not drawn again
// under it; the window must show what drawing it all afresh shows, also where the
// board changed meanwhile.
TEST_F(RealisticPictureTest, ATrackBeingDrawnLeavesTheBoardAsADrawingAfreshShowsIt)
{
    LoadPhoto();
    RealisticBoard(15, kBoardOrigin).Fill(board().GetElements(), 3000);
    ZoomTo(8.0);
    ASSERT_TRUE(view->OnCommand(Cmd::ID_PLACE_TRACK));
    const auto mouse = [this](QEvent::Type type, QPoint at, Qt::MouseButton button) {
        QCursor::setPos(view->viewport()->mapToGlobal(at));
        QMouseEvent e(type, QPointF(at), view->viewport()->mapToGlobal(QPointF(at)), button, button,
                      Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &e);
    };
    const int allowed = int(kViewW * kViewH * kPixelShare);
    mouse(QEvent::MouseButtonPress, QPoint(40, 50), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(40, 50), Qt::LeftButton);
    for (const QPoint& at : {QPoint(300, 250), QPoint(120, 90), QPoint(450, 20)}) {
        SCOPED_TRACE(at.x());
        mouse(QEvent::MouseMove, at, Qt::NoButton);
        const QImage drawn = Shown();
        EXPECT_LE(DifferingPixels(drawn, ShownAfresh()), allowed);
    }
    // Near the edge the view scrolls under the track, until the pointer comes back.
    const Point scroll = view->GetScrollPosition();
    mouse(QEvent::MouseMove, QPoint(kViewW - 2, 150), Qt::NoButton);
    ASSERT_NE(view->GetScrollPosition().x, scroll.x);
    QApplication::processEvents(); // the pointer moved by the platform comes too
    mouse(QEvent::MouseMove, QPoint(300, 150), Qt::NoButton);
    QApplication::processEvents();
    view->OnTimer(CVantorView::kAutoScrollTimer);
    ASSERT_FALSE(view->IsAutoScrolling());
    const QImage scrolled = Shown();
    EXPECT_LE(DifferingPixels(scrolled, ShownAfresh()), allowed);
    // A segment placed, then a move: the board gained the segment.
    mouse(QEvent::MouseButtonPress, QPoint(450, 20), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(450, 20), Qt::LeftButton);
    mouse(QEvent::MouseMove, QPoint(200, 280), Qt::NoButton);
    const QImage drawn = Shown();
    EXPECT_LE(DifferingPixels(drawn, ShownAfresh()), allowed);
    mouse(QEvent::MouseButtonPress, QPoint(200, 280), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, QPoint(200, 280), Qt::RightButton);
}

// Changes that overlap before the window is painted all show, each over all of its area.
TEST_F(RealisticPictureTest, BoardChangesMadeBeforeAPaintAllShow)
{
    LoadPhoto();
    RealisticBoard(15, kBoardOrigin).Fill(board().GetElements(), 3000);
    ZoomTo(8.0);
    const Position c = Centre();
    const double width = 100.0;
    std::vector<CEntity*> tracks;
    for (const Position& offset : {Position(-1200.0, -600.0), Position(-200.0, -100.0)}) {
        auto track = std::make_unique<CLine>(c + offset, c + offset + Position(1500.0, 800.0));
        track->SetLineWidth(&width);
        tracks.push_back(board().AddEntity(std::move(track)));
    }
    ShownAfresh();
    for (CEntity* track : tracks)
        track->ToggleSelect();
    const QImage drawn = Shown();
    EXPECT_LE(DifferingPixels(drawn, ShownAfresh()), int(kViewW * kViewH * kPixelShare));
    board().ClearSelection();
}

// A group being moved is drawn over the board as last drawn, without it; the window shows
// what drawing it all afresh shows while it moves, and after it is dropped.
TEST_F(RealisticPictureTest, AGroupBeingMovedLeavesTheBoardAsADrawingAfreshShowsIt)
{
    LoadPhoto();
    RealisticBoard(15, kBoardOrigin).Fill(board().GetElements(), 3000);
    ZoomTo(8.0);
    const Position c = Centre();
    board().SelectInBox(nullptr, BOX2D(c.x - 400.0, c.y - 300.0, c.x + 200.0, c.y + 100.0),
                        BoxSelect::Replace);
    ASSERT_FALSE(board().IsSelectionEmpty());
    CNormalStatus& ns = view->Dispatcher();
    ns.SetCommand(CommandKind::Move, CommandParam(board().SelectionList));
    ns.OnLButtonDown(MK::LButton, c);
    ns.OnMouseMove(MK::LButton, c);
    const int allowed = int(kViewW * kViewH * kPixelShare);
    for (const Position& to : {c + Position(300.0, 50.0), c + Position(-500.0, 400.0)}) {
        ns.OnMouseMove(MK::LButton, to);
        const QImage drawn = Shown();
        EXPECT_LE(DifferingPixels(drawn, ShownAfresh()), allowed);
    }
    ns.OnLButtonDown(MK::LButton, c + Position(-500.0, 400.0));
    EXPECT_FALSE(ns.HasCommand());
    const QImage dropped = Shown();
    EXPECT_LE(DifferingPixels(dropped, ShownAfresh()), allowed);
    board().ClearSelection();
}

} // namespace
