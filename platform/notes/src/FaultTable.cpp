#include "notes/FaultTable.h"

#include "win32/Thread.h"

#include <atomic>
#include <map>
#include <mutex>

namespace notes {

namespace {

struct Fault {
    LNSTATUS status = LNNOERROR;
    int skip = 0;
    int count = -1;
};

struct Table {
    std::mutex mutex;
    std::map<std::string, Fault, std::less<>> faults;
    std::map<std::string, int, std::less<>> calls;
};

Table& TheTable()
{
    static Table table;
    return table;
}

// Counting and faults cost a lock per call; without any test having touched
// the table the calls skip it, so that a walk of a large database pays
// nothing.
std::atomic<bool> g_active{false};

} // namespace

void SetFault(std::string_view call, LNSTATUS status, int skip, int count)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    table.faults[std::string(call)] = Fault{status, skip, count};
    g_active = true;
}

void ClearFault(std::string_view call)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    if (auto it = table.faults.find(call); it != table.faults.end())
        table.faults.erase(it);
}

void ClearFaults()
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    table.faults.clear();
    table.calls.clear();
    g_active = true;
}

int CallCount(std::string_view call)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    auto it = table.calls.find(call);
    return it == table.calls.end() ? 0 : it->second;
}

LNSTATUS CheckFault(const char* call)
{
    win32::ThreadSafePoint();
    if (!g_active.load(std::memory_order_relaxed))
        return LNNOERROR;
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    ++table.calls[call];
    auto it = table.faults.find(std::string_view(call));
    if (it == table.faults.end())
        return LNNOERROR;
    Fault& fault = it->second;
    if (fault.skip > 0) {
        --fault.skip;
        return LNNOERROR;
    }
    if (fault.count == 0)
        return LNNOERROR;
    if (fault.count > 0)
        --fault.count;
    return fault.status;
}

} // namespace notes
