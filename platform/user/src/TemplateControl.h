// A control of a dialog template that the window layer builds itself (the
// message box, the common dialogs): visible, a child, at a place in dialog
// units.
#pragma once

#include "user/Resources.h"
#include "user/Window.h"

namespace user::detail {

inline DialogControl TemplateControl(int id, const char16_t* className, std::u16string text, DWORD style, int x,
                                     int y, int cx, int cy)
{
    DialogControl control;
    control.id = id;
    control.className = className;
    control.text = std::move(text);
    control.style = style | WS_CHILD | WS_VISIBLE;
    control.x = static_cast<short>(x);
    control.y = static_cast<short>(y);
    control.cx = static_cast<short>(cx);
    control.cy = static_cast<short>(cy);
    return control;
}

} // namespace user::detail
