// The automation interface's input: keys, clicks, menus and the close box,
// all through the routing that the person's own input takes.
#include "MenuWindow.h"
#include "Menus.h"
#include "NonClient.h"
#include "WindowData.h"

#include "user/Automation.h"
#include "user/Input.h"
#include "user/MessageBox.h"
#include "user/Messages.h"

#include <algorithm>
#include <atomic>

using namespace user::detail;

namespace user::automation {

namespace {

POINT Center(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The positions of the items on the way to the command, from the menu down.
bool PathTo(HMENU menu, UINT id, std::vector<int>& path)
{
    auto items = MenuItems(menu);
    for (std::size_t i = 0; i < items.size(); ++i) {
        path.push_back(static_cast<int>(i));
        if (items[i].submenu ? PathTo(items[i].submenu, id, path) : (!items[i].IsSeparator() && items[i].id == id))
            return true;
        path.pop_back();
    }
    return false;
}

// Clicks the items of the path in the popup menus as they open, from the
// popup at level first.
bool ClickThrough(const std::vector<int>& path, std::size_t from, std::size_t level)
{
    for (std::size_t i = from; i < path.size(); ++i, ++level) {
        HWND menuWindow = nullptr;
        if (!WaitUntil([&] {
                auto open = OpenMenuWindows();
                if (open.size() <= level)
                    return false;
                menuWindow = open[level];
                return true;
            }))
            return false;
        RECT item = MenuWindowItemRect(menuWindow, path[i]);
        if (IsRectEmpty(&item))
            return false;
        input::Click(Center(item));
    }
    return true;
}

// The mouse goes to the window under it, or to the one that captured it, as
// they stand when the input is posted; so the input posted before (a press
// that holds the capture, a click that opens a window) must have been
// handled first, as a person's next move waits for the screen. A marker
// posted behind that input leaves the queue only once everything before it
// has been dispatched.
void TakePendingInput(HWND window)
{
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!thread || thread == GetCurrentThreadId())
        return;
    auto queue = QueueOf(thread);
    static std::atomic<LPARAM> nextMarker{1};
    LPARAM marker = nextMarker++;
    if (!queue || !PostMessageW(window, WM_NULL, 0, marker))
        return;
    WaitUntil([&] {
        std::lock_guard lock(queue->mutex);
        return !queue->alive || std::none_of(queue->posted.begin(), queue->posted.end(), [&](const MSG& msg) {
            return msg.message == WM_NULL && msg.lParam == marker;
        });
    });
}

RECT ScreenPart(HWND window, const RECT& part)
{
    RECT rect;
    GetWindowRect(window, &rect);
    RECT out = part;
    OffsetRect(&out, rect.left, rect.top);
    return out;
}

} // namespace

void PressKey(HWND window, WPARAM virtualKey, bool shift)
{
    // The key state follows the key messages as their thread takes them, so
    // the shift is down while the key's own messages are handled.
    HWND target = input::KeyTarget(window);
    if (shift)
        input::Key(VK_SHIFT, true, target);
    input::Key(static_cast<UINT>(virtualKey), true, target);
    input::Key(static_cast<UINT>(virtualKey), false, target);
    if (shift)
        input::Key(VK_SHIFT, false, target);
}

void TypeText(HWND window, const std::u16string& text)
{
    HWND target = input::KeyTarget(window);
    for (char16_t c : text)
        input::Character(c, target);
}

void Click(HWND control)
{
    TakePendingInput(control);
    RECT rect;
    GetWindowRect(control, &rect);
    input::Click(Center(rect));
}

namespace {

POINT OnScreen(HWND window, POINT point)
{
    ClientToScreen(window, &point);
    return point;
}

} // namespace

void MoveMouseTo(HWND window, POINT point)
{
    TakePendingInput(window);
    input::MouseMove(OnScreen(window, point));
}

void ClickAt(HWND window, POINT point)
{
    TakePendingInput(window);
    input::Click(OnScreen(window, point));
}

void DoubleClickAt(HWND window, POINT point)
{
    TakePendingInput(window);
    input::DoubleClick(OnScreen(window, point));
}

void RightClickAt(HWND window, POINT point)
{
    TakePendingInput(window);
    input::Click(OnScreen(window, point), input::kRightButton);
}

void PressMouseAt(HWND window, POINT point)
{
    TakePendingInput(window);
    const POINT screen = OnScreen(window, point);
    input::MouseMove(screen);
    input::MouseButton(screen, input::kLeftButton, true);
}

void ReleaseMouseAt(HWND window, POINT point)
{
    TakePendingInput(window);
    const POINT screen = OnScreen(window, point);
    input::MouseMove(screen);
    input::MouseButton(screen, input::kLeftButton, false);
}

void TurnWheel(HWND window, POINT point, int notches)
{
    TakePendingInput(window);
    const POINT screen = OnScreen(window, point);
    input::MouseMove(screen);
    const int step = notches < 0 ? -WHEEL_DELTA : WHEEL_DELTA;
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i)
        input::MouseWheel(screen, step, window);
}

namespace {

// A menu still closing from the last command is left to close first, as a
// person waits for it to go.
bool NoMenuOpen()
{
    return WaitUntil([] { return OpenMenuWindows().empty(); });
}

} // namespace

bool ChooseSystemMenuCommand(HWND window, UINT commandId)
{
    TakePendingInput(window);
    if (!NoMenuOpen())
        return false;
    std::vector<int> path;
    HMENU system = GetSystemMenu(window, FALSE);
    if (!system || !PathTo(system, commandId, path))
        return false;
    // The system menu opens from the caption's icon, or with the right button on the caption.
    FrameLayout layout = LayoutFrame(window);
    if (!IsRectEmpty(&layout.icon))
        input::Click(Center(ScreenPart(window, layout.icon)));
    else
        input::Click(Center(ScreenPart(window, layout.title)), input::kRightButton);
    return ClickThrough(path, 0, 0);
}

bool ChooseMenuCommand(HWND window, UINT commandId)
{
    TakePendingInput(window);
    if (!NoMenuOpen())
        return false;
    std::vector<int> path;
    HMENU bar = GetMenu(window);
    if (!bar || !PathTo(bar, commandId, path))
        return ChooseSystemMenuCommand(window, commandId);
    auto bars = MenuBarItemRects(window);
    if (path[0] >= static_cast<int>(bars.size()))
        return false;
    input::Click(Center(ScreenPart(window, bars[static_cast<std::size_t>(path[0])])));
    return ClickThrough(path, 1, 0);
}

bool AnswerMessageBox(HWND box, int answer)
{
    HWND button = GetDlgItem(box, answer);
    user::MessageBoxRecord record;
    if (!button || !user::MessageBoxRecordOf(box, record))
        return false;
    Click(button);
    return true;
}

void CloseWindow(HWND window)
{
    TakePendingInput(window);
    FrameLayout layout = LayoutFrame(window);
    if (!IsRectEmpty(&layout.closeBox)) {
        input::Click(Center(ScreenPart(window, layout.closeBox)));
        return;
    }
    HWND target = input::KeyTarget(window);
    input::Key(VK_MENU, true, target);
    input::Key(VK_F4, true, target);
    input::Key(VK_F4, false, target);
    input::Key(VK_MENU, false, target);
}

} // namespace user::automation
