#include "BenchmarkHarness.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "Converters.h"
#include "MarlwickDlg.h"
#include "PstFile.h"
#include "RunFlags.h"
#include "benchsupport/ProcessFigures.h"
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
#include <ctime>
#include <pthread.h>
#include <thread>
#include <atomic>
#include <unistd.h>

namespace bench {

namespace fs = std::filesystem;

namespace {

// What the message store hands to its file: bytes and flushes.
class CStoreCounter : public mapi::ndb::IFileObserver {
public:
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::uint64_t> syncs{0};
    void Wrote(std::uint64_t, const std::vector<std::uint8_t>& written) override { bytes += written.size(); }
    void Resized(std::uint64_t) override {}
    void Synced() override { ++syncs; }
};

// Watches the converter's item counter from another thread and takes the
// time and CPU where each window starts and ends. A benchmark's polling:
// a millisecond is small beside a window of a thousand items.
class CWindowWatch {
public:
    CWindowWatch(const std::vector<std::size_t>& ends, std::size_t window)
    {
        for (std::size_t end : ends)
            m_figures.push_back({end, std::min(window, end), 0, 0});
        if (!m_figures.empty())
            m_thread = std::thread([this] { Watch(); });
    }
    ~CWindowWatch() { Stop(); }
    std::vector<WindowFigures> Stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        std::erase_if(m_figures, [](const WindowFigures& w) { return w.seconds <= 0; });
        return m_figures;
    }

private:
    void Watch()
    {
        std::size_t next = 0;
        bool started = false;
        std::chrono::steady_clock::time_point start;
        double cpuStart = 0;
        while (!m_done && next < m_figures.size()) {
            WindowFigures& window = m_figures[next];
            const auto done = static_cast<std::size_t>(std::max(0, g_nCurrentProgress.load()));
            if (!started && done >= window.end - window.items) {
                start = std::chrono::steady_clock::now();
                cpuStart = benchsupport::CpuSeconds();
                started = true;
            }
            if (started && done >= window.end) {
                window.seconds = Seconds(start);
                window.cpuSeconds = benchsupport::CpuSeconds() - cpuStart;
                started = false;
                ++next;
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::vector<WindowFigures> m_figures;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// The converting thread's CPU clock, taken as its converter starts: the
// thread is still there when the run is measured (the completion dialog
// runs on it).
std::atomic<bool> g_converterClockKnown{false};
clockid_t g_converterClock = 0;

template <Converter Convert>
void TimedConversion(CProDlg& dialog)
{
    if (pthread_getcpuclockid(pthread_self(), &g_converterClock) == 0)
        g_converterClockKnown = true;
    Convert(dialog);
}

} // namespace

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
    // A profiler resolves the programs' libraries from the machine's copies
    // after the run: MARLWICK_BENCH_KEEP leaves the machine in place.
    if (std::getenv("MARLWICK_BENCH_KEEP")) {
        std::printf("    the machine stays at %s\n", root.c_str());
        return;
    }
    std::error_code error;
    fs::remove_all(root, error);
}

RunFigures RunConversion(int mode, const char16_t* nsfPath, const char16_t* pstPath, const char16_t* folderName,
                         const std::vector<std::size_t>& windowEnds, std::size_t window)
{
    wcscpy_s(g_szInstallDir, MAX_PATH, install::kInstallFolder);
    // The folder that the main dialog makes at start-up, where the
    // converters detach attachments.
    ::CreateDirectoryW((std::u16string(install::kInstallFolder) + u"\\Attachment").c_str(), nullptr);
    InitAppSettings();
    g_nConvMode = mode;
    InstallConverter(1, &TimedConversion<&RunMailConversion>);
    InstallConverter(2, &TimedConversion<&RunContactConversion>);
    g_converterClockKnown = false;
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
    static CStoreCounter store;
    mapi::ndb::SetFileObserver(&store);
    const std::uint64_t otherSyncsBefore = win32::HostSyncCount();
    const std::uint64_t diskBefore = benchsupport::DiskBytesWritten();
    const std::uint64_t cancelledBefore = benchsupport::DiskBytesCancelled();
    const double cpuBefore = benchsupport::CpuSeconds();
    const double userBefore = benchsupport::UserSeconds();
    const auto start = std::chrono::steady_clock::now();
    CWindowWatch watch(windowEnds, window);
    std::thread gui([] {
        CProDlg dialog;
        dialog.DoModal();
    });
    // The GUI thread still runs the completion dialog when the run is
    // measured, so its own CPU clock can be read then.
    clockid_t guiClock = 0;
    const bool guiClockKnown = pthread_getcpuclockid(gui.native_handle(), &guiClock) == 0;
    gui.detach();
    // Looked for now and then: a close poll would cost the converting
    // process CPU and hold the window list that the run's own threads use.
    HWND completion = nullptr;
    const auto giveUp = start + std::chrono::hours(12);
    while (!(completion = user::automation::WaitForWindowWithControl(1040, std::chrono::milliseconds(0)))
           && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    figures.seconds = Seconds(start);
    if (!completion)
        Fail("the run did not end");
    figures.cpuSeconds = benchsupport::CpuSeconds() - cpuBefore;
    figures.userSeconds = benchsupport::UserSeconds() - userBefore;
    if (timespec used = {}; guiClockKnown && clock_gettime(guiClock, &used) == 0)
        figures.guiThreadSeconds = static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    if (timespec used = {}; g_converterClockKnown && clock_gettime(g_converterClock, &used) == 0)
        figures.converterThreadSeconds =
            static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    figures.diskBytesWritten = benchsupport::DiskBytesWritten() - diskBefore;
    figures.diskBytesCancelled = benchsupport::DiskBytesCancelled() - cancelledBefore;
    figures.storeSyncs = store.syncs;
    figures.storeBytes = store.bytes;
    figures.otherSyncs = win32::HostSyncCount() - otherSyncsBefore;
    figures.windows = watch.Stop();
    figures.peakKiB = PeakResidentKiB();
    figures.result = user::automation::TextOf(GetDlgItem(completion, 1040));
    std::error_code error;
    const auto pstBytes = fs::file_size(win32::ResolvePath(pstPath, win32::Resolve::Existing)->hostPath, error);
    figures.pstBytes = error ? 0 : pstBytes;
    figures.pstMiB = static_cast<double>(figures.pstBytes) / (1 << 20);
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
