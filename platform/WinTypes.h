// Small value types shaped like the desktop API the board code was written against:
// integer points and rectangles in view pixels, 0x00BBGGRR colours, virtual key codes
// and mouse-button flags. The Qt view maps its own events onto these in one place.
#pragma once

#include <cstdint>

using COLORREF = std::uint32_t;
using BOOL = int;
using UINT = unsigned int;
using BYTE = std::uint8_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr COLORREF MakeRGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c)
{
    return int(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return int((c >> 16) & 0xFF);
}

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom are exclusive, as in the desktop API.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    void Inflate(int dx, int dy)
    {
        left -= dx;
        top -= dy;
        right += dx;
        bottom += dy;
    }
    void Offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Orders the corners so that left <= right and top <= bottom.
    void Normalize()
    {
        const int l = left < right ? left : right;
        const int r = left < right ? right : left;
        const int t = top < bottom ? top : bottom;
        const int b = top < bottom ? bottom : top;
        left = l;
        right = r;
        top = t;
        bottom = b;
    }
    // True when the two rectangles share at least one pixel.
    bool Intersects(const Rect& o) const;
    // True when `o` lies within this rectangle, edges included.
    bool Contains(const Rect& o) const
    {
        return left <= o.left && o.right <= right && top <= o.top && o.bottom <= bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Virtual key codes (the values the keyboard handlers compare against).
namespace VK
{
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21;
constexpr int Next = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Delete = 0x2E;
constexpr int F1 = 0x70;
constexpr int F2 = 0x71;
constexpr int F3 = 0x72;
constexpr int F4 = 0x73;
constexpr int F5 = 0x74;
constexpr int F6 = 0x75;
constexpr int F7 = 0x76;
constexpr int F8 = 0x77;
constexpr int F9 = 0x78;
constexpr int F10 = 0x79;
constexpr int F11 = 0x7A;
constexpr int F12 = 0x7B;
} // namespace VK

// Mouse-button and modifier flags passed with mouse events.
namespace MK
{
constexpr UINT LButton = 0x0001;
constexpr UINT RButton = 0x0002;
constexpr UINT Shift = 0x0004;
constexpr UINT Control = 0x0008;
constexpr UINT MButton = 0x0010;
} // namespace MK

// Cursor shapes the board and the tools ask the view for.
enum class CursorShape {
    Arrow,
    Cross,
    SizeWE,   // horizontal double arrow
    SizeNESW, // diagonal double arrow, lower-left to upper-right
    SizeNS,   // vertical double arrow
    SizeNWSE, // diagonal double arrow, upper-left to lower-right
    SizeAll,
    Wait,
};
