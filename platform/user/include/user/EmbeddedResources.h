// Resources built into a program: the text of its resource script and the
// bytes of every file the script names, as the build's resource step writes
// them into a generated source file. The program registers them under its
// own module handle while its static objects are constructed, so they are
// there before the program entry runs.
#pragma once

#include "user/Resources.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace user {

struct EmbeddedFile {
    const char* name; // as the script names it
    const unsigned char* bytes;
    std::size_t size;
};

struct EmbeddedScript {
    const char* path; // the script's source file, for messages
    std::string_view text;
    std::span<const EmbeddedFile> files;
};

// Parses the script, reading named files from the embedded ones only, and
// registers the result under module. False with the line and reason when
// the script does not parse.
bool RegisterEmbeddedScript(HINSTANCE module, const EmbeddedScript& script, ScriptError* error);

// What the generated source calls: registers under the program's module
// handle (GetModuleHandleW(nullptr)). The build has parsed the same script,
// so a failure here means a damaged build: it is reported and the program
// ends.
bool RegisterProgramResources(const EmbeddedScript& script);

} // namespace user
