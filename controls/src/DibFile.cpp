// The image buffer written as a BMP file: the 14-byte file header, then the
// block as it stands (info header, colour table, pixel rows).
#include "controls/Dib.h"

#include "win32/CodePage.h"
#include "win32/FileApi.h"

#include <array>

namespace {

constexpr int kPathChars = 260;
constexpr DWORD kFileHeaderBytes = 14;
constexpr WORD kBmpType = 0x4D42; // "BM"

// BITMAPFILEHEADER: type (2 bytes), file size (4), two reserved words (2 + 2),
// offset of the pixel bits from the start of the file (4); little-endian.
std::array<BYTE, kFileHeaderBytes> FileHeader(DWORD fileSize, DWORD bitsOffset)
{
    std::array<BYTE, kFileHeaderBytes> header = {};
    auto put = [&](std::size_t at, DWORD value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[at + i] = static_cast<BYTE>(value >> (8 * i));
    };
    put(0, kBmpType, 2);
    put(2, fileSize, 4);
    put(10, bitsOffset, 4);
    return header;
}

} // namespace

long CxDib::WriteBmp(LPCSTR bmpFileName)
{
    if (!bmpFileName || !*bmpFileName || !m_pDib)
        return 0;
    // A path that does not fit the buffer is refused, not cut.
    WCHAR path[kPathChars];
    if (!::MultiByteToWideChar(CP_ACP, 0, bmpFileName, -1, path, kPathChars))
        return 0;
    HANDLE file =
        ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD bitsOffset = kFileHeaderBytes + m_bi.biSize + GetPaletteBytes();
    const auto header = FileHeader(bitsOffset + m_bi.biSizeImage, bitsOffset);
    DWORD written = 0;
    ::WriteFile(file, header.data(), kFileHeaderBytes, &written, nullptr);
    ::WriteFile(file, m_pDib, GetTotalBytes(), &written, nullptr);
    ::CloseHandle(file);
    return 1;
}
