// Turns the Qt input events of the board view into what the dispatcher speaks: a
// board point, a virtual key code and the key-state flags of the mouse messages.
#pragma once

#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <Qt>

class QEvent;

// One input event of the board view, in the dispatcher's terms.
struct ViewEvent {
    enum Type {
        None,
        LButtonDown,
        LButtonUp,
        RButtonDown,
        LButtonDblClk,
        RButtonDblClk,
        MouseMove,
        Wheel,
        KeyDown,
    };
    Type type = None;
    // Mouse and wheel: the client pixel, and the board point of the scrolled-view pixel
    // (client pixel plus scroll position).
    Point client;
    Position board;
    // Mouse: MK:: flags (plus MK_LALT while Alt is down). Keys: KF_REPEAT on an
    // auto-repeated key.
    UINT flags = 0;
    // Keys: the virtual key code (0 for a key without one) and the repeat count.
    UINT key = 0;
    UINT repeat = 1;
};

class ViewEventMapper
{
  public:
    // Key flag of a key that was already down.
    static constexpr UINT KF_REPEAT = 0x4000;

    // Maps a mouse, wheel or key-press event of the view; anything else, a release of
    // another button than the left one and a key without a virtual key code give
    // ViewEvent::None. `scroll` is the view's scroll position.
    static ViewEvent Map(const QEvent& event, Point scroll);
    // The virtual key code of a Qt key (letters upper case); 0 when it has none.
    static UINT KeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
    // The MK:: flags of the buttons held and the modifiers.
    static UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
};
