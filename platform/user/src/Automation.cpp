#include "user/Automation.h"

#include "WindowData.h"

#include "display/Display.h"
#include "gdi/PngFile.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include <thread>

using namespace user::detail;

BOOL GetGUIThreadInfo(DWORD threadId, GUITHREADINFO* info)
{
    if (!info || info->cbSize != sizeof(GUITHREADINFO))
        return FALSE;
    auto queue = threadId ? QueueOf(threadId) : CurrentQueue();
    if (!queue)
        return FALSE;
    std::lock_guard lock(queue->mutex);
    info->flags = 0;
    info->hwndActive = queue->active;
    info->hwndFocus = queue->focus;
    info->hwndCapture = queue->capture;
    info->hwndMenuOwner = nullptr;
    info->hwndMoveSize = nullptr;
    info->hwndCaret = nullptr;
    info->rcCaret = {};
    return TRUE;
}

namespace user::automation {

namespace {

HWND KeyTarget(HWND window)
{
    GUITHREADINFO info = {sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread && GetGUIThreadInfo(thread, &info) && info.hwndFocus && IsWindow(info.hwndFocus))
        return info.hwndFocus;
    return window;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> out;
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (HWND hwnd : manager.topLevel) {
        auto window = manager.Find(hwnd);
        if (window && (window->style & WS_VISIBLE))
            out.push_back(hwnd);
    }
    return out;
}

HWND WaitForWindow(const std::u16string& title, std::chrono::milliseconds timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows()) {
                if (TextOf(hwnd) == title) {
                    found = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

HWND WaitForWindowWithControl(int controlId, std::chrono::milliseconds timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows()) {
                if (GetDlgItem(hwnd, controlId)) {
                    found = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

HWND FindControl(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::u16string TextOf(HWND hwnd)
{
    WCHAR buffer[1024];
    int n = GetWindowTextW(hwnd, buffer, 1024);
    return std::u16string(buffer, static_cast<std::size_t>(n));
}

void PressKey(HWND window, WPARAM virtualKey, bool shift)
{
    // The key state follows the key messages as their thread takes them, so
    // the shift is down while the key's own messages are handled.
    HWND target = KeyTarget(window);
    if (shift)
        PostMessageW(target, WM_KEYDOWN, VK_SHIFT, 1);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001));
    if (shift)
        PostMessageW(target, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001));
}

void TypeText(HWND window, const std::u16string& text)
{
    HWND target = KeyTarget(window);
    for (char16_t c : text) {
        // VK_PACKET carries any character; TranslateMessage makes its WM_CHAR.
        PostMessageW(target, WM_KEYDOWN, 0xE7, static_cast<LPARAM>(static_cast<DWORD>(c) << 16) | 1);
        PostMessageW(target, WM_KEYUP, 0xE7, static_cast<LPARAM>(static_cast<DWORD>(c) << 16) | 0xC0000001);
    }
}

void Click(HWND control)
{
    RECT rect;
    GetClientRect(control, &rect);
    LPARAM at = MAKELPARAM(static_cast<WORD>(rect.right / 2), static_cast<WORD>(rect.bottom / 2));
    POINT screen = {rect.right / 2, rect.bottom / 2};
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(control, WM_MOUSEMOVE, 0, at);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
}

void ChooseMenuCommand(HWND window, UINT commandId)
{
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(commandId), 0), 0);
}

void CloseWindow(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool WaitForPaint(std::chrono::milliseconds timeout)
{
    auto self = CurrentQueue();
    return WaitUntil(
        [&] {
            auto& manager = WindowManager::Get();
            std::lock_guard lock(manager.mutex);
            for (const auto& [handle, window] : manager.windows) {
                if (window->queue != self && window->NeedsPaint() && IsWindowVisible(window->handle))
                    return false;
            }
            return true;
        },
        timeout);
}

bool Screenshot(HWND window, const std::filesystem::path& path)
{
    WaitForPaint();
    if (!window)
        return display::WriteScreenshot(path);
    auto surface = user::SurfaceOf(window);
    if (!surface)
        return false;
    RECT rect;
    RECT root;
    GetWindowRect(window, &rect);
    GetWindowRect(GetAncestor(window, GA_ROOT), &root);
    OffsetRect(&rect, -root.left, -root.top);
    RECT bounds = {0, 0, surface->Width(), surface->Height()};
    IntersectRect(&rect, &rect, &bounds);
    gdi::Surface part(rect.right - rect.left, rect.bottom - rect.top);
    for (int y = 0; y < part.Height(); ++y)
        for (int x = 0; x < part.Width(); ++x)
            part.Set(x, y, surface->At(rect.left + x, rect.top + y));
    return gdi::WritePng(part, path);
}

} // namespace user::automation
