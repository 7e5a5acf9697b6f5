// The current cursor of the screen.
#include "user/Icons.h"

#include <atomic>

namespace {
std::atomic<HCURSOR> g_cursor{nullptr};
}

HCURSOR SetCursor(HCURSOR cursor)
{
    return g_cursor.exchange(cursor);
}

HCURSOR GetCursor()
{
    return g_cursor.load();
}
