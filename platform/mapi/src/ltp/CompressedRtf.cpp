#include "mapi/ltp/CompressedRtf.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "mapi/ndb/Crc.h"
#include "mapi/ltp/LittleEndian.h"

namespace mapi::ltp {

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kDictionarySize = 4096;
constexpr std::size_t kMaxMatch = 17;
constexpr std::size_t kMinMatch = 2;

// [MS-OXRTFCP] 2.1.2.1: the dictionary's initial 207 bytes.
constexpr char kPreload[] =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern \\fscript "
    "\\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0\\blue0\r\n\\par "
    "\\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
constexpr std::size_t kPreloadSize = sizeof(kPreload) - 1;
static_assert(kPreloadSize == 207);

struct Dictionary {
    std::array<std::uint8_t, kDictionarySize> bytes{};
    std::size_t write = kPreloadSize;

    Dictionary() { std::memcpy(bytes.data(), kPreload, kPreloadSize); }
    void Put(std::uint8_t b)
    {
        bytes[write] = b;
        write = (write + 1) % kDictionarySize;
    }
};

Bytes Header(std::uint32_t compSize, std::uint32_t rawSize, std::uint32_t type, std::uint32_t crc)
{
    Bytes out;
    AppendU32(out, compSize);
    AppendU32(out, rawSize);
    AppendU32(out, type);
    AppendU32(out, crc);
    return out;
}

// Longest-match search over the dictionary with hash chains on byte pairs.
// Ties go to the lowest dictionary offset, which is what reproduces the
// examples of [MS-OXRTFCP] section 4.
class CMatcher {
public:
    explicit CMatcher(const Dictionary& dict) : m_dict(dict)
    {
        m_head.fill(kNone);
        m_prev.fill(kNone);
        for (std::size_t p = 0; p + 1 < kPreloadSize; ++p) Insert(p);
    }

    // Called after the byte at dictionary position `p` + 1 was written.
    void Insert(std::size_t p)
    {
        const std::size_t key = Key(m_dict.bytes[p], m_dict.bytes[(p + 1) % kDictionarySize]);
        m_prev[p] = m_head[key];
        m_head[key] = static_cast<std::uint16_t>(p);
    }

    // The best match for `input[pos..]`: {offset, length}, length 0 if none.
    std::pair<std::size_t, std::size_t> Find(const Bytes& input, std::size_t pos) const
    {
        const std::size_t avail = std::min(kMaxMatch, input.size() - pos);
        if (avail < kMinMatch) return {0, 0};
        std::size_t bestOffset = 0, bestLength = 0;
        std::uint16_t candidate = m_head[Key(input[pos], input[pos + 1])];
        for (std::size_t steps = 0; candidate != kNone && steps < kMaxChain; ++steps) {
            const std::size_t length = MatchLength(candidate, input, pos, avail);
            if (length > bestLength || (length == bestLength && length > 0 && candidate < bestOffset)) {
                bestLength = length;
                bestOffset = candidate;
            }
            candidate = m_prev[candidate];
        }
        if (bestLength < kMinMatch) return {0, 0};
        return {bestOffset, bestLength};
    }

private:
    static constexpr std::uint16_t kNone = 0xFFFF;
    // Bounds the work per byte on long runs; the chains of ordinary RTF are
    // far shorter.
    static constexpr std::size_t kMaxChain = 256;
    static std::size_t Key(std::uint8_t a, std::uint8_t b) { return (static_cast<std::size_t>(a) << 8) | b; }

    // Bytes read from the dictionary during a copy include the ones the copy
    // itself has written, as the decompressor copies byte by byte.
    std::size_t MatchLength(std::size_t start, const Bytes& input, std::size_t pos, std::size_t avail) const
    {
        if (start == m_dict.write) return 0; // that offset is the end marker
        std::size_t k = 0;
        for (; k < avail; ++k) {
            const std::size_t p = (start + k) % kDictionarySize;
            const std::size_t sinceWrite = (p + kDictionarySize - m_dict.write) % kDictionarySize;
            const std::uint8_t b = sinceWrite < k ? input[pos + sinceWrite] : m_dict.bytes[p];
            if (b != input[pos + k]) break;
        }
        return k;
    }

    const Dictionary& m_dict;
    std::array<std::uint16_t, 65536> m_head;
    std::array<std::uint16_t, kDictionarySize> m_prev;
};

} // namespace

