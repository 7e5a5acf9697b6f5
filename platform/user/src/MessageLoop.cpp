// Getting, peeking, posting, sending and dispatching messages; timers.
#include "PaintCycle.h"
#include "WindowData.h"

#include "user/Messages.h"
#include "win32/Clock.h"
#include "win32/Thread.h"

#include <algorithm>
#include <chrono>

using namespace user::detail;

namespace {

std::mutex g_inputMutex;
POINT g_cursor = {0, 0};
BYTE g_keyDown[256] = {};

std::int64_t Now()
{
    return win32::CurrentClock().SinceStart().count();
}

bool IsVirtualClock()
{
    return dynamic_cast<win32::VirtualClock*>(&win32::CurrentClock()) != nullptr;
}

bool Matches(const MSG& msg, HWND filter, UINT min, UINT max)
{
    if (filter && msg.hwnd != filter && !IsChild(filter, msg.hwnd))
        return false;
    if (min == 0 && max == 0)
        return true;
    return msg.message >= min && msg.message <= max;
}

MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {hwnd, message, wParam, lParam, static_cast<DWORD>(Now()), {}};
    std::lock_guard lock(g_inputMutex);
    msg.pt = g_cursor;
    return msg;
}

// The key state as of the messages taken so far, as GetKeyState reports it.
void TrackKeyState(const MSG& msg)
{
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if (!down && !up)
        return;
    std::lock_guard lock(g_inputMutex);
    g_keyDown[msg.wParam & 0xFF] = down ? 1 : 0;
}

enum class Found { Nothing, Message, Quit };

// One look at the queue, in the order Windows keeps: sent messages are served,
// then posted messages, the quit request, paints, and last timers.
Found Look(const std::shared_ptr<ThreadQueue>& queue, MSG* out, HWND filter, UINT min, UINT max, bool remove,
           std::int64_t* nextTimer)
{
    ServeSentMessages(queue);
    std::unique_lock lock(queue->mutex);
    for (auto it = queue->posted.begin(); it != queue->posted.end();) {
        if (it->hwnd == kToFocus) {
            // Keys go to the window that has the focus when the thread takes them.
            it->hwnd = queue->focus ? queue->focus : queue->active;
            if (!it->hwnd) {
                it = queue->posted.erase(it);
                continue;
            }
        }
        if (!Matches(*it, filter, min, max)) {
            ++it;
            continue;
        }
        {
            *out = *it;
            if (remove) {
                queue->posted.erase(it);
                TrackKeyState(*out);
            }
            queue->lastMessageTime = out->time;
            return out->message == WM_QUIT ? Found::Quit : Found::Message;
        }
    }
    if (queue->quit) {
        *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(queue->quitCode), 0);
        if (remove)
            queue->quit = false;
        return Found::Quit;
    }
    lock.unlock();
    if ((min == 0 && max == 0) || (WM_PAINT >= min && WM_PAINT <= max)) {
        // A frame waiting alone is painted here, without a WM_PAINT.
        while (HWND hwnd = NextToPaint(queue, filter)) {
            SendFramePaint(hwnd);
            if (HasClientPaint(hwnd)) {
                *out = Make(hwnd, WM_PAINT, 0, 0);
                return Found::Message;
            }
        }
    }
    lock.lock();
    std::int64_t now = Now();
    *nextTimer = -1;
    for (auto& timer : queue->timers) {
        MSG candidate = Make(timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc));
        if (timer.hwnd && !Matches(candidate, filter, min, max))
            continue;
        if (!timer.hwnd && filter)
            continue;
        if (timer.due <= now) {
            *out = candidate;
            if (remove)
                timer.due = now + timer.interval;
            return Found::Message;
        }
        if (*nextTimer < 0 || timer.due < *nextTimer)
            *nextTimer = timer.due;
    }
    return Found::Nothing;
}

