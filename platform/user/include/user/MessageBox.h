// MessageBoxW: a modal dialog with the caption, the wrapped text, the icon
// and the buttons that the flags ask for, run on the calling thread (worker
// threads included), owned by the window given or by none.
//
// Every box is recorded (text, caption, flags, owner, thread, answer) so
// that tests and scripts can read what the person was shown. An answerer
// installed by a test gives the person's answer: it is called on the box's
// thread once the box is up, and the button of its answer is clicked.
// Without one, the box waits for a click, a key or the automation interface.
#pragma once

#include "user/CommandIds.h"
#include "win32/Types.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFMASK = 0x00000F00;

// The id of the text of a message box, as GetDlgItem finds it.
constexpr int kMessageBoxTextId = 0xFFFF;

// Escape and the close box: IDCANCEL for a box with Cancel, IDOK for an OK
// box; a Yes/No box ignores Escape and has its close box disabled.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// The system's sound for the type (MB_ICONHAND, MB_OK, ...). The screen has
// no speaker: the beep is recorded for tests and scripts to read.
BOOL MessageBeep(UINT type);

namespace user {

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
    HWND owner = nullptr;
    std::thread::id thread;
    int answer = 0;
    HWND window = nullptr; // the box's dialog while it is open
};

using MessageBoxAnswerer = std::function<int(const MessageBoxRecord&)>;

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
std::vector<MessageBoxRecord> MessageBoxHistory();
// The types of the beeps sounded, oldest first; cleared with the boxes.
std::vector<UINT> BeepHistory();
void ClearMessageBoxHistory();

// The message boxes open now, the first opened first.
std::vector<HWND> OpenMessageBoxes();
// The record of an open box; false for a window that is not one.
bool MessageBoxRecordOf(HWND box, MessageBoxRecord& record);

} // namespace user
