// Running the independent PST readers of Debian (readpst of pst-utils,
// pffexport and pffinfo of pff-tools) from tests.
#pragma once

#include <filesystem>
#include <string>

namespace mapitest {

struct ToolRun {
    int status = -1; // exit code, -1 when the tool did not exit normally
    std::string output; // stdout and stderr together
};

ToolRun RunTool(const std::string& command);
bool Installed(const char* tool);
std::string Quoted(const std::filesystem::path& path);

// readpst into `outDir` (created), one process: readpst's parallel jobs skip
// a folder now and then on a loaded machine (one run in a few hundred of 32
// at once left out a whole folder, "11 items done, 1 items skipped"), while
// nearly a thousand runs with -j 0 under the same load all read every
// folder. The tests compare its output, so they need the deterministic mode.
ToolRun RunReadpst(const std::filesystem::path& pst, const std::filesystem::path& outDir,
                   const std::string& options = {});

} // namespace mapitest
