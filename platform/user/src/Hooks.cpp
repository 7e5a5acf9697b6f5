// The message filters of each thread.
#include "user/Hooks.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

struct Filter {
    HHOOK handle;
    HOOKPROC proc;
};

// Newest first. A filter runs on its own thread only, so no lock is needed.
thread_local std::vector<Filter> t_filters;
std::atomic<std::uintptr_t> g_nextHook{0x4000};

} // namespace

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId)
{
    if (idHook != WH_MSGFILTER || !proc || (threadId != 0 && threadId != GetCurrentThreadId())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto handle = reinterpret_cast<HHOOK>(g_nextHook.fetch_add(4));
    t_filters.insert(t_filters.begin(), {handle, proc});
    return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    auto before = t_filters.size();
    std::erase_if(t_filters, [hook](const Filter& f) { return f.handle == hook; });
    if (t_filters.size() == before) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    auto it = std::find_if(t_filters.begin(), t_filters.end(), [hook](const Filter& f) { return f.handle == hook; });
    if (it == t_filters.end() || ++it == t_filters.end())
        return 0;
    return it->proc(code, wParam, lParam);
}

BOOL CallMsgFilterW(LPMSG msg, int code)
{
    if (!msg || t_filters.empty())
        return FALSE;
    // The newest filter decides; it reaches the older ones through CallNextHookEx.
    HOOKPROC first = t_filters.front().proc;
    return first(code, 0, reinterpret_cast<LPARAM>(msg)) != 0 ? TRUE : FALSE;
}
