// hh.exe of the machine: shows the help file named on its command line. The
// help file of this machine is an HTML document, so a copy of it under an
// .html name goes to the host's browser.
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/Shell.h"
#include "win32/WideString.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

int main()
{
    auto args = win32::SplitCommandLine(GetCommandLineW());
    if (args.size() < 2)
        return 0;
    std::u16string file = args[1];
    for (std::size_t i = 2; i < args.size(); ++i)
        file += u" " + args[i];
    auto found = win32::ResolvePath(file, win32::Resolve::Existing);
    if (!found) {
        std::fprintf(stderr, "Cannot open the file: %s\n", Utf16ToUtf8(file).c_str());
        return 1;
    }
    fs::path page = fs::temp_directory_path() / ("marlwick-help-" + std::to_string(::getpid()) + ".html");
    std::error_code ec;
    fs::copy_file(found->hostPath, page, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "Cannot open the file: %s\n", ec.message().c_str());
        return 1;
    }
    win32::OpenOnHost(page.string());
    return 0;
}
