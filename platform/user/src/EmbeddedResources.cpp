#include "user/EmbeddedResources.h"

#include "win32/Module.h"

#include <cstdio>
#include <cstdlib>

namespace user {

bool RegisterEmbeddedScript(HINSTANCE module, const EmbeddedScript& script, ScriptError* error)
{
    auto reader = [&script](const std::string& name) -> std::optional<std::vector<BYTE>> {
        for (const EmbeddedFile& file : script.files) {
            if (name == file.name)
                return std::vector<BYTE>(file.bytes, file.bytes + file.size);
        }
        return std::nullopt;
    };
    ResourceSet set;
    if (!ParseResourceScript(std::string(script.text), reader, set, error))
        return false;
    RegisterResources(module, set);
    return true;
}

bool RegisterProgramResources(const EmbeddedScript& script)
{
    ScriptError error;
    if (RegisterEmbeddedScript(GetModuleHandleW(nullptr), script, &error))
        return true;
    std::fprintf(stderr, "%s:%d: error: %s (built-in resources)\n", script.path, error.line, error.message.c_str());
    std::abort();
}

} // namespace user
