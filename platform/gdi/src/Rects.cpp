// The rectangle helpers of Windows.
#include "gdi/Gdi.h"

#include <algorithm>

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT dest, const RECT* src)
{
    if (!dest || !src)
        return FALSE;
    *dest = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect)
{
    return !rect || rect->left >= rect->right || rect->top >= rect->bottom;
}

BOOL PtInRect(const RECT* rect, POINT p)
{
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b)
{
    if (!dest || !a || !b)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (r.left >= r.right || r.top >= r.bottom) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b)
{
    if (!dest || !a || !b)
        return FALSE;
    bool emptyA = IsRectEmpty(a), emptyB = IsRectEmpty(b);
    if (emptyA && emptyB) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    if (emptyA) {
        *dest = *b;
        return TRUE;
    }
    if (emptyB) {
        *dest = *a;
        return TRUE;
    }
    *dest = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
             std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b)
{
    if (!dest || !a || !b)
        return FALSE;
    RECT r = *a;
    RECT i;
    // Only a subtraction that leaves a rectangle changes it.
    if (IntersectRect(&i, a, b)) {
        if (i.top <= r.top && i.bottom >= r.bottom) {
            if (i.left <= r.left)
                r.left = i.right;
            else if (i.right >= r.right)
                r.right = i.left;
        } else if (i.left <= r.left && i.right >= r.right) {
            if (i.top <= r.top)
                r.top = i.bottom;
            else if (i.bottom >= r.bottom)
                r.bottom = i.top;
        }
    }
    *dest = r;
    return !IsRectEmpty(&r);
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
