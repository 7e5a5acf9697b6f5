// MessageBoxW as a modal dialog of its own, the record of every box and the
// answerer that tests install.
#include "MessageBoxLayout.h"
#include "WindowData.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Icons.h"
#include "user/Menu.h"
#include "user/MessageBox.h"
#include "user/Messages.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>

using namespace user::detail;

namespace {

// Asks the answerer once the box is up: a private message of the box's own.
constexpr UINT kAskAnswerer = WM_APP + 0x3E1;

struct OpenBox {
    std::uint64_t order;
    user::MessageBoxRecord record;
};

std::mutex g_mutex;
user::MessageBoxAnswerer g_answerer;
std::vector<user::MessageBoxRecord> g_history;
std::vector<UINT> g_beeps;
std::uint64_t g_generation = 0; // a cleared history starts a new generation
std::uint64_t g_opened = 0;
std::map<HWND, OpenBox> g_open;

struct BoxRun {
    std::size_t index;          // the record's place in the history
    std::uint64_t generation;   // of the history it was recorded in
    user::MessageBoxRecord record;
};

user::MessageBoxRecord* HistoryRecord(const BoxRun& run)
{
    return run.generation == g_generation && run.index < g_history.size() ? &g_history[run.index] : nullptr;
}

LPCWSTR IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return IDI_HAND;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return nullptr;
    }
}

void Answer(HWND box, int answer)
{
    // The answer's button is clicked; an answer the box has no button for ends it as it is.
    if (HWND button = GetDlgItem(box, answer))
        SendMessageW(button, BM_CLICK, 0, 0);
    else
        EndDialog(box, answer);
}

INT_PTR MessageBoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* run = reinterpret_cast<BoxRun*>(GetWindowLongPtrW(box, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        run = reinterpret_cast<BoxRun*>(lParam);
        SetWindowLongPtrW(box, DWLP_USER, lParam);
        run->record.window = box;
        if (LPCWSTR icon = IconOf(run->record.type))
            SendMessageW(GetWindow(box, GW_CHILD), STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
        if (!MessageBoxEscapeAnswer(run->record.type))
            EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        bool ask = false;
        {
            std::lock_guard lock(g_mutex);
            g_open[box] = {g_opened++, run->record};
            if (auto* record = HistoryRecord(*run))
                record->window = box;
            ask = static_cast<bool>(g_answerer);
        }
        if (ask)
            PostMessageW(box, kAskAnswerer, 0, 0);
        LRESULT def = SendMessageW(box, DM_GETDEFID, 0, 0);
        if (HWND button = GetDlgItem(box, LOWORD(static_cast<UINT_PTR>(def))))
            SetFocus(button);
        return FALSE; // the focus is set
    }
    case kAskAnswerer: {
        user::MessageBoxAnswerer answerer;
        {
            std::lock_guard lock(g_mutex);
            answerer = g_answerer;
        }
        if (answerer)
            Answer(box, answerer(run->record));
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDCANCEL && !GetDlgItem(box, IDCANCEL)) {
            // Escape or the close box, in a box without Cancel.
            if (int answer = MessageBoxEscapeAnswer(run->record.type))
                EndDialog(box, answer);
            return TRUE;
        }
        for (const auto& button : MessageBoxButtons(run->record.type)) {
            if (button.id == id)
                EndDialog(box, id);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    BoxRun run;
    run.record = {text ? text : u"", caption ? caption : u"Error", type, owner, std::this_thread::get_id(), 0, nullptr};
    {
        // Recorded before it is answered: an answer may end the program.
        std::lock_guard lock(g_mutex);
        run.index = g_history.size();
        run.generation = g_generation;
        g_history.push_back(run.record);
    }
    user::DialogTemplate tmpl = MessageBoxTemplate(run.record.text, run.record.caption, type);
    // The box leaves the open ones also when a terminated thread unwinds
    // out of its loop.
    struct Closed {
        BoxRun& run;
        ~Closed()
        {
            std::lock_guard lock(g_mutex);
            if (run.record.window)
                g_open.erase(run.record.window);
        }
    } closed{run};
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, tmpl, owner, MessageBoxProc, reinterpret_cast<LPARAM>(&run));
    std::lock_guard lock(g_mutex);
    if (auto* record = HistoryRecord(run)) {
        record->answer = static_cast<int>(answer);
        record->window = nullptr;
    }
    return static_cast<int>(answer);
}

BOOL MessageBeep(UINT type)
{
    std::lock_guard lock(g_mutex);
    g_beeps.push_back(type);
    return TRUE;
}

namespace user {

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    std::lock_guard lock(g_mutex);
    g_answerer = std::move(answerer);
}

std::vector<MessageBoxRecord> MessageBoxHistory()
{
    std::lock_guard lock(g_mutex);
    return g_history;
}

std::vector<UINT> BeepHistory()
{
    std::lock_guard lock(g_mutex);
    return g_beeps;
}

void ClearMessageBoxHistory()
{
    std::lock_guard lock(g_mutex);
    g_history.clear();
    g_beeps.clear();
    ++g_generation;
}

std::vector<HWND> OpenMessageBoxes()
{
    std::vector<std::pair<std::uint64_t, HWND>> open;
    {
        std::lock_guard lock(g_mutex);
        for (const auto& [box, entry] : g_open)
            open.emplace_back(entry.order, box);
    }
    std::sort(open.begin(), open.end());
    std::vector<HWND> boxes;
    for (const auto& [index, box] : open) {
        if (IsWindowVisible(box))
            boxes.push_back(box);
    }
    return boxes;
}

bool MessageBoxRecordOf(HWND box, MessageBoxRecord& record)
{
    std::lock_guard lock(g_mutex);
    auto it = g_open.find(box);
    if (it == g_open.end())
        return false;
    record = it->second.record;
    return true;
}

} // namespace user
