// The automation interface: drives the program as a user would, from any
// thread. Input goes into the queue of the thread that owns the target
// window, exactly as the display delivers it; reads go through the windows'
// own messages.
#pragma once

#include "user/MessageQueue.h"
#include "user/Window.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct GUITHREADINFO {
    DWORD cbSize;
    DWORD flags;
    HWND hwndActive;
    HWND hwndFocus;
    HWND hwndCapture;
    HWND hwndMenuOwner;
    HWND hwndMoveSize;
    HWND hwndCaret;
    RECT rcCaret;
};
BOOL GetGUIThreadInfo(DWORD threadId, GUITHREADINFO* info);

namespace user::automation {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kDefaultWait{10000};

// Waits (in real time) until the condition holds; false when it never did.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kDefaultWait);

// The visible top-level windows, top of the z-order first.
std::vector<HWND> TopLevelWindows();
// A visible top-level window by its title, or with a child of that dialog
// id... waiting for it to appear; null when none came.
HWND WaitForWindow(const std::u16string& title, std::chrono::milliseconds timeout = kDefaultWait);
HWND WaitForWindowWithControl(int controlId, std::chrono::milliseconds timeout = kDefaultWait);
HWND FindControl(HWND dialog, int id);
std::u16string TextOf(HWND hwnd);

// The program's active top-level window: the top of the z-order among the
// visible top-level windows, open menus left aside.
HWND ActiveWindow();

// Input, through the same routing as the person at the screen. Keys go to
// the focus window of the thread that owns the window given (or to the
// window itself when nothing of that thread has the focus).
void PressKey(HWND window, WPARAM virtualKey, bool shift = false);
void TypeText(HWND window, const std::u16string& text);
// A press and release of the left button in the middle of the control, at
// its place on the screen.
void Click(HWND control);
// Mouse input at a point of a window's client area, through the screen:
// the cursor moves there and the window under it gets what a real mouse
// would give it. A double click's second press arrives as WM_LBUTTONDBLCLK
// at windows whose class asks for double clicks.
void MoveMouseTo(HWND window, POINT point);
void ClickAt(HWND window, POINT point);
void DoubleClickAt(HWND window, POINT point);
void RightClickAt(HWND window, POINT point);
// The left button pressed at a point and held, and released at a point:
// the two halves of a click, with moves (MoveMouseTo) between them to drag.
void PressMouseAt(HWND window, POINT point);
void ReleaseMouseAt(HWND window, POINT point);
// The mouse moves to a point of the window's client area and the wheel
// turns there by notches (positive away from the user); the focus window
// of the window's thread hears it, as from the person's wheel.
void TurnWheel(HWND window, POINT point, int notches);
// Chooses the item with the command id from the window's menu bar, else
// from its system menu, by clicking through the menus as a person would.
// False when neither menu holds the command or a menu did not open.
bool ChooseMenuCommand(HWND window, UINT commandId);
bool ChooseSystemMenuCommand(HWND window, UINT commandId);
// The close box of a top-level window (Alt+F4 for a window without one).
void CloseWindow(HWND window);

// Message boxes: the one opened last and still open (waiting for it to
// come; null when none came), and answering it by clicking its button
// (false when it has no such button).
HWND WaitForMessageBox(std::chrono::milliseconds timeout = kDefaultWait);
bool AnswerMessageBox(HWND box, int answer);
std::u16string MessageBoxText(HWND box);

// Reading what the person sees.
struct MenuEntry {
    UINT id = 0;          // 0 for separators and popups
    std::u16string text;  // with its '&' marks
    int depth = 0;        // 0 for the items of the menu itself, 1 in their popups, ...
    bool popup = false;
    bool separator = false;
    bool enabled = true;
    bool checked = false;
};
// The items of the window's menu bar or system menu, depth first.
std::vector<MenuEntry> MenuEntries(HWND window);
std::vector<MenuEntry> SystemMenuEntries(HWND window);
// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE of a button.
UINT CheckStateOf(HWND control);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
// The window's rectangle on the screen.
RECT PositionOf(HWND window);

// Waits until no visible window of another thread waits to be painted;
// false when one still did at the timeout.
bool WaitForPaint(std::chrono::milliseconds timeout = kDefaultWait);
// A PNG of the window as it shows in its surface (a child: its part of its
// top-level window's surface), or of the whole composed screen when window
// is null. Waits for pending paints first. False when it cannot be written.
bool Screenshot(HWND window, const std::filesystem::path& path);

} // namespace user::automation
