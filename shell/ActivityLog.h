// "Activity Log.txt": the plain-text journal of what the user chose and what
// the conversion did. Every message is CR LF and at most 200 bytes of its
// text in the machine's ANSI code page (UTF-8 under 65001), never half a
// character; the file restarts when it has grown past 5 MB.
#pragma once

#include "win32/Types.h"

using HWND = struct HWND__*;

// Appends one message; 1 when its bytes were written, else 0. Callers on
// several threads are served one at a time, so no message is lost to the
// file's exclusive open.
int WriteActivityLog(LPCWSTR message);

// Opens the log of g_szLogDir in Notepad.
void ViewActivityLog();

// The file that the writer writes now: in LogPath when that names something
// that exists, else in the install folder. False when the folder leaves no
// room for the file name in MAX_PATH characters.
bool GetWrittenLogPath(WCHAR (&path)[MAX_PATH]);

// Opens in Notepad the file that the writer writes, so that a viewer never
// opens a missing file while a log exists.
void ViewWrittenActivityLog();

// Asks, then deletes the log of g_szLogDir on Yes.
void ClearActivityLog(HWND owner);

// The block written once per program start.
void WriteLogStartBlock();
