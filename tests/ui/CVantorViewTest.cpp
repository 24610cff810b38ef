#include "ui/CVantorView.h"

#include "board/CDib.h"
#include "board/CVantorDoc.h"
#include "commands/CSetArray.h"
#include "commands/CommandKinds.h"
#include "model/CComponent.h"
#include "model/CLine.h"
#include "model/Utilities.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"
#include "ui/CommandIds.h"
#include "ui/ViewEventMapper.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>
#include <thread>
#include <vector>

namespace
{

// Counts the paint events a widget receives and keeps their rectangles.
class PaintSpy : public QObject
{
  public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
    std::vector<QRect> rects;
};

constexpr COLORREF kBackground = MakeRGB(0, 0, 255);
constexpr COLORREF kTrackColour = MakeRGB(0, 255, 0);
constexpr COLORREF kGridColour = MakeRGB(255, 255, 0);
constexpr COLORREF kCrossColour = MakeRGB(255, 0, 255);
constexpr QRgb kPhotoColour = qRgb(200, 0, 0);

QRgb ToRgb(COLORREF c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

class CVantorViewTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&ui);
        m_savedSwitch = thePlatformFlag;
        thePlatformFlag = 0; // the scroll frame is the photograph itself
        doc = std::make_unique<CVantorDoc>();
        window = std::make_unique<QWidget>();
        edit = new QLineEdit(window.get());
        edit->setGeometry(0, 0, 100, 20);
        v = new CVantorView(doc.get(), window.get());
        v->setFrameShape(QFrame::NoFrame);
        v->setGeometry(0, 30, 320, 240);
        window->resize(340, 280);
        window->show();
        window->activateWindow();
        v->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), window.get()); // shortcuts are live
    }
    void TearDown() override
    {
        window.reset();
        doc.reset();
        thePlatformFlag = m_savedSwitch;
        BoardTest::TearDown();
    }

    // A photograph of one colour at 800 dpi (1.25 mils per pixel at actual size).
    void LoadPhoto(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(kPhotoColour);
        const std::string path = settingsFolder + "photo.bmp";
        ASSERT_TRUE(image.save(QString::fromStdString(path)));
        ui.Expect<DpiValues>(true, [](DpiValues& d) { d.horizontal = d.vertical = 800; });
        ui.Expect<Question>(true);
        ASSERT_TRUE(doc->GetPhoto().Load(path));
        v->PhotoChanged();
    }
    void PointAt(Point client)
    {
        QCursor::setPos(v->viewport()->mapToGlobal(QPoint(client.x, client.y)));
    }
    void MoveMouse(Point client)
    {
        PointAt(client);
        const QPointF local(client.x, client.y);
        QMouseEvent move(QEvent::MouseMove, local, v->viewport()->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &move);
    }
    // A key press as the application delivers it to the focus widget, the window's
    // shortcuts and focus navigation included.
    void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    // A window shortcut on `keys`, counting how often it fires.
    int* Shortcut(const QList<QKeySequence>& keys)
    {
        auto* action = new QAction(window.get());
        action->setShortcuts(keys);
        window->addAction(action);
        auto* count = &m_shortcutCounts.emplace_back(0);
        QObject::connect(action, &QAction::triggered, [count] { ++*count; });
        return count;
    }
    QRgb Pixel(Point client) { return v->viewport()->grab().toImage().pixel(client.x, client.y); }
    CLine* AddTrack(Position a, Position b, double width)
    {
        auto* line = new CLine(a, b);
        line->SetLineWidth(&width);
        board().AddEntity(line);
        return line;
    }

    FakeUiServices ui;
    std::unique_ptr<CVantorDoc> doc;
    std::unique_ptr<QWidget> window;
    QLineEdit* edit = nullptr;
    CVantorView* v = nullptr;

  private:
    int m_savedSwitch = 0;
    std::list<int> m_shortcutCounts;
};

