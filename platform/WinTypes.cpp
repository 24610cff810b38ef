#include "WinTypes.h"

#include <utility>

void Rect::Normalize()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

bool Rect::Intersects(const Rect& o) const
{
    if (IsEmpty() || o.IsEmpty())
        return false;
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
}
