// Base64 (RFC 4648 alphabet, "=" padding) between bytes and narrow text, in
// memory and file to file. The mail conversion decodes the "$MIM" parts of
// Notes documents with Base64DecodeFile; the encoder writes lines of 76
// characters ended by CR LF.
#pragma once

#include "win32/Types.h"

#include <cstddef>
#include <vector>

class Base64Codec {
public:
    static constexpr int kGroupsPerLine = 19; // 76 characters a line
    static constexpr std::size_t kBytesPerLine = kGroupsPerLine * 3;

    // 0 done (also when the source cannot be opened: nothing is created),
    // 1 the destination cannot be created. A group may span lines, and an
    // incomplete last group gives the bytes its characters hold. Read and
    // write errors throw CException.
    int Base64DecodeFile(LPCWSTR source, LPCWSTR destination);
    // As above; 2 when the line buffer cannot be had.
    int Base64EncodeFile(LPCWSTR source, LPCWSTR destination);

    // Decodes a NUL-ended text, skipping characters outside the alphabet;
    // writes at most outSize bytes and returns how many it wrote.
    std::size_t DecodeText(const char* text, BYTE* out, std::size_t outSize);
    // Four characters to 1, 2 or 3 bytes, as the padding says.
    int DecodeGroup(const char group[4], BYTE* out);

    // One to three bytes to four characters, padded with "=".
    void EncodeGroup(const BYTE* bytes, int count, char out[4]);
    // Text of EncodedSize(n) bytes, NUL included; out must hold that many.
    void EncodeBuffer(const BYTE* in, std::size_t n, char* out);
    // The same with CR LF after every 19 full groups.
    void EncodeBufferLines(const BYTE* in, std::size_t n, char* out);

    // The text, its line breaks and a NUL.
    static std::size_t EncodedSize(std::size_t n);
    // Three bytes a group of four, less the padding at the end.
    static std::size_t DecodedSize(const char* text);

    std::vector<char> AllocEncodeBuffer(std::size_t n);
    std::vector<BYTE> AllocDecodeBuffer(const char* text);
};
