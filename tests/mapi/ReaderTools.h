// Running the independent PST readers of Debian (readpst of pst-utils,
// pffexport and pffinfo of pff-tools) from tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

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

std::string ReadFile(const std::filesystem::path& path);
// The regular files under `dir` whose bytes contain `needle`.
std::vector<std::filesystem::path> FilesContaining(const std::filesystem::path& dir, const std::string& needle);

// The values of pffexport's ItemValues.txt (written with -d): one map per
// set (a set is a row of a table, or the item itself), from the property id
// (for a named property the id it maps to) to the value's bytes.
using ItemValues = std::map<std::uint16_t, std::string>;
std::vector<ItemValues> ParseItemValues(const std::string& text);
// A UTF-16LE value as UTF-8 (ASCII is enough for the tests).
std::string Utf16Value(const std::string& bytes);

} // namespace mapitest
