// SHBrowseForFolderW: the folder browser, its callback and its result.
#include "ItemIdList.h"
#include "ShellTree.h"
#include "TemplateControl.h"

#include "ole/Com.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/ShlObj.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <optional>

namespace user::detail {

namespace {

bool HasEditBox(UINT flags)
{
    return (flags & BIF_EDITBOX) != 0;
}

DialogTemplate BrowserTemplate(const BROWSEINFOW& info)
{
    DialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    tmpl.caption = u"Browse For Folder";
    int y = 7;
    tmpl.controls.push_back(TemplateControl(kBrowseTitleId, u"Static", info.lpszTitle ? info.lpszTitle : u"",
                                    SS_LEFT | SS_NOPREFIX, 7, y, 212, 16));
    y += 18;
    if (info.ulFlags & BIF_STATUSTEXT) {
        tmpl.controls.push_back(TemplateControl(kBrowseStatusId, u"Static", u"", SS_LEFT | SS_NOPREFIX, 7, y, 212, 8));
        y += 10;
    }
    tmpl.controls.push_back(TemplateControl(kBrowseTreeId, WC_TREEVIEW, u"",
                                    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_BORDER
                                        | WS_TABSTOP | WS_GROUP,
                                    7, y, 212, 120));
    y += 126;
    if (HasEditBox(info.ulFlags)) {
        tmpl.controls.push_back(TemplateControl(IDC_STATIC, u"Static", u"Fol&der:", SS_LEFT, 7, y + 2, 30, 8));
        tmpl.controls.push_back(
            TemplateControl(kBrowseEditId, u"Edit", u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 40, y, 179, 14));
        y += 20;
    }
    tmpl.controls.push_back(TemplateControl(IDOK, u"Button", u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 115, y, 50, 14));
    tmpl.controls.push_back(TemplateControl(IDCANCEL, u"Button", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 169, y, 50, 14));
    tmpl.cx = 226;
    tmpl.cy = static_cast<short>(y + 14 + 7);
    return tmpl;
}

class FolderBrowser {
public:
    explicit FolderBrowser(BROWSEINFOW& info) : m_info(info) {}

    // The chosen item's path; nothing when the user cancelled.
    const std::optional<std::u16string>& Result() const { return m_result; }

    static INT_PTR Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<FolderBrowser*>(lParam)->Init(dialog);
            return FALSE; // the focus is set
        }
        auto* self = reinterpret_cast<FolderBrowser*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self)
            return FALSE;
        switch (msg) {
        case WM_NOTIFY:
            self->OnNotify(*reinterpret_cast<NMHDR*>(lParam));
            return FALSE;
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam));
        case BFFM_ENABLEOK:
            EnableWindow(GetDlgItem(dialog, IDOK), lParam != 0);
            return TRUE;
        case BFFM_SETSELECTIONW:
            self->SelectFromCaller(wParam != 0, lParam);
            return TRUE;
        case BFFM_SETSTATUSTEXTW:
            SetDlgItemTextW(dialog, kBrowseStatusId, reinterpret_cast<LPCWSTR>(lParam));
            return TRUE;
        default:
            return FALSE;
        }
    }

