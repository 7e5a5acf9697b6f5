// GetOpenFileNameW: the open-file dialog, its filters and its result.
#include "ShellTree.h"
#include "TemplateControl.h"

#include "user/CommDlg.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace user::detail {

namespace {

thread_local DWORD t_extendedError = 0;

struct Filter {
    std::u16string name;
    std::vector<std::u16string> patterns;
};

// The pairs of texts of lpstrFilter, up to the empty text that ends them.
std::vector<Filter> ParseFilters(LPCWSTR text)
{
    std::vector<Filter> filters;
    while (text && *text) {
        Filter filter;
        filter.name = text;
        text += filter.name.size() + 1;
        std::u16string patterns = text;
        text += patterns.size() + 1;
        std::size_t start = 0;
        while (start <= patterns.size()) {
            std::size_t semicolon = patterns.find(u';', start);
            std::size_t end = semicolon == std::u16string::npos ? patterns.size() : semicolon;
            std::u16string pattern = patterns.substr(start, end - start);
            if (!pattern.empty())
                filter.patterns.push_back(pattern);
            start = end + 1;
        }
        filters.push_back(std::move(filter));
        if (patterns.empty())
            break; // a name without patterns ends the list
    }
    return filters;
}

DialogTemplate OpenFileTemplate(const std::u16string& title, const std::vector<Filter>& filters)
{
    DialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    tmpl.caption = title;
    tmpl.controls.push_back(TemplateControl(IDC_STATIC, u"Static", u"Look &in:", SS_LEFT, 7, 7, 60, 8));
    tmpl.controls.push_back(TemplateControl(kOpenFileTreeId, WC_TREEVIEW, u"",
                                    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_BORDER
                                        | WS_TABSTOP | WS_GROUP,
                                    7, 18, 266, 120));
    tmpl.controls.push_back(TemplateControl(IDC_STATIC, u"Static", u"File &name:", SS_LEFT, 7, 146, 45, 8));
    tmpl.controls.push_back(
        TemplateControl(kOpenFileNameId, u"Edit", u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 55, 144, 160, 14));
    tmpl.controls.push_back(
        TemplateControl(IDOK, u"Button", u"&Open", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 223, 144, 50, 14));
    tmpl.controls.push_back(TemplateControl(IDCANCEL, u"Button", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 223, 162, 50, 14));
    tmpl.controls.push_back(TemplateControl(IDC_STATIC, u"Static", u"Files of &type:", SS_LEFT, 7, 163, 45, 8));
    int y = 162;
    for (std::size_t i = 0; i < filters.size(); ++i, y += 12) {
        DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        tmpl.controls.push_back(TemplateControl(kOpenFileFirstFilterId + static_cast<int>(i), u"Button", filters[i].name,
                                        style, 55, y, 160, 10));
    }
    tmpl.cx = 280;
    tmpl.cy = static_cast<short>(std::max(y, 176) + 7);
    return tmpl;
}

std::u16string ItemText(HWND dialog, int id)
{
    WCHAR text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

class OpenFileDialog {
public:
    OpenFileDialog(OPENFILENAMEW& ofn, std::vector<Filter> filters)
        : m_ofn(ofn)
        , m_filters(std::move(filters))
    {
    }

    std::u16string Result() const { return m_result; }
    std::size_t FilterIndex() const { return m_filter; }

    static INT_PTR Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<OpenFileDialog*>(lParam)->Init(dialog);
            return FALSE; // the focus is in the name box
        }
        auto* self = reinterpret_cast<OpenFileDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self)
            return FALSE;
        if (msg == WM_NOTIFY)
            return self->OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        if (msg == WM_COMMAND)
            return self->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    }

