// A tree view asked from a thread that does not own it: the item queries
// are answered without the owner's help when nothing but the tree's own
// procedure would see them, and go to the owner's thread otherwise.
#include "ControlTest.h"

#include "user/Subclassing.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A thread that owns a tree with two top items ("Inbox" ticked, "Sent")
// and "2005" under "Sent", then does what the test gives it.
class TreeOwner {
public:
    explicit TreeOwner(std::function<void(HWND tree)> then)
    {
        std::promise<HWND> made;
        auto ready = made.get_future();
        m_thread = std::thread([&made, then] {
            HWND tree = CreateWindowExW(0, WC_TREEVIEW, u"", WS_POPUP | TVS_CHECKBOXES, 0, 0, 200, 200, nullptr,
                                        nullptr, nullptr, nullptr);
            HTREEITEM inbox = InsertTreeItem(tree, TVI_ROOT, u"Inbox");
            HTREEITEM sent = InsertTreeItem(tree, TVI_ROOT, u"Sent");
            InsertTreeItem(tree, sent, u"2005");
            SetTreeItemState(tree, inbox, INDEXTOSTATEIMAGEMASK(2), TVIS_STATEIMAGEMASK);
            made.set_value(tree);
            then(tree);
            DestroyWindow(tree);
        });
        m_tree = ready.get();
    }
    ~TreeOwner() { m_thread.join(); }
    HWND Tree() const { return m_tree; }

private:
    std::thread m_thread;
    HWND m_tree = nullptr;
};

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item = nullptr)
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::u16string Text(HWND tree, HTREEITEM item)
{
    WCHAR buffer[64] = {};
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = 64;
    return SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) ? std::u16string(buffer) : u"?";
}

std::atomic<int> g_subclassSaw{0};
WNDPROC g_treeProc = nullptr;

LRESULT CountingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TVM_GETNEXTITEM || msg == TVM_GETITEMW)
        ++g_subclassSaw;
    return CallWindowProcW(g_treeProc, hwnd, msg, wParam, lParam);
}

} // namespace

TEST(TreeViewThreadTest, AnOwnerThatTakesNoMessagesStillLetsAnotherThreadWalkItsItems)
{
    std::promise<void> walked;
    auto done = walked.get_future();
    // The owner waits without taking messages: a query sent to it would never come back.
    TreeOwner owner([&](HWND) { done.wait(); });
    HWND tree = owner.Tree();

    std::vector<std::u16string> top;
    for (HTREEITEM item = Next(tree, TVGN_ROOT); item; item = Next(tree, TVGN_NEXT, item))
        top.push_back(Text(tree, item));
    EXPECT_EQ(top, (std::vector<std::u16string>{u"Inbox", u"Sent"}));

    HTREEITEM inbox = Next(tree, TVGN_ROOT);
    HTREEITEM sent = Next(tree, TVGN_NEXT, inbox);
    HTREEITEM child = Next(tree, TVGN_CHILD, sent);
    EXPECT_EQ(Text(tree, child), u"2005");
    EXPECT_EQ(Next(tree, TVGN_PARENT, child), sent);
    EXPECT_EQ(Next(tree, TVGN_NEXT, child), nullptr);
    auto state = [&](HTREEITEM item) {
        return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    };
    EXPECT_EQ(state(inbox), static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));
    EXPECT_EQ(state(sent), static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(1)));
    // A deleted or unknown handle reads as none, as on the owner's thread.
    EXPECT_EQ(Next(tree, TVGN_NEXT, reinterpret_cast<HTREEITEM>(0x7777)), nullptr);
    EXPECT_EQ(Text(tree, reinterpret_cast<HTREEITEM>(0x7777)), u"?");
    walked.set_value();
}

TEST(TreeViewThreadTest, AQuerySeenByAnUnknownSubclassGoesToTheOwnersThread)
{
    g_subclassSaw = 0;
    std::atomic<bool> pumping{false};
    TreeOwner owner([&](HWND tree) {
        g_treeProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingSubclass)));
        pumping = true;
        MSG msg;
        while (g_subclassSaw.load() < 3 && GetMessageW(&msg, nullptr, 0, 0))
            DispatchMessageW(&msg);
    });
    while (!pumping)
        std::this_thread::yield();
    HWND tree = owner.Tree();
    HTREEITEM inbox = Next(tree, TVGN_ROOT);
    EXPECT_EQ(Text(tree, Next(tree, TVGN_NEXT, inbox)), u"Sent");
    // Every query passed through the subclass, on the owner's thread.
    EXPECT_EQ(g_subclassSaw.load(), 3);
    // Sent messages are served inside GetMessageW: a posted one lets the loop look again.
    PostMessageW(tree, WM_NULL, 0, 0);
}

namespace {

std::atomic<int> g_handlingSaw{0};

LRESULT HandlingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TVM_GETNEXTITEM) {
        ++g_handlingSaw;
        if (wParam == TVGN_ROOT)
            return 0x4242; // this subclass answers the first item itself
    }
    return CallWindowProcW(g_treeProc, hwnd, msg, wParam, lParam);
}

// Passes on everything but TVM_GETNEXTITEM.
WNDPROC HandlingSubclassPasses(HWND, UINT msg)
{
    return msg == TVM_GETNEXTITEM ? nullptr : g_treeProc;
}

} // namespace

TEST(TreeViewThreadTest, ADeclaredSubclassIsBypassedOnlyForWhatItLeavesToTheTree)
{
    user::RegisterPassThroughSubclass(&HandlingSubclass, &HandlingSubclassPasses);
    g_handlingSaw = 0;
    std::atomic<bool> pumping{false};
    std::atomic<bool> idle{false};
    std::promise<void> asked;
    auto done = asked.get_future();
    TreeOwner owner([&](HWND tree) {
        g_treeProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HandlingSubclass)));
        pumping = true;
        // Serves the two item queries that the subclass keeps, then waits without taking messages.
        MSG msg;
        while (g_handlingSaw.load() < 2 && GetMessageW(&msg, nullptr, 0, 0))
            DispatchMessageW(&msg);
        idle = true;
        done.wait();
    });
    while (!pumping)
        std::this_thread::yield();
    HWND tree = owner.Tree();
    EXPECT_EQ(reinterpret_cast<LRESULT>(Next(tree, TVGN_ROOT)), 0x4242);
    HTREEITEM inbox = Next(tree, TVGN_CHILD, TVI_ROOT);
    EXPECT_EQ(g_handlingSaw.load(), 2);
    PostMessageW(tree, WM_NULL, 0, 0); // ends the owner's loop, which served both inside GetMessageW
    // A query that finds the tree busy with that WM_NULL is rightly sent to
    // the owner, which would no longer serve it: ask once the owner is idle.
    while (!idle)
        std::this_thread::yield();
    // The texts and states, which the subclass leaves, come from the tree
    // while its owner takes no messages.
    EXPECT_EQ(Text(tree, inbox), u"Inbox");
    EXPECT_EQ(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(inbox), TVIS_STATEIMAGEMASK),
              static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));
    asked.set_value();
}
