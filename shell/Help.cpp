#include "Help.h"

#include "AppSettings.h"
#include "win32/Environment.h"
#include "win32/FileApi.h"
#include "win32/Shell.h"
#include "win32/WideString.h"

namespace {

constexpr DWORD kPathBufferChars = 2048;

INT_PTR Open(LPCWSTR file, LPCWSTR parameters)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", file, parameters, nullptr, SW_SHOWNORMAL));
}

// Adds the install folder to the search path, between semicolons, every
// time. A search path that does not fit the buffer, or would not once
// joined, is left as it is rather than cut or overrun.
void AppendToSearchPath(LPCWSTR folder)
{
    WCHAR path[kPathBufferChars];
    DWORD length = GetEnvironmentVariableW(u"PATH", path, kPathBufferChars);
    if (length == 0 || length >= kPathBufferChars)
        return;
    if (wcscat_s(path, kPathBufferChars, u";") != 0 || wcscat_s(path, kPathBufferChars, folder) != 0
        || wcscat_s(path, kPathBufferChars, u";") != 0)
        return;
    SetEnvironmentVariableW(u"PATH", path);
}

} // namespace

INT_PTR OpenHelpFile()
{
    WCHAR installDir[MAX_PATH];
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", installDir);
    AppendToSearchPath(installDir);

    INT_PTR result = Open(kHelpFileName, nullptr);
    if (result > 32)
        return result;

    CString helpPath = CString(installDir) + u"\\" + kHelpFileName;
    result = Open(helpPath, nullptr);
    if (result > 32)
        return result;

    WCHAR viewer[255];
    GetWindowsDirectoryW(viewer, 255);
    wcscat_s(viewer, 255, u"\\hh.exe");
    return Open(viewer, helpPath);
}
