#include "win32/HandleTable.h"

#include <mutex>
#include <unordered_map>

namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<win32::KernelObject>> objects;
    std::uintptr_t next = 4;
};

Table& TheTable()
{
    static Table* table = new Table; // lives past the exit handlers
    return *table;
}

} // namespace

namespace win32 {

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    std::uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> doomed;
    Table& t = TheTable();
    {
        std::lock_guard lock(t.mutex);
        auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == t.objects.end())
            return false;
        doomed = std::move(it->second);
        t.objects.erase(it);
    }
    return true; // the object dies here, outside the table's lock
}

} // namespace win32

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}
