// Icons and cursors by name: a module's icon resources, and the system's
// own icons (the message box icons, the application icon) and arrow cursor.
// The images of resources also load through LoadImageW with the module's
// handle (icons and bitmaps of the resource scripts).
#pragma once

#include "gdi/GdiTypes.h"
#include "user/Resources.h"

inline const LPCWSTR IDI_APPLICATION = MAKEINTRESOURCEW(32512);
inline const LPCWSTR IDI_HAND = MAKEINTRESOURCEW(32513);
inline const LPCWSTR IDI_QUESTION = MAKEINTRESOURCEW(32514);
inline const LPCWSTR IDI_EXCLAMATION = MAKEINTRESOURCEW(32515);
inline const LPCWSTR IDI_ASTERISK = MAKEINTRESOURCEW(32516);
inline const LPCWSTR IDI_ERROR = IDI_HAND;
inline const LPCWSTR IDI_WARNING = IDI_EXCLAMATION;
inline const LPCWSTR IDI_INFORMATION = IDI_ASTERISK;
inline const LPCWSTR IDC_ARROW = MAKEINTRESOURCEW(32512);
inline const LPCWSTR IDC_WAIT = MAKEINTRESOURCEW(32514);
inline const LPCWSTR IDC_HAND = MAKEINTRESOURCEW(32649);

// A shared icon of the module's resources (32 x 32), or of the system's
// with a null module. Shared icons live as long as the process.
HICON LoadIconW(HINSTANCE module, LPCWSTR name);
// The system's arrow, hourglass or hand (null module), or a cursor resource
// of the module.
HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name);

// The cursor shown over the screen (null: none); SetCursor returns the one
// it replaces. The screen draws no cursor of its own, so this is state only.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
