// AnimateWindow: showing and hiding with a blend. The window draws itself
// for the effect through WM_PRINTCLIENT, since its thread is busy in the
// call and paints nothing else meanwhile.
#include "PaintCycle.h"
#include "WindowData.h"

#include "user/Messages.h"
#include "user/Paint.h"
#include "win32/Clock.h"

#include <algorithm>

using namespace user::detail;

namespace {

void SetFade(HWND hwnd, int alpha)
{
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        if (auto window = manager.Find(hwnd))
            window->fadeAlpha = static_cast<BYTE>(std::clamp(alpha, 0, 255));
    }
    ScreenChanged();
}

void Fade(HWND hwnd, DWORD time, bool in)
{
    int steps = static_cast<int>(std::clamp<DWORD>(time / 20, 1, 25));
    for (int step = 1; step <= steps; ++step) {
        SetFade(hwnd, (in ? step : steps - step) * 255 / steps);
        Sleep(time / static_cast<DWORD>(steps));
    }
}

// The window and its children draw into their client areas now.
void PrintClient(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    ReleaseDC(hwnd, dc);
    ValidateRect(hwnd, nullptr);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child))
            PrintClient(child);
    }
}

} // namespace

BOOL AnimateWindow(HWND hwnd, DWORD time, DWORD flags)
{
    if (!IsWindow(hwnd))
        return FALSE;
    bool hide = (flags & AW_HIDE) != 0;
    if (hide != (IsWindowVisible(hwnd) != FALSE)) {
        SetLastError(ERROR_INVALID_PARAMETER); // already in the state asked for
        return FALSE;
    }
    return static_cast<BOOL>(RunOnOwner(hwnd, [hwnd, time, flags, hide]() -> LRESULT {
        int show = (flags & AW_ACTIVATE) ? SW_SHOW : SW_SHOWNA;
        if (!(flags & AW_BLEND)) {
            ShowWindow(hwnd, hide ? SW_HIDE : show);
            return TRUE;
        }
        if (hide) {
            Fade(hwnd, time, false);
            ShowWindow(hwnd, SW_HIDE);
            SetFade(hwnd, 255);
            return TRUE;
        }
        SetFade(hwnd, 0);
        ShowWindow(hwnd, show);
        PrintClient(hwnd);
        Fade(hwnd, time, true);
        return TRUE;
    }));
}
