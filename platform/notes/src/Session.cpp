#include "Session.h"

#include <atomic>

namespace notes::detail {

namespace {
std::atomic<int> g_sessions{0};
}

void SessionStarted()
{
    ++g_sessions;
}

void SessionEnded()
{
    --g_sessions;
}

bool SessionActive()
{
    return g_sessions > 0;
}

} // namespace notes::detail
