// Measures the Notes database layer on a synthetic mailbox: how long the
// builder takes, how many documents a second a walk through the library
// reads (open, every item read, close), and the resident memory during the
// walk. A plain timer: the figures are printed, nothing is asserted.
//
//   nsfbench [MESSAGES [FOLDERS]]      (default 100000 messages, 20 folders)
//   nsfbench walk FILE.nsf             only the walk, of a database built before
//                                      (so the builder's memory is not counted)
#include "notes/Notes.h"
#include "nsfbuild/Synthetic.h"

#include "win32/MachineRoot.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Reads an item whole, by its type, as a converter would.
std::size_t ReadItem(const LNNote& note, LNINT index)
{
    LNItem probe;
    note.GetItemAt(index, &probe);
    std::size_t bytes = 0;
    switch (probe.GetType()) {
    case LNITEMTYPE_TEXT: {
        LNText text;
        note.GetItemAt(index, &text);
        for (LNINT i = 0; i < text.GetCount(); ++i)
            bytes += static_cast<std::size_t>(LNString(text[i]).GetByteLength());
        break;
    }
    case LNITEMTYPE_DATETIMES: {
        LNDatetimes times;
        LNString text;
        note.GetItemAt(index, &times);
        times.GetText(&text, ";");
        bytes += static_cast<std::size_t>(text.GetByteLength());
        break;
    }
    case LNITEMTYPE_NUMBERS: {
        LNNumbers numbers;
        note.GetItemAt(index, &numbers);
        bytes += static_cast<std::size_t>(numbers.GetCount()) * 8;
        break;
    }
    case LNITEMTYPE_RICHTEXT: {
        LNRichText rich;
        LNString text;
        note.GetItemAt(index, &rich);
        rich.GetText(&text);
        bytes += static_cast<std::size_t>(text.GetByteLength());
        break;
    }
    default:
        break;
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    bool walkOnly = argc == 3 && std::string(argv[1]) == "walk";
    std::size_t messages = argc > 1 && !walkOnly ? std::strtoull(argv[1], nullptr, 10) : 100000;
    std::size_t folders = argc > 2 && !walkOnly ? std::strtoull(argv[2], nullptr, 10) : 20;

    std::filesystem::path root = std::filesystem::temp_directory_path() / ("nsfbench-" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "drive_c");
    win32::SetMachineRoot(root);
    std::filesystem::path file = root / "drive_c" / "bench.nsf";

    auto start = std::chrono::steady_clock::now();
    if (walkOnly) {
        std::filesystem::create_symlink(std::filesystem::absolute(argv[2]), file);
    } else {
        nsfbuild::MailboxOptions options;
        options.messages = messages;
        options.folders = folders;
        nsfbuild::Result built = nsfbuild::BuildSyntheticMailbox(file, options);
        double buildSeconds = Seconds(start);
        if (!built) {
            std::fprintf(stderr, "nsfbench: %s\n", built.message.c_str());
            return 1;
        }
        std::printf("built %zu messages over %zu folders in %.2f s (%.1f MiB)\n", messages, folders, buildSeconds,
                    static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0));
    }

    LNNotesSession session;
    LNDatabase database;
    LNViewFolderArray viewFolders;
    LNSetThrowAllErrorsGlobal(TRUE);
    std::size_t documents = 0, bytes = 0;
    long residentBefore = ResidentKiB(), residentStart = 0, residentPeak = 0;
    try {
        session.Initialize(700);
        session.GetDatabase("C:\\bench.nsf", &database, "");
        database.Open();
        database.GetViewFolders(&viewFolders);
        start = std::chrono::steady_clock::now();
        for (LNINT k = 0; k < viewFolders.GetCount(); ++k) {
            LNViewFolder viewFolder = viewFolders[k];
            viewFolder.Open();
            if (std::string(viewFolder.GetName().GetPlatformTextPtr()) != "($All)")
                continue;
            LNINT count = viewFolder.GetEntryCount();
            for (LNINT i = 0; i < count; ++i) {
                LNDocument document;
                viewFolder[i].GetDocument(&document);
                document.Open();
                for (LNINT item = 0; item < document.GetItemCount(); ++item)
                    bytes += ReadItem(document, item);
                document.Close();
                ++documents;
                if (documents == 1000)
                    residentStart = ResidentKiB();
                if (documents % 1000 == 0)
                    residentPeak = std::max(residentPeak, ResidentKiB());
            }
        }
    } catch (LNSTATUS status) {
        char text[512];
        LNGetErrorMessageText(status, text, sizeof text);
        std::fprintf(stderr, "nsfbench: Notes error 0x%04X: %s\n", status, text);
        return 1;
    }
    double walkSeconds = Seconds(start);
    std::printf("walked %zu documents (%.1f MiB of item text) in %.2f s: %.0f documents/s\n", documents,
                static_cast<double>(bytes) / (1024.0 * 1024.0), walkSeconds,
                static_cast<double>(documents) / walkSeconds);
    std::printf("resident memory before the walk %ld KiB, after 1,000 documents %ld KiB, peak during the walk %ld KiB\n",
                residentBefore, residentStart, residentPeak);
    database.Close();
    session.Term();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}
