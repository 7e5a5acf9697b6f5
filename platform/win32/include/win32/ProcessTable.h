// The running processes of the machine, as the process functions of this
// layer (ToolHelp snapshots, PSAPI, OpenProcess, TerminateProcess) see them.
// By default they come from the host's /proc; a test may put a table of its
// own in place, so that the Win32 functions above it run unchanged over a
// list it controls.
#pragma once

#include "win32/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

struct ProcessRecord {
    DWORD id = 0;
    DWORD parentId = 0;
    DWORD threads = 1;
    // Base name of the executable in UTF-8, as the host names it; the kernel's
    // process name when the executable cannot be read.
    std::string name;
    // Full path of the executable in UTF-8: its Windows path when it lies in
    // the machine root, else the host path. Empty when it cannot be read.
    std::string imagePath;
    // The user that owns the process (its real uid).
    std::uint32_t owner = 0;
};

// A live process held open: it stays the same process even when its id is
// taken again by another one after it ends.
class ProcessLink {
public:
    virtual ~ProcessLink() = default;
    // Ends the process without its consent. False when it could not be ended.
    virtual bool Terminate(UINT exitCode) = 0;
};

class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // The live processes in ascending id. Processes that have ended but wait
    // to be reaped are not live.
    virtual std::vector<ProcessRecord> List() = 0;
    virtual std::optional<ProcessRecord> Find(DWORD id);
    // The user this program runs as: the owner of processes it may end.
    virtual std::uint32_t CurrentUser() = 0;
    // Null when no live process has the id.
    virtual std::unique_ptr<ProcessLink> Open(DWORD id) = 0;
};

// The table the process functions use: the test's, else the host's.
std::shared_ptr<ProcessTable> CurrentProcessTable();
// Null puts the host's table back.
void SetProcessTable(std::shared_ptr<ProcessTable> table);

// The host's table over /proc.
std::shared_ptr<ProcessTable> MakeHostProcessTable();

} // namespace win32
