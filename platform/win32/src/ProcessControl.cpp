#include "win32/ProcessControl.h"

#include "ProcessObject.h"

#include "win32/Process.h"

namespace {

// The rights that any user may have on any process.
constexpr DWORD kOpenToAll = PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

HANDLE Fail(LONG error)
{
    SetLastError(static_cast<DWORD>(error));
    return nullptr;
}

} // namespace

namespace win32 {

std::shared_ptr<ProcessObject> ProcessOfHandle(HANDLE process, DWORD needed)
{
    auto object = LookupHandleAs<ProcessObject>(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if ((object->access & needed) != needed) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return object;
}

} // namespace win32

HANDLE OpenProcess(DWORD desiredAccess, BOOL, DWORD processId)
{
    auto table = win32::CurrentProcessTable();
    auto record = table->Find(processId);
    if (!record)
        return Fail(ERROR_INVALID_PARAMETER);
    if ((desiredAccess & ~kOpenToAll) != 0 && record->owner != table->CurrentUser())
        return Fail(ERROR_ACCESS_DENIED);
    auto link = table->Open(processId);
    if (!link)
        return Fail(ERROR_INVALID_PARAMETER); // ended since it was found
    auto object = std::make_shared<win32::ProcessObject>();
    object->record = std::move(*record);
    object->access = desiredAccess;
    object->link = std::move(link);
    return win32::InsertHandle(std::move(object));
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    auto object = win32::ProcessOfHandle(process, PROCESS_TERMINATE);
    if (!object)
        return FALSE;
    // The own process ends with its exit code, which a signal from the host
    // could not give it.
    if (object->record.id == GetCurrentProcessId())
        win32::RuntimeTerminate(static_cast<int>(exitCode));
    if (!object->link->Terminate(exitCode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

DWORD GetProcessId(HANDLE process)
{
    auto object = win32::ProcessOfHandle(process, 0);
    return object ? object->record.id : 0;
}
