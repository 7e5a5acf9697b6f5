#include "BenchmarkHarness.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "Converters.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "install/MachineInstaller.h"
#include "ole/Com.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/WideString.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench {

namespace fs = std::filesystem;

void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
    std::_Exit(2);
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakResidentKiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool InChild(const std::function<void()>& body)
{
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0)
        Fail("cannot fork");
    if (child == 0) {
        body();
        std::fflush(stdout);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SetUpBenchmarkProcess()
{
    ::setenv("MARLWICK_DISPLAY", "headless", 1);
    ::setenv("TZ", "UTC", 1);
}

void MeasureInMachine(std::size_t count, const char* unit, const std::function<void(const fs::path&)>& build,
                      const std::function<void()>& convert)
{
    std::string pattern = (fs::temp_directory_path() / "marlwick-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        Fail("cannot make a machine root");
    const fs::path root = pattern;
    const fs::path mailFolder = root / "drive_c" / "Notes" / "Data" / "mail";
    const auto building = std::chrono::steady_clock::now();
    bool built = InChild([&] {
        win32::SetMachineRoot(root);
        std::string error;
        if (!install::InstallMachine({root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error))
            Fail(error);
        // The closer would end an Outlook of the host.
        fs::copy_file("/bin/true", root / "drive_c" / "Program Files" / "Pellinor" / "Stavrel.exe",
                      fs::copy_options::overwrite_existing);
        fs::create_directories(root / "drive_c" / "Data");
        fs::create_directories(mailFolder);
        build(mailFolder);
    });
    if (!built)
        Fail("the database could not be built");
    std::printf("%9zu %s built in %.1f s\n", count, unit, Seconds(building));
    if (!InChild([&] {
            win32::SetMachineRoot(root);
            CoInitialize(nullptr);
            convert();
        }))
        Fail("the conversion failed");
    std::error_code error;
    fs::remove_all(root, error);
}

RunFigures RunConversion(int mode, const char16_t* nsfPath, const char16_t* pstPath, const char16_t* folderName)
{
    wcscpy_s(g_szInstallDir, MAX_PATH, install::kInstallFolder);
    // The folder that the main dialog makes at start-up, where the
    // converters detach attachments.
    ::CreateDirectoryW((std::u16string(install::kInstallFolder) + u"\\Attachment").c_str(), nullptr);
    InitAppSettings();
    g_nConvMode = mode;
    InstallConverter(1, &RunMailConversion);
    InstallConverter(2, &RunContactConversion);
    g_strNsfPath = nsfPath;
    g_strPstFolderName = folderName;
    wcscpy_s(g_szPstPath, MAX_PATH, pstPath);
    win32::SetDiskFreeSpaceHook([](LPCWSTR) -> std::optional<ULONGLONG> { return 1ull << 40; });
    user::SetMessageBoxAnswerer([](const user::MessageBoxRecord& box) {
        std::fprintf(stderr, "answered: %s\n", Utf16ToUtf8(box.text).c_str());
        return (box.type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    });

    RunFigures figures;
    figures.peakBeforeKiB = PeakResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    std::thread gui([] {
        CProDlg dialog;
        dialog.DoModal();
    });
    gui.detach();
    HWND completion = user::automation::WaitForWindowWithControl(1040, std::chrono::hours(12));
    figures.seconds = Seconds(start);
    if (!completion)
        Fail("the run did not end");
    figures.peakKiB = PeakResidentKiB();
    figures.result = user::automation::TextOf(GetDlgItem(completion, 1040));
    std::error_code error;
    const auto pstBytes = fs::file_size(win32::ResolvePath(pstPath, win32::Resolve::Existing)->hostPath, error);
    figures.pstMiB = static_cast<double>(pstBytes) / (1 << 20);
    return figures;
}

std::vector<std::size_t> SizesFromArguments(int argc, char** argv, std::vector<std::size_t> fallback)
{
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const unsigned long long size = std::strtoull(argv[i], &end, 10);
        if (end != argv[i] && *end == '\0')
            sizes.push_back(size);
    }
    return sizes.empty() ? fallback : sizes;
}

} // namespace bench
