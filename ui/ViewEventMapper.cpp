#include "ViewEventMapper.h"

#include "commands/CCommand.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace
{

// Virtual key codes that WinTypes does not name.
constexpr UINT kMenu = 0x12;
constexpr UINT kPause = 0x13;
constexpr UINT kCapital = 0x14;
constexpr UINT kInsert = 0x2D;
constexpr UINT kNumpad0 = 0x60;
constexpr UINT kMultiply = 0x6A;
constexpr UINT kAdd = 0x6B;
constexpr UINT kSubtract = 0x6D;
constexpr UINT kDecimal = 0x6E;
constexpr UINT kDivide = 0x6F;
constexpr UINT kOemPlus = 0xBB;
constexpr UINT kOemComma = 0xBC;
constexpr UINT kOemMinus = 0xBD;
constexpr UINT kOemPeriod = 0xBE;

ViewEvent MouseEvent(const QMouseEvent& e, Point scroll)
{
    ViewEvent ev;
    const QPoint p = e.position().toPoint();
    ev.client = Point{p.x(), p.y()};
    ev.board = Position(Point{p.x() + scroll.x, p.y() + scroll.y});
    ev.flags = ViewEventMapper::MouseFlags(e.buttons(), e.modifiers());
    const Qt::MouseButton button = e.button();
    switch (e.type()) {
    case QEvent::MouseButtonPress:
        ev.type = button == Qt::LeftButton    ? ViewEvent::LButtonDown
                  : button == Qt::RightButton ? ViewEvent::RButtonDown
                                              : ViewEvent::None;
        break;
    case QEvent::MouseButtonRelease:
        ev.type = button == Qt::LeftButton ? ViewEvent::LButtonUp : ViewEvent::None;
        break;
    case QEvent::MouseButtonDblClick:
        ev.type = button == Qt::LeftButton    ? ViewEvent::LButtonDblClk
                  : button == Qt::RightButton ? ViewEvent::RButtonDblClk
                                              : ViewEvent::None;
        break;
    case QEvent::MouseMove:
        ev.type = ViewEvent::MouseMove;
        break;
    default:
        break;
    }
    return ev;
}

} // namespace

UINT ViewEventMapper::MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK::LButton;
    if (buttons & Qt::RightButton)
        flags |= MK::RButton;
    if (buttons & Qt::MiddleButton)
        flags |= MK::MButton;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK::Shift;
    if (modifiers & Qt::ControlModifier)
        flags |= MK::Control;
    if (modifiers & Qt::AltModifier)
        flags |= MK_LALT;
    return flags;
}

UINT ViewEventMapper::KeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return UINT('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? kNumpad0 + UINT(qtKey - Qt::Key_0) : UINT('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return UINT(VK::F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK::Return;
    case Qt::Key_Shift:
        return VK::Shift;
    case Qt::Key_Control:
        return VK::Control;
    case Qt::Key_Alt:
        return kMenu;
    case Qt::Key_Pause:
        return kPause;
    case Qt::Key_CapsLock:
        return kCapital;
    case Qt::Key_Escape:
        return VK::Escape;
    case Qt::Key_Space:
        return VK::Space;
    case Qt::Key_PageUp:
        return VK::Prior;
    case Qt::Key_PageDown:
        return VK::Next;
    case Qt::Key_End:
        return VK::End;
    case Qt::Key_Home:
        return VK::Home;
    case Qt::Key_Left:
        return VK::Left;
    case Qt::Key_Up:
        return VK::Up;
    case Qt::Key_Right:
        return VK::Right;
    case Qt::Key_Down:
        return VK::Down;
    case Qt::Key_Insert:
        return kInsert;
    case Qt::Key_Delete:
        return VK::Delete;
    case Qt::Key_Asterisk:
        return keypad ? kMultiply : 0;
    case Qt::Key_Plus:
        return keypad ? kAdd : kOemPlus;
    case Qt::Key_Equal:
        return kOemPlus;
    case Qt::Key_Minus:
        return keypad ? kSubtract : kOemMinus;
    case Qt::Key_Comma:
        return kOemComma;
    case Qt::Key_Period:
        return keypad ? kDecimal : kOemPeriod;
    case Qt::Key_Slash:
        return keypad ? kDivide : 0;
    default:
        return 0;
    }
}

ViewEvent ViewEventMapper::Map(const QEvent& event, Point scroll)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return MouseEvent(static_cast<const QMouseEvent&>(event), scroll);
    case QEvent::Wheel: {
        const auto& e = static_cast<const QWheelEvent&>(event);
        ViewEvent ev;
        ev.type = ViewEvent::Wheel;
        const QPoint p = e.position().toPoint();
        ev.client = Point{p.x(), p.y()};
        ev.board = Position(Point{p.x() + scroll.x, p.y() + scroll.y});
        return ev;
    }
    case QEvent::KeyPress: {
        const auto& e = static_cast<const QKeyEvent&>(event);
        ViewEvent ev;
        ev.key = KeyCode(e.key(), e.modifiers());
        if (ev.key == 0)
            return ev;
        ev.type = ViewEvent::KeyDown;
        ev.repeat = UINT(std::max(1, e.count()));
        ev.flags = e.isAutoRepeat() ? KF_REPEAT : 0;
        return ev;
    }
    default:
        return ViewEvent{};
    }
}
