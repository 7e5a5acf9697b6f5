#include "user/CommonDialogAutomation.h"

#include "ItemIdList.h"

#include "user/CommDlg.h"
#include "user/CommandIds.h"
#include "user/ControlAutomation.h"
#include "user/Input.h"
#include "user/ShlObj.h"
#include "win32/WideString.h"

namespace user::automation {

namespace {

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The texts the tree shows for the items on the way to a full path: the
// drive as "Local Disk (C:)", then each folder.
std::vector<std::u16string> ItemTexts(const std::u16string& path)
{
    std::vector<std::u16string> texts = detail::PathComponents(path);
    if (!texts.empty() && texts[0].size() == 2 && texts[0][1] == u':')
        texts[0] = u"Local Disk (" + std::u16string(1, CharUpperChar(texts[0][0])) + u":)";
    return texts;
}

// Clicks down the tree from its "Computer" item to the path's item, opening
// each item on the way that is not open yet; the item, or null.
HTREEITEM ClickDownTo(HWND tree, const std::u16string& path)
{
    HTREEITEM item = Next(tree, TVGN_ROOT, nullptr);
    if (!item || TreeItemText(tree, item) != u"Computer")
        return nullptr;
    for (const std::u16string& text : ItemTexts(path)) {
        auto open = [&] {
            return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) != 0;
        };
        // A click is posted, not awaited: the item's children are there once it is open.
        if (!open() && (!ClickTreeItem(tree, item, TVHT_ONITEMBUTTON) || !WaitUntil(open)))
            return nullptr;
        HTREEITEM child = Next(tree, TVGN_CHILD, item);
        while (child && !EqualsNoCase(TreeItemText(tree, child), text))
            child = Next(tree, TVGN_NEXT, child);
        if (!child)
            return nullptr;
        item = child;
    }
    if (!ClickTreeItem(tree, item, TVHT_ONITEMLABEL))
        return nullptr;
    return WaitUntil([&] { return Next(tree, TVGN_CARET, nullptr) == item; }) ? item : nullptr;
}

} // namespace

HWND WaitForOpenFileDialog(std::chrono::milliseconds timeout)
{
    return WaitForWindowWithControl(kOpenFileNameId, timeout);
}

HWND WaitForFolderBrowser(std::chrono::milliseconds timeout)
{
    return WaitForWindowWithControl(kBrowseTreeId, timeout);
}

void ReplaceEditText(HWND edit, const std::u16string& text)
{
    Click(edit);
    PressKey(edit, VK_HOME);
    PressKey(edit, VK_END, true);
    if (text.empty())
        PressKey(edit, VK_DELETE);
    else
        TypeText(edit, text);
}

bool TypeFileName(HWND dialog, const std::u16string& path)
{
    HWND name = GetDlgItem(dialog, kOpenFileNameId);
    if (!name)
        return false;
    ReplaceEditText(name, path);
    if (!WaitUntil([&] { return TextOf(name) == path; }))
        return false;
    Click(GetDlgItem(dialog, IDOK));
    return true;
}

bool PickFile(HWND dialog, const std::u16string& path)
{
    HWND tree = GetDlgItem(dialog, kOpenFileTreeId);
    if (!tree || !ClickDownTo(tree, path))
        return false;
    Click(GetDlgItem(dialog, IDOK));
    return true;
}

bool PickFolder(HWND browser, const std::u16string& path)
{
    HWND tree = GetDlgItem(browser, kBrowseTreeId);
    if (!tree || !ClickDownTo(tree, path))
        return false;
    HWND ok = GetDlgItem(browser, IDOK);
    if (!IsEnabled(ok))
        return false;
    Click(ok);
    return true;
}

bool TypeFolderName(HWND browser, const std::u16string& text)
{
    HWND edit = GetDlgItem(browser, kBrowseEditId);
    if (!edit)
        return false;
    ReplaceEditText(edit, text);
    if (!WaitUntil([&] { return TextOf(edit) == text; }))
        return false;
    Click(GetDlgItem(browser, IDOK));
    return true;
}

} // namespace user::automation
