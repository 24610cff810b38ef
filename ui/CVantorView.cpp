#include "CVantorView.h"

#include "CBrowserLibDlg.h"
#include "CMyWnd.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "ViewEventMapper.h"
#include "board/BandedDrawing.h"
#include "board/CDib.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "board/ViewSnapshot.h"
#include "commands/CommandKinds.h"
#include "commands/ToolTable.h"
#include "model/CComponent.h"
#include "model/Constants.h"
#include "model/UiServices.h"
#include "platform/qt/QtDrawContext.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

// Drawing mode of the cross-hair: plain lines in the layer's colour.
constexpr int kCrossHairMode = 3;
// Virtual keys of the keypad's plus and minus.
constexpr UINT kAdd = 0x6B;
constexpr UINT kSubtract = 0x6D;
// The largest grid step the grid menu lists, in mils; "Other...." is checked above it.
constexpr double kLargestListedStep = 10.0;
// Pixels one click on a scroll bar arrow moves.
constexpr int kScrollLine = 20;

// The route of a command in the table; Elsewhere for an id without an entry.
CommandRoute RouteOf(int id)
{
    const CommandInfo* info = CommandTable::Find(id);
    return info ? info->route : CommandRoute::Elsewhere;
}

int ToolKindOf(int id)
{
    const CommandInfo* info = CommandTable::Find(id);
    return info ? info->toolKind : CommandKind::None;
}

bool IsGridCommand(int id)
{
    return id >= Cmd::ID_GRID_1 && id <= Cmd::ID_GRID_10;
}

// Keys the view handles itself even where a window shortcut or focus navigation would
// take them.
bool IsViewKey(const QKeyEvent& e)
{
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int key = e.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return true;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Backspace:
    case Qt::Key_F3:
    case Qt::Key_F4:
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        return (e.modifiers() & Qt::KeypadModifier) != 0;
    default:
        return false;
    }
}

Qt::CursorShape ToQtCursor(CursorShape shape)
{
    switch (shape) {
    case CursorShape::Arrow:
        return Qt::ArrowCursor;
    case CursorShape::Cross:
        return Qt::CrossCursor;
    case CursorShape::SizeWE:
        return Qt::SizeHorCursor;
    case CursorShape::SizeNESW:
        return Qt::SizeBDiagCursor;
    case CursorShape::SizeNS:
        return Qt::SizeVerCursor;
    case CursorShape::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case CursorShape::SizeAll:
        return Qt::SizeAllCursor;
    case CursorShape::Wait:
        return Qt::WaitCursor;
    }
    return Qt::ArrowCursor;
}

bool ModalUiOpen()
{
    return QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

} // namespace

CVantorView::CVantorView(CVantorDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(kScrollLine);
    verticalScrollBar()->setSingleStep(kScrollLine);
    // A scroll bar the user works tells the tool where the pointer is before it moves.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this](int) {
            if (theInfomation)
                m_status.OnMouseMove(0, theInfomation->GetCursorPosition());
        });

    m_status.SetModalQuery(&ModalUiOpen);
    if (theInfomation) {
        theInfomation->SetView(this);
        theInfomation->GetDrawingQueue().SetViewPort(this);
    }

    m_hoverTimer.setInterval(kHoverPeriodMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] { OnTimer(kHoverTimer); });
    m_autoScrollTimer.setInterval(kAutoScrollPeriodMs);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, [this] { OnTimer(kAutoScrollTimer); });
    m_hoverTimer.start();
    UpdateScrollRange();
}

CVantorView::~CVantorView()
{
    m_hoverTimer.stop();
    m_autoScrollTimer.stop();
    m_status.EndCurrentCommand(EndReason::Teardown);
    LetGoCapture();
    // The browser goes while the board state it lists still stands.
    if (m_browser && m_browser->parent() == this)
        delete m_browser;
    if (theInfomation && theInfomation->GetView() == this)
        theInfomation->SetView(nullptr);
}

// ---------------------------------------------------------------------------------
// Photograph, scrolling and zoom

CDib* CVantorView::Photo() const
{
    if (m_doc)
        return &m_doc->GetPhoto();
    return theInfomation ? theInfomation->GetPhoto() : nullptr;
}

bool CVantorView::PhotoLoaded() const
{
    const CDib* photo = Photo();
    return photo && photo->IsLoaded();
}

void CVantorView::UpdateScrollRange()
{
    if (PhotoLoaded()) {
        const CDib* photo = Photo();
        m_extent = QSize(int(photo->GetWidth()), int(photo->GetHeight()));
    } else {
        m_extent = QSize(kEmptyExtent, kEmptyExtent);
    }
    const QSize client = viewport()->size();
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
    horizontalScrollBar()->setRange(0, std::max(0, m_extent.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, m_extent.height() - client.height()));
}

