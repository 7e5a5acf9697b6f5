#include "user/ControlAutomation.h"

#include "user/MessageQueue.h"
#include "user/Window.h"
#include "user/Automation.h"
#include "win32/WideString.h"

#include <cstring>

namespace user::automation {

namespace {

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The tool of a tooltip that stands for this window, as TTM_ENUMTOOLS tells it.
bool ToolFor(HWND tooltip, HWND tool, TOOLINFOW* found)
{
    for (WPARAM i = 0;; ++i) {
        TOOLINFOW info = {};
        info.cbSize = sizeof info;
        if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)))
            return false;
        bool isWindow = (info.uFlags & TTF_IDISHWND) && reinterpret_cast<HWND>(info.uId) == tool;
        if (isWindow || (!(info.uFlags & TTF_IDISHWND) && info.hwnd == tool)) {
            *found = info;
            return true;
        }
    }
}

struct ToolTipSearch {
    HWND tool;
    HWND found;
};

BOOL CheckToolTip(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ToolTipSearch*>(param);
    WCHAR name[64];
    TOOLINFOW info;
    if (GetClassNameW(hwnd, name, 64) && EqualsNoCase(name, TOOLTIPS_CLASS) && ToolFor(hwnd, search->tool, &info)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HTREEITEM FindTreeItem(HWND tree, const std::vector<std::u16string>& path)
{
    HTREEITEM parent = TVI_ROOT;
    for (const auto& text : path) {
        HTREEITEM child = Next(tree, TVGN_CHILD, parent);
        while (child && TreeItemText(tree, child) != text)
            child = Next(tree, TVGN_NEXT, child);
        if (!child)
            return nullptr;
        parent = child;
    }
    return parent == TVI_ROOT ? nullptr : parent;
}

std::u16string TreeItemText(HWND tree, HTREEITEM item)
{
    WCHAR buffer[1024] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = 1024;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return buffer;
}

std::vector<std::u16string> TreeChildTexts(HWND tree, HTREEITEM parent)
{
    std::vector<std::u16string> out;
    for (HTREEITEM child = Next(tree, TVGN_CHILD, parent); child; child = Next(tree, TVGN_NEXT, child))
        out.push_back(TreeItemText(tree, child));
    return out;
}

UINT TreeItemStateImage(HWND tree, HTREEITEM item)
{
    auto state = SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return STATEIMAGEMASKTOINDEX(static_cast<UINT>(state));
}

bool IsTreeItemBold(HWND tree, HTREEITEM item)
{
    return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_BOLD) != 0;
}

POINT TreeItemPoint(HWND tree, HTREEITEM item, UINT part)
{
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT row = {};
    std::memcpy(&row, &item, sizeof item); // the item goes in, its rectangle comes out
    if (!SendMessageW(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row)))
        return {-1, -1};
    const int y = (row.top + row.bottom) / 2;
    for (int x = row.left; x < row.right; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem == item && (hit.flags & part)) {
            // The middle of the run of points with that part.
            int end = x;
            for (;; ++end) {
                TVHITTESTINFO more = {};
                more.pt = {end + 1, y};
                SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&more));
                if (end + 1 >= row.right || more.hItem != item || !(more.flags & part))
                    break;
            }
            return {(x + end) / 2, y};
        }
    }
    return {-1, -1};
}

bool ClickTreeItem(HWND tree, HTREEITEM item, UINT part)
{
    POINT point = TreeItemPoint(tree, item, part);
    if (point.x < 0)
        return false;
    ClickAt(tree, point);
    return true;
}

HWND FindToolTip(HWND tool)
{
    ToolTipSearch search = {tool, nullptr};
    EnumWindows(CheckToolTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::u16string ToolTipText(HWND tooltip, HWND tool)
{
    TOOLINFOW info = {};
    if (!ToolFor(tooltip, tool, &info))
        return {};
    WCHAR buffer[1024] = {};
    info.lpszText = buffer;
    SendMessageW(tooltip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

bool IsToolTipShowing(HWND tooltip)
{
    return IsWindowVisible(tooltip) && SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0, 0);
}

} // namespace user::automation
