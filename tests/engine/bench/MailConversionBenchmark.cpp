// Cost of a whole mail conversion: a synthetic mailbox converted by the real
// converter, step 6 opened as step 5 opens it, every view folder but ($All)
// ticked so that each message is written once. Nothing waits for a person:
// the free space is pinned high and any message box is answered. A plain
// timer; the figures are printed, nothing is asserted.
//
//   mail_conversion_benchmark [MESSAGES...]   (default 10000 100000)
//
// Each size runs in processes of its own: one builds the database, one
// converts it, so that the peak memory is the conversion's alone. One
// message in ten carries a 16 KiB attachment, which the conversion detaches
// into the install folder's Attachment folder and reads back.
#include "BenchmarkHarness.h"

#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "notes/Notes.h"
#include "nsfbuild/Synthetic.h"
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bench::Fail;

constexpr const char16_t* kNsfPath = u"C:\\Notes\\Data\\mail\\bench.nsf";
constexpr const char16_t* kPstPath = u"C:\\Data\\bench.pst";
constexpr double kLimitPerSecond = 1000;

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
    g_nMailBodyFormat = bodyFormat;
    const bench::RunFigures run = bench::RunConversion(1, kNsfPath, kPstPath, u"Mail");
    std::printf("%9zu %-4s %9zu docs %8.1f s %9.1f msg/s (limit at least %.0f) %8.2f ms/msg  peak %7ld MiB (%ld "
                "before)  PST %7.1f MiB  %s\n",
                messages, bodyFormat ? "TXT" : "RTF", documents, run.seconds, documents / run.seconds, kLimitPerSecond,
                run.seconds * 1000 / static_cast<double>(documents), run.peakKiB / 1024, run.peakBeforeKiB / 1024,
                run.pstMiB, Utf16ToUtf8(run.result).c_str());
}

void Measure(std::size_t messages, int bodyFormat)
{
    auto build = [&](const fs::path& mailFolder) {
        nsfbuild::MailboxOptions options;
        options.messages = messages;
        options.folders = 20;
        options.attachmentEvery = 10;
        options.attachmentBytes = 16 * 1024;
        if (auto result = nsfbuild::BuildSyntheticMailbox(mailFolder / "bench.nsf", options); !result)
            Fail(result.message);
    };
    bench::MeasureInMachine(messages, "messages", build, [&] { Convert(messages, bodyFormat); });
}

} // namespace

int main(int argc, char** argv)
{
    bench::SetUpBenchmarkProcess();
    int bodyFormat = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--rtf")
            bodyFormat = 0;
    }
    for (std::size_t messages : bench::SizesFromArguments(argc, argv, {10000, 100000}))
        Measure(messages, bodyFormat);
    return 0;
}
