// Routing mouse and key input to windows, as the person at the screen
// makes it.
#include "MouseTrackingState.h"
#include "WindowData.h"

#include "user/Automation.h"
#include "user/Input.h"
#include "user/Messages.h"

#include <mutex>

using namespace user::detail;

namespace user::input {

namespace {

std::mutex g_stateMutex;
bool g_buttons[3] = {};
bool g_alt = false;

// The window that holds the mouse capture, if any thread has one.
HWND CaptureWindow()
{
    auto& manager = WindowManager::Get();
    std::vector<std::shared_ptr<ThreadQueue>> queues;
    {
        std::lock_guard lock(manager.mutex);
        for (const auto& [id, weak] : manager.queues) {
            if (auto queue = weak.lock())
                queues.push_back(queue);
        }
    }
    for (const auto& queue : queues) {
        std::lock_guard lock(queue->mutex);
        if (queue->capture && IsWindow(queue->capture))
            return queue->capture;
    }
    return nullptr;
}

// The window under the point that takes the mouse: disabled children pass
// it to their parent, and transparent ones (HTTRANSPARENT, such as group
// boxes) to what lies below within their parent.
HWND MouseTarget(POINT screen, LRESULT* hit)
{
    HWND hwnd = WindowFromPoint(screen);
    while (hwnd) {
        HWND parent = GetParent(hwnd);
        bool child = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
        if (child && !IsWindowEnabled(hwnd)) {
            hwnd = parent;
            continue;
        }
        *hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        if (*hit != HTTRANSPARENT || !child)
            return hwnd;
        // Look for a sibling below it at the point, else the parent takes it.
        HWND below = nullptr;
        for (HWND sibling = GetWindow(hwnd, GW_HWNDNEXT); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            RECT rect;
            GetWindowRect(sibling, &rect);
            if (IsWindowVisible(sibling) && PtInRect(&rect, screen)) {
                below = sibling;
                break;
            }
        }
        hwnd = below ? below : parent;
    }
    return nullptr;
}

WPARAM ButtonState()
{
    std::lock_guard lock(g_stateMutex);
    return (g_buttons[kLeftButton] ? MK_LBUTTON : 0) | (g_buttons[kRightButton] ? MK_RBUTTON : 0)
        | (g_buttons[kMiddleButton] ? 0x0010 : 0);
}

LPARAM ClientPoint(HWND hwnd, POINT screen)
{
    ScreenToClient(hwnd, &screen);
    return MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
}

LPARAM ScreenPoint(POINT screen)
{
    return MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
}

UINT ButtonMessage(int button, bool down, bool client)
{
    static const UINT kClient[3][2] = {{WM_LBUTTONUP, WM_LBUTTONDOWN},
                                       {WM_RBUTTONUP, WM_RBUTTONDOWN},
                                       {WM_MBUTTONUP, WM_MBUTTONDOWN}};
    static const UINT kFrame[3][2] = {{WM_NCLBUTTONUP, WM_NCLBUTTONDOWN},
                                      {WM_NCRBUTTONUP, WM_NCRBUTTONDOWN},
                                      {WM_NCMBUTTONDOWN + 1, WM_NCMBUTTONDOWN}};
    return (client ? kClient : kFrame)[button][down ? 1 : 0];
}

bool TakesDoubleClicks(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    return window && window->windowClass && (window->windowClass->style & CS_DBLCLKS);
}

// A press activates the top-level window it lands in, unless the window
// declines (a popup menu answers WM_MOUSEACTIVATE with MA_NOACTIVATE).
void Activate(HWND hwnd, LRESULT hit, UINT message)
{
    constexpr LRESULT kNoActivate = 3;
    constexpr LRESULT kNoActivateAndEat = 4;
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (!top || GetForegroundWindow() == top)
        return;
    LRESULT answer = SendMessageW(top, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                  MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
    if (answer != kNoActivate && answer != kNoActivateAndEat)
        SetForegroundWindow(top);
}

} // namespace

void MouseMove(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    detail::MouseMovedForTracking(screen);
    if (HWND capture = CaptureWindow()) {
        PostMessageW(capture, WM_MOUSEMOVE, ButtonState(), ClientPoint(capture, screen));
        return;
    }
    LRESULT hit = HTNOWHERE;
    HWND target = MouseTarget(screen, &hit);
    if (!target || !IsWindowEnabled(GetAncestor(target, GA_ROOT)))
        return;
    if (hit == HTCLIENT)
        PostMessageW(target, WM_MOUSEMOVE, ButtonState(), ClientPoint(target, screen));
    else
        PostMessageW(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), ScreenPoint(screen));
}

namespace {

void Button(POINT screen, int button, bool down, bool doubleClick)
{
    if (button < kLeftButton || button > kMiddleButton)
        return;
    SetCursorPos(screen.x, screen.y);
    {
        std::lock_guard lock(g_stateMutex);
        g_buttons[button] = down;
    }
    if (HWND capture = CaptureWindow()) {
        PostMessageW(capture, ButtonMessage(button, down, true), ButtonState(), ClientPoint(capture, screen));
        return;
    }
    LRESULT hit = HTNOWHERE;
    HWND target = MouseTarget(screen, &hit);
    // A window disabled by a modal dialog takes no clicks.
    if (!target || !IsWindowEnabled(GetAncestor(target, GA_ROOT)))
        return;
    if (down)
        Activate(target, hit, ButtonMessage(button, down, hit == HTCLIENT));
    UINT message = ButtonMessage(button, down, hit == HTCLIENT);
    // The double-click message follows its press by a fixed offset (WM_LBUTTONDOWN + 2).
    if (doubleClick && down && hit == HTCLIENT && TakesDoubleClicks(target))
        message += 2;
    if (hit == HTCLIENT)
        PostMessageW(target, message, ButtonState(), ClientPoint(target, screen));
    else
        PostMessageW(target, message, static_cast<WPARAM>(hit), ScreenPoint(screen));
}

} // namespace

void MouseButton(POINT screen, int button, bool down)
{
    Button(screen, button, down, false);
}

void Click(POINT screen, int button)
{
    MouseMove(screen);
    MouseButton(screen, button, true);
    MouseButton(screen, button, false);
}

void DoubleClick(POINT screen, int button)
{
    Click(screen, button);
    Button(screen, button, true, true);
    Button(screen, button, false, true);
}

void MouseWheel(POINT screen, int delta, HWND target)
{
    SetCursorPos(screen.x, screen.y);
    HWND hwnd = KeyTarget(target);
    if (!hwnd)
        return;
    WPARAM keys = ButtonState() | (GetKeyState(static_cast<int>(VK_SHIFT)) < 0 ? MK_SHIFT : 0)
        | (GetKeyState(static_cast<int>(VK_CONTROL)) < 0 ? MK_CONTROL : 0);
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(static_cast<short>(delta)));
    PostInput(GetWindowThreadProcessId(hwnd, nullptr), WM_MOUSEWHEEL, wParam, ScreenPoint(screen));
}

