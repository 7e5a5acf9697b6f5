// The dialog manager's mnemonics: Alt and the underlined letter of a
// control's text (the letter alone where the focused control takes no
// characters) go to that control.
#pragma once

#include "user/MessageQueue.h"

#include <string>

namespace user::detail {

// The letter a text underlines: the one after a single '&' ("&&" shows an
// ampersand); 0 when there is none.
WCHAR MnemonicOf(const std::u16string& text);

// IsDialogMessage's WM_CHAR and WM_SYSCHAR: true when a control of the
// dialog took the letter.
bool HandleDialogMnemonic(HWND dialog, const MSG& msg);

} // namespace user::detail
