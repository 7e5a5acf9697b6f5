// The artwork the build draws: every bitmap the programs load from the
// install folder and every icon their scripts name, checked against what
// the dialogs and the windows that show them need.
#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"
#include "user/Dialog.h"
#include "user/Resources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path kArtwork = MARLWICK_ARTWORK_DIR;
const fs::path kResources = MARLWICK_RESOURCES_DIR;

std::vector<BYTE> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::shared_ptr<gdi::Surface> Bitmap(const std::string& name)
{
    gdi::DibResult dib = gdi::ParseBmp(ReadFile(kArtwork / name));
    EXPECT_NE(dib.image, nullptr) << name << ": " << dib.error;
    return dib.image;
}

// A script of res/ with the files it names, as the build reads it.
user::ResourceSet Script(const std::string& name)
{
    user::ResourceSet set;
    user::ScriptError error;
    std::ifstream in(kResources / name);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto reader = [](const std::string& file) -> std::optional<std::vector<BYTE>> {
        for (const fs::path& dir : {kResources, kArtwork}) {
            if (fs::exists(dir / file))
                return ReadFile(dir / file);
        }
        return std::nullopt;
    };
    EXPECT_TRUE(user::ParseResourceScript(text, reader, set, &error)) << name << ":" << error.line << ": "
                                                                       << error.message;
    return set;
}

RECT Pixels(short x, short y, short cx, short cy)
{
    RECT rect{x, y, x + cx, y + cy};
    MapDialogRect(nullptr, &rect);
    return rect;
}

struct IconImage {
    int width, height, bitCount;
};

std::vector<IconImage> Directory(const std::vector<BYTE>& file)
{
    std::vector<IconImage> images;
    const int count = file.size() >= 6 ? file[4] | (file[5] << 8) : 0;
    for (int i = 0; i < count && file.size() >= 6 + 16u * (i + 1); ++i) {
        const BYTE* e = file.data() + 6 + 16 * i;
        images.push_back({e[0] ? e[0] : 256, e[1] ? e[1] : 256, e[6] | (e[7] << 8)});
    }
    return images;
}

// Whether a pixel lies in the window that the skin's region builder leaves
// out for the key 0x00FF00: red and blue 0..17, green 238..255.
bool NearGreen(gdi::Pixel p)
{
    return ((p >> 16) & 0xFF) <= 17 && ((p >> 8) & 0xFF) >= 238 && (p & 0xFF) <= 17;
}

} // namespace

TEST(Artwork, BackgroundsCoverEveryDialogThatWearsThemAndHoldNoGreen)
{
    user::ResourceSet marlwick = Script("Marlwick.rc");
    const struct {
        const char* file;
        std::vector<int> dialogs;
    } skins[] = {{"main.bmp", {102, 136, 139, 148, 149, 150}}, {"Skin.bmp", {100, 137, 138, 153}}};
    for (const auto& skin : skins) {
        auto image = Bitmap(skin.file);
        ASSERT_NE(image, nullptr);
        for (int id : skin.dialogs) {
            const user::DialogTemplate& dialog = marlwick.dialogs.at(id);
            RECT client = Pixels(0, 0, dialog.cx, dialog.cy);
            EXPECT_GE(image->Width(), client.right) << skin.file << " is narrower than dialog " << id;
            EXPECT_GE(image->Height(), client.bottom) << skin.file << " is lower than dialog " << id;
        }
        int green = 0;
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x)
                green += NearGreen(image->At(x, y));
        EXPECT_EQ(green, 0) << skin.file << ": the dialogs keep rectangular, so green would show";
    }
    // The wizard's background is exactly its client area.
    auto main = Bitmap("main.bmp");
    EXPECT_EQ(main->Width(), 713);
    EXPECT_EQ(main->Height(), 488);
}

TEST(Artwork, StepPicturesSpanTheStepAndCoverNoneOfItsControls)
{
    user::ResourceSet marlwick = Script("Marlwick.rc");
    const struct {
        int dialog;
        std::vector<const char*> pictures;
    } steps[] = {{102, {"step1.bmp"}},
                 {136, {"step2.bmp"}},
                 {139, {"step3_mail.bmp", "step3_add.bmp", "step3_cal.bmp"}},
                 {148, {"step4.bmp"}},
                 {149, {"step5_mail.bmp", "step5_add.bmp", "step5_cal.bmp"}},
                 {150, {"step6.bmp"}}};
    for (const auto& step : steps) {
        const user::DialogTemplate& dialog = marlwick.dialogs.at(step.dialog);
        auto holder = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                   [](const user::DialogControl& c) { return c.id == 1007; });
        ASSERT_NE(holder, dialog.controls.end()) << step.dialog;
        RECT at = Pixels(holder->x, holder->y, holder->cx, holder->cy);
        for (const char* name : step.pictures) {
            auto picture = Bitmap(name);
            ASSERT_NE(picture, nullptr);
            // A bitmap static takes its picture's size.
            RECT shown{at.left, at.top, at.left + picture->Width(), at.top + picture->Height()};
            EXPECT_EQ(picture->Width(), Pixels(0, 0, dialog.cx, 0).right) << name;
            for (const user::DialogControl& control : dialog.controls) {
                if (&control == &*holder)
                    continue;
                RECT other = Pixels(control.x, control.y, control.cx, control.cy), overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &shown, &other))
                    << name << " covers control " << control.id << " of dialog " << step.dialog << " at "
                    << control.x << "," << control.y;
            }
        }
    }
}

