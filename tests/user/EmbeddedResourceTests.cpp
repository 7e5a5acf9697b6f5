#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/IconFile.h"
#include "user/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A module handle of its own, so the test's registrations meet no other.
HINSTANCE TestModule(int n)
{
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x7E570000 + n));
}

std::vector<BYTE> Icon(int size)
{
    gdi::Surface image(size, size);
    image.Fill(0xFF336699);
    gdi::IconFileImage entry{&image, 32};
    return gdi::EncodeIconFile({&entry, 1});
}

std::vector<BYTE> Bitmap(int width, int height)
{
    gdi::Surface image(width, height);
    image.Fill(0x00808080);
    return gdi::EncodeBmp(image, 24);
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

SIZE IconSize(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return {0, 0};
    SIZE size = BitmapSize(info.hbmColor);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

const char* kScript = R"rc(
7 DIALOGEX 0, 0, 100, 50
CAPTION "Seven"
BEGIN
    DEFPUSHBUTTON "OK",IDOK,20,30,50,14
END
STRINGTABLE
BEGIN
    101 "&About"
END
131 ICON "view.ico"
5 BITMAP "strip.bmp"
)rc";

} // namespace

TEST(EmbeddedResources, ScriptAndFilesRegisterUnderTheModuleAndLoadThroughLoadImage)
{
    std::vector<BYTE> icon = Icon(32);
    std::vector<BYTE> bitmap = Bitmap(7, 3);
    const user::EmbeddedFile files[] = {{"view.ico", icon.data(), icon.size()},
                                        {"strip.bmp", bitmap.data(), bitmap.size()}};
    HINSTANCE module = TestModule(1);
    user::ScriptError error;
    ASSERT_TRUE(user::RegisterEmbeddedScript(module, {"test.rc", kScript, files}, &error)) << error.message;

    const user::DialogTemplate* dialog = user::FindDialogTemplate(module, 7);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, u"Seven");
    EXPECT_EQ(user::FindDialogTemplate(TestModule(2), 7), nullptr) << "another module holds nothing";
    WCHAR text[16];
    EXPECT_EQ(LoadStringW(module, 101, text, 16), 6);

    HICON loaded = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(131), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(IconSize(loaded).cx, 32);
    DestroyIcon(loaded);

    HBITMAP strip = LoadBitmapW(module, MAKEINTRESOURCEW(5));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(BitmapSize(strip).cx, 7);
    EXPECT_EQ(BitmapSize(strip).cy, 3);
    DeleteObject(strip);

    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(132), IMAGE_ICON, 0, 0, 0), nullptr) << "no such icon";
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(5), IMAGE_ICON, 0, 0, 0), nullptr) << "5 is a bitmap";
    EXPECT_EQ(LoadImageW(module, u"VIEW", IMAGE_ICON, 0, 0, 0), nullptr) << "resources are numbered";
    EXPECT_EQ(LoadImageW(TestModule(2), MAKEINTRESOURCEW(131), IMAGE_ICON, 0, 0, 0), nullptr);
}

TEST(EmbeddedResources, AFileThatWasNotBuiltInFailsWithTheLineOfTheScript)
{
    std::vector<BYTE> icon = Icon(16);
    const user::EmbeddedFile files[] = {{"view.ico", icon.data(), icon.size()}};
    user::ScriptError error;
    EXPECT_FALSE(user::RegisterEmbeddedScript(TestModule(3), {"test.rc", kScript, files}, &error));
    EXPECT_EQ(error.line, 12);
    EXPECT_NE(error.message.find("strip.bmp"), std::string::npos) << error.message;
    EXPECT_EQ(user::FindDialogTemplate(TestModule(3), 7), nullptr) << "nothing of a failed script is registered";
}
