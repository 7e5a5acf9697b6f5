// What a key of the X server means here: a virtual key of the window
// layer, or a character to type.
#pragma once

#include "win32/Types.h"

namespace display {

struct KeyMeaning {
    UINT virtualKey = 0;   // 0 when the key types a character without one
    char16_t character = 0; // a character that no virtual key gives through TranslateMessage
};

// The meaning of an X keysym; both fields 0 for a key that means nothing here.
KeyMeaning MeaningOfKeySym(unsigned long keysym);

} // namespace display
