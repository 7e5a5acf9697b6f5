#include "win32/ProcessTable.h"

#include <mutex>

namespace {

std::mutex g_tableMutex;
std::shared_ptr<win32::ProcessTable> g_testTable;

} // namespace

namespace win32 {

std::optional<ProcessRecord> ProcessTable::Find(DWORD id)
{
    for (auto& record : List()) {
        if (record.id == id)
            return record;
    }
    return std::nullopt;
}

std::shared_ptr<ProcessTable> CurrentProcessTable()
{
    {
        std::lock_guard lock(g_tableMutex);
        if (g_testTable)
            return g_testTable;
    }
    static const std::shared_ptr<ProcessTable> host = MakeHostProcessTable();
    return host;
}

void SetProcessTable(std::shared_ptr<ProcessTable> table)
{
    std::lock_guard lock(g_tableMutex);
    g_testTable = std::move(table);
}

} // namespace win32
