#include "RecordingWindow.h"
#include "user/Paint.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_class.handler = nullptr;
        m_class.Take();
    }
    RecordingClass& m_class = RecordingClass::Get();
};

TEST_F(WindowTest, AClassIsRegisteredOnce)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"recordingwindow";
    EXPECT_EQ(RegisterClassExW(&wc), 0); // names ignore case
    wc.lpszClassName = u"OtherClass";
    EXPECT_NE(RegisterClassExW(&wc), 0);
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_TRUE(UnregisterClassW(u"OtherClass", nullptr));
    EXPECT_EQ(CreateWindowExW(0, u"OtherClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, CreationAndDestructionSendTheirMessagesInOrder)
{
    HWND top = m_class.Create();
    HWND child = m_class.Create(top, WS_CHILD | WS_VISIBLE, 7);
    auto created = m_class.Take();
    ASSERT_GE(created.size(), 4u);
    EXPECT_EQ(created[0].message, WM_NCCREATE);
    EXPECT_EQ(created[1].message, WM_CREATE);

    DestroyWindow(top);
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& r : m_class.Take()) {
        if (r.message == WM_DESTROY || r.message == WM_NCDESTROY)
            order.emplace_back(r.hwnd, r.message);
    }
    // WM_DESTROY from the parent down, WM_NCDESTROY from the children up.
    std::vector<std::pair<HWND, UINT>> expected = {
        {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowTest, ACreateThatFailsLeavesNoWindow)
{
    m_class.handler = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg != WM_CREATE)
            return false;
        *result = -1;
        return true;
    };
    EXPECT_EQ(m_class.Create(), nullptr);
    m_class.handler = nullptr;
}

TEST_F(WindowTest, AHandleNamesItsWindowUntilItIsDestroyedAndNeverAnother)
{
    // A stale handle must not reach a later window: a worker that still
    // holds the handle of a closed dialog would otherwise talk to a new one.
    std::vector<HWND> first;
    for (int i = 0; i < 40; ++i)
        first.push_back(m_class.Create(nullptr, WS_OVERLAPPED, 0, u"first"));
    for (std::size_t i = 0; i < first.size(); i += 2)
        ASSERT_TRUE(DestroyWindow(first[i]));
    std::vector<HWND> second;
    for (int i = 0; i < 40; ++i)
        second.push_back(m_class.Create(nullptr, WS_OVERLAPPED, 0, u"second"));
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(IsWindow(first[i]) != FALSE, i % 2 == 1) << i;
        EXPECT_EQ(std::count(second.begin(), second.end(), first[i]), 0) << "handle " << i << " given out again";
        if (i % 2 == 0) {
            EXPECT_EQ(GetWindowTextLengthW(first[i]), 0);
        }
    }
    for (HWND hwnd : second) {
        ASSERT_TRUE(IsWindow(hwnd));
        WCHAR text[16] = {};
        GetWindowTextW(hwnd, text, 16);
        EXPECT_EQ(std::u16string(text), u"second");
    }
    // Values that were never handed out: beside a handle, far below and above.
    const auto value = reinterpret_cast<std::uintptr_t>(second.back());
    for (std::uintptr_t other : {value + 1, value - 1, value + 2, std::uintptr_t{0x10}, std::uintptr_t{0x7FFF'FFFF'0000},
                                 ~std::uintptr_t{0}})
        EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(other))) << std::hex << other;
    for (std::size_t i = 1; i < first.size(); i += 2)
        DestroyWindow(first[i]);
    for (HWND hwnd : second)
        DestroyWindow(hwnd);
}