// Waits until something arrives for this thread or the next timer is due.
void Wait(const std::shared_ptr<ThreadQueue>& queue, std::int64_t nextTimer)
{
    std::unique_lock lock(queue->mutex);
    if (!queue->sent.empty() || !queue->posted.empty() || queue->quit)
        return;
    const std::uint64_t seen = queue->arrivals.load(std::memory_order_relaxed);
    lock.unlock();
    if (SpinForArrival(*queue, seen))
        return;
    lock.lock();
    if (queue->arrivals.load(std::memory_order_relaxed) != seen) {
        AfterSleepForArrival(*queue); // came just after the spin gave up
        return;
    }
    if (nextTimer < 0) {
        SleepOnQueueFor(*queue, lock, std::chrono::milliseconds(50));
    } else if (IsVirtualClock()) {
        // Virtual time passes only when someone sleeps or advances it; look again soon.
        SleepOnQueueFor(*queue, lock, std::chrono::milliseconds(5));
    } else {
        auto delay = std::max<std::int64_t>(nextTimer - Now(), 0);
        SleepOnQueueFor(*queue, lock, std::chrono::milliseconds(delay));
    }
    AfterSleepForArrival(*queue);
}

void Post(const std::shared_ptr<ThreadQueue>& queue, const MSG& msg)
{
    std::lock_guard lock(queue->mutex);
    queue->posted.push_back(msg);
    NotifyArrival(*queue);
}

} // namespace

