#include "BackupCopy.h"

#include "CCopyProg.h"
#include "StringList.h"
#include "WizardSelections.h"
#include "ole/Com.h"
#include "user/ShlObj.h"

namespace {

// File-system folders only. The browse-for-computers flag (0x1000) that was
// once given with these would gray OK for every folder, since no folder is
// a network computer, so the user could never choose a backup folder.
constexpr UINT kBackupBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;

} // namespace

bool BrowseForBackupFolder(CString& folder)
{
    WCHAR displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.pszDisplayName = displayName;
    info.lpszTitle = u"Please select a folder below. Then Click OK.";
    info.ulFlags = kBackupBrowseFlags;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen)
        return false;
    WCHAR path[MAX_PATH] = {};
    bool hasPath = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (hasPath)
        folder = path;
    return hasPath;
}

void RunBackupCopy(CWnd& step, LPCWSTR source, LPCWSTR destination)
{
    AppendStringNode(&g_pBackupSrcList, source);
    AppendStringNode(&g_pBackupDstList, destination);
    CCopyProg copier(&step);
    copier.DoModal();
    FreeStringList(&g_pBackupSrcList);
    FreeStringList(&g_pBackupDstList);
}