TEST_F(WindowTest, AWindowIsGoneForEveryThreadThatLookedItUpTheMomentItIsDestroyed)
{
    // Each thread remembers the windows it looked up lately: a handle must
    // still name exactly its own window, whichever windows share a place in
    // that record, and stop naming it the moment another thread destroys it.
    std::vector<HWND> windows;
    for (int i = 0; i < 20; ++i)
        windows.push_back(m_class.Create(nullptr, WS_OVERLAPPED, 0, (u"w" + std::u16string(1, u'A' + i)).c_str()));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const std::size_t k = (i * 7 + round) % windows.size(); // neighbours and far ones in turn
            WCHAR text[8] = {};
            GetWindowTextW(windows[k], text, 8);
            EXPECT_EQ(std::u16string(text), u"w" + std::u16string(1, u'A' + static_cast<int>(k))) << k;
        }
    }

    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> lookedUp{false}, destroyed{false};
    std::thread owner([&] {
        HWND hwnd = m_class.Create(nullptr, WS_OVERLAPPED, 0, u"theirs");
        theirs = hwnd;
        while (!lookedUp)
            std::this_thread::yield();
        DestroyWindow(hwnd);
        destroyed = true;
    });
    while (!theirs)
        std::this_thread::yield();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(IsWindow(theirs));
    EXPECT_EQ(GetWindowTextLengthW(theirs), 6);
    lookedUp = true;
    while (!destroyed)
        std::this_thread::yield();
    EXPECT_FALSE(IsWindow(theirs));
    EXPECT_EQ(GetWindowTextLengthW(theirs), 0);
    EXPECT_EQ(GetParent(theirs), nullptr);
    owner.join();

    // A window that destroys itself while it answers another thread's
    // message is gone at once, though the answer is still running.
    HWND self = m_class.Create(nullptr, WS_OVERLAPPED, 0, u"self");
    EXPECT_TRUE(IsWindow(self));
    int seenAfterDestroy = -1;
    m_class.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg != WM_USER + 7)
            return false;
        DestroyWindow(hwnd);
        seenAfterDestroy = IsWindow(hwnd) ? 1 : 0;
        return true;
    };
    std::atomic<bool> answered{false};
    std::thread sender([&] {
        SendMessageW(self, WM_USER + 7, 0, 0); // the sender holds the window while it waits
        answered = true;
    });
    while (!answered) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        else
            std::this_thread::yield();
    }
    sender.join();
    m_class.handler = nullptr;
    EXPECT_EQ(seenAfterDestroy, 0);
    EXPECT_FALSE(IsWindow(self));

    // This thread's own windows are still found after the other's went.
    for (std::size_t k = 0; k < windows.size(); ++k) {
        EXPECT_TRUE(IsWindow(windows[k])) << k;
        DestroyWindow(windows[k]);
        EXPECT_FALSE(IsWindow(windows[k])) << k;
    }
}

TEST_F(WindowTest, ChildrenKeepCreationOrderAndAreFoundById)
{
    HWND dialog = m_class.Create();
    HWND a = m_class.Create(dialog, WS_CHILD, 1010);
    HWND b = m_class.Create(dialog, WS_CHILD, 1011);
    HWND c = m_class.Create(dialog, WS_CHILD, 1048);
    EXPECT_EQ(GetWindow(dialog, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetDlgItem(dialog, 1048), c);
    EXPECT_EQ(GetDlgItem(dialog, 9999), nullptr);
    EXPECT_EQ(GetDlgCtrlID(b), 1011);
    EXPECT_EQ(GetParent(b), dialog);
    EXPECT_TRUE(IsChild(dialog, c));
    EXPECT_EQ(GetAncestor(c, GA_ROOT), dialog);

    HWND popup = m_class.Create(a, WS_POPUP);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), dialog); // a popup is owned by the top-level window
    DestroyWindow(dialog);
    EXPECT_FALSE(IsWindow(popup)); // owned windows go with their owner
}

