#include "ReaderTools.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace mapitest {

ToolRun RunTool(const std::string& command)
{
    ToolRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool Installed(const char* tool) { return RunTool(std::string("command -v ") + tool).status == 0; }

std::string Quoted(const std::filesystem::path& path)
{
    std::string out = "'";
    for (char c : path.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ToolRun RunReadpst(const std::filesystem::path& pst, const std::filesystem::path& outDir, const std::string& options)
{
    std::filesystem::create_directories(outDir);
    return RunTool("readpst -j 0 " + options + " -o " + Quoted(outDir) + " " + Quoted(pst));
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::filesystem::path> FilesContaining(const std::filesystem::path& dir, const std::string& needle)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec))
        if (entry.is_regular_file() && ReadFile(entry.path()).find(needle) != std::string::npos)
            found.push_back(entry.path());
    return found;
}

std::vector<ItemValues> ParseItemValues(const std::string& text)
{
    std::vector<ItemValues> sets;
    std::istringstream in(text);
    std::string line;
    std::uint16_t id = 0;
    bool inValue = false;
    auto starts = [&](const char* name) { return line.rfind(name, 0) == 0; };
    auto hexField = [&] { return static_cast<std::uint16_t>(std::stoul(line.substr(line.find("0x")), nullptr, 16)); };
    while (std::getline(in, line)) {
        if (starts("Set:")) {
            const std::size_t index = std::stoul(line.substr(4));
            if (sets.size() <= index)
                sets.resize(index + 1);
            inValue = false;
        } else if (starts("Entry type:")) {
            id = hexField();
            inValue = false;
        } else if (starts("Maps to entry type:")) {
            id = hexField();
        } else if (starts("Value:") && !sets.empty()) {
            inValue = true;
            sets.back()[id];
        } else if (inValue && starts("0x")) {
            // "0x00000000: 49 00 50 00 ...   I.P.M...": up to 16 bytes, then text.
            std::istringstream bytes(line.substr(line.find(':') + 1, 50));
            std::string hex;
            while (bytes >> hex && hex.size() == 2)
                sets.back()[id] += static_cast<char>(std::stoul(hex, nullptr, 16));
        } else if (line.empty()) {
            inValue = false;
        }
    }
    return sets;
}

std::string Utf16Value(const std::string& bytes)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += bytes[i + 1] == 0 ? bytes[i] : '?';
    return out;
}

} // namespace mapitest
