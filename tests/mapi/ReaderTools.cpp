#include "ReaderTools.h"

#include <cstdio>
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

} // namespace mapitest
