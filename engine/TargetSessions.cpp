// Making the target reachable before any item is written: Outlook for an
// existing PST, the RDO session and Brenmoor for every run, each component
// registered on demand from the install folder.
#include "CProDlg.h"

#include "ActivityLog.h"
#include "AppSettings.h"
#include "BrenmoorDispatch.h"
#include "OutlookDispatch.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "ole/Com.h"
#include "user/MessageBox.h"
#include "win32/FileApi.h"
#include "win32/Spawn.h"
#include "win32/WideString.h"

namespace {

constexpr LPCWSTR kOutlookProgId = u"Outlook.Application";
constexpr LPCWSTR kRdoProgId = u"TolvaneRedmp.RDOSessionTol";
constexpr LPCWSTR kBrenmoorProgId = u"brenmoor.Class1";

constexpr LPCWSTR kOutlookMissing = u"Microsoft Outlook not found installed or corrupted. Please install Microsoft "
                                    u"Outlook & re-run conversion Application";
constexpr LPCWSTR kRdoMissing = u"Redemption.dll is not properly configured. Please Re-Install the software.";
constexpr LPCWSTR kBrenmoorMissing = u"Brenmoor.dll is not properly configured. Please Re-Install the software.";
constexpr LPCWSTR kOutlookNotInstalled = u"Microsoft Outlook is not Installed Properly";
constexpr LPCWSTR kOutlookNotConfigured = u"Outlook is not properly configured. Please Re-Install the software.";
constexpr LPCWSTR kAnsiPst = u"This PST file is in the old ANSI format and cannot be updated. Please choose another "
                             u"PST file or a new one.";

// What Outlook reports for a PST in the old ANSI format (MAPI_E_VERSION).
constexpr SCODE kStoreVersionError = static_cast<SCODE>(0x80040110);

constexpr UINT kErrorFlags = 0x1010;  // system-modal, stop icon, OK
constexpr UINT kNoticeFlags = 0x1040; // system-modal, information icon, OK

// Registers a component file of the install folder with the system's
// regsvr32, silently, and waits for it. A missing file runs nothing.
void RegisterComponentFile(LPCWSTR fileName)
{
    WCHAR regsvr32[MAX_PATH];
    GetSystemDirectoryW(regsvr32, MAX_PATH);
    std::size_t length = wcslen(regsvr32);
    if (length == 0 || regsvr32[length - 1] != u'\\')
        wcscat_s(regsvr32, MAX_PATH, u"\\");
    wcscat_s(regsvr32, MAX_PATH, u"regsvr32.exe");

    WCHAR library[MAX_PATH];
    if (wcscpy_s(library, MAX_PATH, g_szInstallDir) != 0 || wcscat_s(library, MAX_PATH, fileName) != 0)
        return;
    if (_waccess(library, 0) != 0)
        return;
    // The short form keeps blanks out of the command line, which the
    // runtime joins without quotes.
    WCHAR shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameW(library, shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH)
        return;
    CString argument = CString(u"/s ") + shortPath;
    _wspawnl(_P_WAIT, regsvr32, regsvr32, argument.GetString(), u"", nullptr);
}

// The fixed messages of the target's failures say little; the log keeps
// what actually failed, as the failing component described it.
void LogTargetFailure(const std::u16string& description)
{
    CString line = CString(u"Target PST not opened : ") + description.c_str();
    WriteActivityLog(line);
}

// A BSTR made for a call by reference and freed after it; a failed
// allocation raises the out-of-memory error to the caller.
class CallString {
public:
    explicit CallString(LPCWSTR text)
        : m_text(SysAllocString(text))
    {
        if (!m_text)
            AfxThrowOleException(E_OUTOFMEMORY);
    }
    ~CallString() { SysFreeString(m_text); }
    CallString(const CallString&) = delete;
    CallString& operator=(const CallString&) = delete;
    BSTR* Ref() { return &m_text; }

private:
    BSTR m_text;
};

} // namespace

BOOL CProDlg::CheckOutlookInstalled()
{
    CoInitialize(nullptr);
    COleDispatchDriver outlook;
    if (!outlook.CreateDispatch(kOutlookProgId)) {
        MessageBox(kOutlookMissing, g_szMsgCaption, kErrorFlags);
        RaiseStopFlags();
        return FALSE;
    }
    OutlookApplication_Quit(outlook);
    outlook.ReleaseDispatch();
    CoUninitialize();
    return TRUE;
}