TEST(ViewEventMapperTest, KeysAndMouseFlags)
{
    struct KeyCase {
        int key;
        Qt::KeyboardModifiers mods;
        UINT vk;
    } keys[] = {
        {Qt::Key_Q, Qt::NoModifier, 'Q'},
        {Qt::Key_Backtab, Qt::ShiftModifier, VK::Tab},
        {Qt::Key_Enter, Qt::KeypadModifier, VK::Return},
        {Qt::Key_PageUp, Qt::NoModifier, VK::Prior},
        {Qt::Key_Down, Qt::NoModifier, VK::Down},
        {Qt::Key_F4, Qt::NoModifier, VK::F4},
        {Qt::Key_Plus, Qt::KeypadModifier, 0x6B},
        {Qt::Key_Minus, Qt::KeypadModifier, 0x6D},
        {Qt::Key_Minus, Qt::NoModifier, 0xBD},
        {Qt::Key_5, Qt::KeypadModifier, 0x65},
        {Qt::Key_5, Qt::NoModifier, '5'},
        {Qt::Key_VolumeUp, Qt::NoModifier, 0},
    };
    for (const KeyCase& c : keys)
        EXPECT_EQ(ViewEventMapper::KeyCode(c.key, c.mods), c.vk) << c.key;

    EXPECT_EQ(ViewEventMapper::MouseFlags(Qt::LeftButton | Qt::RightButton,
                                          Qt::ShiftModifier | Qt::ControlModifier),
              MK::LButton | MK::RButton | MK::Shift | MK::Control);
    EXPECT_EQ(ViewEventMapper::MouseFlags(Qt::MiddleButton, Qt::AltModifier),
              MK::MButton | MK_LALT);

    // A right button's release has no handler; its double click has.
    const QPointF at(10, 20);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    EXPECT_EQ(ViewEventMapper::Map(release, Point{}).type, ViewEvent::None);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, at, Qt::RightButton, Qt::RightButton,
                    Qt::ShiftModifier);
    const ViewEvent ev = ViewEventMapper::Map(dbl, Point{}); // no board state: identity
    EXPECT_EQ(ev.type, ViewEvent::RButtonDblClk);
    EXPECT_EQ(ev.flags, MK::RButton | MK::Shift);
    EXPECT_EQ(ev.client, (Point{10, 20}));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QString("x"), true);
    const ViewEvent key = ViewEventMapper::Map(repeat, Point{});
    EXPECT_EQ(key.type, ViewEvent::KeyDown);
    EXPECT_EQ(key.key, UINT('X'));
    EXPECT_EQ(key.flags, ViewEventMapper::KF_REPEAT);
}

TEST_F(CVantorViewTest, TabSpaceAndArrowsReachTheDispatcher)
{
    LoadPhoto(200, 150);
    int* shortcutFired = Shortcut(
        {QKeySequence(Qt::Key_Tab), QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_Right)});
    PointAt(Point{100, 75});
    CLine* line = AddTrack(Position(40, 40), Position(120, 40), 10);
    line->ToggleSelect();
    board().SelectionList.push_back(line);
    ASSERT_TRUE(v->hasFocus());

    // Tab edits the one selected object and keeps the focus in the view.
    ui.Expect<TrackProperties>(false);
    Press(Qt::Key_Tab);
    EXPECT_EQ(ui.Received<TrackProperties>().size(), 1u);
    EXPECT_TRUE(v->hasFocus());

    // Right moves the selection one grid step (20 mils) to the right.
    Press(Qt::Key_Right);
    EXPECT_EQ(line->GetStart(), Position(60, 40));
    EXPECT_EQ(line->GetEnd(), Position(140, 40));

    // Space turns it a quarter turn.
    Press(Qt::Key_Space);
    EXPECT_NEAR(line->GetStart().x, line->GetEnd().x, 1e-3);
    EXPECT_NEAR(std::fabs(line->GetStart().y - line->GetEnd().y), 80.0, 1e-3);

    EXPECT_EQ(*shortcutFired, 0);
    EXPECT_TRUE(v->hasFocus());
}

TEST_F(CVantorViewTest, PageUpZoomsAboutThePointerAndDoesNotScroll)
{
    int* shortcutFired = Shortcut({QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::Key_PageDown)});

    // Without a photograph nothing zooms.
    Press(Qt::Key_PageUp);
    EXPECT_EQ(doc->GetPhoto().GetZoomFactor(), 1.0);

    LoadPhoto(800, 600);
    const Point client{100, 80};
    PointAt(client);
    const Position p = board().GetCursorPosition();

    Press(Qt::Key_PageUp);
    EXPECT_EQ(doc->GetPhoto().GetZoomFactor(), 2.0);
    // The point under the pointer is now in the middle of the window and the pointer on it.
    const Point centre{v->viewport()->width() / 2, v->viewport()->height() / 2};
    EXPECT_NEAR(p.ToClient().x, centre.x, 1);
    EXPECT_NEAR(p.ToClient().y, centre.y, 1);
    EXPECT_LE(board().GetCursorPosition().Distance(p), 2 * board().GetScaleX());

    Press(Qt::Key_PageDown);
    EXPECT_EQ(doc->GetPhoto().GetZoomFactor(), 1.0);
    EXPECT_EQ(*shortcutFired, 0);
}

