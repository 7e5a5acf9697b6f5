// Cost of a whole mail conversion: a synthetic mailbox converted by the real
// converter, step 6 opened as step 5 opens it, every view folder but ($All)
// ticked so that each message is written once. Nothing waits for a person:
// the free space is pinned high and any message box is answered. A plain
// timer; the figures are printed, nothing is asserted.
//
//   mail_conversion_benchmark [MESSAGES...]   (default 10000 100000)
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone.
#include "ConversionBench.h"

#include "AppSettings.h"
#include "CProDlg.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "install/MachineInstaller.h"
#include "mapi/Profile.h"
#include "notes/Notes.h"
#include "nsfbuild/Synthetic.h"
#include "ole/Com.h"
#include "user/Automation.h"
#include "user/MessageBox.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace conversionbench;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\bench.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\bench.pst";

// The folders step 3 would list for the database: every view or folder not
// hidden, and the system folders by their PST names; ($All) is left out.
// Returns the number of documents they hold.
std::size_t TickEveryFolderButAll()
{
    LNNotesSession session;
    LNDatabase database;
    LNViewFolderArray folders;
    if (session.Initialize(700) || session.GetDatabase(WideToAnsi(kNsfPath), &database) || database.Open() ||
        database.GetViewFolders(&folders))
        Fail("cannot read the built database");
    const std::pair<std::string, std::u16string> systemFolders[] = {
        {"($Inbox)", u"Inbox"}, {"($Sent)", u"Sent"}, {"($Drafts)", u"Drafts"}, {"($Trash)", u"Trash"}};
    std::size_t documents = 0;
    g_nSelFolderCount = 0;
    for (LNINT k = 0; k < folders.GetCount(); ++k) {
        LNViewFolder folder = folders[k];
        folder.Open();
        const std::string name = folder.GetName().Text();
        std::u16string treePath;
        for (const auto& [notesName, pstName] : systemFolders) {
            if (name == notesName)
                treePath = pstName;
        }
        if (treePath.empty() && !name.empty() && name[0] != '(')
            treePath = AnsiToWide(name);
        if (treePath.empty())
            continue;
        AppendStringNode(&g_pSelFolderList, (u"Lotus Notes\\" + treePath + u"\\").c_str());
        ++g_nSelFolderCount;
        documents += static_cast<std::size_t>(folder.GetEntryCount());
    }
    database.Close();
    session.Term();
    return documents;
}

void Convert(std::size_t messages, int bodyFormat)
{
    std::size_t documents = TickEveryFolderButAll();
    wcscpy_s(g_szInstallDir, MAX_PATH, install::kInstallFolder);
    InitAppSettings();
    g_nConvMode = 1;
    g_nMailBodyFormat = bodyFormat;
    g_strNsfPath = kNsfPath;
    g_strPstFolderName = u"Mail";
    wcscpy_s(g_szPstPath, MAX_PATH, kPstPath);
    win32::SetDiskFreeSpaceHook([](LPCWSTR) -> std::optional<ULONGLONG> { return 1ull << 40; });

    const long residentBefore = PeakResidentKiB();
    const StepSixRun run = RunStepSix();
    const double seconds = run.seconds;
    std::printf("%9zu %-4s %9zu docs %8.1f s %9.1f msg/s %8.2f ms/msg  peak %7ld MiB (%ld before)  PST %7.1f MiB  %s\n",
                messages, bodyFormat ? "TXT" : "RTF", documents, seconds, documents / seconds,
                seconds * 1000 / static_cast<double>(documents), PeakResidentKiB() / 1024, residentBefore / 1024,
                FileMiB(kPstPath), Utf16ToUtf8(run.result).c_str());
}

void Measure(std::size_t messages, int bodyFormat)
{
    const fs::path root = NewMachineFolder("marlwick-mailbench");
    const Clock::time_point building = Clock::now();
    bool built = InChild([&] {
        LayOutMachine(root);
        nsfbuild::MailboxOptions options;
        options.messages = messages;
        options.folders = 20;
        auto result = nsfbuild::BuildSyntheticMailbox(root / "drive_c" / "Notes" / "Data" / "mail" / "bench.nsf",
                                                       options);
        if (!result)
            Fail(result.message);
    });
    if (!built)
        Fail("the database could not be built");
    const double buildSeconds = Seconds(building);
    std::printf("%9zu      built in %.1f s\n", messages, buildSeconds);
    if (!InChild([&] {
            win32::SetMachineRoot(root);
            CoInitialize(nullptr);
            Convert(messages, bodyFormat);
        }))
        Fail("the conversion failed");
    std::error_code error;
    fs::remove_all(root, error);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("MARLWICK_DISPLAY", "headless", 1);
    ::setenv("TZ", "UTC", 1);
    std::vector<std::size_t> sizes;
    int bodyFormat = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--rtf")
            bodyFormat = 0;
        else
            sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }
    if (sizes.empty())
        sizes = {10000, 100000};
    for (std::size_t messages : sizes)
        Measure(messages, bodyFormat);
    return 0;
}