HWND KeyTarget(HWND window)
{
    HWND top = window ? window : GetForegroundWindow();
    if (!top)
        return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(top, nullptr);
    if (thread && GetGUIThreadInfo(thread, &info)) {
        if (info.hwndFocus && IsWindow(info.hwndFocus))
            return info.hwndFocus;
        if (!window && info.hwndActive && IsWindow(info.hwndActive))
            return info.hwndActive;
    }
    return top;
}

void Key(UINT virtualKey, bool down, HWND target)
{
    HWND hwnd = KeyTarget(target);
    bool alt;
    {
        std::lock_guard lock(g_stateMutex);
        if (virtualKey == VK_MENU)
            g_alt = down;
        alt = g_alt;
    }
    if (!hwnd)
        return;
    bool system = alt || virtualKey == VK_F10 || virtualKey == VK_MENU;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // Bit 29 tells that Alt is down; bits 30 and 31 mark a release.
    LPARAM flags = 1 | (alt ? 0x20000000 : 0) | (down ? 0 : static_cast<LPARAM>(0xC0000000));
    PostInput(GetWindowThreadProcessId(hwnd, nullptr), message, virtualKey, flags);
}

void Character(char16_t character, HWND target)
{
    HWND hwnd = KeyTarget(target);
    if (!hwnd)
        return;
    // VK_PACKET carries the character in the high word; TranslateMessage makes its WM_CHAR.
    LPARAM packet = static_cast<LPARAM>(static_cast<DWORD>(character) << 16);
    DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    PostInput(thread, WM_KEYDOWN, VK_PACKET, packet | 1);
    PostInput(thread, WM_KEYUP, VK_PACKET, packet | static_cast<LPARAM>(0xC0000001));
}

} // namespace user::input