TEST_F(CVantorViewTest, StatusTextInBothUnits)
{
    const Position p(3937.007874015748, 0);
    EXPECT_EQ(CVantorView::FormatStatus(p, "MM"), "X=100.000mm,y=0.000mm");
    EXPECT_EQ(CVantorView::FormatStatus(p, "MILS"), "X=3937.008mil,y=0.000mil");
    EXPECT_EQ(CVantorView::FormatStatus(Position(-12.3456, 7), ""), "X=-12.346mil,y=7.000mil");

    // No photograph: no status text.
    MoveMouse(Point{50, 50});
    EXPECT_TRUE(v->StatusText().isEmpty());

    LoadPhoto(200, 150);
    std::vector<QString> shown;
    QObject::connect(v, &CVantorView::statusTextChanged,
                     [&shown](const QString& t) { shown.push_back(t); });
    board().SetUnit(1);
    MoveMouse(Point{40, 30});
    const Position at = board().ScreenToBoard(Point{40, 30}); // nothing scrolled
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back(), CVantorView::FormatStatus(at, "MILS"));

    // 'Q' alternates the units; any other unit becomes mils.
    Press(Qt::Key_Q);
    EXPECT_EQ(board().GetUnit(), 0);
    EXPECT_EQ(v->StatusText(), CVantorView::FormatStatus(at, "MM"));
    Press(Qt::Key_Q);
    EXPECT_EQ(board().GetUnit(), 1);
    board().SetUnit(2);
    Press(Qt::Key_Q);
    EXPECT_EQ(board().GetUnit(), 1);
}

TEST_F(CVantorViewTest, PaintsBackgroundPhotoGridBoardAndCrossHairInThatOrder)
{
    LayerTable& colours = board().GetLayerTable();
    colours.entries[CVantorView::kBackgroundKey].color = kBackground;
    colours.entries[0].color = kTrackColour;
    colours.entries[36].color = kGridColour;
    colours.entries[CVantorView::kCrossHairLayer].color = kCrossColour;
    AddTrack(Position(20, 100), Position(180, 100), 20);

    // Without a photograph only black.
    EXPECT_EQ(Pixel(Point{80, 70}), qRgb(0, 0, 0));
    EXPECT_EQ(Pixel(Point{250, 200}), qRgb(0, 0, 0));

    LoadPhoto(200, 150); // 250 x 187.5 mils, board origin at its bottom-left pixel
    board().GetGrid().SetOption(1);
    const Point dot = Position(40, 40).ToClient();
    const Point onTrack = Position(100, 100).ToClient();
    EXPECT_EQ(Pixel(Point{250, 200}), ToRgb(kBackground)); // beside the photograph
    EXPECT_EQ(Pixel(Point{10, 10}), kPhotoColour);
    EXPECT_EQ(Pixel(dot), ToRgb(kGridColour));      // grid over the photograph
    EXPECT_EQ(Pixel(onTrack), ToRgb(kTrackColour)); // board over grid and photograph

    ASSERT_TRUE(v->OnCommand(Cmd::ID_VIEW_CROSS_LINE));
    PointAt(Point{100, 40});
    const Point pointer = board().GetCursorPosition().ToClient();
    EXPECT_EQ(Pixel(Point{pointer.x, onTrack.y}), ToRgb(kCrossColour)); // over the track
    EXPECT_EQ(Pixel(Point{300, pointer.y}), ToRgb(kCrossColour));       // over the background
}

