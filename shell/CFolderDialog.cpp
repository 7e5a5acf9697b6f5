#include "CFolderDialog.h"

#include "ole/Com.h"
#include "user/MessageBox.h"
#include "win32/WideString.h"

#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CFolderDialog, CCommonDialog)

namespace {

constexpr std::size_t kDisplayNameBytes = 520;

} // namespace

CFolderDialog::CFolderDialog(LPCWSTR lpszTitle, LPCWSTR lpszInitialFolder, CWnd* pParentWnd, UINT uFlags)
    : CCommonDialog(pParentWnd)
{
    m_bi.hwndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    // A failed allocation leaves the pointer null: the browser runs without it.
    m_bi.pszDisplayName = static_cast<LPWSTR>(::operator new(kDisplayNameBytes, std::nothrow));
    if (m_bi.pszDisplayName)
        std::memset(m_bi.pszDisplayName, 0, kDisplayNameBytes);
    m_bi.lpszTitle = lpszTitle;
    m_bi.ulFlags = uFlags;
    m_bi.lpfn = &CFolderDialog::BrowseCallbackProc;
    m_bi.lParam = reinterpret_cast<LPARAM>(this);
    if (lpszInitialFolder)
        lstrcpynW(m_szSelPath, lpszInitialFolder, MAX_PATH);
}

CFolderDialog::~CFolderDialog()
{
    if (m_bi.pidlRoot)
        ::CoTaskMemFree(const_cast<ITEMIDLIST*>(m_bi.pidlRoot));
    ::operator delete(m_bi.pszDisplayName);
    m_bi = {};
}

INT_PTR CFolderDialog::DoModal()
{
    m_bi.hwndOwner = PreModal();
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&m_bi);
    INT_PTR result = IDCANCEL;
    if (pidl) {
        result = ::SHGetPathFromIDListW(pidl, m_szFolderPath) ? IDOK : -1;
        ::CoTaskMemFree(pidl);
    }
    PostModal();
    return result;
}

int CFolderDialog::BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM pData)
{
    auto* dialog = reinterpret_cast<CFolderDialog*>(pData);
    dialog->m_hBrowser = hWnd;
    int result = 0;
    switch (uMsg) {
    case BFFM_INITIALIZED:
        dialog->OnInitialized();
        break;
    case BFFM_SELCHANGED:
        dialog->OnSelChanged(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        break;
    case BFFM_VALIDATEFAILEDW:
        result = dialog->OnValidateFailed(reinterpret_cast<LPCWSTR>(lParam));
        break;
    case BFFM_IUNKNOWN:
        dialog->OnIUnknown(reinterpret_cast<void*>(lParam));
        break;
    default:
        break;
    }
    dialog->m_hBrowser = nullptr;
    return result;
}

void CFolderDialog::OnInitialized()
{
    if (m_szSelPath[0])
        ::SendMessageW(m_hBrowser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(m_szSelPath));
}

void CFolderDialog::OnSelChanged(PCIDLIST_ABSOLUTE pidl)
{
    if (!(m_bi.ulFlags & BIF_STATUSTEXT))
        return;
    WCHAR path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(pidl, path))
        ::SendMessageW(m_hBrowser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
}

int CFolderDialog::OnValidateFailed(LPCWSTR)
{
    ::MessageBeep(MB_ICONHAND);
    return 1;
}

void CFolderDialog::OnIUnknown(void*)
{
}
