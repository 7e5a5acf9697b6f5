#include "Base64Codec.h"

#include "FileHandle.h"

#include "afx/Exception.h"
#include "win32/FileApi.h"

#include <array>
#include <cstring>
#include <new>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';

constexpr std::array<signed char, 128> MakeReverseTable()
{
    std::array<signed char, 128> table{};
    for (auto& entry : table)
        entry = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    table[static_cast<unsigned char>(kPad)] = 0;
    return table;
}
constexpr auto kReverse = MakeReverseTable();

bool InAlphabet(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 128 && kReverse[u] >= 0;
}

int ValueOf(char c)
{
    return kReverse[static_cast<unsigned char>(c)];
}

// An incomplete group at the end of the input: two characters hold one byte,
// three hold two; a single character holds none.
int DecodePartialGroup(const char* chars, int count, BYTE* out)
{
    char group[4] = {kPad, kPad, kPad, kPad};
    if (count < 2)
        return 0;
    std::memcpy(group, chars, static_cast<std::size_t>(count));
    return Base64Codec().DecodeGroup(group, out);
}

HANDLE OpenSource(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateDestination(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD ReadChunk(const CFileHandle& file, void* buffer, DWORD size)
{
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, size, &read, nullptr))
        throw CException();
    return read;
}

void WriteAll(const CFileHandle& file, const void* data, std::size_t size)
{
    DWORD written = 0;
    if (size && (!WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size))
        throw CException();
}

} // namespace

int Base64Codec::DecodeGroup(const char group[4], BYTE* out)
{
    const int a = ValueOf(group[0]);
    const int b = ValueOf(group[1]);
    const int c = ValueOf(group[2]);
    const int d = ValueOf(group[3]);
    out[0] = static_cast<BYTE>(a * 4 + b / 16);
    if (group[3] == kPad && group[2] == kPad)
        return 1;
    out[1] = static_cast<BYTE>((b % 16) * 16 + c / 4);
    if (group[3] == kPad)
        return 2;
    out[2] = static_cast<BYTE>((c % 4) * 64 + d);
    return 3;
}

std::size_t Base64Codec::DecodeText(const char* text, BYTE* out, std::size_t outSize)
{
    std::size_t written = 0;
    char group[4];
    int count = 0;
    BYTE bytes[3];
    for (const char* p = text; p && *p; ++p) {
        if (!InAlphabet(*p))
            continue;
        group[count++] = *p;
        if (count < 4)
            continue;
        count = 0;
        const int n = DecodeGroup(group, bytes);
        for (int i = 0; i < n && written < outSize; ++i)
            out[written++] = bytes[i];
    }
    const int n = DecodePartialGroup(group, count, bytes);
    for (int i = 0; i < n && written < outSize; ++i)
        out[written++] = bytes[i];
    return written;
}

int Base64Codec::Base64DecodeFile(LPCWSTR source, LPCWSTR destination)
{
    CFileHandle in(OpenSource(source));
    if (!in.IsOpen())
        return 0;
    CFileHandle out(CreateDestination(destination));
    if (!out.IsOpen())
        return 1;

    // The groups are collected across reads and lines, so neither the line
    // lengths nor the line ends matter.
    char text[4096];
    BYTE decoded[sizeof(text) / 4 * 3 + 3];
    char group[4];
    int count = 0;
    while (const DWORD read = ReadChunk(in, text, sizeof(text))) {
        std::size_t size = 0;
        for (DWORD i = 0; i < read; ++i) {
            if (!InAlphabet(text[i]))
                continue;
            group[count++] = text[i];
            if (count == 4) {
                size += static_cast<std::size_t>(DecodeGroup(group, decoded + size));
                count = 0;
            }
        }
        WriteAll(out, decoded, size);
    }
    WriteAll(out, decoded, static_cast<std::size_t>(DecodePartialGroup(group, count, decoded)));
    FlushFileBuffers(out.Get());
    return 0;
}

void Base64Codec::EncodeGroup(const BYTE* bytes, int count, char out[4])
{
    const unsigned b0 = bytes[0];
    const unsigned b1 = count > 1 ? bytes[1] : 0;
    const unsigned b2 = count > 2 ? bytes[2] : 0;
    out[0] = kAlphabet[b0 >> 2];
    out[1] = kAlphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
    out[2] = count > 1 ? kAlphabet[((b1 & 0x0F) << 2) | (b2 >> 6)] : kPad;
    out[3] = count > 2 ? kAlphabet[b2 & 0x3F] : kPad;
}

namespace {

void Encode(Base64Codec& codec, const BYTE* in, std::size_t n, char* out, bool lineBreaks)
{
    std::memset(out, 0, Base64Codec::EncodedSize(n));
    int groupsOnLine = 0;
    for (std::size_t at = 0; at < n; at += 3) {
        const int count = n - at >= 3 ? 3 : static_cast<int>(n - at);
        codec.EncodeGroup(in + at, count, out);
        out += 4;
        if (count == 3 && lineBreaks && ++groupsOnLine == Base64Codec::kGroupsPerLine) {
            *out++ = '\r';
            *out++ = '\n';
            groupsOnLine = 0;
        }
    }
}

} // namespace

void Base64Codec::EncodeBuffer(const BYTE* in, std::size_t n, char* out)
{
    Encode(*this, in, n, out, false);
}

void Base64Codec::EncodeBufferLines(const BYTE* in, std::size_t n, char* out)
{
    Encode(*this, in, n, out, true);
}

std::size_t Base64Codec::EncodedSize(std::size_t n)
{
    const std::size_t text = 4 * ((n + 2) / 3);
    return text + 2 * (text / (4 * kGroupsPerLine)) + 1;
}

std::size_t Base64Codec::DecodedSize(const char* text)
{
    const std::size_t length = text ? std::strlen(text) : 0;
    std::size_t size = length / 4 * 3;
    // One "=" at the end stands for one byte less, two for two: a "=" before
    // a last character that is none counts for nothing.
    if (length >= 1 && text[length - 1] == kPad && size) {
        --size;
        if (length >= 2 && text[length - 2] == kPad && size)
            --size;
    }
    return size;
}

std::vector<char> Base64Codec::AllocEncodeBuffer(std::size_t n)
{
    return std::vector<char>(EncodedSize(n), '\0');
}

std::vector<BYTE> Base64Codec::AllocDecodeBuffer(const char* text)
{
    return std::vector<BYTE>(DecodedSize(text), 0);
}

int Base64Codec::Base64EncodeFile(LPCWSTR source, LPCWSTR destination)
{
    CFileHandle in(OpenSource(source));
    if (!in.IsOpen())
        return 0;
    CFileHandle out(CreateDestination(destination));
    if (!out.IsOpen())
        return 1;
    std::vector<char> line;
    try {
        line = AllocEncodeBuffer(kBytesPerLine);
    } catch (const std::bad_alloc&) {
        return 2;
    }
    BYTE chunk[kBytesPerLine];
    // A short read is not the end of the file; only a read of nothing is.
    for (;;) {
        DWORD filled = 0;
        while (filled < sizeof(chunk)) {
            const DWORD read = ReadChunk(in, chunk + filled, static_cast<DWORD>(sizeof(chunk) - filled));
            if (!read)
                break;
            filled += read;
        }
        if (!filled)
            break;
        EncodeBufferLines(chunk, filled, line.data());
        WriteAll(out, line.data(), std::strlen(line.data()));
        if (filled < sizeof(chunk))
            break;
    }
    FlushFileBuffers(out.Get());
    return 0;
}
