// Input as the person at the screen makes it: the mouse at a screen point
// and keys. Both the desktop display and the automation interface feed
// input through here, so that it reaches windows the one way Windows
// delivers it: the mouse goes to the window that captured it or else to the
// enabled window under the point (after WM_NCHITTEST, as client or
// non-client messages), a press first activates its top-level window, and
// keys go to the focus window of the foreground thread.
#pragma once

#include "win32/Types.h"

namespace user::input {

constexpr int kLeftButton = 0;
constexpr int kRightButton = 1;
constexpr int kMiddleButton = 2;

void MouseMove(POINT screen);
void MouseButton(POINT screen, int button, bool down);
// A press and release at the point.
void Click(POINT screen, int button = kLeftButton);
// Two presses and releases at the point; the second press is a double click
// (WM_xBUTTONDBLCLK) for a window whose class has CS_DBLCLKS.
void DoubleClick(POINT screen, int button = kLeftButton);

// The wheel turned at the point by delta (WHEEL_DELTA a notch, positive
// away from the user): WM_MOUSEWHEEL goes to the focus window of the
// foreground thread, as keys do, with the point on the screen.
void MouseWheel(POINT screen, int delta, HWND target = nullptr);

// Key messages go to the thread of the foreground window (or of target when
// given), to the window that has the focus when the thread takes them (its
// active window when nothing has). Alt held down, or F10, makes
// WM_SYSKEYDOWN / WM_SYSKEYUP.
void Key(UINT virtualKey, bool down, HWND target = nullptr);
// A character without a virtual key of its own (VK_PACKET).
void Character(char16_t character, HWND target = nullptr);

// Where keys go: the focus window of the foreground thread, or its active
// window when nothing has the focus; given a window, the focus of its thread.
HWND KeyTarget(HWND window = nullptr);

} // namespace user::input