private:
    void Init(HWND dialog)
    {
        m_dialog = dialog;
        m_tree.emplace(GetDlgItem(dialog, kBrowseTreeId), (m_info.ulFlags & BIF_BROWSEINCLUDEFILES) != 0);
        std::u16string root;
        if (auto path = IdListPath(m_info.pidlRoot))
            root = *path;
        m_initializing = true;
        m_tree->Fill(root);
        HTREEITEM top = reinterpret_cast<HTREEITEM>(
            SendMessageW(GetDlgItem(dialog, kBrowseTreeId), TVM_GETNEXTITEM, TVGN_ROOT, 0));
        SendMessageW(GetDlgItem(dialog, kBrowseTreeId), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
        Callback(BFFM_INITIALIZED, 0);
        m_initializing = false;
        SelectionChanged();
        SetFocus(GetDlgItem(dialog, kBrowseTreeId));
    }

    int Callback(UINT message, LPARAM parameter)
    {
        return m_info.lpfn ? m_info.lpfn(m_dialog, message, parameter, m_info.lParam) : 0;
    }

    // Whether the flags let the item be returned.
    bool Returnable(const std::u16string& path) const
    {
        if (m_info.ulFlags & (BIF_BROWSEFORCOMPUTER | BIF_BROWSEFORPRINTER))
            return false; // no item here is a network computer or a printer
        if (m_info.ulFlags & (BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS))
            return !path.empty();
        return true;
    }

    void SelectionChanged()
    {
        if (m_initializing)
            return;
        std::u16string path = m_tree->PathOf(m_tree->Selected());
        EnableWindow(GetDlgItem(m_dialog, IDOK), Returnable(path));
        if (HasEditBox(m_info.ulFlags))
            SetDlgItemTextW(m_dialog, kBrowseEditId, ShellDisplayName(path).c_str());
        if (PIDLIST_ABSOLUTE list = MakeIdList(path)) {
            Callback(BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list));
            CoTaskMemFree(list);
        }
    }

    void OnNotify(const NMHDR& header)
    {
        if (header.idFrom != static_cast<UINT_PTR>(kBrowseTreeId))
            return;
        if (header.code == TVN_ITEMEXPANDINGW)
            m_tree->OnItemExpanding(reinterpret_cast<const NMTREEVIEWW&>(header));
        else if (header.code == TVN_SELCHANGEDW)
            SelectionChanged();
    }

    void SelectFromCaller(bool byPath, LPARAM what)
    {
        std::optional<std::u16string> path;
        if (byPath && what)
            path = win32::FullWindowsPath(reinterpret_cast<LPCWSTR>(what));
        else if (!byPath)
            path = IdListPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(what));
        if (path)
            m_tree->Select(*path);
    }

    INT_PTR OnCommand(int id)
    {
        if (id == IDCANCEL) {
            EndDialog(m_dialog, IDCANCEL);
            return TRUE;
        }
        if (id != IDOK)
            return FALSE;
        if (!IsWindowEnabled(GetDlgItem(m_dialog, IDOK)))
            return TRUE; // Enter while OK is grayed
        std::u16string path = m_tree->PathOf(m_tree->Selected());
        if (HasEditBox(m_info.ulFlags)) {
            WCHAR typed[MAX_PATH] = {};
            GetDlgItemTextW(m_dialog, kBrowseEditId, typed, MAX_PATH);
            if (std::u16string(typed) != ShellDisplayName(path) && !Typed(typed, path))
                return TRUE;
        }
        m_result = path;
        EndDialog(m_dialog, IDOK);
        return TRUE;
    }

    // A name typed into the edit box, taken in the selected folder unless it
    // is a full path. False when the dialog stays open.
    bool Typed(const std::u16string& text, std::u16string& path)
    {
        bool full = (text.size() >= 2 && text[1] == u':') || (!text.empty() && text[0] == u'\\');
        auto candidate = StoredPath(full ? text : JoinPath(m_tree->FolderOf(m_tree->Selected()), text));
        DWORD attributes = candidate ? GetFileAttributesW(candidate->c_str()) : INVALID_FILE_ATTRIBUTES;
        bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        bool file = attributes != INVALID_FILE_ATTRIBUTES && !folder && (m_info.ulFlags & BIF_BROWSEINCLUDEFILES);
        if (folder || file) {
            path = *candidate;
            return true;
        }
        if (!(m_info.ulFlags & BIF_VALIDATE))
            return true; // the selection stands
        if (Callback(BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(text.c_str())) != 0)
            return false;
        EndDialog(m_dialog, IDCANCEL);
        return false;
    }

    BROWSEINFOW& m_info;
    HWND m_dialog = nullptr;
    std::optional<ShellTree> m_tree;
    std::optional<std::u16string> m_result;
    bool m_initializing = false;
};

} // namespace

} // namespace user::detail

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info)
{
    using namespace user::detail;
    if (!info)
        return nullptr;
    user::DialogTemplate tmpl = BrowserTemplate(*info);
    FolderBrowser browser(*info);
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, tmpl, info->hwndOwner, &FolderBrowser::Proc,
                                             reinterpret_cast<LPARAM>(&browser));
    if (answer != IDOK || !browser.Result())
        return nullptr;
    const std::u16string& path = *browser.Result();
    if (info->pszDisplayName)
        lstrcpynW(info->pszDisplayName, ShellDisplayName(path).c_str(), MAX_PATH);
    info->iImage = 0;
    return MakeIdList(path);
}