Result<Bytes> DecompressRtf(const Bytes& data)
{
    if (data.size() < kHeaderSize) return MakeError("compressed RTF: " + std::to_string(data.size()) + " bytes, no header");
    const std::size_t compSize = ReadU32(&data[0]);
    const std::size_t rawSize = ReadU32(&data[4]);
    const std::uint32_t type = ReadU32(&data[8]);
    const std::uint32_t crc = ReadU32(&data[12]);
    if (compSize < kHeaderSize - 4 || compSize > data.size() - 4)
        return MakeError("compressed RTF: COMPSIZE " + std::to_string(compSize) + " does not fit " +
                         std::to_string(data.size()) + " bytes");
    const std::size_t end = compSize + 4;
    if (type == kRtfUncompressed) {
        if (rawSize > end - kHeaderSize) return MakeError("compressed RTF: RAWSIZE larger than the stored data");
        return Bytes(data.begin() + kHeaderSize, data.begin() + kHeaderSize + rawSize);
    }
    if (type != kRtfCompressed) return MakeError("compressed RTF: unknown COMPTYPE " + std::to_string(type));
    if (mapi::ndb::ComputeCrc({data.data() + kHeaderSize, static_cast<std::size_t>(end - kHeaderSize)}) != crc)
        return MakeError("compressed RTF: CRC mismatch");

    Dictionary dict;
    Bytes out;
    // A damaged RAWSIZE must not reserve gigabytes: each content byte yields
    // at most 17 / 2 bytes of output.
    out.reserve(std::min(rawSize, 9 * (end - kHeaderSize)));
    std::size_t in = kHeaderSize;
    while (in < end) {
        const std::uint8_t control = data[in++];
        for (int bit = 0; bit < 8 && in < end; ++bit) {
            if (!(control & (1 << bit))) {
                if (out.size() >= rawSize) return MakeError("compressed RTF: more data than RAWSIZE");
                out.push_back(data[in]);
                dict.Put(data[in++]);
                continue;
            }
            if (in + 2 > end) return MakeError("compressed RTF: reference cut short");
            const std::uint16_t ref = static_cast<std::uint16_t>((data[in] << 8) | data[in + 1]);
            in += 2;
            const std::size_t offset = ref >> 4;
            const std::size_t length = (ref & 0x0F) + kMinMatch;
            if (offset == dict.write) {
                if (out.size() != rawSize)
                    return MakeError("compressed RTF: " + std::to_string(out.size()) + " bytes, RAWSIZE " +
                                     std::to_string(rawSize));
                return out;
            }
            if (out.size() + length > rawSize) return MakeError("compressed RTF: more data than RAWSIZE");
            for (std::size_t k = 0; k < length; ++k) {
                const std::uint8_t b = dict.bytes[(offset + k) % kDictionarySize];
                out.push_back(b);
                dict.Put(b);
            }
        }
    }
    return MakeError("compressed RTF: no end marker");
}

Bytes CompressRtf(const Bytes& rtf)
{
    Dictionary dict;
    CMatcher matcher(dict);
    Bytes content;
    std::size_t controlAt = 0;
    int tokens = 8;
    auto startToken = [&](bool reference) {
        if (tokens == 8) {
            controlAt = content.size();
            content.push_back(0);
            tokens = 0;
        }
        if (reference) content[controlAt] |= static_cast<std::uint8_t>(1 << tokens);
        ++tokens;
    };
    auto put = [&](std::uint8_t b) {
        dict.Put(b);
        matcher.Insert((dict.write + kDictionarySize - 2) % kDictionarySize);
    };

    std::size_t pos = 0;
    while (pos < rtf.size()) {
        const auto [offset, length] = matcher.Find(rtf, pos);
        if (length >= kMinMatch) {
            startToken(true);
            const std::uint16_t ref = static_cast<std::uint16_t>((offset << 4) | (length - kMinMatch));
            content.push_back(static_cast<std::uint8_t>(ref >> 8));
            content.push_back(static_cast<std::uint8_t>(ref));
            for (std::size_t k = 0; k < length; ++k) put(rtf[pos + k]);
            pos += length;
        } else {
            startToken(false);
            content.push_back(rtf[pos]);
            put(rtf[pos]);
            ++pos;
        }
    }
    // The end marker: a reference to the write position.
    startToken(true);
    const std::uint16_t marker = static_cast<std::uint16_t>(dict.write << 4);
    content.push_back(static_cast<std::uint8_t>(marker >> 8));
    content.push_back(static_cast<std::uint8_t>(marker));

    Bytes out = Header(static_cast<std::uint32_t>(content.size() + 12), static_cast<std::uint32_t>(rtf.size()),
                       kRtfCompressed, mapi::ndb::ComputeCrc({content.data(), content.size()}));
    AppendBytes(out, content);
    return out;
}

Bytes WrapRtfUncompressed(const Bytes& rtf)
{
    Bytes out = Header(static_cast<std::uint32_t>(rtf.size() + 12), static_cast<std::uint32_t>(rtf.size()),
                       kRtfUncompressed, 0);
    AppendBytes(out, rtf);
    return out;
}

} // namespace mapi::ltp