private:
    void Init(HWND dialog)
    {
        m_dialog = dialog;
        m_tree.emplace(GetDlgItem(dialog, kOpenFileTreeId), true);
        if (m_ofn.nFilterIndex >= 1 && m_ofn.nFilterIndex <= m_filters.size())
            m_filter = m_ofn.nFilterIndex - 1;
        if (!m_filters.empty()) {
            CheckDlgButton(dialog, kOpenFileFirstFilterId + static_cast<int>(m_filter), BST_CHECKED);
            m_tree->SetPatterns(m_filters[m_filter].patterns);
        }
        m_tree->Fill(u"");

        // The folder to open at: the initial folder, else the one of the
        // path given in the file buffer, else the current folder.
        std::u16string start, name;
        if (m_ofn.lpstrFile && m_ofn.lpstrFile[0]) {
            std::u16string given = m_ofn.lpstrFile;
            std::size_t slash = given.find_last_of(u'\\');
            name = slash == std::u16string::npos ? given : given.substr(slash + 1);
            if (slash != std::u16string::npos)
                start = given.substr(0, slash + 1);
        }
        if (m_ofn.lpstrInitialDir && m_ofn.lpstrInitialDir[0])
            start = m_ofn.lpstrInitialDir;
        if (start.empty())
            start = u".";
        if (auto full = win32::FullWindowsPath(start))
            m_tree->SelectAndOpen(*full);
        SetDlgItemTextW(dialog, kOpenFileNameId, name.c_str());
        SetFocus(GetDlgItem(dialog, kOpenFileNameId));
    }

    INT_PTR OnNotify(const NMHDR& header)
    {
        if (header.idFrom != static_cast<UINT_PTR>(kOpenFileTreeId))
            return FALSE;
        if (header.code == TVN_ITEMEXPANDINGW) {
            m_tree->OnItemExpanding(reinterpret_cast<const NMTREEVIEWW&>(header));
        } else if (header.code == TVN_SELCHANGEDW) {
            HTREEITEM item = reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem;
            if (item && !m_tree->IsFolder(item))
                SetDlgItemTextW(m_dialog, kOpenFileNameId, ShellDisplayName(m_tree->PathOf(item)).c_str());
        } else if (header.code == NM_DBLCLK) {
            HTREEITEM item = m_tree->Selected();
            if (item && !m_tree->IsFolder(item))
                Open();
        }
        return FALSE;
    }

    INT_PTR OnCommand(int id, WORD code)
    {
        if (id == IDOK) {
            Open();
        } else if (id == IDCANCEL) {
            EndDialog(m_dialog, IDCANCEL);
        } else if (id >= kOpenFileFirstFilterId && id < kOpenFileFirstFilterId + static_cast<int>(m_filters.size())
                   && code == BN_CLICKED) {
            ChooseFilter(static_cast<std::size_t>(id - kOpenFileFirstFilterId));
        } else {
            return FALSE;
        }
        return TRUE;
    }

    void ChooseFilter(std::size_t index)
    {
        if (index == m_filter)
            return;
        m_filter = index;
        std::u16string folder = m_tree->FolderOf(m_tree->Selected());
        m_tree->SetPatterns(m_filters[index].patterns);
        m_tree->Fill(u"");
        m_tree->SelectAndOpen(folder);
    }

    // The folder that names typed without a full path are taken in.
    std::u16string CurrentFolder() const
    {
        std::u16string folder = m_tree->FolderOf(m_tree->Selected());
        if (!folder.empty())
            return folder;
        WCHAR current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        return current;
    }

    void Open()
    {
        std::u16string text = ItemText(m_dialog, kOpenFileNameId);
        if (text.empty()) {
            // Open with no name opens the selected folder.
            HTREEITEM item = m_tree->Selected();
            if (item && m_tree->IsFolder(item))
                SendMessageW(GetDlgItem(m_dialog, kOpenFileTreeId), TVM_EXPAND, TVE_EXPAND,
                             reinterpret_cast<LPARAM>(item));
            return;
        }
        bool full = (text.size() >= 2 && text[1] == u':') || text[0] == u'\\';
        auto path = win32::FullWindowsPath(full ? text : JoinPath(CurrentFolder(), text));
        if (!path) {
            Warn(text + u"\nThe file name is not valid.");
            return;
        }
        DWORD attributes = GetFileAttributesW(path->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // The name goes first: whoever sees the folder selected sees the name taken.
            SetDlgItemTextW(m_dialog, kOpenFileNameId, u"");
            m_tree->SelectAndOpen(*path);
            return;
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            std::size_t slash = path->find_last_of(u'\\');
            std::u16string folder = path->substr(0, slash + 1);
            bool folderExists = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (!folderExists && (m_ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST))) {
                Warn(text + u"\nPath does not exist.\nCheck the path and try again.");
                return;
            }
            if (m_ofn.Flags & OFN_FILEMUSTEXIST) {
                Warn(text + u"\nFile not found.\nCheck the file name and try again.");
                return;
            }
        }
        m_result = *path;
        EndDialog(m_dialog, IDOK);
    }

    void Warn(const std::u16string& text)
    {
        WCHAR caption[256] = {};
        GetWindowTextW(m_dialog, caption, 256);
        MessageBoxW(m_dialog, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
    }

    OPENFILENAMEW& m_ofn;
    std::vector<Filter> m_filters;
    std::size_t m_filter = 0;
    HWND m_dialog = nullptr;
    std::optional<ShellTree> m_tree;
    std::u16string m_result;
};

// Writes the result into the caller's buffers; false when it does not fit.
bool StoreResult(OPENFILENAMEW& ofn, const std::u16string& path)
{
    if (!ofn.lpstrFile || ofn.nMaxFile < path.size() + 1) {
        if (ofn.lpstrFile && ofn.nMaxFile >= 1)
            ofn.lpstrFile[0] = static_cast<WCHAR>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
        t_extendedError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn.lpstrFile, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    std::size_t slash = path.find_last_of(u'\\');
    std::size_t nameAt = slash == std::u16string::npos ? 0 : slash + 1;
    std::size_t dot = path.find_last_of(u'.');
    ofn.nFileOffset = static_cast<WORD>(nameAt);
    ofn.nFileExtension = static_cast<WORD>(dot == std::u16string::npos || dot < nameAt ? path.size() : dot + 1);
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle > 0)
        lstrcpynW(ofn.lpstrFileTitle, path.c_str() + nameAt, static_cast<int>(ofn.nMaxFileTitle));
    return true;
}

} // namespace

} // namespace user::detail

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn)
{
    using namespace user::detail;
    t_extendedError = 0;
    if (!ofn || ofn->lStructSize < sizeof(OPENFILENAMEW) - sizeof(void*) - 2 * sizeof(DWORD)) {
        t_extendedError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->Flags & OFN_ENABLEHOOK) {
        t_extendedError = CDERR_NOHOOK;
        return FALSE;
    }
    if (ofn->Flags & OFN_ENABLETEMPLATE) {
        t_extendedError = CDERR_NOTEMPLATE;
        return FALSE;
    }
    auto filters = ParseFilters(ofn->lpstrFilter);
    std::u16string title = ofn->lpstrTitle ? ofn->lpstrTitle : u"Open";
    user::DialogTemplate tmpl = OpenFileTemplate(title, filters);
    OpenFileDialog dialog(*ofn, filters);
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, tmpl, ofn->hwndOwner, &OpenFileDialog::Proc,
                                             reinterpret_cast<LPARAM>(&dialog));
    if (answer != IDOK)
        return FALSE;
    ofn->nFilterIndex = static_cast<DWORD>(dialog.FilterIndex() + 1);
    return StoreResult(*ofn, dialog.Result()) ? TRUE : FALSE;
}

DWORD CommDlgExtendedError()
{
    return user::detail::t_extendedError;
}