TEST_F(CVantorViewTest, EveryNotificationSubCode)
{
    LoadPhoto(800, 600);
    AddTrack(Position(100, 100), Position(200, 100), 10);
    QApplication::processEvents(); // the modified notice of the addition
    doc->SetModifiedFlag(false);

    int modified = 0;
    std::vector<std::pair<int, qintptr>> relayed;
    QObject::connect(v, &CVantorView::documentModified, [&modified] { ++modified; });
    QObject::connect(v, &CVantorView::frameNotify,
                     [&relayed](int code, qintptr arg) { relayed.emplace_back(code, arg); });
    PaintSpy paints;
    v->viewport()->installEventFilter(&paints);
    QWidget browser;
    v->SetBrowserDialog(&browser);

    v->OnBoardNotify(BN_MODIFIED, 0);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(modified, 1);

    v->OnBoardNotify(BN_SHOW_BROWSER, 0);
    EXPECT_TRUE(browser.isVisible());

    // Zoom to fit: the track's box fills the window, centred.
    v->OnBoardNotify(BN_ZOOM_FIT, 0);
    EXPECT_GT(doc->GetPhoto().GetZoomFactor(), 1.0);
    const Point middle = Position(150, 100).ToClient();
    EXPECT_NEAR(middle.x, v->viewport()->width() / 2, 1);
    EXPECT_NEAR(middle.y, v->viewport()->height() / 2, 1);

    // Repaint a rectangle: painted at once.
    QApplication::processEvents();
    Rect r{10, 20, 60, 50};
    paints.rects.clear();
    v->RepaintRect(r);
    ASSERT_EQ(paints.rects.size(), 1u);
    EXPECT_EQ(paints.rects.front(), QRect(10, 20, 50, 30));

    // Start-up window and frame codes are passed on; unknown codes change nothing.
    for (int code : {BN_LOAD_PROGRESS, BN_LOAD_DONE, BN_STARTUP_CLOSED, BN_STATUS_LINE})
        v->OnBoardNotify(code, 40 + code);
    v->OnBoardNotify(BN_PLACE_COMPONENT, 0);
    // A component handed over goes to the placing tool; its designator cancelled, the
    // tool does not start and the component is freed, not leaked.
    ui.Expect<DesignatorValues>(false);
    v->PlaceComponent(std::make_unique<CComponent>());
    v->OnBoardNotify(9, 1);
    v->OnBoardNotify(-1, 1);
    EXPECT_EQ(relayed, (std::vector<std::pair<int, qintptr>>{{4, 44}, {5, 45}, {6, 46}, {7, 47}}));
    EXPECT_EQ(modified, 1);
    EXPECT_FALSE(v->Dispatcher().HasCommand());
}

TEST_F(CVantorViewTest, NotificationsPostedFromAnotherThreadArriveOnTheGuiThread)
{
    LoadPhoto(200, 150);
    QApplication::processEvents();
    PaintSpy paints;
    v->viewport()->installEventFilter(&paints);
    std::vector<bool> onGuiThread;
    QObject::connect(v, &CVantorView::documentModified, [&onGuiThread] {
        onGuiThread.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
    });

    std::thread worker([this] {
        v->PostBoardNotify(BN_MODIFIED, 0);
        Rect gone{5, 6, 25, 16}; // out of scope long before the notice arrives
        v->PostRepaintRect(gone);
    });
    worker.join();
    EXPECT_TRUE(onGuiThread.empty());

    QApplication::processEvents();
    EXPECT_EQ(onGuiThread, std::vector<bool>{true});
    EXPECT_TRUE(doc->IsModified());
    ASSERT_FALSE(paints.rects.empty());
    EXPECT_EQ(paints.rects.front(), QRect(5, 6, 20, 10));
}