Point CVantorView::PhotoBottomLeft() const
{
    // The photograph as it is drawn: it may lie inside a larger board frame.
    CDib* photo = Photo();
    Rect covered;
    photo->Draw(nullptr, Rect{}, &covered);
    if (covered.IsEmpty())
        return Point{0, int(photo->GetHeight())};
    const Point scroll = GetScrollPosition();
    return Point{covered.left + scroll.x, covered.bottom + scroll.y};
}

void CVantorView::PhotoChanged()
{
    UpdateScrollRange();
    if (PhotoLoaded())
        ScrollToLogical(Point{m_extent.width() / 2, m_extent.height() / 2});
    BoardChanged();
}

bool CVantorView::ZoomIn(const Position& p)
{
    CDib* photo = Photo();
    if (!photo || !photo->IsLoaded() || !photo->ZoomIn(p))
        return false;
    UpdateScrollRange();
    ScrollToLogical(p.ToScreen());
    BoardChanged();
    return true;
}

bool CVantorView::ZoomOut(const Position& p)
{
    CDib* photo = Photo();
    if (!photo || !photo->IsLoaded() || !photo->ZoomOut(p))
        return false;
    UpdateScrollRange();
    ScrollToLogical(p.ToScreen());
    BoardChanged();
    return true;
}

void CVantorView::OnPhotoActualSize()
{
    CDib* photo = Photo();
    if (!photo || !photo->IsLoaded())
        return;
    photo->ZoomToActualSize();
    UpdateScrollRange();
    ScrollToLogical(Position(50000, 50000).ToScreen());
    BoardChanged();
}

// Everything the view draws is fixed to the board (photograph, grid, objects, the tools'
// shapes, the cross-hair at the board point under the pointer), so a scroll moves the
// pixels already drawn and paints only the strips it uncovers.
void CVantorView::scrollContentsBy(int dx, int dy)
{
    ScrollFrame(dx, dy);
    viewport()->scroll(dx, dy);
}

void CVantorView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollRange();
}

// ---------------------------------------------------------------------------------
// View port