TEST_F(WindowTest, TextVisibilityAndEnabling)
{
    HWND top = m_class.Create(nullptr, WS_OVERLAPPED | WS_CAPTION, 0, u"Marlwick");
    WCHAR text[64];
    EXPECT_EQ(GetWindowTextW(top, text, 64), 8);
    EXPECT_EQ(std::u16string(text), u"Marlwick");
    SetWindowTextW(top, u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_EQ(GetWindowTextLengthW(top), 45);
    EXPECT_EQ(GetWindowTextW(top, text, 9), 8); // cut to the buffer, terminated

    HWND child = m_class.Create(top, WS_CHILD | WS_VISIBLE, 1);
    EXPECT_FALSE(IsWindowVisible(child)); // its parent is hidden
    m_class.Take();
    EXPECT_FALSE(ShowWindow(top, SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(child));
    auto shown = m_class.Messages(top);
    EXPECT_NE(std::find(shown.begin(), shown.end(), WM_SHOWWINDOW), shown.end());
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child));

    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_TRUE(IsWindowEnabled(child));
    DestroyWindow(top);
}

TEST_F(WindowTest, FocusMovesWithItsMessages)
{
    HWND top = m_class.Create();
    HWND a = m_class.Create(top, WS_CHILD | WS_VISIBLE, 1);
    HWND b = m_class.Create(top, WS_CHILD | WS_VISIBLE, 2);
    SetFocus(a);
    m_class.Take();
    EXPECT_EQ(SetFocus(b), a);
    auto received = m_class.Take();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].hwnd, a);
    EXPECT_EQ(received[0].message, WM_KILLFOCUS);
    EXPECT_EQ(received[1].hwnd, b);
    EXPECT_EQ(received[1].message, WM_SETFOCUS);
    EnableWindow(b, FALSE); // a disabled window loses the focus
    EXPECT_EQ(GetFocus(), nullptr);
    DestroyWindow(top);
}

TEST_F(WindowTest, GeometryOfClientAreasAndPoints)
{
    HWND top = CreateWindowExW(0, u"RecordingWindow", u"", WS_POPUP | WS_CAPTION, 100, 50, 400, 300, nullptr,
                               nullptr, nullptr, nullptr);
    RECT client;
    GetClientRect(top, &client);
    EXPECT_EQ(client.right, 400 - 2 * 3);
    EXPECT_EQ(client.bottom, 300 - 2 * 3 - 18);
    HWND child = CreateWindowExW(0, u"RecordingWindow", u"", WS_CHILD | WS_VISIBLE, 10, 20, 50, 40, top, nullptr,
                                 nullptr, nullptr);
    RECT rect;
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 100 + 3 + 10);
    EXPECT_EQ(rect.top, 50 + 3 + 18 + 20);
    POINT p = {5, 6};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, rect.left + 5);
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 26);

    ShowWindow(top, SW_SHOW);
    POINT inside = {rect.left + 1, rect.top + 1};
    EXPECT_EQ(WindowFromPoint(inside), child);
    POINT caption = {150, 55};
    EXPECT_EQ(WindowFromPoint(caption), top);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(inside), top);

    // A region leaves out what lies outside it: here all but the left 40 pixels.
    SetWindowRgn(top, CreateRectRgn(0, 0, 40, 300), FALSE);
    EXPECT_EQ(WindowFromPoint(POINT{105, 200}), top);
    EXPECT_EQ(WindowFromPoint(POINT{150, 200}), nullptr);
    SetWindowRgn(top, nullptr, FALSE);

    SetWindowPos(top, nullptr, 0, 0, 200, 100, SWP_NOZORDER);
    GetWindowRect(top, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 200);
    DestroyWindow(top);
}

TEST_F(WindowTest, InvalidatedWindowsArePaintedWhenNothingElseWaits)
{
    HWND top = m_class.Create(nullptr, WS_OVERLAPPED | WS_VISIBLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(user::NeedsPaint(top));
    m_class.Take();

    PostMessageW(top, WM_USER + 1, 0, 0);
    InvalidateRect(top, nullptr, TRUE);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u); // posted messages come before paints
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    DispatchMessageW(&msg); // the default handling validates
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(top);
}

