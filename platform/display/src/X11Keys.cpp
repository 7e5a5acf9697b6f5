#include "X11Keys.h"

#include <X11/keysym.h>

namespace display {

namespace {

struct Named {
    unsigned long keysym;
    UINT virtualKey;
};

// Virtual keys as the window layer numbers them.
const Named kNamed[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09},       {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D}, {XK_KP_Enter, 0x0D},
    {XK_Shift_L, 0x10},   {XK_Shift_R, 0x10},   {XK_Control_L, 0x11},    {XK_Control_R, 0x11},
    {XK_Alt_L, 0x12},     {XK_Alt_R, 0x12},     {XK_Escape, 0x1B},       {XK_space, 0x20},  {XK_Prior, 0x21},
    {XK_Next, 0x22},      {XK_End, 0x23},       {XK_Home, 0x24},         {XK_Left, 0x25},   {XK_Up, 0x26},
    {XK_Right, 0x27},     {XK_Down, 0x28},      {XK_Delete, 0x2E},       {XK_KP_Delete, 0x2E},
};

} // namespace

KeyMeaning MeaningOfKeySym(unsigned long keysym)
{
    for (const Named& named : kNamed) {
        if (named.keysym == keysym)
            return {named.virtualKey, 0};
    }
    if (keysym >= XK_F1 && keysym <= XK_F12)
        return {static_cast<UINT>(0x70 + (keysym - XK_F1)), 0};
    // Letters and digits are virtual keys of their own; TranslateMessage
    // makes their characters with the shift state.
    if (keysym >= XK_a && keysym <= XK_z)
        return {static_cast<UINT>('A' + (keysym - XK_a)), 0};
    if (keysym >= XK_A && keysym <= XK_Z)
        return {static_cast<UINT>('A' + (keysym - XK_A)), 0};
    if (keysym >= XK_0 && keysym <= XK_9)
        return {static_cast<UINT>('0' + (keysym - XK_0)), 0};
    // Other Latin-1 characters are typed as characters; so are the keysyms
    // that carry a Unicode code point of the basic plane.
    if (keysym >= 0x20 && keysym <= 0xFF)
        return {0, static_cast<char16_t>(keysym)};
    if ((keysym & 0xFF000000) == 0x01000000 && (keysym & 0x00FFFFFF) <= 0xFFFF)
        return {0, static_cast<char16_t>(keysym & 0xFFFF)};
    return {};
}

} // namespace display