void CVantorView::InvalidateRect(const Rect& r)
{
    if (r.right > r.left && r.bottom > r.top)
        BoardChanged(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

void CVantorView::InvalidateAll()
{
    BoardChanged();
}

void CVantorView::InvalidateOverlay(const Rect& r)
{
    if (r.right > r.left && r.bottom > r.top)
        viewport()->update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

Point CVantorView::GetScrollPosition() const
{
    return Point{horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CVantorView::ScrollToLogical(Point p)
{
    if (!PhotoLoaded())
        return;
    const QSize client = viewport()->size();
    horizontalScrollBar()->setValue(p.x - client.width() / 2);
    verticalScrollBar()->setValue(p.y - client.height() / 2);
}

Point CVantorView::GetClientSize() const
{
    return Point{viewport()->width(), viewport()->height()};
}

Point CVantorView::GetCursorPos() const
{
    const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    return Point{p.x(), p.y()};
}

void CVantorView::SetCursorPos(Point clientPoint)
{
    // Where the platform does not let programs move the pointer this does nothing; the
    // callers read the pointer back and carry on from where it really is.
    QCursor::setPos(viewport()->mapToGlobal(QPoint(clientPoint.x, clientPoint.y)));
}

void CVantorView::SetCapture()
{
    // Only a shown widget can hold the mouse.
    if (!viewport()->isVisible())
        return;
    viewport()->grabMouse();
    m_captured = true;
}

void CVantorView::ReleaseCapture()
{
    LetGoCapture();
}

void CVantorView::LetGoCapture()
{
    if (QWidget::mouseGrabber() == viewport())
        viewport()->releaseMouse();
    m_captured = false;
}

void CVantorView::SetCursorShape(CursorShape shape)
{
    // The same gate as every other view operation: the photo-loaded test.
    if (!PhotoLoaded())
        return;
    viewport()->setCursor(ToQtCursor(shape));
}

void CVantorView::ShowStatusMessage(const std::string& text)
{
    emit statusMessage(QString::fromStdString(text));
}

bool CVantorView::IsKeyDown(int vk) const
{
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    switch (vk) {
    case VK::Control:
        return (held & Qt::ControlModifier) != 0;
    case VK::Shift:
        return (held & Qt::ShiftModifier) != 0;
    default:
        return false;
    }
}

bool CVantorView::ZoomStep(bool zoomIn, const Position& about)
{
    return zoomIn ? ZoomIn(about) : ZoomOut(about);
}

void CVantorView::PostRepaintRect(const Rect& clientRect)
{
    // A copy travels: the sender's rectangle may be gone by the time it arrives.
    QMetaObject::invokeMethod(
        this, [this, r = clientRect] { RepaintRect(r); }, Qt::QueuedConnection);
}

void CVantorView::PostBoardNotify(int code, std::intptr_t arg)
{
    QMetaObject::invokeMethod(
        this, [this, code, arg] { OnBoardNotify(code, arg); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------
// Notifications and commands

void CVantorView::PlaceComponent(std::unique_ptr<CComponent> component)
{
    if (component)
        m_status.SetCommand(CommandKind::Component, CommandParam(std::move(component)));
}

void CVantorView::SetOverlayWindow(CMyWnd* overlay)
{
    m_overlay = overlay;
}

void CVantorView::OnLibraryBrowser()
{
    if (!theInfomation)
        return;
    if (!m_browser) {
        auto* browser = new CBrowserLibDlg(theInfomation->GetLibrarySet(), this);
        browser->SetPlaceHandler([this](std::unique_ptr<CComponent> component) {
            PlaceComponent(std::move(component));
        });
        m_browser = browser;
    }
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
}

void CVantorView::OnBoardNotify(int code, std::intptr_t arg)
{
    // Place-component and repaint-rect carry objects: they come through PlaceComponent
    // and RepaintRect, so here they, and unknown codes, do nothing.
    switch (code) {
    case BN_MODIFIED:
        // Whatever changed was repainted by its own request; the kept picture is not
        // trusted beyond that, so later paints draw the board afresh wherever they go.
        m_stale = QRegion(viewport()->rect());
        if (m_doc)
            m_doc->SetModifiedFlag(true);
        emit documentModified();
        break;
    case BN_SHOW_BROWSER:
        if (m_browser)
            m_browser->show();
        break;
    case BN_ZOOM_FIT:
        if (theInfomation)
            theInfomation->ZoomToFit();
        BoardChanged();
        break;
    case BN_LOAD_PROGRESS:
    case BN_LOAD_DONE:
    case BN_STARTUP_CLOSED:
    case BN_STATUS_LINE:
        emit frameNotify(code, qintptr(arg));
        break;
    default:
        break;
    }
}

void CVantorView::RepaintRect(Rect r)
{
    r.Normalize();
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    const QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
    m_stale += area;
    viewport()->repaint(area);
}

EditCommands CVantorView::Edit()
{
    return EditCommands(m_status, *theInfomation);
}

bool CVantorView::OnCommand(int id)
{
    const CommandRoute route = RouteOf(id);
    if (route == CommandRoute::Elsewhere)
        return false;
    const int kind = ToolKindOf(id);
    if (!theInfomation || !PhotoLoaded())
        return true;

    if (kind != CommandKind::None) {
        if (kind != CommandKind::Array)
            m_status.SetCommand(kind);
        else if (!theInfomation->IsSelectionEmpty())
            m_status.SetCommand(kind, CommandParam(theInfomation->SelectionList));
    } else if (IsGridCommand(id)) {
        theInfomation->GetGrid().SetStep(double(id - Cmd::ID_GRID_BASE));
    } else if (!EditCommand(id)) {
        ViewCommand(id);
    }
    BoardChanged();
    return true;
}

bool CVantorView::EditCommand(int id)
{
    switch (id) {
    case Cmd::ID_EDIT_REDO:
        Edit().Redo();
        break;
    case Cmd::ID_EDIT_UNDO:
        Edit().Undo();
        break;
    case Cmd::ID_EDIT_CUT:
        Edit().Cut();
        break;
    case Cmd::ID_EDIT_COPY:
        Edit().Copy();
        break;
    case Cmd::ID_EDIT_PASTE:
        Edit().Paste((QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0);
        break;
    case Cmd::ID_EDIT_CLEAR:
        Edit().ClearAll();
        break;
    case Cmd::ID_EDIT_SELECT_ALL:
        Edit().SelectAll();
        break;
    case Cmd::ID_PLACE_INSERT:
        Edit().Insert();
        break;
    default:
        return false;
    }
    return true;
}

void CVantorView::ViewCommand(int id)
{
    switch (id) {
    case Cmd::ID_VIEW_CROSS_LINE:
        m_crossLine = !m_crossLine;
        break;
    case Cmd::ID_VIEW_ACTUAL_SIZE:
        OnPhotoActualSize();
        break;
    case Cmd::ID_VIEW_UNIT_SWITCH:
        theInfomation->SetUnit(theInfomation->GetUnit() == 1 ? 0 : 1);
        break;
    case Cmd::ID_VIEW_CAPTURE:
        theInfomation->m_snap = !theInfomation->m_snap;
        break;
    case Cmd::ID_GRID_OTHER:
        OnGridOther();
        break;
    case Cmd::ID_VIEW_LAYERS:
        theInfomation->ShowLayersDialog();
        break;
    case Cmd::ID_ZOOM_IN:
    case Cmd::ID_ZOOM_OUT: {
        const Point scroll = GetScrollPosition();
        const Position centre(
            Point{viewport()->width() / 2 + scroll.x, viewport()->height() / 2 + scroll.y});
        if (id == Cmd::ID_ZOOM_IN)
            ZoomIn(centre);
        else
            ZoomOut(centre);
        break;
    }
    case Cmd::ID_ZOOM_ALL:
        theInfomation->ZoomToFit();
        break;
    case Cmd::ID_PLACE_COMPONENT:
        OnLibraryBrowser();
        break;
    case Cmd::ID_TOOL_RESET_ORIGIN:
        theInfomation->SetOrigin(Position(PhotoBottomLeft()));
        break;
    case Cmd::ID_TOOL_JUMP_ORIGIN: {
        int origin[2] = {0, 0};
        theInfomation->GetScreenOrigin(origin);
        ScrollToLogical(Point{origin[0], origin[1]});
        theInfomation->SetCursorPosition(Position(0.0, 0.0));
        break;
    }
    default:
        break;
    }
}

void CVantorView::OnGridOther()
{
    GridValues values{theInfomation->GetGrid().GetStep()};
    if (UiServices::Current().Ask(values))
        theInfomation->GetGrid().SetStep(values.step);
}

bool CVantorView::UpdateCommand(int id, bool* enabled, bool* checked)
{
    const CommandRoute route = RouteOf(id);
    if (route == CommandRoute::Elsewhere)
        return false;
    const int kind = ToolKindOf(id);
    *checked = false;
    *enabled = theInfomation && PhotoLoaded();
    if (!*enabled)
        return true;

    CCommand* tool = m_status.GetCurrentCommand();
    const int current = tool ? tool->GetCommandType() : CommandKind::None;
    const double step = theInfomation->GetGrid().GetStep();
    if (!CNormalStatus::HasTool(kind))
        *enabled = false; // the tool comes later
    else if (route == CommandRoute::CheckedTool)
        *checked = tool && current == kind;
    else if (id == Cmd::ID_PLACE_ARRAY)
        *enabled = theInfomation->SelectionList.size() == 1;
    else if (IsGridCommand(id))
        *checked = step + Cmd::ID_GRID_1 - 1 == double(id);
    else if (id == Cmd::ID_GRID_OTHER)
        *checked = step > kLargestListedStep;
    else if (id == Cmd::ID_EDIT_REDO)
        *enabled = theInfomation->CanRedo() != 0;
    else if (id == Cmd::ID_EDIT_UNDO)
        *enabled = theInfomation->CanUndo() != 0;
    else if (id == Cmd::ID_EDIT_CUT || id == Cmd::ID_EDIT_COPY || id == Cmd::ID_EDIT_CLEAR)
        *enabled = Edit().CanCut();
    else if (id == Cmd::ID_EDIT_PASTE)
        *enabled = Edit().CanPaste();
    else if (id == Cmd::ID_PLACE_INSERT)
        *enabled = Edit().CanInsert();
    else if (id == Cmd::ID_VIEW_CROSS_LINE)
        *checked = m_crossLine != 0;
    else if (id == Cmd::ID_VIEW_CAPTURE)
        *checked = theInfomation->m_snap != 0;
    return true;
}

// ---------------------------------------------------------------------------------
// Events

bool CVantorView::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        if (IsViewKey(*static_cast<QKeyEvent*>(e))) {
            e->accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        // Tab would move the focus before the key handler saw it.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
        break;
    }
    case QEvent::WindowBlocked:
        // A dialog opened over the view must get the mouse.
        LetGoCapture();
        break;
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

void CVantorView::mousePressEvent(QMouseEvent* e)
{
    Dispatch(ViewEventMapper::Map(*e, GetScrollPosition()));
    e->accept();
}

void CVantorView::mouseReleaseEvent(QMouseEvent* e)
{
    Dispatch(ViewEventMapper::Map(*e, GetScrollPosition()));
    e->accept();
}

void CVantorView::mouseDoubleClickEvent(QMouseEvent* e)
{
    Dispatch(ViewEventMapper::Map(*e, GetScrollPosition()));
    e->accept();
}

void CVantorView::mouseMoveEvent(QMouseEvent* e)
{
    Dispatch(ViewEventMapper::Map(*e, GetScrollPosition()));
    e->accept();
}

void CVantorView::wheelEvent(QWheelEvent* e)
{
    Dispatch(ViewEventMapper::Map(*e, GetScrollPosition()));
    QAbstractScrollArea::wheelEvent(e);
}

void CVantorView::keyPressEvent(QKeyEvent* e)
{
    const ViewEvent ev = ViewEventMapper::Map(*e, GetScrollPosition());
    if (ev.type == ViewEvent::None) {
        e->ignore();
        return;
    }
    Dispatch(ev);
    e->accept();
}

void CVantorView::Dispatch(const ViewEvent& ev)
{
    if (!theInfomation)
        return;
    // The overlay window gets its copy first.
    if (m_overlay && (ev.type == ViewEvent::LButtonDown || ev.type == ViewEvent::LButtonUp ||
                      ev.type == ViewEvent::RButtonDown))
        m_overlay->OnMouse(ev.type, ev.flags, ev.client);
    switch (ev.type) {
    case ViewEvent::LButtonDown:
        UpdateCursorShape();
        m_status.OnLButtonDown(ev.flags, ev.board);
        break;
    case ViewEvent::LButtonUp:
        UpdateCursorShape();
        m_status.OnLButtonUp(ev.flags, ev.board);
        break;
    case ViewEvent::RButtonDown:
        UpdateCursorShape();
        m_status.OnRButtonDown(ev.flags, ev.board);
        break;
    case ViewEvent::LButtonDblClk:
        m_status.OnLButtonDblClk(ev.flags, ev.board);
        break;
    case ViewEvent::RButtonDblClk:
        m_status.OnRButtonDblClk(ev.flags, ev.board);
        break;
    case ViewEvent::MouseMove:
        UpdateCursorShape();
        OnMouseMove(ev.flags, ev.client);
        break;
    case ViewEvent::Wheel:
        m_status.OnMouseMove(0, theInfomation->GetCursorPosition());
        break;
    case ViewEvent::KeyDown:
        OnKeyDown(ev.key, ev.repeat, ev.flags);
        break;
    case ViewEvent::None:
        break;
    }
}

bool CVantorView::EdgeScrollTarget(Point client, Point* target) const
{
    const int left = 0;
    const int top = 0;
    const int right = viewport()->width();
    const int bottom = viewport()->height();
    const int step = theInfomation ? theInfomation->AutoScrollStep : kStepMin;
    Point c{(right - left) / 2, (bottom - top) / 2};
    bool near = false;
    if (std::abs(client.x - left) < kEdgeBand || client.x < left) {
        c.x -= step;
        near = true;
    }
    if (std::abs(client.y - top) < kEdgeBand || client.y < top) {
        c.y -= step;
        near = true;
    }
    if (std::abs(client.x - right) < kEdgeBand || client.x > right) {
        c.x += step;
        near = true;
    }
    if (std::abs(client.y - bottom) < kEdgeBand || client.y > bottom) {
        c.y += step;
        near = true;
    }
    *target = c;
    return near;
}

void CVantorView::OnMouseMove(UINT nFlags, Point client)
{
    Point c;
    if (m_status.HasCommand() && EdgeScrollTarget(client, &c)) {
        const Point scroll = GetScrollPosition();
        ScrollToLogical(Point{c.x + scroll.x, c.y + scroll.y});
        viewport()->update(); // the board moved with the scroll; the tool's shape did not
        m_autoScrollTimer.start();
    }
    if (!PhotoLoaded())
        return;
    const Point scroll = GetScrollPosition();
    const Position p(Point{client.x + scroll.x, client.y + scroll.y});
    SetStatusText(FormatStatus(p, theInfomation->GetUnitName()));
    if (m_overlay)
        m_overlay->OnMouse(ViewEvent::MouseMove, nFlags, client);
    m_status.OnMouseMove(nFlags, p);
    if (CrossHairShown())
        viewport()->update();
}

void CVantorView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    bool zoomed = false;
    Position about;
    if (PhotoLoaded()) {
        switch (nChar) {
        case VK::Prior:
        case VK::Next:
            about = theInfomation->GetCursorPosition();
            if (nChar == VK::Prior)
                ZoomIn(about);
            else
                ZoomOut(about);
            zoomed = true;
            break;
        case 'Q':
            theInfomation->SetUnit(theInfomation->GetUnit() == 1 ? 0 : 1);
            if (!m_statusText.isEmpty())
                SetStatusText(
                    FormatStatus(theInfomation->GetCursorPosition(), theInfomation->GetUnitName()));
            break;
        case kAdd:
        case VK::F3:
        case kSubtract:
        case VK::F4:
            if (m_status.HasCommand()) {
                const bool up = nChar == kAdd || nChar == VK::F3;
                const int step = theInfomation->AutoScrollStep + (up ? kStepMin : -kStepMin);
                theInfomation->AutoScrollStep = std::clamp(step, kStepMin, kStepMax);
                m_autoScrollTimer.start();
            }
            break;
        default:
            break;
        }
    }
    m_status.OnKeyDown(nChar, nRepCnt, nFlags);
    if (zoomed) {
        BoardChanged();
        theInfomation->SetCursorPosition(about);
        OnMouseMove(0, GetCursorPos());
    }
}

void CVantorView::OnTimer(int id)
{
    if (!isVisible() || !theInfomation)
        return;
    if (id == kAutoScrollTimer) {
        // A pointer outside the window scrolls only while the view holds the mouse (a
        // step in progress), not once it has gone to the menus or the toolbar.
        const Point cursor = GetCursorPos();
        const bool outside = !viewport()->rect().contains(QPoint(cursor.x, cursor.y));
        Point c;
        if (!m_status.HasCommand() || (outside && !m_captured) || !EdgeScrollTarget(cursor, &c)) {
            m_autoScrollTimer.stop();
            return;
        }
        const Point scroll = GetScrollPosition();
        ScrollToLogical(Point{c.x + scroll.x, c.y + scroll.y});
        m_status.OnMouseMove(0, theInfomation->GetCursorPosition());
        viewport()->update(); // the board moved with the scroll; the tool's shape did not
    } else if (id == kHoverTimer) {
        // No popup over another popup or dialog, and only for the window in use.
        if (ModalUiOpen() || !(hasFocus() || viewport()->hasFocus()))
            return;
        const Point client = GetCursorPos();
        if (viewport()->rect().contains(QPoint(client.x, client.y)))
            m_status.OnTimer(theInfomation->GetCursorPosition());
    }
}

// ---------------------------------------------------------------------------------
// Status text and cursor

QString CVantorView::FormatStatus(const Position& p, const std::string& unitName)
{
    if (unitName == "MM")
        return QString::asprintf("X=%.3fmm,y=%.3fmm", p.x / MILS_PER_MM, p.y / MILS_PER_MM);
    return QString::asprintf("X=%0.3fmil,y=%0.3fmil", p.x, p.y);
}

void CVantorView::SetStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    emit statusTextChanged(m_statusText);
}

void CVantorView::UpdateCursorShape()
{
    if (!PhotoLoaded())
        return;
    CCommand* tool = m_status.GetCurrentCommand();
    CursorShape shape = CursorShape::Arrow;
    if (ToolTable::CursorFor(tool != nullptr, tool ? tool->GetCommandType() : 0, &shape))
        SetCursorShape(shape);
}

bool CVantorView::CrossHairShown() const
{
    CCommand* tool = m_status.GetCurrentCommand();
    return m_crossLine || (tool && tool->GetCommandType() == CommandKind::SetOrigin);
}

// ---------------------------------------------------------------------------------
// Painting

void CVantorView::paintEvent(QPaintEvent* e)
{
    QPainter painter(viewport());
    const QRect area = e->rect();
    CDib* photo = Photo();
    if (!theInfomation || !photo || !photo->IsLoaded()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    const COLORREF background = theInfomation->GetLayerColor(kBackgroundKey);
    if (m_frame.size() != viewport()->size()) {
        m_frame = QImage(viewport()->size(), QImage::Format_RGB32);
        m_stale = QRegion(m_frame.rect());
        m_frameBehind = QPoint();
    }
    if (QRegion(m_frame.rect()).subtracted(m_stale).isEmpty())
        m_frameBehind = QPoint(); // nothing kept is worth moving
    if (!m_frameBehind.isNull() && QRegion(area).subtracted(m_stale).isEmpty()) {
        // All of the area is drawn anyway (the strip a scroll uncovers): the kept picture
        // is left behind the scroll, to be moved once when a paint needs what it keeps.
        if (m_spareFrame.size() != m_frame.size())
            m_spareFrame = QImage(m_frame.size(), QImage::Format_RGB32);
        DrawBoard(&m_spareFrame, area, background, Window{});
        painter.drawImage(area.topLeft(), m_spareFrame, area);
    } else {
        CatchUpWithScroll();
        bool shown = false;
        if (const QRect stale = m_stale.intersected(area).boundingRect(); !stale.isEmpty()) {
            // A whole area drawn anew goes to the window from the band threads.
            shown = DrawBoard(&m_frame, stale, background,
                              stale == area ? WindowOf(&painter, area) : Window{});
            m_stale -= stale;
        }
        if (!shown)
            painter.drawImage(area.topLeft(), m_frame, area);
    }

    const Rect clip{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    QtDrawContext dc(&painter, &m_fonts);
    dc.SetBkColor(background);
    theInfomation->DrawTemporary(&dc, clip);
    if (CrossHairShown())
        DrawCrossLine(&dc);
}

CVantorView::Window CVantorView::WindowOf(QPainter* painter, const QRect& area)
{
    QPaintDevice* device = painter->paintEngine() ? painter->paintEngine()->paintDevice() : nullptr;
    const QTransform& t = painter->deviceTransform();
    if (!device || device->devType() != QInternal::Image || t.type() > QTransform::TxTranslate ||
        t.dx() != std::round(t.dx()) || t.dy() != std::round(t.dy()))
        return {};
    // Opaque 32-bit pixels are the same in any of these formats; a picture shared with
    // another would be copied by the first write (and the painter left on the old one).
    auto* picture = static_cast<QImage*>(device);
    const QPoint offset(int(t.dx()), int(t.dy()));
    const QImage::Format f = picture->format();
    if ((f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
         f != QImage::Format_ARGB32_Premultiplied) ||
        picture->devicePixelRatio() != 1.0 || !picture->isDetached() ||
        !picture->rect().contains(area.translated(offset)))
        return {};
    const qsizetype rowBytes = picture->bytesPerLine();
    return Window{picture->bits() + offset.y() * rowBytes + std::ptrdiff_t(offset.x()) * 4,
                  rowBytes};
}

bool CVantorView::DrawBoard(QImage* into, const QRect& area, COLORREF background,
                            const Window& window)
{
    const Rect clip{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    if (const int bands = BandsToDraw(area, clip); bands > 1) {
        PaintOnThreads(into, clip, bands, background, window);
        return window.bits != nullptr;
    }
    QPainter painter(into);
    painter.setClipRect(area);
    QtDrawContext dc(&painter, &m_fonts);
    dc.SetBkColor(background);
    PaintUnderBoard(&painter, &dc, clip);
    theInfomation->DrawElements(&dc, clip);
    return false;
}

void CVantorView::BoardChanged(const QRect& area)
{
    // Each rectangle a region holds makes the next union slower: past a few, the box
    // around them all serves (an area selection changes hundreds of objects).
    constexpr int kMostStaleRects = 16;
    if (!QRegion(area).subtracted(m_stale).isEmpty()) { // (contains() tells of overlap)
        m_stale += area;
        if (m_stale.rectCount() > kMostStaleRects)
            m_stale = QRegion(m_stale.boundingRect());
    }
    viewport()->update(area);
}

void CVantorView::BoardChanged()
{
    m_stale = QRegion(viewport()->rect());
    m_frameBehind = QPoint();
    viewport()->update();
}

void CVantorView::ScrollFrame(int dx, int dy)
{
    const QRect whole = m_frame.rect();
    m_frameBehind += QPoint(dx, dy);
    m_stale.translate(dx, dy);
    m_stale += QRegion(whole).subtracted(QRegion(whole.translated(dx, dy)));
    m_stale &= QRegion(whole);
    if (std::abs(m_frameBehind.x()) >= whole.width() ||
        std::abs(m_frameBehind.y()) >= whole.height()) {
        m_stale = QRegion(whole); // nothing kept comes back into view
        m_frameBehind = QPoint();
    }
}

BandedDrawing& CVantorView::Bands()
{
    if (!m_bands)
        m_bands = std::make_unique<BandedDrawing>(BandedDrawing::ThreadsForThisMachine());
    return *m_bands;
}

void CVantorView::CatchUpWithScroll()
{
    const int dx = m_frameBehind.x();
    const int dy = m_frameBehind.y();
    m_frameBehind = QPoint();
    const QRect whole = m_frame.rect();
    if ((dx == 0 && dy == 0) || !theInfomation || whole.isEmpty())
        return;
    // Copied into the spare picture, which then takes its place, a slice of rows on each
    // band thread: a copy between two pictures is quicker than a move within one.
    if (m_spareFrame.size() != whole.size())
        m_spareFrame = QImage(whole.size(), QImage::Format_RGB32);
    const std::size_t bytes = std::size_t(whole.width() - std::abs(dx)) * 4;
    const std::size_t fromX = std::size_t(std::max(0, -dx)) * 4;
    const std::size_t toX = std::size_t(std::max(0, dx)) * 4;
    const uchar* const from = m_frame.constBits();
    uchar* const to = m_spareFrame.bits();
    const qsizetype rowBytes = m_frame.bytesPerLine();
    const Rect rows{0, std::max(0, dy), whole.width(),
                    std::min(whole.height(), whole.height() + dy)};
    BandedDrawing& bands = Bands();
    // Slices of about as many rows each.
    const std::vector<int> edges =
        BandedDrawing::Edges(rows, bands.Threads(), [](const std::vector<int>& strips) {
            std::vector<std::size_t> heights;
            for (std::size_t i = 1; i < strips.size(); ++i)
                heights.push_back(std::size_t(strips[i] - strips[i - 1]));
            return heights;
        });
    ViewSnapshot view(*theInfomation);
    bands.Run(rows, edges, &view, [&](int, const Rect& slice) {
        for (int y = slice.top; y < slice.bottom; ++y)
            std::memcpy(to + y * rowBytes + toX, from + (y - dy) * rowBytes + fromX, bytes);
    });
    m_frame.swap(m_spareFrame);
}

void CVantorView::PaintUnderBoard(QPainter* painter, DrawContext* dc, const Rect& clip) const
{
    const COLORREF background = dc->GetBkColor();
    dc->FillRect(clip, background);
    CDib* photo = Photo();
    painter->save();
    Rect covered;
    photo->Draw(painter, clip, &covered);
    painter->restore();
    const int width = int(photo->GetWidth());
    const int height = int(photo->GetHeight());
    theInfomation->GetGrid().Draw(dc, clip, &width, &height);
}

int CVantorView::BandsToDraw(const QRect& area, const Rect& clip) const
{
    // An edit redraws a few objects' boxes: not worth waking the threads.
    const QSize whole = viewport()->size();
    const int threads = BandedDrawing::ThreadsForThisMachine();
    if (threads < 2 || area.height() < 2 * BandedDrawing::kBandsPerThread ||
        std::int64_t(area.width()) * area.height() * 32 <
            std::int64_t(whole.width()) * whole.height())
        return 1;
    return BandedDrawing::BandsFor(theInfomation->CountObjectsUnder(clip), threads);
}

std::vector<std::size_t> CVantorView::WeighRows(const Rect& clip, const std::vector<int>& rows,
                                                BoardServices* view)
{
    // Counted on the band threads, each under a slice of the clip's columns: an object
    // under two slices counts twice, which matters little to the weights.
    BandedDrawing& threads = Bands();
    const int slices = threads.Threads();
    std::vector<std::vector<std::size_t>> counts;
    counts.resize(std::size_t(slices));
    threads.RunEach(slices, view, [&](int i) {
        const int width = clip.right - clip.left;
        const Rect slice{clip.left + int(std::int64_t(width) * i / slices), clip.top,
                         clip.left + int(std::int64_t(width) * (i + 1) / slices), clip.bottom};
        counts[std::size_t(i)] = theInfomation->CountObjectsUnderRows(slice, rows);
    });
    std::vector<std::size_t> weights(rows.empty() ? 0 : rows.size() - 1, 0);
    for (const std::vector<std::size_t>& c : counts)
        for (std::size_t k = 0; k < c.size() && k < weights.size(); ++k)
            weights[k] += c[k];
    return weights;
}

void CVantorView::PaintOnThreads(QImage* into, const Rect& clip, int bands, COLORREF background,
                                 const Window& window)
{
    uchar* const frame = into->bits();
    const qsizetype rowBytes = into->bytesPerLine();
    const int width = into->width();
    const int height = into->height();
    // Only the columns of the area are copied, in bytes from the left of a row.
    const std::size_t left = std::size_t(std::clamp(clip.left, 0, width)) * 4;
    const std::size_t columns = std::size_t(std::clamp(clip.right, 0, width)) * 4 - left;
    ViewSnapshot view(*theInfomation);
    theInfomation->ReadyToDrawOnThreads();
    // A band is drawn, photograph and board, into an image of its own, as tall as the view
    // so that lines are cut at the same edges as in one pass over the whole view, and
    // clipped to rows reaching a few past the band and the area on either side (near a
    // clip edge Qt lights pixels a little otherwise); only the band's own rows and the
    // area's columns go into the frame. Only the pages of those rows are ever touched. No
    // two threads write the same pixel.
    BandedDrawing& bandThreads = Bands();
    const std::vector<int> edges =
        BandedDrawing::Edges(clip, bands, [&](const std::vector<int>& strips) {
            return WeighRows(clip, strips, &view);
        });
    if (m_bandKeeps.size() < edges.size() - 1)
        m_bandKeeps.resize(edges.size() - 1);
    const int from = std::max(0, clip.left - kBandOverlap);
    const int to = std::min(width, clip.right + kBandOverlap);
    bandThreads.Run(clip, edges, &view, [&](int index, const Rect& band) {
        const int top = std::max(0, band.top - kBandOverlap);
        const int bottom = std::min(height, band.bottom + kBandOverlap);
        BandKeep& keep = m_bandKeeps[std::size_t(index)];
        QImage& own = keep.image;
        if (own.size() != m_frame.size())
            own = QImage(width, height, QImage::Format_RGB32);
        {
            QPainter painter(&own);
            painter.setClipRect(QRect(from, top, to - from, bottom - top));
            QtDrawContext dc(&painter, &keep.fonts);
            dc.SetBkColor(background);
            PaintUnderBoard(&painter, &dc, Rect{from, top, to, bottom});
            theInfomation->DrawElements(&dc, band);
        }
        for (int y = band.top; y < band.bottom; ++y)
            std::memcpy(frame + y * rowBytes + left, own.constScanLine(y) + left, columns);
        if (window.bits)
            for (int y = band.top; y < band.bottom; ++y)
                std::memcpy(window.bits + y * window.bytesPerLine + left,
                            own.constScanLine(y) + left, columns);
    });
}

void CVantorView::DrawCrossLine(DrawContext* dc)
{
    const Position p = theInfomation->GetCursorPosition();
    // Long enough to cross the whole window from any point inside it.
    const double lw = theInfomation->PixelsToBoard(viewport()->width());
    const double lh = viewport()->height() * theInfomation->GetScaleY();
    const Position left = p.PolarOffset(lw, PI);
    const Position right = p.PolarOffset(lw, 0.0);
    const Position up = p.PolarOffset(lh, PI * 0.5);
    const Position down = p.PolarOffset(lh, PI * 1.5);
    left.DrawLineTo(right, dc, kCrossHairMode, kCrossHairLayer);
    up.DrawLineTo(down, dc, kCrossHairMode, kCrossHairLayer);
}