TEST_F(CVantorViewTest, EdgeAutoScrollAndItsStep)
{
    LoadPhoto(800, 600);
    const int w = v->viewport()->width();
    const int h = v->viewport()->height();
    PointAt(Point{w / 2, h / 2});

    // Without a tool the step keys do nothing.
    board().AutoScrollStep = 15;
    Press(Qt::Key_F3);
    EXPECT_EQ(board().AutoScrollStep, 15);

    ASSERT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    ASSERT_TRUE(v->Dispatcher().HasCommand());
    for (int i = 0; i < 15; ++i)
        Press(Qt::Key_F3);
    EXPECT_EQ(board().AutoScrollStep, 225);
    for (int i = 0; i < 15; ++i)
        Press(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(board().AutoScrollStep, 15);
    board().AutoScrollStep = 30;

    // Near the right edge every move and every tick scrolls by the step; near a corner
    // both ways; away from the edges the timer stops.
    const Point start = v->GetScrollPosition();
    MoveMouse(Point{w - 5, h / 2});
    EXPECT_EQ(v->GetScrollPosition(), (Point{start.x + 30, start.y}));
    EXPECT_TRUE(v->IsAutoScrolling());
    PointAt(Point{3, 3});
    v->OnTimer(CVantorView::kAutoScrollTimer);
    EXPECT_EQ(v->GetScrollPosition(), (Point{start.x, start.y - 30}));
    PointAt(Point{w / 2, h / 2});
    v->OnTimer(CVantorView::kAutoScrollTimer);
    EXPECT_FALSE(v->IsAutoScrolling());
    EXPECT_EQ(v->GetScrollPosition(), (Point{start.x, start.y - 30}));
}

TEST_F(CVantorViewTest, CommandsCursorShapesCaptureAndTeardown)
{
    bool enabled = true;
    bool checked = true;
    // Without a photograph the view's commands are disabled and do nothing.
    ASSERT_TRUE(v->UpdateCommand(Cmd::ID_PLACE_TRACK, &enabled, &checked));
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    EXPECT_FALSE(v->Dispatcher().HasCommand());
    // Commands of the frame and the document are not the view's.
    for (int id : {Cmd::ID_LAYER_SELECT, Cmd::ID_FILE_NEW, Cmd::ID_TOOL_CALCULATOR})
        EXPECT_FALSE(v->OnCommand(id) || v->UpdateCommand(id, &enabled, &checked)) << id;

    LoadPhoto(200, 150);
    MoveMouse(Point{50, 50});
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
    ASSERT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    ASSERT_TRUE(v->UpdateCommand(Cmd::ID_PLACE_TRACK, &enabled, &checked));
    EXPECT_TRUE(enabled && checked);
    // Another placing tool is enabled, and not checked while the track tool is current.
    ASSERT_TRUE(v->UpdateCommand(Cmd::ID_PLACE_PAD, &enabled, &checked));
    EXPECT_TRUE(enabled && !checked);
    MoveMouse(Point{60, 50});
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::CrossCursor);

    // Grid items are checked only for a step of exactly their size.
    struct GridCase {
        double step;
        int checkedId; // 0: none
    } grids[] = {{2.5, 0}, {5, Cmd::ID_GRID_1 + 4}, {12, 0}};
    for (const GridCase& g : grids) {
        board().GetGrid().SetStep(g.step);
        for (int id = Cmd::ID_GRID_1; id <= Cmd::ID_GRID_10; ++id) {
            ASSERT_TRUE(v->UpdateCommand(id, &enabled, &checked));
            EXPECT_EQ(checked, id == g.checkedId) << g.step << " " << id;
        }
    }

    Press(Qt::Key_Escape);
    EXPECT_FALSE(v->Dispatcher().HasCommand());
    MoveMouse(Point{70, 50});
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);

    // A dialog opened over the view gets the mouse.
    v->SetCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), v->viewport());
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QApplication::processEvents();
    EXPECT_NE(QWidget::mouseGrabber(), v->viewport());
    dialog.hide();

    // Closing the view with a tool running ends the tool and unregisters the view.
    ASSERT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    window.reset();
    EXPECT_EQ(board().GetView(), nullptr);
    EXPECT_TRUE(board().GetTempEntities().empty());
}

TEST_F(CVantorViewTest, TheOriginGoesBackToThePhotoCornerAndThePointerJumpsToIt)
{
    LoadPhoto(200, 150);
    CLine* t = AddTrack(Position(0, 0), Position(40, 0), 10);
    board().SetOrigin(Position(30, 20));
    EXPECT_EQ(t->GetStart(), Position(-30, -20));

    ASSERT_TRUE(v->OnCommand(Cmd::ID_TOOL_RESET_ORIGIN));
    int origin[2] = {-1, -1};
    board().GetScreenOrigin(origin);
    EXPECT_EQ(origin[0], 0);
    EXPECT_EQ(origin[1], int(doc->GetPhoto().GetHeight()));
    EXPECT_EQ(t->GetStart(), Position(0, 0));

    ASSERT_TRUE(v->OnCommand(Cmd::ID_TOOL_JUMP_ORIGIN));
    const Position pointer = board().GetCursorPosition();
    EXPECT_LE(pointer.Distance(Position(0, 0)), board().PixelsToBoard(1));
}

