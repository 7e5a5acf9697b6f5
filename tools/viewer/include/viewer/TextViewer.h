// The window of the machine's text viewers (Notepad.exe, hh.exe): a
// top-level window whose client area is a read-only multi-line edit with
// scroll bars, on the display of the process (the desktop when DISPLAY is
// set, else the headless screen).
#pragma once

#include "win32/Types.h"

#include <string>

namespace viewer {

// The edit control's id, as Notepad's own edit has it.
constexpr int kTextControlId = 15;

// Creates and shows the viewer window with the title and the text.
HWND OpenViewerWindow(const std::u16string& title, const std::u16string& text);

// Runs the window's message loop until it is closed; the exit code. A
// viewer that nobody can see or drive (a headless screen, not driven by a
// script) ends at once.
int RunViewer(HWND window, bool driven);

// Bytes of a text file in the machine's ANSI code page.
std::u16string DecodeAnsi(const std::string& bytes);

} // namespace viewer
