// marlwick-install: lays out a machine root for Marlwick.
//   marlwick-install --programs DIR --resources DIR [--root DIR] [--code-page 65001|1252]
// The root defaults to the machine root of the environment (MARLWICK_ROOT,
// else the user's data folder).
#include "install/MachineInstaller.h"
#include "win32/MachineRoot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    install::InstallOptions options;
    options.root = win32::MachineRoot();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--root"))
            options.root = argv[i + 1];
        else if (!std::strcmp(argv[i], "--programs"))
            options.programs = argv[i + 1];
        else if (!std::strcmp(argv[i], "--resources"))
            options.resources = argv[i + 1];
        else if (!std::strcmp(argv[i], "--code-page"))
            options.ansiCodePage = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        else {
            std::fprintf(stderr, "marlwick-install: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (options.programs.empty() || options.resources.empty()) {
        std::fprintf(stderr, "usage: marlwick-install --programs DIR --resources DIR [--root DIR] [--code-page 65001|1252]\n");
        return 2;
    }
    std::string error;
    if (!install::InstallMachine(options, &error)) {
        std::fprintf(stderr, "marlwick-install: %s\n", error.c_str());
        return 1;
    }
    std::printf("Machine laid out in %s\n", options.root.c_str());
    return 0;
}