TEST_F(CVantorViewTest, ResetTheOriginFindsThePhotoInsideTheLargerBoardFrame)
{
    thePlatformFlag = 1; // the frame is the board, the photograph lies in its middle
    LoadPhoto(200, 150);
    board().SetOrigin(Position(30, 20));

    ASSERT_TRUE(v->OnCommand(Cmd::ID_TOOL_RESET_ORIGIN));
    Rect drawn;
    doc->GetPhoto().Draw(nullptr, Rect{}, &drawn);
    const Point scroll = v->GetScrollPosition();
    int origin[2] = {-1, -1};
    board().GetScreenOrigin(origin);
    EXPECT_EQ(origin[0], drawn.left + scroll.x);
    EXPECT_EQ(origin[1], drawn.bottom + scroll.y);
    EXPECT_LT(origin[1], int(doc->GetPhoto().GetHeight())); // not the frame's corner

    // Jump the Origin brings that corner to the middle of the window.
    v->horizontalScrollBar()->setValue(0);
    v->verticalScrollBar()->setValue(0);
    ASSERT_TRUE(v->OnCommand(Cmd::ID_TOOL_JUMP_ORIGIN));
    doc->GetPhoto().Draw(nullptr, Rect{}, &drawn);
    EXPECT_EQ(drawn.left, v->viewport()->width() / 2);
    EXPECT_EQ(drawn.bottom, v->viewport()->height() / 2);
}

TEST_F(CVantorViewTest, AToolShowsItsCursorAtOnceAlsoWithoutAPhotograph)
{
    thePlatformFlag = 1; // a board is drawn without a photograph
    v->PhotoChanged();
    MoveMouse(Point{50, 50});
    ASSERT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::CrossCursor);
    Press(Qt::Key_Escape);
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
    // A view that shows nothing keeps its cursor.
    thePlatformFlag = 0;
    v->Dispatcher().SetCommand(CommandKind::Track);
    EXPECT_EQ(v->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CVantorViewTest, ABoardOpenedWithoutAPhotographScrollsOverTheBoardFrameAndFitsBothAxes)
{
    thePlatformFlag = 1;
    doc->GetPhoto().Release(); // the board's origin at the frame's bottom-left
    v->PhotoChanged();
    // Tall and narrow, then wide and flat: fitting one axis only would cut the other.
    const Position far[] = {Position(200, 8000), Position(12000, 300)};
    for (const Position& corner : far) {
        const std::string path = settingsFolder + "board.vtx";
        AddTrack(Position(1000, 1000), Position(1000, 1000) + corner, 10);
        ASSERT_TRUE(doc->OnSaveDocument(path));
        ASSERT_TRUE(doc->OnCloseBoard());
        doc->GetPhoto().ZoomToActualSize();
        v->PhotoChanged();
        ASSERT_TRUE(doc->OnOpenDocument(path));

        const CDib& frame = doc->GetPhoto();
        const QScrollBar* h = v->horizontalScrollBar();
        const QScrollBar* vert = v->verticalScrollBar();
        EXPECT_EQ(h->maximum() + h->pageStep(), int(frame.GetWidth()));
        EXPECT_EQ(vert->maximum() + vert->pageStep(), int(frame.GetHeight()));
        const Point scroll = v->GetScrollPosition();
        for (const Position& p : {Position(1000, 1000), Position(1000, 1000) + corner}) {
            const Point at = p.ToScreen();
            EXPECT_TRUE(QRect(QPoint(0, 0), v->viewport()->size())
                            .contains(at.x - scroll.x, at.y - scroll.y))
                << p.x << " " << p.y;
        }
        ASSERT_TRUE(doc->OnCloseBoard());
    }
}

