#include "WinTypes.h"

bool Rect::Intersects(const Rect& o) const
{
    if (IsEmpty() || o.IsEmpty())
        return false;
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
}
