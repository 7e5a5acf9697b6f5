// Painting buttons in the classic look, and owner-drawn buttons.
#pragma once

#include "win32/Types.h"
#include "gdi/GdiTypes.h"

namespace user::detail {

struct ButtonLook {
    WPARAM check = 0;
    bool pushed = false;
    bool focused = false;
    HANDLE image = nullptr;
    WPARAM imageType = 0;
    HFONT font = nullptr;
};

void PaintButton(HWND hwnd, HDC dc, const ButtonLook& look);
// Sends WM_DRAWITEM to the parent of an owner-drawn button with the
// action and the button's states.
void DrawOwnerButton(HWND hwnd, HDC dc, const ButtonLook& look, UINT action);

} // namespace user::detail
