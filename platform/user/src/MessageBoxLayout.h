// The dialog template of a message box: sized to its text, its icon and its
// buttons, in dialog units of the dialog font.
#pragma once

#include "user/Resources.h"

#include <string>

namespace user::detail {

struct MessageBoxButton {
    int id;
    const char16_t* text;
};

// The buttons of the box's type, in order.
std::vector<MessageBoxButton> MessageBoxButtons(UINT type);
// The answer that Escape and the close box give; 0 when the box ignores them.
int MessageBoxEscapeAnswer(UINT type);

DialogTemplate MessageBoxTemplate(const std::u16string& text, const std::u16string& caption, UINT type);

} // namespace user::detail
