// Notepad.exe of the machine: takes the rest of its command line as one file
// name, as Notepad does, and shows that file with the host's viewer.
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/Shell.h"
#include "win32/WideString.h"

#include <cstdio>

namespace {

// The command line after the program's own name, without surrounding quotes.
std::u16string FileArgument(std::u16string_view line)
{
    std::size_t end = 0;
    if (!line.empty() && line[0] == u'"') {
        end = line.find(u'"', 1);
        end = end == std::u16string_view::npos ? line.size() : end + 1;
    } else {
        end = line.find(u' ');
        end = end == std::u16string_view::npos ? line.size() : end;
    }
    std::u16string rest(line.substr(end));
    rest.erase(0, rest.find_first_not_of(u' '));
    if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

} // namespace

int main()
{
    std::u16string file = FileArgument(GetCommandLineW());
    if (file.empty())
        return 0;
    auto found = win32::ResolvePath(file, win32::Resolve::Existing);
    if (!found) {
        std::fprintf(stderr, "Cannot find the %s file.\n", Utf16ToUtf8(file).c_str());
        return 1;
    }
    win32::OpenOnHost(found->hostPath.string());
    return 0;
}
