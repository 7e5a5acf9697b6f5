// Stavrel's resources as the program finds them under its module handle:
// this test program builds res/Stavrel.rc in the way Stavrel does.
#include "gdi/Gdi.h"
#include "user/Controls.h"
#include "user/Resources.h"
#include "win32/Module.h"

#include <gtest/gtest.h>

TEST(StavrelResources, TheDialogsStringIconAndVersionThatTheProgramCarries)
{
    const HINSTANCE program = GetModuleHandleW(nullptr);
    const user::DialogTemplate* about = user::FindDialogTemplate(program, 100);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->caption, u"About Stavrel");
    auto has = [](const user::DialogTemplate& d, const std::u16string& className, const std::u16string& text) {
        for (const auto& c : d.controls)
            if (c.className == className && c.text == text)
                return true;
        return false;
    };
    EXPECT_TRUE(has(*about, WC_STATIC, u"Stavrel Version 1.0"));
    EXPECT_TRUE(has(*about, WC_STATIC, u"#128")) << "the icon";
    EXPECT_TRUE(has(*about, WC_BUTTON, u"OK"));

    const user::DialogTemplate* main = user::FindDialogTemplate(program, 102);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->caption, u"Stavrel");
    EXPECT_TRUE(has(*main, WC_BUTTON, u"OK"));
    EXPECT_TRUE(has(*main, WC_BUTTON, u"Cancel"));

    WCHAR text[64];
    ASSERT_GT(LoadStringW(program, 101, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"&About Stavrel...");

    HICON icon = static_cast<HICON>(LoadImageW(program, MAKEINTRESOURCEW(128), IMAGE_ICON, 48, 48, 0));
    ASSERT_NE(icon, nullptr);
    DestroyIcon(icon);

    const user::VersionResource* version = user::FindVersionResource(program, 1);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ((std::vector<WORD>(version->fileVersion, version->fileVersion + 4)), (std::vector<WORD>{1, 0, 0, 1}));
    EXPECT_EQ((std::vector<WORD>(version->productVersion, version->productVersion + 4)),
              (std::vector<WORD>{1, 0, 0, 1}));
    ASSERT_EQ(version->translations.size(), 1u);
    EXPECT_EQ(version->translations[0], (std::pair<WORD, WORD>{0x0409, 0x04B0}));
    const auto& strings = version->stringTables.at(u"040904B0");
    auto value = [&strings](const std::u16string& name) {
        for (const auto& [key, v] : strings)
            if (key == name)
                return v;
        return std::u16string(u"(missing)");
    };
    EXPECT_EQ(value(u"FileVersion"), u"1, 0, 0, 1");
    EXPECT_EQ(value(u"ProductVersion"), u"1, 0, 0, 1");
    EXPECT_EQ(value(u"FileDescription"), u"Stavrel");
    EXPECT_EQ(value(u"InternalName"), u"Stavrel");
    EXPECT_EQ(value(u"OriginalFilename"), u"Stavrel.EXE");
    EXPECT_EQ(value(u"ProductName"), u"Stavrel Application");
}
