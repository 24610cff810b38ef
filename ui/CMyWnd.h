// The overlay window ("ImageWindow"): a child of the main frame lying over the board
// view's client area, which passes the view's left-button and move messages and its own
// 200 ms timer to a tool of its own, apart from the view's dispatcher. No part of the
// program gives it a tool yet, so it forwards nothing. It is transparent to the mouse
// and paints nothing, so it never takes the view's clicks or hides the board; the view
// sends it copies of its messages instead. GUI thread only.
#pragma once

#include "ViewEventMapper.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class CCommand;

class CMyWnd : public QWidget
{
    Q_OBJECT

  public:
    static constexpr const char* kWindowName = "ImageWindow";
    static constexpr int kTimerPeriodMs = 200;

    // Made at (0, 0) with the size 640 x 480; the frame fits it to the view.
    explicit CMyWnd(QWidget* parent = nullptr);
    ~CMyWnd() override;

    // The tool that receives the messages (owned; null for none).
    void SetCommand(std::unique_ptr<CCommand> command);
    CCommand* GetCommand() const { return m_command.get(); }

    // A copy of a view message, with the view's client point: left button down and up
    // and mouse moves reach the tool, once a photograph is open, at the board point of
    // the client point (the scroll position is not added). Others do nothing.
    void OnMouse(ViewEvent::Type type, UINT flags, Point client);
    // The 200 ms timer: the tool receives the pointer's board point.
    void OnTimer();
    // Lies over `client` (the view's client area), which must share this window's parent
    // window.
    void FitTo(const QWidget* client);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    std::unique_ptr<CCommand> m_command;
    QTimer m_timer;
};