TEST_F(WindowTest, WindowsMadeFarApartAnswerForThemselvesWhateverOrderTheyAreLookedUpIn)
{
    // More windows than a thread keeps in its record of lookups, read in an
    // order that makes ones far apart in creation follow one another; then
    // a few destroyed while another thread holds them in its record.
    std::vector<HWND> windows;
    for (int i = 0; i < 200; ++i) {
        windows.push_back(m_class.Create(nullptr, WS_OVERLAPPED, 0, u"w"));
        SetWindowLongPtrW(windows.back(), GWLP_USERDATA, i);
    }
    auto readAll = [&](const std::vector<bool>& gone) {
        int wrong = 0;
        for (int step = 0; step < 3; ++step) {
            for (std::size_t k = 0; k < windows.size(); ++k) {
                const std::size_t i = (k * 64 + k / 3 + static_cast<std::size_t>(step)) % windows.size();
                const bool exists = IsWindow(windows[i]) != FALSE;
                const LONG_PTR data = GetWindowLongPtrW(windows[i], GWLP_USERDATA);
                if (exists == gone[i] || data != (gone[i] ? 0 : static_cast<LONG_PTR>(i)))
                    ++wrong;
            }
        }
        return wrong;
    };
    std::vector<bool> gone(windows.size(), false);
    EXPECT_EQ(readAll(gone), 0);

    std::atomic<int> phase{0};
    std::atomic<int> wrongBefore{-1}, wrongAfter{-1};
    std::thread reader([&] {
        wrongBefore = readAll(std::vector<bool>(windows.size(), false));
        phase = 1;
        while (phase != 2)
            std::this_thread::yield();
        std::vector<bool> expected(windows.size(), false);
        for (std::size_t i = 0; i < windows.size(); i += 64)
            expected[i] = true;
        wrongAfter = readAll(expected);
    });
    while (phase != 1)
        std::this_thread::yield();
    for (std::size_t i = 0; i < windows.size(); i += 64) {
        ASSERT_TRUE(DestroyWindow(windows[i]));
        gone[i] = true;
    }
    phase = 2;
    reader.join();
    EXPECT_EQ(wrongBefore, 0);
    EXPECT_EQ(wrongAfter, 0);
    EXPECT_EQ(readAll(gone), 0);
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (!gone[i])
            DestroyWindow(windows[i]);
}

namespace {

std::atomic<int> g_painted{0};

LRESULT CountPaintsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        ++g_painted;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(WindowTest, WindowsInvalidatedByAnotherThreadArePaintedByTheirOwnWhileItWaits)
{
    // The owner sleeps in GetMessage; one invalidation from another thread
    // that reaches a window and two of its children wakes it to paint all
    // three, with nothing posted.
    static bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CountPaintsProc;
        wc.lpszClassName = u"CountPaints";
        return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    g_painted = 0;
    std::atomic<HWND> top{nullptr};
    std::atomic<DWORD> ownerId{0};
    std::thread owner([&] {
        HWND hwnd = CreateWindowExW(0, u"CountPaints", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr);
        for (int i = 0; i < 2; ++i)
            CreateWindowExW(0, u"CountPaints", u"", WS_CHILD | WS_VISIBLE, 10 + 60 * i, 10, 50, 50, hwnd, nullptr,
                            nullptr, nullptr);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        ownerId = GetCurrentThreadId();
        top = hwnd;
        while (GetMessageW(&msg, nullptr, 0, 0))
            DispatchMessageW(&msg);
        DestroyWindow(hwnd);
    });
    while (!top)
        std::this_thread::yield();
    const int before = g_painted.load();
    ASSERT_TRUE(InvalidateRect(top, nullptr, TRUE));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (g_painted.load() < before + 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(g_painted.load(), before + 3);
    EXPECT_FALSE(user::NeedsPaint(top));
    PostThreadMessageW(ownerId, WM_QUIT, 0, 0);
    owner.join();
}
