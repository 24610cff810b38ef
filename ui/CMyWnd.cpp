#include "CMyWnd.h"

#include "board/CDib.h"
#include "board/CInfomation.h"
#include "commands/CCommand.h"

#include <QCursor>

CMyWnd::CMyWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(kWindowName));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(0, 0, 640, 480);
    connect(&m_timer, &QTimer::timeout, this, &CMyWnd::OnTimer);
    m_timer.start(kTimerPeriodMs);
}

CMyWnd::~CMyWnd() = default;

void CMyWnd::SetCommand(std::unique_ptr<CCommand> command)
{
    m_command = std::move(command);
}

void CMyWnd::OnMouse(ViewEvent::Type type, UINT flags, Point client)
{
    const CDib* photo = theInfomation ? theInfomation->GetPhoto() : nullptr;
    if (!m_command || !photo || !photo->IsLoaded())
        return;
    const Position p(client);
    switch (type) {
    case ViewEvent::LButtonDown:
        m_command->OnLButtonDown(flags, p);
        break;
    case ViewEvent::MouseMove:
        m_command->OnMouseMove(flags, p);
        break;
    case ViewEvent::LButtonUp:
        m_command->OnLButtonUp(flags, p);
        break;
    default:
        break;
    }
}

void CMyWnd::OnTimer()
{
    if (!m_command || !theInfomation)
        return;
    const QPoint at = mapFromGlobal(QCursor::pos());
    m_command->OnTimer(Position(Point{at.x(), at.y()}));
}

void CMyWnd::FitTo(const QWidget* client)
{
    if (!client || !parentWidget())
        return;
    const QPoint topLeft = client->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(QRect(topLeft, client->size()));
}

void CMyWnd::paintEvent(QPaintEvent*)
{
    // Nothing: the board view shows through.
}
