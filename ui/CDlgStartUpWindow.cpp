#include "CDlgStartUpWindow.h"

#include "CMainFrame.h"
#include "CVantorApp.h"
#include "board/CInfomation.h"
#include "board/ViewPort.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace
{

const QString kSimplified = QStringLiteral("\u7B80\u4F53");  // simplified Chinese
const QString kTraditional = QStringLiteral("\u7E41\u9AD4"); // traditional Chinese

// The picture's subtitle per picture name.
QString Subtitle(const QString& name)
{
    if (name == QLatin1String("STARTUP"))
        return QStringLiteral("\u7167\u7247\u6284\u677F \u00B7 \u7535\u8DEF\u677F\u91CD\u7ED8");
    if (name == QLatin1String("FT"))
        return QStringLiteral("\u7167\u7247\u6284\u677F \u00B7 \u96FB\u8DEF\u677F\u91CD\u7E6A");
    return QStringLiteral("Circuit boards redrawn from photographs");
}

// A piece of board: tracks ending in round pads and a row of square pads.
void DrawBoardArt(QPainter& p)
{
    const QColor copper(214, 160, 72);
    p.setPen(QPen(copper, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPolygon tracks[] = {
        QPolygon({QPoint(30, 150), QPoint(110, 150), QPoint(150, 110), QPoint(300, 110)}),
        QPolygon({QPoint(30, 190), QPoint(130, 190), QPoint(170, 150), QPoint(300, 150)}),
        QPolygon({QPoint(340, 60), QPoint(340, 190), QPoint(450, 190)}),
        QPolygon({QPoint(380, 60), QPoint(380, 150), QPoint(450, 150)}),
    };
    for (const QPolygon& t : tracks)
        p.drawPolyline(t);
    p.setPen(Qt::NoPen);
    p.setBrush(copper);
    for (const QPoint c : {QPoint(30, 150), QPoint(30, 190), QPoint(450, 190), QPoint(450, 150)})
        p.drawEllipse(c, 11, 11);
    for (int i = 0; i < 6; ++i)
        p.drawRect(60 + i * 40, 84, 18, 18);
    p.setBrush(QColor(20, 60, 30));
    for (const QPoint c : {QPoint(30, 150), QPoint(30, 190), QPoint(450, 190), QPoint(450, 150)})
        p.drawEllipse(c, 4, 4);
}

} // namespace

CDlgStartUpWindow::CDlgStartUpWindow(QWidget* parent, Form form, const QString& languagePath)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_form(form),
      m_chinese(PictureName(languagePath) != QLatin1String("EN")),
      m_picture(DrawPicture(PictureName(languagePath)))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("StartUpWindow"));
    setWindowTitle(QStringLiteral("Vantor"));
    setFixedSize(m_picture.size());
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CDlgStartUpWindow::OnTimer);
    if (form == About) {
        m_stage = Stage::Closable;
        m_closable = true;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->geometry();
        move(desk.width() / 2 - width() / 2, desk.height() / 2 - height() / 2);
    }
    show();
    activateWindow();
}

CDlgStartUpWindow::~CDlgStartUpWindow()
{
    m_timer.stop();
    // The hidden main frame shows itself once the start-up form has gone. A frame that
    // is itself going is no CMainFrame any more and is left alone.
    if (m_form != StartUp)
        return;
    if (auto* frame = qobject_cast<CMainFrame*>(parentWidget()))
        QMetaObject::invokeMethod(
            frame, [frame] { frame->OnBoardNotify(BN_STARTUP_CLOSED, 0); }, Qt::QueuedConnection);
}

QString CDlgStartUpWindow::PictureName(const QString& languagePath)
{
    const QString path = languagePath.toLower();
    if (path.contains(kSimplified))
        return QStringLiteral("STARTUP");
    if (path.contains(kTraditional))
        return QStringLiteral("FT");
    return QStringLiteral("EN");
}

