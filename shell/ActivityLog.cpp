#include "ActivityLog.h"

#include "AppSettings.h"
#include "user/MessageBox.h"
#include "win32/Clock.h"
#include "win32/CodePage.h"
#include "win32/FileApi.h"
#include "win32/Shell.h"
#include "win32/Thread.h"
#include "win32/WideString.h"

#include <cstring>
#include <mutex>

namespace {

constexpr DWORD kLogSizeLimit = 0x500000;
constexpr int kMessageBytes = 200;
constexpr LPCWSTR kLogFileName = u"Activity Log.txt";

std::mutex g_logMutex;

HANDLE OpenLog(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void OpenInNotepad(LPCWSTR file)
{
    WCHAR notepad[MAX_PATH];
    GetWindowsDirectoryW(notepad, MAX_PATH);
    wcscat_s(notepad, MAX_PATH, u"\\Notepad.exe");
    ShellExecuteW(nullptr, u"open", notepad, file, nullptr, SW_SHOWNORMAL);
}

CString ViewedLogPath()
{
    return CString(g_szLogDir) + u"\\" + kLogFileName;
}

} // namespace

bool GetWrittenLogPath(WCHAR (&path)[MAX_PATH])
{
    ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"LogPath", path);
    if (path[0] == 0 || _waccess(path, 0) != 0)
        ReadRegString(HKEY_CLASSES_ROOT, g_szRegKey, u"FilePath", path);
    std::size_t length = wcslen(path);
    if (length == 0 || path[length - 1] != u'\\') {
        if (wcscat_s(path, MAX_PATH, u"\\") != 0)
            return false;
    }
    // A folder too long to hold the file name names no log file at all; the
    // message is refused rather than written to a cut-off path.
    return wcscat_s(path, MAX_PATH, kLogFileName) == 0;
}

int WriteActivityLog(LPCWSTR message)
{
    // A worker is never parked or unwound while it holds the log's lock.
    win32::DeferSafePoints holdingLock;
    std::lock_guard lock(g_logMutex);
    WCHAR path[MAX_PATH];
    if (!GetWrittenLogPath(path))
        return 0;
    if (_waccess(path, 0) == 0)
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = OpenLog(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (GetFileSize(file, nullptr) > kLogSizeLimit) {
        CloseHandle(file);
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path);
        file = OpenLog(path);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
    }
    char text[300] = {};
    WideToAnsiTruncated(message ? message : u"", text, kMessageBytes);

    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, "\r\n", 2, &written, nullptr);
    BOOL ok = WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
    return ok ? 1 : 0;
}

void ViewActivityLog()
{
    OpenInNotepad(ViewedLogPath());
}

void ViewWrittenActivityLog()
{
    WCHAR path[MAX_PATH];
    if (GetWrittenLogPath(path))
        OpenInNotepad(path);
}

void ClearActivityLog(HWND owner)
{
    if (MessageBoxW(owner, u"Are you sure, you want to clear the log?", g_szMsgCaption, 0x1024) == IDYES)
        DeleteFileW(ViewedLogPath());
}

void WriteLogStartBlock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    WCHAR stamp[MAX_PATH];
    StringCchPrintfW(stamp, MAX_PATH, u"%d-%d-%d %d:%d", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute);
    WriteActivityLog(u"\r\n");
    WriteActivityLog(u"-----------------------Start--------------------------");
    WriteActivityLog(u"Version 4.0");
    WriteActivityLog(stamp);
}
