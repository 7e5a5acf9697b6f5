// Test helpers for the common controls: a parent window that records the
// WM_NOTIFY it gets and may answer them, and a pump for posted input.
#pragma once

#include "../gdi/GdiTest.h"

#include "user/CommCtrl.h"
#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Window.h"

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Dispatches what waits in this thread's queue (input, timers, paints).
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Tree items as a program makes and marks them.
inline HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const std::u16string& text, HTREEITEM after = TVI_LAST,
                                LPARAM param = 0)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<LPWSTR>(text.c_str());
    insert.item.lParam = param;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

inline void SetTreeItemState(HWND tree, HTREEITEM item, UINT state, UINT mask)
{
    TVITEMW tv = {};
    tv.mask = TVIF_HANDLE | TVIF_STATE;
    tv.hItem = item;
    tv.state = state;
    tv.stateMask = mask;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

inline RECT TreeItemRect(HWND tree, HTREEITEM item, BOOL labelOnly)
{
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item); // the item goes in, its rectangle comes out
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, labelOnly, reinterpret_cast<LPARAM>(&rect)));
    return rect;
}

// One WM_NOTIFY as the parent saw it.
struct Notice {
    UINT code = 0;
    UINT_PTR id = 0;
    UINT action = 0;          // NMTREEVIEWW
    HTREEITEM oldItem = nullptr;
    HTREEITEM newItem = nullptr;
    LPARAM newParam = 0;
    WORD key = 0;             // NMTVKEYDOWN
};

class NotifyParent {
public:
    NotifyParent()
    {
        static bool registered = [] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &Proc;
            wc.cbWndExtra = sizeof(void*);
            wc.lpszClassName = u"NotifyParent";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd = CreateWindowExW(0, u"NotifyParent", u"parent", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0, 400,
                               300, nullptr, nullptr, nullptr, this);
    }
    ~NotifyParent() { DestroyWindow(hwnd); }
    NotifyParent(const NotifyParent&) = delete;
    NotifyParent& operator=(const NotifyParent&) = delete;

    std::vector<Notice> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_notices, {});
    }
    std::vector<UINT> Codes()
    {
        std::vector<UINT> out;
        for (const auto& n : Take())
            out.push_back(n.code);
        return out;
    }

    HWND hwnd = nullptr;
    // Answers a notification itself (runs on the parent's thread); the
    // default answer is 0.
    std::function<LRESULT(NMHDR*)> answer;

private:
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<NotifyParent*>(GetWindowLongPtrW(hwnd, 0));
        if (msg != WM_NOTIFY || !self)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        Notice notice;
        notice.code = header->code;
        notice.id = header->idFrom;
        if (header->code == TVN_KEYDOWN) {
            notice.key = reinterpret_cast<NMTVKEYDOWN*>(lParam)->wVKey;
        } else if (header->code == TVN_SELCHANGINGW || header->code == TVN_SELCHANGEDW
                   || header->code == TVN_ITEMEXPANDINGW || header->code == TVN_ITEMEXPANDEDW
                   || header->code == TVN_DELETEITEMW) {
            auto* tree = reinterpret_cast<NMTREEVIEWW*>(lParam);
            notice.action = tree->action;
            notice.oldItem = tree->itemOld.hItem;
            notice.newItem = tree->itemNew.hItem;
            notice.newParam = tree->itemNew.lParam;
        }
        {
            std::lock_guard lock(self->m_mutex);
            self->m_notices.push_back(notice);
        }
        return self->answer ? self->answer(header) : 0;
    }

    std::mutex m_mutex;
    std::vector<Notice> m_notices;
};