QImage CDlgStartUpWindow::DrawPicture(const QString& name)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient board(0, 0, 0, 230);
    board.setColorAt(0, QColor(18, 92, 52));
    board.setColorAt(1, QColor(10, 58, 34));
    p.fillRect(0, 0, kWidth, 230, board);
    DrawBoardArt(p);
    // The light lower part carries the dark texts: title, version, year and progress.
    p.fillRect(0, 230, kWidth, kHeight - 230, QColor(236, 238, 230));
    p.fillRect(0, 228, kWidth, 4, QColor(214, 160, 72));
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(30, 20, 300, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantor"));
    QFont sub(QStringLiteral("Arial"));
    sub.setPixelSize(15);
    p.setFont(sub);
    p.drawText(QRect(30, 200, 420, 24), Qt::AlignLeft | Qt::AlignVCenter, Subtitle(name));
    return image;
}

QPoint CDlgStartUpWindow::VersionPosition() const
{
    return m_chinese ? QPoint(148, 252) : QPoint(158, 252);
}

QPoint CDlgStartUpWindow::YearPosition() const
{
    return m_chinese ? QPoint(273, 307) : QPoint(285, 307);
}

void CDlgStartUpWindow::WakeLibraryLoading()
{
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (theInfomation)
                theInfomation->PumpLibraryLoading();
        },
        Qt::QueuedConnection);
}

void CDlgStartUpWindow::SetLines(const QString& line1, const QString& line2)
{
    m_line1 = line1;
    m_line2 = line2;
    update(QRect(kTextLeft, kTextTop, width() - kTextLeft, height() - kTextTop));
}

void CDlgStartUpWindow::OnLibraryLoadNotify(int code, const LibraryLoadProgress* progress)
{
    if (code == BN_LOAD_PROGRESS && progress) {
        if (progress->step == LibraryLoadSink::kLoadLibrary)
            SetLines(QString::asprintf("Loading %d of %d librarys: ", progress->current,
                                       progress->total),
                     m_line2);
        else if (progress->step == LibraryLoadSink::kLoadComponent)
            SetLines(m_line1,
                     QString::asprintf("%d of %d components", progress->current, progress->total));
    } else if (code == BN_LOAD_DONE && m_stage == Stage::Loading) {
        m_stage = Stage::Finishing;
        StartTimer(Clock::Current().NowMs() + kCompleteDelayMs);
    }
}

void CDlgStartUpWindow::ShowStatusLine(const QString& text)
{
    SetLines(QStringLiteral("             ") + text, QString());
}

void CDlgStartUpWindow::StartTimer(std::uint64_t dueMs)
{
    m_dueMs = dueMs;
    const std::uint64_t now = Clock::Current().NowMs();
    m_timer.start(int(std::min<std::uint64_t>(dueMs > now ? dueMs - now : 0, 60000)));
}

void CDlgStartUpWindow::OnTimer()
{
    const std::uint64_t now = Clock::Current().NowMs();
    if (m_stage == Stage::Loading)
        return;
    if (now < m_dueMs) {
        StartTimer(m_dueMs);
        return;
    }
    m_timer.stop();
    if (m_stage == Stage::Finishing) {
        SetLines(QString::fromLatin1(kCompleteText), QString());
        m_stage = Stage::Closable;
        m_closable = true;
        StartTimer(now + kCloseDelayMs);
        return;
    }
    close();
}

bool CDlgStartUpWindow::CloseOnInput()
{
    if (!m_closable)
        return false;
    close();
    return true;
}

void CDlgStartUpWindow::keyPressEvent(QKeyEvent* e)
{
    if (!CloseOnInput())
        QWidget::keyPressEvent(e);
}

void CDlgStartUpWindow::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !CloseOnInput())
        QWidget::mousePressEvent(e);
}

void CDlgStartUpWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
    p.setPen(Qt::black);
    QFont version(QStringLiteral("Arial"));
    version.setPixelSize(25);
    version.setWeight(QFont::ExtraLight);
    p.setFont(version);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    p.drawText(QRect(VersionPosition(), QSize(1, 1)), flags, CVantorApp::GetProgramVersionString());
    QFont small(QStringLiteral("Arial"));
    small.setPixelSize(15);
    small.setWeight(QFont::ExtraLight);
    p.setFont(small);
    p.drawText(QRect(YearPosition(), QSize(1, 1)), flags, QString::fromLatin1(kYear));
    p.drawText(QRect(QPoint(kTextLeft, kTextTop), QSize(1, 1)), flags, m_line1 + m_line2);
}
