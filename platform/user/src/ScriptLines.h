// The lines of a script: a command word and its arguments.
#pragma once

#include <string>
#include <vector>

namespace user::detail {

struct ScriptCommand {
    int line = 0;
    std::string name; // empty for a blank or comment line
    std::vector<std::string> arguments;
};

// False with a message for a line that cannot be read.
bool ParseScriptLine(const std::string& line, int number, ScriptCommand& command, std::string& error);

} // namespace user::detail
