#include "user/Automation.h"

#include "MenuWindow.h"
#include "Menus.h"
#include "WindowData.h"

#include "display/Display.h"
#include "gdi/PngFile.h"
#include "user/Controls.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include <algorithm>
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

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    // Looks often at first, where most waits end, then less and less often,
    // so that a wait for the end of a long run costs its process next to
    // nothing.
    constexpr auto kFirstPause = std::chrono::microseconds(2000);
    constexpr auto kLongestPause = std::chrono::microseconds(20000);
    constexpr auto kOftenFor = std::chrono::milliseconds(200);
    const auto start = Clock::now();
    const auto deadline = start + timeout;
    auto pause = std::chrono::duration_cast<std::chrono::microseconds>(kFirstPause);
    while (!condition()) {
        const auto now = Clock::now();
        if (now > deadline)
            return false;
        if (now - start > kOftenFor)
            pause = std::min(pause + pause / 4, std::chrono::duration_cast<std::chrono::microseconds>(kLongestPause));
        std::this_thread::sleep_for(pause);
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

HWND WaitForMessageBox(std::chrono::milliseconds timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto open = user::OpenMessageBoxes();
            found = open.empty() ? nullptr : open.back();
            return found != nullptr;
        },
        timeout);
    return found;
}

std::u16string MessageBoxText(HWND box)
{
    return TextOf(GetDlgItem(box, kMessageBoxTextId));
}

HWND ActiveWindow()
{
    for (HWND hwnd : TopLevelWindows()) {
        WCHAR name[16];
        GetClassNameW(hwnd, name, 16);
        if (std::u16string(name) != kMenuClass)
            return hwnd;
    }
    return nullptr;
}

namespace {

void Flatten(HMENU menu, int depth, std::vector<MenuEntry>& out)
{
    for (const auto& item : MenuItems(menu)) {
        MenuEntry entry;
        entry.id = item.submenu || item.IsSeparator() ? 0 : item.id;
        entry.text = item.text;
        entry.depth = depth;
        entry.popup = item.submenu != nullptr;
        entry.separator = item.IsSeparator();
        entry.enabled = item.IsEnabled();
        entry.checked = (item.state & MFS_CHECKED) != 0;
        out.push_back(entry);
        if (item.submenu)
            Flatten(item.submenu, depth + 1, out);
    }
}

} // namespace

std::vector<MenuEntry> MenuEntries(HWND window)
{
    std::vector<MenuEntry> out;
    if (HMENU menu = GetMenu(window))
        Flatten(menu, 0, out);
    return out;
}

std::vector<MenuEntry> SystemMenuEntries(HWND window)
{
    std::vector<MenuEntry> out;
    if (HMENU menu = GetSystemMenu(window, FALSE))
        Flatten(menu, 0, out);
    return out;
}

UINT CheckStateOf(HWND control)
{
    return static_cast<UINT>(SendMessageW(control, BM_GETCHECK, 0, 0));
}

bool IsEnabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

bool IsVisible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

RECT PositionOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

std::u16string TextOf(HWND hwnd)
{
    // The whole text, however long: a viewer's edit holds a whole file.
    std::u16string text(static_cast<std::size_t>(std::max(0, GetWindowTextLengthW(hwnd))) + 1, u'\0');
    int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(0, n)));
    return text;
}

bool WaitForPaint(std::chrono::milliseconds timeout)
{
    auto self = CurrentQueue();
    return WaitUntil(
        [&] {
            auto& manager = WindowManager::Get();
            std::lock_guard lock(manager.mutex);
            for (const auto& [handle, window] : manager.windows) {
                if (window->queue != self && (window->NeedsPaint() || window->openDCs > 0 || window->painting > 0)
                    && IsWindowVisible(window->handle))
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
