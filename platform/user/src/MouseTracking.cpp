// Mouse tracking requests, one per thread. The screen's mouse moves end a
// leave request once the cursor is off the window's client area; a hover
// request waits on a timer of the thread, on the machine's clock.
#include "MouseTrackingState.h"
#include "WindowData.h"

#include "user/Messages.h"
#include "user/MouseTracking.h"
#include "user/Window.h"

#include <map>
#include <mutex>

using namespace user::detail;

namespace {

// The system's hover time when the caller asks for the default.
constexpr DWORD kDefaultHoverTime = 400;
// A timer id of the tracked window that its own code never uses.
constexpr UINT_PTR kHoverTimerId = 0xFFFF5EED;

struct Request {
    HWND hwnd = nullptr;
    DWORD flags = 0; // TME_HOVER | TME_LEAVE still pending
    DWORD hoverTime = 0;
};

std::mutex g_mutex;
std::map<DWORD, Request> g_requests; // by the thread that asked

// Whether the screen point lies in the window's client area, where the
// mouse's own messages for it would be client messages.
bool InClientArea(HWND hwnd, POINT screen)
{
    HWND under = WindowFromPoint(screen);
    if (under != hwnd)
        return false;
    RECT client;
    GetClientRect(hwnd, &client);
    POINT point = screen;
    ScreenToClient(hwnd, &point);
    return PtInRect(&client, point) != FALSE;
}

LPARAM ClientPoint(HWND hwnd, POINT screen)
{
    ScreenToClient(hwnd, &screen);
    return MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
}

void OnHoverTimer(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    POINT cursor;
    GetCursorPos(&cursor);
    {
        std::lock_guard lock(g_mutex);
        auto it = g_requests.find(GetWindowThreadProcessId(hwnd, nullptr));
        if (it == g_requests.end() || it->second.hwnd != hwnd || !(it->second.flags & TME_HOVER))
            return;
        it->second.flags &= ~TME_HOVER;
    }
    if (InClientArea(hwnd, cursor))
        PostMessageW(hwnd, WM_MOUSEHOVER, 0, ClientPoint(hwnd, cursor));
}

} // namespace

namespace user::detail {

void MouseMovedForTracking(POINT screen)
{
    std::map<DWORD, HWND> leaving;
    {
        std::lock_guard lock(g_mutex);
        for (const auto& [thread, request] : g_requests) {
            if (request.flags & TME_LEAVE)
                leaving[thread] = request.hwnd;
        }
    }
    // The window tree is read without the requests' lock held.
    std::erase_if(leaving, [&](const auto& entry) { return InClientArea(entry.second, screen); });
    for (const auto& [thread, hwnd] : leaving) {
        {
            std::lock_guard lock(g_mutex);
            auto it = g_requests.find(thread);
            if (it == g_requests.end() || it->second.hwnd != hwnd)
                continue; // asked again meanwhile
            g_requests.erase(it);
        }
        PostMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    }
}

} // namespace user::detail

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT eventTrack)
{
    if (!eventTrack || eventTrack->cbSize != sizeof(TRACKMOUSEEVENT))
        return FALSE;
    DWORD thread = GetCurrentThreadId();
    if (eventTrack->dwFlags & TME_QUERY) {
        std::lock_guard lock(g_mutex);
        auto it = g_requests.find(thread);
        *eventTrack = {sizeof(TRACKMOUSEEVENT), 0, nullptr, 0};
        if (it != g_requests.end())
            *eventTrack = {sizeof(TRACKMOUSEEVENT), it->second.flags, it->second.hwnd, it->second.hoverTime};
        return TRUE;
    }
    HWND hwnd = eventTrack->hwndTrack;
    if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, nullptr) != thread)
        return FALSE;
    DWORD asked = eventTrack->dwFlags & (TME_HOVER | TME_LEAVE);
    if (eventTrack->dwFlags & TME_CANCEL) {
        std::lock_guard lock(g_mutex);
        auto it = g_requests.find(thread);
        if (it != g_requests.end() && it->second.hwnd == hwnd) {
            it->second.flags &= ~asked;
            if (!it->second.flags)
                g_requests.erase(it);
        }
        return TRUE;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    if (!InClientArea(hwnd, cursor)) {
        // The cursor is not over the window: the leave comes at once.
        if (asked & TME_LEAVE)
            PostMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    DWORD hoverTime = eventTrack->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverTime : eventTrack->dwHoverTime;
    {
        std::lock_guard lock(g_mutex);
        Request& request = g_requests[thread];
        if (request.hwnd != hwnd)
            request = {hwnd, 0, 0};
        request.flags |= asked;
        if (asked & TME_HOVER)
            request.hoverTime = hoverTime;
    }
    if (asked & TME_HOVER)
        SetTimer(hwnd, kHoverTimerId, hoverTime, OnHoverTimer);
    return TRUE;
}

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT eventTrack)
{
    return TrackMouseEvent(eventTrack);
}