BOOL CProDlg::PrepareTargetComponents()
{
    WCHAR pstPath[MAX_PATH];
    lstrcpynW(pstPath, g_szPstPath, MAX_PATH);
    const WCHAR* lastSlash = wcsrchr(pstPath, u'\\');
    g_strPstDir = lastSlash ? CString(pstPath, static_cast<int>(lastSlash - pstPath)) : CString();
    InitRdoAndBrenmoor(pstPath);
    return !StopCheck();
}

void CProDlg::OpenOutlookStore(CString pstPath)
{
    CoInitialize(nullptr);
    if (!m_dispOutlookApp.CreateDispatch(kOutlookProgId)) {
        ::MessageBoxW(GetSafeHwnd(), kOutlookMissing, g_szMsgCaption, 0);
        RaiseStopFlags();
        return;
    }
    // A failed logon, or a failure of the calls after it, would leave the
    // run without a target name and report success: it ends the run as
    // aborted, reported as Outlook's failure.
    try {
        m_dispNamespace.AttachDispatch(OutlookApplication_GetNamespace(m_dispOutlookApp, u"MAPI"));
        OutlookNameSpace_Logon(m_dispNamespace);
        OutlookNameSpace_AddStore(m_dispNamespace, pstPath);
        m_dispFolders.AttachDispatch(OutlookNameSpace_GetFolders(m_dispNamespace));
        m_dispStoreRoot.AttachDispatch(OutlookFolders_GetLast(m_dispFolders));
        m_strTargetFolder = OutlookFolder_GetName(m_dispStoreRoot);
    } catch (const COleDispatchException& error) {
        LogTargetFailure(error.m_strDescription);
        // A PST that cannot be updated is no fault of Outlook: the user is
        // told so, and nothing has been written into the file.
        LPCWSTR text = error.m_scError == kStoreVersionError ? kAnsiPst : kOutlookMissing;
        ::MessageBoxW(GetSafeHwnd(), text, g_szMsgCaption, 0);
        RaiseStopFlags();
    } catch (...) {
        ::MessageBoxW(GetSafeHwnd(), kOutlookMissing, g_szMsgCaption, 0);
        RaiseStopFlags();
    }
}

int CProDlg::InitRdoAndBrenmoor(CString pstPath)
{
    CoInitialize(nullptr);
    try {
        COleDispatchDriver probe;
        if (!probe.CreateDispatch(kRdoProgId)) {
            RegisterComponentFile(u"\\TolvaneRedmp.dll");
            if (!probe.CreateDispatch(kRdoProgId)) {
                MessageBox(kRdoMissing, g_szMsgCaption, kErrorFlags);
                RaiseStopFlags();
            }
        }
    } catch (...) {
    }

    if (!m_dispBrenmoor.CreateDispatch(kBrenmoorProgId)) {
        try {
            RegisterComponentFile(u"\\Brenmoor.dll");
            if (!m_dispBrenmoor.CreateDispatch(kBrenmoorProgId)) {
                MessageBox(kBrenmoorMissing, g_szMsgCaption, kErrorFlags);
                RaiseStopFlags();
            }
        } catch (...) {
            MessageBox(kOutlookNotInstalled, g_szMsgCaption, kNoticeFlags);
            RaiseStopFlags();
            return 0;
        }
    }

    try {
        Brenmoor_Call6003002A(m_dispBrenmoor);
    } catch (...) {
        MessageBox(kOutlookNotInstalled, g_szMsgCaption, kNoticeFlags);
        m_dispBrenmoor.ReleaseDispatch();
        RaiseStopFlags();
        return 0;
    }

    CString targetFolder = m_strTargetFolder;
    CallString pst(pstPath);
    CallString folder(targetFolder);
    try {
        Brenmoor_Call6003002B(m_dispBrenmoor, pst.Ref(), folder.Ref());
    } catch (const COleDispatchException& error) {
        LogTargetFailure(error.m_strDescription);
        MessageBox(kOutlookNotConfigured, g_szMsgCaption, kErrorFlags);
        RaiseStopFlags();
    } catch (...) {
        MessageBox(kOutlookNotConfigured, g_szMsgCaption, kErrorFlags);
        RaiseStopFlags();
    }
    return 0;
}
