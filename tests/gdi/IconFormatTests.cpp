#include "GdiTest.h"

#include "testsupport/MachineFixture.h"

#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<BYTE>& out, unsigned v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<BYTE>& out, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xFF);
}

// A 4 x 4, 4-bit icon image: colour index 1 (red) on the left half, index 2
// (blue) on the right; the AND mask makes the bottom row transparent, and
// there the colour is black, as icons keep it (the colour is XOR-ed).
std::vector<BYTE> IconImage(bool withMask = true)
{
    std::vector<BYTE> out;
    Put32(out, 40);
    Put32(out, 4);
    Put32(out, 8); // twice the height
    Put16(out, 1);
    Put16(out, 4);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    BYTE palette[16][4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}};
    for (auto& q : palette)
        out.insert(out.end(), q, q + 4);
    for (int row = 0; row < 4; ++row) { // bottom-up colour rows, 4 bytes each
        out.push_back(row == 0 ? 0 : 0x11);
        out.push_back(row == 0 ? 0 : 0x22);
        out.push_back(0);
        out.push_back(0);
    }
    if (withMask) {
        Put32(out, 0xF0); // first mask row (the bottom): 1111 -> transparent
        for (int row = 1; row < 4; ++row)
            Put32(out, 0);
    }
    return out;
}

} // namespace

class IconFormatTest : public GdiTest {};

TEST_F(IconFormatTest, ResourceImagesBecomeIconsWithTheirMask)
{
    auto bits = IconImage();
    HICON icon = CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000, 0, 0, 0);
    ASSERT_NE(icon, nullptr);
    BitmapDC dc(4, 4, RGB(0, 255, 0));
    DrawIconEx(dc.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(dc.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(3, 0), RGB(0, 0, 255));
    EXPECT_EQ(dc.At(0, 3), RGB(0, 255, 0)) << "the bottom row is masked out";
    ICONINFO info{};
    GetIconInfo(icon, &info);
    EXPECT_EQ(info.xHotspot, 2u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);

    // Asked for another size, the icon is scaled.
    HICON big = CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000, 8, 8, 0);
    ASSERT_NE(big, nullptr);
    GetIconInfo(big, &info);
    BITMAP bm{};
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 8);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(big);

    // A cursor carries its hot spot in front of the image.
    std::vector<BYTE> cursor;
    Put16(cursor, 1);
    Put16(cursor, 3);
    cursor.insert(cursor.end(), bits.begin(), bits.end());
    HICON cur = CreateIconFromResource(cursor.data(), static_cast<DWORD>(cursor.size()), FALSE, 0x00030000);
    ASSERT_NE(cur, nullptr);
    GetIconInfo(cur, &info);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 1u);
    EXPECT_EQ(info.yHotspot, 3u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(cur);
}

TEST_F(IconFormatTest, ShortOrDamagedImagesFail)
{
    auto bits = IconImage();
    for (std::size_t cut : {std::size_t(0), std::size_t(10), std::size_t(40), bits.size() - 20, bits.size() - 1})
        EXPECT_EQ(CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(cut), TRUE, 0x00030000, 0, 0, 0), nullptr)
            << "cut at " << cut;
    EXPECT_EQ(CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00020000, 0, 0, 0),
              nullptr);
    auto noMask = IconImage(false);
    EXPECT_EQ(CreateIconFromResource(noMask.data(), static_cast<DWORD>(noMask.size()), TRUE, 0x00030000), nullptr)
        << "only 32-bit images may leave out the mask";
}

TEST(IconDirectoryTest, TheNearestSizeWithTheMostColoursIsChosen)
{
    std::vector<BYTE> dir;
    Put16(dir, 0);
    Put16(dir, 1);
    Put16(dir, 3);
    struct Entry {
        BYTE size;
        WORD bits;
        WORD id;
    } entries[] = {{16, 8, 11}, {32, 4, 12}, {32, 8, 13}};
    for (const Entry& e : entries) {
        dir.push_back(e.size);
        dir.push_back(e.size);
        dir.push_back(0);
        dir.push_back(0);
        Put16(dir, 1);
        Put16(dir, e.bits);
        Put32(dir, 100);
        Put16(dir, e.id);
    }
    EXPECT_EQ(LookupIconIdFromDirectory(dir.data(), TRUE), 13);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(dir.data(), TRUE, 16, 16, 0), 11);
    EXPECT_EQ(LookupIconIdFromDirectoryEx(dir.data(), TRUE, 20, 20, 0), 11);
    EXPECT_EQ(LookupIconIdFromDirectory(dir.data(), FALSE), 0) << "not a cursor directory";
}

class IconFileTest : public testsupport::MachineFixture {};

TEST_F(IconFileTest, IcoFilesLoadThroughLoadImage)
{
    gdi::ObjectCounts before = gdi::LiveObjectCounts();
    auto image = IconImage();
    std::vector<BYTE> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, 1);
    file.push_back(4);
    file.push_back(4);
    file.push_back(16);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 4);
    Put32(file, static_cast<DWORD>(image.size()));
    Put32(file, 22);
    file.insert(file.end(), image.begin(), image.end());
    WriteHostFile(Host(u"C:\\app.ico"), std::string(file.begin(), file.end()));
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, u"C:\\app.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyIcon(icon);

    // An entry that points past the end of the file is refused.
    file[18] = 0xFF;
    WriteHostFile(Host(u"C:\\bad.ico"), std::string(file.begin(), file.end()));
    EXPECT_EQ(LoadImageW(nullptr, u"C:\\bad.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(gdi::LiveObjectCounts().Total(), before.Total());
}
