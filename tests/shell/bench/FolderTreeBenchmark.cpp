// How long step 3 takes to fill its folder tree from a database of many
// folders: the worker inserts every folder path as the step does while the
// dialog runs, and the step is timed from its opening until the walk has
// ended and Next is enabled. A plain timer; the figures are printed beside
// their limits, nothing is asserted.
//
//   folder_tree_benchmark
//
// Two databases: 3,000 folders at one level, and 10,000 folders three
// levels deep (20 under the top, 20 under each of those, 25 under each of
// those).
#include "AppSettings.h"
#include "Ctreedlg.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "install/MachineInstaller.h"
#include "nsfbuild/Description.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "folder_tree_benchmark: %s\n", what.c_str());
    std::_Exit(2);
}

std::string OneLevel(int folders)
{
    std::string description = "view \"($Inbox)\"\n";
    for (int f = 0; f < folders; ++f)
        description += "folder \"Folder " + std::to_string(f) + "\"\n";
    return description;
}

std::string ThreeLevels(int first, int second, int third)
{
    std::string description = "view \"($Inbox)\"\n";
    for (int a = 0; a < first; ++a)
        for (int b = 0; b < second; ++b)
            for (int c = 0; c < third; ++c)
                description += "folder Area" + std::to_string(a) + "\\Group" + std::to_string(b) + "\\Item" +
                               std::to_string(c) + "\n";
    return description;
}

// Builds the database, opens step 3 on it and waits for the walk's end.
double FillSeconds(const fs::path& root, const std::string& description, const char* name)
{
    const std::u16string nsf = u"C:\\Notes\\Data\\mail\\" + std::u16string(name, name + std::strlen(name)) + u".nsf";
    const fs::path host = root / "drive_c" / "Notes" / "Data" / "mail" / (std::string(name) + ".nsf");
    fs::create_directories(host.parent_path());
    if (nsfbuild::Result built = nsfbuild::BuildFromDescription(description, host); !built.ok)
        Fail(built.message);
    g_nConvMode = 1;
    g_strNsfPath = nsf.c_str();
    const auto start = std::chrono::steady_clock::now();
    std::thread gui([] {
        Ctreedlg step;
        step.DoModal();
    });
    gui.detach();
    HWND step = user::automation::WaitForWindowWithControl(1023, std::chrono::minutes(30));
    if (!step)
        Fail("step 3 did not open");
    const bool ended = user::automation::WaitUntil(
        [&] {
            return user::automation::IsEnabled(::GetDlgItem(step, IDOK)) &&
                   !user::automation::IsVisible(::GetDlgItem(step, 1032)) &&
                   !user::automation::IsVisible(::GetDlgItem(step, 1019));
        },
        std::chrono::hours(1));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ended)
        Fail("the walk did not end");
    return seconds;
}

// Each measurement runs in a process of its own: the step stays open at its end.
void InChild(const std::function<void()>& body)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        Fail("cannot fork");
    if (child == 0) {
        body();
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Fail("a measurement failed");
}

} // namespace

int main()
{
    ::setenv("MARLWICK_DISPLAY", "headless", 1);
    std::string pattern = (fs::temp_directory_path() / "marlwick-tree-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        Fail("cannot make a machine root");
    const fs::path root = pattern;
    win32::SetMachineRoot(root);
    std::string error;
    if (!install::InstallMachine({root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error))
        Fail(error);
    auto setUp = [] {
        wcscpy_s(g_szInstallDir, MAX_PATH, install::kInstallFolder);
        InitAppSettings();
        // Any notice is answered at once.
        user::SetMessageBoxAnswerer([](const user::MessageBoxRecord& box) {
            return (box.type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
        });
    };
    InChild([&] {
        setUp();
        const double seconds = FillSeconds(root, OneLevel(3000), "flat");
        std::printf("step 3, 3,000 folders at one level:       %8.2f s (limit 5 s)\n", seconds);
    });
    InChild([&] {
        setUp();
        const double seconds = FillSeconds(root, ThreeLevels(20, 20, 25), "deep");
        std::printf("step 3, 10,000 folders over three levels: %8.2f s (limit 10 s)\n", seconds);
    });
    std::error_code removeError;
    fs::remove_all(root, removeError);
    std::_Exit(0);
}
