// libFuzzer target: any bytes as a Notes database file must open and read,
// or fail with a status; never crash. The file is read as the converters
// read it: every view folder and its entries, every document with its
// items as text, number, date and rich-text lists, and its attachments.
#include "notes/Notes.h"
#include "win32/MachineRoot.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr LNINT kMaxEntries = 64;

void ReadDocument(LNDocument& document)
{
    if (document.Open(0) != LNNOERROR)
        return;
    const LNINT count = document.GetItemCount();
    for (LNINT i = 0; i < count && i < 256; ++i) {
        LNText text;
        if (document.GetItemAt(i, &text) == LNNOERROR) {
            for (LNINT k = 0; k < text.GetCount() && k < 64; ++k)
                (void)text[k].GetText().Text();
        }
        LNNumbers numbers;
        if (document.GetItemAt(i, &numbers) == LNNOERROR) {
            for (LNINT k = 0; k < numbers.GetCount() && k < 64; ++k)
                (void)numbers[k];
        }
        LNDatetimes dates;
        if (document.GetItemAt(i, &dates) == LNNOERROR) {
            LNString joined;
            (void)dates.GetText(&joined, ";");
        }
        LNRichText rich;
        if (document.GetItemAt(i, &rich) == LNNOERROR) {
            LNString plain;
            (void)rich.GetText(&plain);
        }
    }
    if (document.HasAttachments()) {
        LNAttachmentArray attachments;
        if (document.GetAttachments(&attachments) == LNNOERROR) {
            for (LNINT a = 0; a < attachments.GetCount() && a < 16; ++a)
                (void)attachments[a].GetAttachmentName().Text();
        }
    }
    (void)LNCalendarEntry(document).GetEntryType();
    document.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The database is opened by its Windows path, on drive C: of a machine
    // root of this process's own.
    static const std::filesystem::path path = [] {
        const auto root = std::filesystem::temp_directory_path() / ("nsf-fuzz-" + std::to_string(getpid()));
        win32::SetMachineRoot(root);
        std::filesystem::create_directories(win32::DriveFolder(u'C'));
        return win32::DriveFolder(u'C') / "fuzz.nsf";
    }();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    static LNNotesSession session;
    if (!session.IsInitialized() && session.Initialize() != LNNOERROR)
        return 0;
    LNSetThrowAllErrorsGlobal(FALSE);
    try {
        LNDatabase database;
        if (session.GetDatabase(LNString("C:\\fuzz.nsf"), &database) != LNNOERROR || database.Open() != LNNOERROR)
            return 0;
        LNViewFolderArray views;
        if (database.GetViewFolders(&views) == LNNOERROR) {
            for (LNINT v = 0; v < views.GetCount() && v < 16; ++v) {
                LNViewFolder view = views[v];
                if (view.Open() != LNNOERROR)
                    continue;
                (void)view.GetName().Text();
                const LNINT entries = view.GetEntryCount();
                for (LNINT e = 0; e < entries && e < kMaxEntries; ++e) {
                    LNDocument document;
                    if (view[e].GetDocument(&document) == LNNOERROR)
                        ReadDocument(document);
                }
                view.Close();
            }
        }
        LNDocumentArray persons;
        (void)database.Search(LNFormula("Form=\"Person\""), &persons);
        database.Close();
    } catch (LNSTATUS) {
        // Calls without a status result throw theirs: a refusal, not a crash.
    }
    return 0;
}
