// marlwick-rc: the resource step of the build.
//   marlwick-rc SCRIPT OUTPUT.cpp DEPFILE [--name NAME] [--search DIR]...
// Fails, with the script's file and line, when the script does not parse or
// names a file that is not there; otherwise writes the generated source and
// the dependency file.
#include "rc/ResourceCompiler.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

bool Write(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: marlwick-rc SCRIPT OUTPUT.cpp DEPFILE [--name NAME] [--search DIR]...\n");
        return 2;
    }
    std::filesystem::path script = argv[1], output = argv[2], depfile = argv[3];
    std::string name = script.string();
    std::vector<std::filesystem::path> search;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--search")) {
            search.emplace_back(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--name")) {
            name = argv[i + 1];
        } else {
            std::fprintf(stderr, "marlwick-rc: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    rc::CompileResult result = rc::CompileResourceScript(script, name, search);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    if (!Write(output, result.source) || !Write(depfile, rc::DependencyFile(output, result.inputs))) {
        std::fprintf(stderr, "marlwick-rc: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
