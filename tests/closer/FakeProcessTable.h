// A process table that the test writes: the Win32 process functions then run
// over it, and every termination is recorded instead of reaching the host.
#pragma once

#include "win32/ProcessTable.h"

#include <utility>
#include <vector>

class FakeProcessTable : public win32::ProcessTable {
public:
    static constexpr std::uint32_t kUser = 1000;
    static constexpr std::uint32_t kOtherUser = 1001;

    // Ids are given in ascending order as the table is filled.
    void Add(DWORD id, std::string name, std::string imagePath = {}, std::uint32_t owner = kUser)
    {
        win32::ProcessRecord record;
        record.id = id;
        record.parentId = 1;
        record.name = std::move(name);
        record.imagePath = imagePath.empty() ? "C:\\Apps\\" + record.name : std::move(imagePath);
        record.owner = owner;
        m_processes.push_back(std::move(record));
    }

    // A process without an executable, as kernel threads are.
    void AddKernelThread(DWORD id, std::string name)
    {
        Add(id, std::move(name));
        m_processes.back().imagePath.clear();
    }

    std::vector<win32::ProcessRecord> List() override { return m_processes; }
    std::uint32_t CurrentUser() override { return kUser; }

    std::unique_ptr<win32::ProcessLink> Open(DWORD id) override
    {
        for (auto& p : m_processes) {
            if (p.id == id)
                return std::make_unique<Link>(*this, id);
        }
        return nullptr;
    }

    // (process id, exit code) of every termination, in order.
    std::vector<std::pair<DWORD, UINT>> terminated;
    bool refuseTermination = false;

private:
    class Link : public win32::ProcessLink {
    public:
        Link(FakeProcessTable& table, DWORD id)
            : m_table(table)
            , m_id(id)
        {
        }
        bool Terminate(UINT exitCode) override
        {
            if (m_table.refuseTermination)
                return false;
            m_table.terminated.emplace_back(m_id, exitCode);
            std::erase_if(m_table.m_processes, [&](const auto& p) { return p.id == m_id; });
            return true;
        }

    private:
        FakeProcessTable& m_table;
        DWORD m_id;
    };

    std::vector<win32::ProcessRecord> m_processes;
};
