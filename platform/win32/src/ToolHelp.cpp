#include "win32/ToolHelp.h"

#include "win32/CodePage.h"
#include "win32/HandleTable.h"
#include "win32/ProcessTable.h"
#include "win32/WideString.h"

#include <cstring>
#include <vector>

namespace {

constexpr LONG kNormalPriority = 8;

class SnapshotObject : public win32::KernelObject {
public:
    std::vector<win32::ProcessRecord> processes;
    std::size_t next = 0;
};

BOOL Fail(LONG error)
{
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

void Fill(const win32::ProcessRecord& record, PROCESSENTRY32* entry)
{
    entry->cntUsage = 0;
    entry->th32ProcessID = record.id;
    entry->th32DefaultHeapID = 0;
    entry->th32ModuleID = 0;
    entry->cntThreads = record.threads;
    entry->th32ParentProcessID = record.parentId;
    entry->pcPriClassBase = kNormalPriority;
    entry->dwFlags = 0;
    // WideToAnsiTruncated keeps room for the terminator within the array.
    WideToAnsiTruncated(Utf8ToUtf16(record.name).c_str(), entry->szExeFile, MAX_PATH - 1);
}

BOOL ReadEntry(HANDLE snapshot, PROCESSENTRY32* entry, bool first)
{
    auto object = win32::LookupHandleAs<SnapshotObject>(snapshot);
    if (!object || !entry)
        return Fail(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    if (entry->dwSize < sizeof(PROCESSENTRY32))
        return Fail(ERROR_BAD_LENGTH);
    if (first)
        object->next = 0;
    if (object->next >= object->processes.size())
        return Fail(ERROR_NO_MORE_FILES);
    Fill(object->processes[object->next++], entry);
    return TRUE;
}

} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD)
{
    auto snapshot = std::make_shared<SnapshotObject>();
    if (flags & TH32CS_SNAPPROCESS)
        snapshot->processes = win32::CurrentProcessTable()->List();
    return win32::InsertHandle(std::move(snapshot));
}

BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry)
{
    return ReadEntry(snapshot, entry, true);
}

BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry)
{
    return ReadEntry(snapshot, entry, false);
}
