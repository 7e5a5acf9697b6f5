// MessageBoxW. Every box is recorded (text, caption, flags, thread) so that
// tests and scripts can read what the user was shown; an answerer installed
// by the automation interface gives the user's answer. Without one, the box
// takes its default button, as Enter would.
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
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TYPEMASK = 0x0000000F;


int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace user {

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
    HWND owner = nullptr;
    std::thread::id thread;
    int answer = 0;
};

using MessageBoxAnswerer = std::function<int(const MessageBoxRecord&)>;

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
std::vector<MessageBoxRecord> MessageBoxHistory();
void ClearMessageBoxHistory();

} // namespace user