TEST(Artwork, TheSplashPictureIsAShapeCutOutOfTheKeyColourWithoutAFringe)
{
    auto flash = Bitmap("Flash.bmp");
    ASSERT_NE(flash, nullptr);
    const gdi::Pixel key = 0xFF00F0; // RGB(255, 0, 240)
    const int w = flash->Width(), h = flash->Height();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(flash->At(x, y) & 0xFFFFFF, key) << "corner " << x << "," << y;
    EXPECT_NE(flash->At(w / 2, h / 2) & 0xFFFFFF, key);

    long cut = 0;
    std::set<std::pair<int, int>> spans; // the kept span of each row
    for (int y = 0; y < h; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < w; ++x) {
            gdi::Pixel p = flash->At(x, y) & 0xFFFFFF;
            if (p == key) {
                ++cut;
                continue;
            }
            if (first < 0)
                first = x;
            last = x;
            // A blend of the picture with the key would stay after the cut as a pink edge.
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            EXPECT_FALSE(r > 200 && g < 90 && b > 160) << "a pinkish pixel at " << x << "," << y;
        }
        if (first >= 0)
            spans.insert({first, last});
    }
    EXPECT_GT(cut, static_cast<long>(w) * h / 20) << "the outline cuts something away";
    EXPECT_LT(cut, static_cast<long>(w) * h / 2);
    EXPECT_GT(spans.size(), 10u) << "the outline is a shape, not a rectangle";
}

TEST(Artwork, IconsHoldTheImagesTheirUsersAsk)
{
    user::ResourceSet marlwick = Script("Marlwick.rc");
    user::ResourceSet stavrel = Script("Stavrel.rc");
    const struct {
        user::ResourceSet* set;
        int id;
        std::vector<IconImage> images; // exactly these, in any order
    } icons[] = {
        {&marlwick, 131, {{32, 32, 32}, {32, 32, 8}}},
        {&marlwick, 132, {{32, 32, 32}, {32, 32, 8}}},
        {&marlwick, 133, {{32, 32, 32}, {32, 32, 8}}},
        {&stavrel,
         128,
         {{32, 32, 8},
          {24, 24, 8},
          {16, 16, 8},
          {255, 255, 32},
          {128, 128, 32},
          {96, 96, 32},
          {72, 72, 32},
          {48, 48, 32},
          {32, 32, 32},
          {24, 24, 32},
          {16, 16, 32}}},
    };
    auto sameImage = [](const IconImage& a, const IconImage& b) {
        return a.width == b.width && a.height == b.height && a.bitCount == b.bitCount;
    };
    for (const auto& icon : icons) {
        ASSERT_TRUE(icon.set->icons.count(icon.id)) << icon.id;
        const std::vector<BYTE>& file = icon.set->icons.at(icon.id);
        std::vector<IconImage> found = Directory(file);
        EXPECT_EQ(found.size(), icon.images.size()) << icon.id;
        for (const IconImage& wanted : icon.images) {
            EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](auto& f) { return sameImage(f, wanted); }))
                << "icon " << icon.id << " lacks " << wanted.width << "x" << wanted.height << "x" << wanted.bitCount;
            HICON loaded = gdi::LoadIconFile(file, TRUE, wanted.width, wanted.height);
            ASSERT_NE(loaded, nullptr) << icon.id;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(loaded, &info));
            BITMAP bm{};
            GetObjectW(info.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, wanted.width) << icon.id;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(loaded);
        }
    }
    // The program icon serves as the window's big and small icon.
    std::vector<IconImage> program = Directory(marlwick.icons.at(128));
    for (int size : {32, 16})
        EXPECT_TRUE(std::any_of(program.begin(), program.end(), [&](auto& f) { return f.width == size; })) << size;
}

TEST(Artwork, TreeIconsAreOpaqueSixteenPixelImagesForAnImageListWithoutMask)
{
    user::ResourceSet marlwick = Script("Marlwick.rc");
    for (int id : {144, 147, 143, 141, 140, 142, 146, 152}) {
        ASSERT_TRUE(marlwick.icons.count(id)) << id;
        const std::vector<BYTE>& file = marlwick.icons.at(id);
        std::vector<IconImage> images = Directory(file);
        ASSERT_EQ(images.size(), 1u) << id;
        EXPECT_EQ(images[0].width, 16);
        EXPECT_EQ(images[0].bitCount, 8);
        HICON icon = gdi::LoadIconFile(file, TRUE, 16, 16);
        ASSERT_NE(icon, nullptr) << id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, info.hbmMask);
        int transparent = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                transparent += GetPixel(dc, x, y) != RGB(0, 0, 0);
        SelectObject(dc, old);
        DeleteDC(dc);
        EXPECT_EQ(transparent, 0) << "icon " << id << " would show black where it is transparent";
        // And the picture is more than its white ground.
        auto color = gdi::SurfaceOfBitmap(info.hbmColor);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += (color->At(x, y) & 0xFFFFFF) != 0xFFFFFF;
        EXPECT_GT(drawn, 30) << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}
