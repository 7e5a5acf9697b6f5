// Hooks of a thread. Only the message filter is kept: every modal loop calls
// it with each message before the loop handles the message itself, so that
// a framework can look at a dialog's messages first (its PreTranslateMessage).
#pragma once

#include "user/MessageQueue.h"

using HHOOK = struct HHOOK__*;
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

constexpr int WH_MSGFILTER = -1;

// The code a filter gets: which kind of modal loop asks.
constexpr int MSGF_DIALOGBOX = 0;
constexpr int MSGF_MESSAGEBOX = 1;
constexpr int MSGF_MENU = 2;

// A filter of the calling thread (threadId 0 or the caller's own id). The
// newest filter is called first; it passes a message on with CallNextHookEx.
// Null for another thread or another kind of hook.
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// Offers the message to the thread's filters (lParam is the MSG*); TRUE when
// one of them took it, and the loop is then to leave it alone.
BOOL CallMsgFilterW(LPMSG msg, int code);
