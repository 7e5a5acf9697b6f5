// Notepad.exe of the machine: takes the rest of its command line as one file
// name, as Notepad does, and shows that file, read in the machine's ANSI
// code page, in a window of its own.
#include "user/Script.h"
#include "viewer/TextViewer.h"
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <cstdio>
#include <fstream>
#include <iterator>

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

// The name after the last backslash, as Notepad titles its window.
std::u16string FileName(const std::u16string& path)
{
    std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main()
{
    const bool driven = user::automation::StartScriptFromEnvironment();
    std::u16string file = FileArgument(GetCommandLineW());
    std::u16string title = u"Untitled - Notepad";
    std::u16string text;
    if (!file.empty()) {
        auto found = win32::ResolvePath(file, win32::Resolve::Existing);
        std::ifstream in;
        if (found)
            in.open(found->hostPath, std::ios::binary);
        if (!found || !in.is_open()) {
            std::fprintf(stderr, "Cannot find the %s file.\n", Utf16ToUtf8(file).c_str());
            return 1;
        }
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        text = viewer::DecodeAnsi(bytes);
        title = FileName(found->windowsPath) + u" - Notepad";
    }
    return viewer::RunViewer(viewer::OpenViewerWindow(title, text), driven);
}
