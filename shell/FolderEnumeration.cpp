// The threads that fill step 3's folder tree while the dialog is open: the
// walk over the views and folders of a mail database, and the single item of
// the database itself in the address-book and calendar modes.
#include "ActivityLog.h"
#include "AppSettings.h"
#include "Ctreedlg.h"
#include "notes/Notes.h"
#include "user/MessageBox.h"
#include "win32/CodePage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Text for the class library is narrow, in buffers of 255 bytes.
constexpr int kNsfPathBufferBytes = 255;
// The name of one view or folder, and the path built from it.
constexpr int kNameBufferBytes = 260;

constexpr const char* kTopItem = "Lotus Notes";

struct SystemFolder {
    const char* notesName;
    const char* path;
};
constexpr SystemFolder kSystemFolders[] = {
    {"($Inbox)", "Lotus Notes\\Inbox\\"}, {"($Sent)", "Lotus Notes\\Sent\\"},   {"($Drafts)", "Lotus Notes\\Drafts\\"},
    {"($All)", "Lotus Notes\\All\\"},     {"($Trash)", "Lotus Notes\\Trash\\"},
};

// Information icon, system-modal.
constexpr UINT kNotConfiguredFlags = 0x1040;
// Stop icon, system-modal.
constexpr UINT kWrongSourceFlags = 0x1010;

// The NSF path in the ANSI code page, cut to the buffer as the class library
// takes it; false when it did not fit whole.
bool NarrowNsfPath(char (&out)[kNsfPathBufferBytes])
{
    const int bytes = WideToAnsiTruncated(g_strNsfPath, out, kNsfPathBufferBytes - 1);
    return bytes == static_cast<int>(WideToAnsi(g_strNsfPath.Str()).size());
}

// Ends the session on the way out of the walk; nothing may escape the
// thread from here.
void EndSession(LNNotesSession& session)
{
    try {
        session.Term(0);
    } catch (LNSTATUS) {
    }
}

// The name of view folder i, cut to the name buffer; false when the class
// library failed on it.
bool ReadViewFolderName(const LNViewFolderArray& folders, LNINT i, char (&name)[kNameBufferBytes])
{
    try {
        LNViewFolder folder = folders[i];
        folder.Open(0);
        const LNString text = folder.GetName();
        folder.Close();
        const std::size_t kept = AnsiCutLength(text.Text(), kNameBufferBytes - 1);
        std::memcpy(name, text.GetPlatformTextPtr(), kept);
        name[kept] = 0;
        return true;
    } catch (...) {
        return false;
    }
}

// Hidden views and the system folders have names that begin with "(". The
// class library's buffer length counts the terminator, so its last byte is
// never ")": a user folder that only ends in parentheses ("Taxes (2005)")
// is shown, and the mail conversion matches it under its own name.
bool IsHiddenName(const char* name)
{
    return name[0] == '(';
}

void InsertViewFolder(CFolderTreeCtrl& tree, const char* name)
{
    if (!IsHiddenName(name)) {
        const std::string path = std::string(kTopItem) + '\\' + name + '\\';
        // The tree cannot hold it, so it cannot be ticked: the user learns
        // which folder stays behind instead of missing it after the run.
        if (!tree.InsertPath(path.c_str()))
            WriteActivityLog((u"Folder not listed, its path is too long : " + AnsiToWide(path)).c_str());
        return;
    }
    for (const SystemFolder& system : kSystemFolders) {
        if (std::strcmp(name, system.notesName) == 0)
            tree.InsertPath(system.path);
    }
}

} // namespace

UINT EnumNsfFoldersThread(LPVOID pParam)
{
    auto* dialog = static_cast<Ctreedlg*>(pParam);
    LNNotesSession session;
    dialog->EnableStepButtons(FALSE);
    char nsfPath[kNsfPathBufferBytes];
    const bool pathFits = NarrowNsfPath(nsfPath);
    // A database that cannot be opened or listed: said so, and the user is
    // let back to choose another file; nothing can be ticked, so Next stays
    // off.
    const auto endUnreadableWalk = [&] {
        EndSession(session);
        ::MessageBoxW(nullptr, u"Please check if you have select the correct source file.", g_szMsgCaption,
                      kWrongSourceFlags);
        dialog->HideEnumerationProgress();
        dialog->m_btnBack.EnableWindow(TRUE);
    };
    if (session.Initialize(700, 0, nullptr) != LNNOERROR) {
        ::MessageBoxW(nullptr, u"Your Lotus Notes is not confogured, please call Administrator ", g_szMsgCaption,
                      kNotConfiguredFlags);
        return 0;
    }
    LNSetThrowAllErrorsGlobal(TRUE);
    // A path cut to the buffer would name another file; it is not opened.
    if (!pathFits) {
        endUnreadableWalk();
        return 0;
    }
    try {
        LNDatabase database;
        session.GetDatabase(nsfPath, &database, "");
        database.Open(0);
        LNViewFolderArray folders;
        database.GetViewFolders(&folders, FALSE);
        CFolderTreeCtrl& tree = dialog->m_tree;
        tree.SetupImageList();
        const LNINT count = folders.GetCount();
        for (LNINT i = 0; i < count; ++i) {
            if (g_bTreeStop == 1) {
                EndSession(session);
                g_bTreeStop = 0;
                database.Close();
                return 0;
            }
            char name[kNameBufferBytes];
            if (!ReadViewFolderName(folders, i, name))
                continue;
            InsertViewFolder(tree, name);
            dialog->m_progress.SetPos(i * 100 / count);
        }
        database.Close();
        dialog->EnableStepButtons(TRUE);
        dialog->HideEnumerationProgress();
        EndSession(session);
    } catch (LNSTATUS) {
        endUnreadableWalk();
    }
    return 0;
}

UINT SingleFileTreeThread(LPVOID pParam)
{
    auto* dialog = static_cast<Ctreedlg*>(pParam);
    dialog->EnableStepButtons(FALSE);
    dialog->HideEnumerationProgress();
    CFolderTreeCtrl& tree = dialog->m_tree;
    tree.SetupImageList();
    HTREEITEM top = tree.FindOrInsertChild(kTopItem, TVI_ROOT);
    // Shown whole as one item, without splitting at its backslashes.
    char nsfPath[kNsfPathBufferBytes];
    NarrowNsfPath(nsfPath);
    if (top)
        tree.FindOrInsertChild(nsfPath, top);
    dialog->EnableStepButtons(TRUE);
    return 0;
}
