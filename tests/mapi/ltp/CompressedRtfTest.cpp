#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mapi/ltp/CompressedRtf.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ltp/LittleEndian.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// [MS-OXRTFCP] 4.1: a simple document, compressed.
const Bytes kExample1 = {0x2d, 0x00, 0x00, 0x00, 0x2b, 0x00, 0x00, 0x00, 0x4c, 0x5a, 0x46, 0x75, 0xf1, 0xc5, 0xc7,
                         0xa7, 0x03, 0x00, 0x0a, 0x00, 0x72, 0x63, 0x70, 0x67, 0x31, 0x32, 0x35, 0x42, 0x32, 0x0a,
                         0xf3, 0x20, 0x68, 0x65, 0x6c, 0x09, 0x00, 0x20, 0x62, 0x77, 0x05, 0xb0, 0x6c, 0x64, 0x7d,
                         0x0a, 0x80, 0x0f, 0xa0};
const std::string kExample1Text = "{\\rtf1\\ansi\\ansicpg1252\\pard hello world}\r\n";

// [MS-OXRTFCP] 4.2: a reference that overlaps the bytes it writes.
const Bytes kExample2 = {0x1a, 0x00, 0x00, 0x00, 0x1c, 0x00, 0x00, 0x00, 0x4c, 0x5a, 0x46, 0x75, 0xe2, 0xd4,
                         0x4b, 0x51, 0x41, 0x00, 0x04, 0x20, 0x57, 0x58, 0x59, 0x5a, 0x0d, 0x6e, 0x7d, 0x01,
                         0x0e, 0xb0};
const std::string kExample2Text = "{\\rtf1 WXYZWXYZWXYZWXYZWXYZ}";

} // namespace

TEST(CompressedRtf, DecompressesTheDocumentedExamples)
{
    auto one = DecompressRtf(kExample1);
    ASSERT_TRUE(one) << one.Message();
    EXPECT_EQ(one.Value(), Text(kExample1Text));
    auto two = DecompressRtf(kExample2);
    ASSERT_TRUE(two) << two.Message();
    EXPECT_EQ(two.Value(), Text(kExample2Text));
}

TEST(CompressedRtf, CompressesTheDocumentedExamplesByteForByte)
{
    EXPECT_EQ(CompressRtf(Text(kExample1Text)), kExample1);
    EXPECT_EQ(CompressRtf(Text(kExample2Text)), kExample2);
}

TEST(CompressedRtf, RoundTripsLargeAndRepetitiveDocuments)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}";
    std::mt19937 rng(11);
    for (int i = 0; i < 3000; ++i) {
        rtf += "\\par ";
        for (int k = 0; k < 12; ++k) rtf += static_cast<char>('a' + rng() % 26);
        if (i % 5 == 0) rtf += "\\b bold\\b0 ";
    }
    rtf += std::string(5000, 'x') + "}"; // runs longer than a reference, across the dictionary wrap
    const Bytes input = Text(rtf);
    const Bytes packed = CompressRtf(input);
    EXPECT_LT(packed.size(), input.size());
    auto unpacked = DecompressRtf(packed);
    ASSERT_TRUE(unpacked) << unpacked.Message();
    EXPECT_EQ(unpacked.Value(), input);

    Bytes binary(20000);
    for (auto& b : binary) b = static_cast<std::uint8_t>(rng());
    EXPECT_EQ(DecompressRtf(CompressRtf(binary)).Value(), binary);
    EXPECT_EQ(DecompressRtf(CompressRtf({})).Value(), Bytes{});
}

TEST(CompressedRtf, ReadsTheUncompressedForm)
{
    const Bytes wrapped = WrapRtfUncompressed(Text("{\\rtf1 plain}"));
    EXPECT_EQ(ReadU32(&wrapped[8]), kRtfUncompressed);
    EXPECT_EQ(DecompressRtf(wrapped).Value(), Text("{\\rtf1 plain}"));
    Bytes lying = wrapped;
    WriteU32(&lying[4], 500); // RAWSIZE past the stored bytes
    EXPECT_FALSE(DecompressRtf(lying));
}

TEST(CompressedRtf, FailsCleanlyOnDamagedInput)
{
    EXPECT_FALSE(DecompressRtf(Bytes(10, 0)));
    Bytes badCrc = kExample1;
    badCrc[20] ^= 1;
    EXPECT_FALSE(DecompressRtf(badCrc));
    Bytes badType = kExample1;
    badType[8] = 'X';
    EXPECT_FALSE(DecompressRtf(badType));
    Bytes longSize = kExample1;
    WriteU32(&longSize[0], 1000); // COMPSIZE past the data
    EXPECT_FALSE(DecompressRtf(longSize));
    Bytes smallRaw = kExample1;
    WriteU32(&smallRaw[4], 10); // more output than RAWSIZE allows
    EXPECT_FALSE(DecompressRtf(smallRaw));

    // Every truncation of a valid stream, with its sizes and CRC fixed up,
    // fails without reading past the data.
    const Bytes full = CompressRtf(Text(kExample1Text + kExample2Text));
    for (std::size_t cut = 17; cut < full.size(); ++cut) {
        Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        WriteU32(&part[0], static_cast<std::uint32_t>(cut - 4));
        WriteU32(&part[12], mapi::ndb::ComputeCrc({part.data() + 16, static_cast<std::size_t>(part.size() - 16)}));
        EXPECT_FALSE(DecompressRtf(part)) << cut;
    }
}