namespace user::detail {

void DropTimersOf(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return;
    std::lock_guard lock(window->queue->mutex);
    std::erase_if(window->queue->timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

bool PostInput(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto queue = QueueOf(threadId);
    if (!queue)
        return false;
    Post(queue, Make(kToFocus, message, wParam, lParam));
    return true;
}

void DropPostedMessagesOf(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return;
    std::lock_guard lock(window->queue->mutex);
    std::erase_if(window->queue->posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

} // namespace user::detail

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    auto queue = CurrentQueue();
    for (;;) {
        // A wait for messages is a safe point: a worker that is terminated
        // while a modal loop of its own (a message box) waits unwinds from
        // it, and a suspended one stops taking messages.
        win32::ThreadSafePoint();
        std::int64_t nextTimer = -1;
        Found found = Look(queue, msg, hwnd, filterMin, filterMax, true, &nextTimer);
        if (found == Found::Message)
            return TRUE;
        if (found == Found::Quit)
            return FALSE;
        Wait(queue, nextTimer);
    }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    std::int64_t nextTimer = -1;
    return Look(CurrentQueue(), msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, &nextTimer)
            != Found::Nothing
        ? TRUE
        : FALSE;
}

BOOL WaitMessage()
{
    auto queue = CurrentQueue();
    MSG msg;
    std::int64_t nextTimer = -1;
    while (Look(queue, &msg, nullptr, 0, 0, false, &nextTimer) == Found::Nothing)
        Wait(queue, nextTimer);
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    WPARAM key = msg->wParam;
    WCHAR ch = 0;
    bool shift = GetKeyState(static_cast<int>(VK_SHIFT)) < 0;
    if (key == 0xE7) // VK_PACKET: the character rides in the high word
        ch = static_cast<WCHAR>(HIWORD(static_cast<UINT_PTR>(msg->lParam)));
    else if (key >= 'A' && key <= 'Z')
        ch = static_cast<WCHAR>(shift ? key : key + 0x20);
    else if (key >= '0' && key <= '9')
        ch = static_cast<WCHAR>(key);
    else if (key == VK_SPACE || key == VK_RETURN || key == VK_BACK || key == VK_TAB || key == VK_ESCAPE)
        ch = static_cast<WCHAR>(key);
    if (!ch)
        return FALSE;
    // The character comes next, before any key message already waiting.
    auto window = WindowManager::Get().Find(msg->hwnd);
    auto queue = window ? window->queue : CurrentQueue();
    std::lock_guard lock(queue->mutex);
    queue->posted.push_front(Make(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam));
    NotifyArrival(*queue);
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    auto window = WindowManager::Get().Find(msg->hwnd);
    if (!window || !IsOnThisThread(*window))
        return 0;
    WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(msg->hwnd, GWLP_WNDPROC));
    return CallWindowProcW(proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    win32::ThreadSafePoint();
    if (!hwnd) {
        Post(CurrentQueue(), Make(nullptr, message, wParam, lParam));
        return TRUE;
    }
    auto window = WindowManager::Get().Find(hwnd);
    if (!window) {
        SetLastError(1400);
        return FALSE;
    }
    Post(window->queue, Make(hwnd, message, wParam, lParam));
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto queue = QueueOf(threadId);
    if (!queue)
        return FALSE;
    Post(queue, Make(nullptr, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    auto queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    queue->quit = true;
    queue->quitCode = exitCode;
    NotifyArrival(*queue);
}

namespace {

// The window's procedure, looked up under the window table's lock; none for
// a window that is gone (or, when asked, one of another thread).
WNDPROC ProcedureOf(HWND hwnd, bool onlyOnThisThread, bool* exists)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    const WindowData* window = manager.Peek(hwnd);
    if (exists)
        *exists = window != nullptr;
    if (!window || (onlyOnThisThread && !IsOnThisThread(*window)))
        return nullptr;
    return window->proc;
}

} // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = 0;
    win32::ThreadSafePoint();
    // A window of this thread: its procedure is called at once, with one
    // look-up (a tree's walk over its items sends this many times per item).
    bool exists = false;
    if (WNDPROC proc = ProcedureOf(hwnd, /*onlyOnThisThread=*/true, &exists))
        return CallWindowProcW(proc, hwnd, message, wParam, lParam);
    if (!exists)
        return 0;
    if (AnswerWithoutOwner(hwnd, message, wParam, lParam, &answer))
        return answer;
    return RunOnOwner(hwnd, [=]() -> LRESULT {
        WNDPROC proc = ProcedureOf(hwnd, /*onlyOnThisThread=*/false, nullptr);
        return proc ? CallWindowProcW(proc, hwnd, message, wParam, lParam) : 0;
    });
}

DWORD GetMessageTime()
{
    auto queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    return queue->lastMessageTime;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    std::shared_ptr<ThreadQueue> queue;
    if (hwnd) {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window)
            return 0;
        queue = window->queue;
    } else {
        queue = CurrentQueue();
    }
    elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);
    std::lock_guard lock(queue->mutex);
    if (!hwnd) {
        // A timer without a window gets an id of its own.
        UINT_PTR next = 1;
        for (const auto& t : queue->timers)
            next = std::max(next, t.id + 1);
        id = next;
    }
    for (auto& timer : queue->timers) {
        if (timer.hwnd == hwnd && timer.id == id) {
            timer = {hwnd, id, elapse, Now() + elapse, proc};
            return hwnd ? 1 : id;
        }
    }
    queue->timers.push_back({hwnd, id, elapse, Now() + elapse, proc});
    NotifyArrival(*queue);
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    std::shared_ptr<ThreadQueue> queue;
    if (hwnd) {
        auto window = WindowManager::Get().Find(hwnd);
        if (!window)
            return FALSE;
        queue = window->queue;
    } else {
        queue = CurrentQueue();
    }
    std::lock_guard lock(queue->mutex);
    auto before = queue->timers.size();
    std::erase_if(queue->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    // A WM_TIMER of a killed timer never arrives: timers are made when looked for.
    return queue->timers.size() != before;
}

short GetKeyState(int virtualKey)
{
    std::lock_guard lock(g_inputMutex);
    return g_keyDown[virtualKey & 0xFF] ? static_cast<short>(0x8000) : 0;
}

short GetAsyncKeyState(int virtualKey)
{
    return GetKeyState(virtualKey);
}

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    std::lock_guard lock(g_inputMutex);
    *point = g_cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    std::lock_guard lock(g_inputMutex);
    g_cursor = {x, y};
    return TRUE;
}

