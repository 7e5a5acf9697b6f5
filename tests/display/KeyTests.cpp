// The desktop display's keys: virtual keys where TranslateMessage makes the
// character, characters of their own otherwise.
#include "X11Keys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

TEST(X11Keys, KeysMapToVirtualKeysOrCharacters)
{
    EXPECT_EQ(display::MeaningOfKeySym(XK_Return).virtualKey, 0x0Du);
    EXPECT_EQ(display::MeaningOfKeySym(XK_Escape).virtualKey, 0x1Bu);
    EXPECT_EQ(display::MeaningOfKeySym(XK_F1).virtualKey, 0x70u);
    EXPECT_EQ(display::MeaningOfKeySym(XK_F10).virtualKey, 0x79u);
    // Both cases of a letter are its one virtual key: the shift state decides the character.
    EXPECT_EQ(display::MeaningOfKeySym(XK_a).virtualKey, static_cast<UINT>('A'));
    EXPECT_EQ(display::MeaningOfKeySym(XK_Q).virtualKey, static_cast<UINT>('Q'));
    EXPECT_EQ(display::MeaningOfKeySym(XK_7).virtualKey, static_cast<UINT>('7'));
    EXPECT_EQ(display::MeaningOfKeySym(XK_a).character, 0);
    // Punctuation and accented letters are typed as characters.
    auto colon = display::MeaningOfKeySym(XK_colon);
    EXPECT_EQ(colon.virtualKey, 0u);
    EXPECT_EQ(colon.character, u':');
    EXPECT_EQ(display::MeaningOfKeySym(XK_eacute).character, u'\u00E9');
    EXPECT_EQ(display::MeaningOfKeySym(0x010020AC).character, u'\u20AC'); // a Unicode keysym: the euro sign
    auto nothing = display::MeaningOfKeySym(XK_Caps_Lock);
    EXPECT_EQ(nothing.virtualKey, 0u);
    EXPECT_EQ(nothing.character, 0);
}