TEST_F(CVantorViewTest, TheViewLetsGoOfTheMouseWhenATrackChainEnds)
{
    LoadPhoto(800, 600);
    ASSERT_TRUE(v->OnCommand(Cmd::ID_PLACE_TRACK));
    auto click = [this](QEvent::Type type, Qt::MouseButton button) {
        const QPointF at(60, 60);
        QMouseEvent e(type, at, v->viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &e);
    };
    click(QEvent::MouseButtonPress, Qt::LeftButton);
    click(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(QWidget::mouseGrabber(), v->viewport());
    click(QEvent::MouseButtonPress, Qt::RightButton);
    click(QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(v->Dispatcher().HasCommand()); // the tool stays for the next chain

    // Leaving the window through its top edge for the menus: the edge scrolls, the
    // menus do not.
    MoveMouse(Point{60, 3});
    ASSERT_TRUE(v->IsAutoScrolling());
    const Point scroll = v->GetScrollPosition();
    PointAt(Point{60, -20});
    v->OnTimer(CVantorView::kAutoScrollTimer);
    EXPECT_EQ(v->GetScrollPosition(), scroll);
    EXPECT_FALSE(v->IsAutoScrolling());
}

TEST_F(CVantorViewTest, TheEditingToolsAreOnTheMenusAndTheArrayStartsOnTheSelection)
{
    LoadPhoto(200, 150);
    bool enabled = false;
    bool checked = false;
    for (int id : {Cmd::ID_TOOL_OFFSET, Cmd::ID_TOOL_CHAMFER, Cmd::ID_TOOL_FILLET}) {
        ASSERT_TRUE(v->UpdateCommand(id, &enabled, &checked));
        EXPECT_TRUE(enabled) << id;
    }
    auto* track = new CLine(Position(0, 0), Position(50, 0), nullptr);
    board().AddEntity(track);
    ASSERT_TRUE(v->UpdateCommand(Cmd::ID_PLACE_ARRAY, &enabled, &checked));
    EXPECT_FALSE(enabled); // nothing selected
    EXPECT_TRUE(v->OnCommand(Cmd::ID_PLACE_ARRAY));
    EXPECT_FALSE(v->Dispatcher().HasCommand());

    track->ToggleSelect();
    board().SelectionList.push_back(track);
    ASSERT_TRUE(v->UpdateCommand(Cmd::ID_PLACE_ARRAY, &enabled, &checked));
    EXPECT_TRUE(enabled);
    ui.Expect<ArrayValues>(true);
    EXPECT_TRUE(v->OnCommand(Cmd::ID_PLACE_ARRAY));
    auto* tool = dynamic_cast<CSetArray*>(v->Dispatcher().GetCurrentCommand());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->objects, std::list<CEntity*>{track});
    Press(Qt::Key_Escape);
}

} // namespace

TEST_F(CVantorViewTest, EditCommandsFollowTheSelectionAndAViewClosedMidMovePutsItBack)
{
    LoadPhoto(200, 150);
    auto* t = new CLine(Position(0, 0), Position(100, 0));
    board().AddEntity(t);
    const auto enabled = [&](int id) {
        bool on = false;
        bool checked = false;
        EXPECT_TRUE(v->UpdateCommand(id, &on, &checked)) << id;
        return on;
    };
    for (int id : {Cmd::ID_EDIT_CUT, Cmd::ID_EDIT_COPY, Cmd::ID_EDIT_CLEAR, Cmd::ID_EDIT_PASTE,
                   Cmd::ID_PLACE_INSERT})
        EXPECT_FALSE(enabled(id)) << id;
    ASSERT_TRUE(v->OnCommand(Cmd::ID_EDIT_SELECT_ALL));
    EXPECT_EQ(board().SelectionList, (std::list<CEntity*>{t}));
    for (int id : {Cmd::ID_EDIT_CUT, Cmd::ID_EDIT_COPY, Cmd::ID_EDIT_CLEAR})
        EXPECT_TRUE(enabled(id)) << id;
    ASSERT_TRUE(v->OnCommand(Cmd::ID_EDIT_COPY));
    EXPECT_TRUE(enabled(Cmd::ID_EDIT_PASTE));

    CNormalStatus& ns = v->Dispatcher();
    ns.OnLButtonDown(MK::LButton, Position(50, 0));
    ns.OnMouseMove(MK::LButton, Position(50, 0));
    ns.OnMouseMove(MK::LButton, Position(80, 30));
    EXPECT_EQ(t->GetStart(), Position(30, 30));
    window.reset();
    EXPECT_EQ(t->GetStart(), Position(0, 0));
    EXPECT_EQ(board().GetRedoUndo().UndoCount(), 1u);
}
