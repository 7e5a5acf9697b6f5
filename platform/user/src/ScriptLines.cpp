// Reading the lines of a script into commands and their arguments.
#include "ScriptLines.h"

namespace user::detail {

namespace {

bool ReadQuoted(const std::string& line, std::size_t& at, std::string& out, std::string& error)
{
    ++at; // the opening quote
    while (at < line.size()) {
        char c = line[at++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (at >= line.size())
                break;
            char escaped = line[at++];
            out += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped == 't' ? '\t' : escaped;
        } else {
            out += c;
        }
    }
    error = "unterminated text";
    return false;
}

} // namespace

bool ParseScriptLine(const std::string& raw, int number, ScriptCommand& command, std::string& error)
{
    std::string line = raw;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    command = {};
    command.line = number;
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
    };
    skipBlanks();
    if (at >= line.size() || line[at] == '#')
        return true; // nothing to do on this line
    while (at < line.size()) {
        std::string word;
        if (line[at] == '"') {
            if (!ReadQuoted(line, at, word, error))
                return false;
            command.arguments.push_back(word);
        } else {
            while (at < line.size() && line[at] != ' ' && line[at] != '\t')
                word += line[at++];
            if (command.name.empty())
                command.name = word;
            else
                command.arguments.push_back(word);
        }
        skipBlanks();
    }
    if (command.name.empty()) {
        error = "a line must start with a command";
        return false;
    }
    return true;
}

} // namespace user::detail
