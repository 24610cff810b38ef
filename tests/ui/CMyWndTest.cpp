#include "ui/CMyWnd.h"

#include "board/CVantorDoc.h"
#include "commands/CCommand.h"
#include "model/Utilities.h"
#include "platform/LockKeys.h"
#include "support/FrameTest.h"
#include "ui/CMainFrame.h"
#include "ui/CVantorView.h"
#include "ui/CommandIds.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

#include <gtest/gtest.h>

using namespace Cmd;

namespace
{

// Records what reaches it: "down x,y", "move x,y", "up x,y", "timer".
class RecordingTool : public CCommand
{
  public:
    explicit RecordingTool(std::vector<std::string>* log) : m_log(log) {}
    int GetCommandType() override { return 0; }
    int OnLButtonDown(UINT, const Position& p) override { return Log("down", p); }
    int OnMouseMove(UINT, const Position& p) override { return Log("move", p); }
    int OnLButtonUp(UINT, const Position& p) override { return Log("up", p); }
    int OnRButtonDown(UINT, const Position& p) override { return Log("right", p); }
    int OnTimer(const Position&) override
    {
        m_log->push_back("timer");
        return 0;
    }

  private:
    int Log(const char* what, const Position& p)
    {
        const Point back = p.ToScreen();
        m_log->push_back(std::string(what) + " " + std::to_string(back.x) + "," +
                         std::to_string(back.y));
        return 0;
    }
    std::vector<std::string>* m_log;
};

class CMyWndTest : public FrameTest
{
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        frame->resize(800, 600);
        frame->show();
        QApplication::processEvents();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        QWidget* target = frame->GetActiveView()->viewport();
        QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
};

TEST_F(CMyWndTest, TheOverlayLiesOverTheViewAndNeverTakesItsClicks)
{
    CMyWnd* overlay = frame->Overlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->objectName(), "ImageWindow");
    EXPECT_TRUE(overlay->isVisible());
    QWidget* client = frame->GetActiveView()->viewport();
    for (QSize size : {QSize(800, 600), QSize(640, 500)}) {
        frame->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(overlay->geometry(), QRect(client->mapTo(frame.get(), QPoint()), client->size()));
        const QPoint middle = overlay->geometry().center();
        EXPECT_NE(frame->childAt(middle), overlay);
    }
    // It paints nothing: the window looks the same without it.
    const QImage with = frame->grab().toImage();
    overlay->hide();
    EXPECT_EQ(frame->grab().toImage(), with);
}

TEST_F(CMyWndTest, ItsToolGetsTheViewsLeftButtonAndMovesOnceAPhotoIsOpen)
{
    const int savedFlag = thePlatformFlag;
    thePlatformFlag = 0; // no board without a photograph
    std::vector<std::string> log;
    frame->Overlay()->SetCommand(std::make_unique<RecordingTool>(&log));
    Mouse(QEvent::MouseButtonPress, QPoint(10, 20), Qt::LeftButton);
    frame->Overlay()->OnTimer();
    EXPECT_EQ(log, std::vector<std::string>{"timer"});

    const std::string path = settingsFolder + "photo.bmp";
    QImage image(2000, 2000, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
    ui.Expect<DpiValues>(true);
    ui.Expect<Question>(true);
    ASSERT_TRUE(doc->OpenFile(path));
    frame->GetActiveView()->ScrollToLogical(Point{500, 400});
    log.clear();
    // The client point goes on as it is, without the view's scroll position.
    Mouse(QEvent::MouseButtonPress, QPoint(10, 20), Qt::LeftButton);
    Mouse(QEvent::MouseMove, QPoint(30, 40), Qt::NoButton);
    Mouse(QEvent::MouseButtonRelease, QPoint(50, 60), Qt::LeftButton);
    Mouse(QEvent::MouseButtonPress, QPoint(70, 80), Qt::RightButton);
    EXPECT_EQ(log, (std::vector<std::string>{"down 10,20", "move 30,40", "up 50,60"}));
    thePlatformFlag = savedFlag;
}

TEST_F(CMyWndTest, LockIndicatorsFollowTheSystemsLocks)
{
    const std::pair<int, const char*> panes[] = {
        {ID_INDICATOR_CAPS, "CAP"}, {ID_INDICATOR_NUM, "NUM"}, {ID_INDICATOR_SCRL, "SCRL"}};
    const LockKey keys[] = {LockKey::Caps, LockKey::Num, LockKey::Scroll};
    frame->UpdateLockIndicators();
    for (int i = 0; i < 3; ++i) {
        QLabel* pane = frame->LockIndicator(panes[i].first);
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->parent(), frame->statusBar());
        EXPECT_EQ(pane->text(),
                  LockKeys::IsOn(keys[i]).value_or(false) ? panes[i].second : QString());
    }
}

} // namespace
