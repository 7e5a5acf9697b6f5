// The build's resource step: checks a program's resource script and turns it,
// with every file it names, into a C++ source file that registers them as
// the program's resources when it starts (user/EmbeddedResources.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rc {

struct CompileResult {
    bool ok = false;
    std::string source;                              // the generated C++ source
    std::vector<std::filesystem::path> inputs;       // the script and every file it read
    std::string error;                               // "script:line: error: reason"
};

// Files the script names are looked for in the script's folder, then in
// each of searchDirs in turn. displayName is how messages and the generated
// source name the script.
CompileResult CompileResourceScript(const std::filesystem::path& script, const std::string& displayName,
                                    const std::vector<std::filesystem::path>& searchDirs);

// A make-style dependency file: output depends on every input.
std::string DependencyFile(const std::filesystem::path& output, const std::vector<std::filesystem::path>& inputs);

} // namespace rc
