// hh.exe of the machine: shows the help file named on its command line in a
// window of its own. The help file of this machine is an HTML document under
// the help file's name; the window shows its text.
#include "user/Script.h"
#include "viewer/HtmlText.h"
#include "viewer/TextViewer.h"
#include "win32/MachineRoot.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <cstdio>
#include <fstream>
#include <iterator>

int main()
{
    const bool driven = user::automation::StartScriptFromEnvironment();
    auto args = win32::SplitCommandLine(GetCommandLineW());
    if (args.size() < 2)
        return 0;
    std::u16string file = args[1];
    for (std::size_t i = 2; i < args.size(); ++i)
        file += u" " + args[i];
    auto found = win32::ResolvePath(file, win32::Resolve::Existing);
    std::ifstream in;
    if (found)
        in.open(found->hostPath, std::ios::binary);
    if (!found || !in.is_open()) {
        std::fprintf(stderr, "Cannot open the file: %s\n", Utf16ToUtf8(file).c_str());
        return 1;
    }
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    viewer::HtmlText page = viewer::HtmlToText(html);
    std::u16string title = page.title.empty() ? u"HTML Help" : page.title;
    return viewer::RunViewer(viewer::OpenViewerWindow(title, page.text), driven);
}
