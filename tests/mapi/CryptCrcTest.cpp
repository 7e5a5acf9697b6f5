#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Crypt.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string_view>
#include <vector>

using namespace mapi::ndb;

namespace {

std::vector<std::uint8_t> AllBytes()
{
    std::vector<std::uint8_t> v(256);
    std::iota(v.begin(), v.end(), 0);
    return v;
}

} // namespace

TEST(Crc, MatchesTheReflectedPolynomialWithoutFinalInversion)
{
    constexpr std::string_view text = "123456789";
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    // zlib's crc32 of the same text is 0xCBF43926; without its pre- and
    // post-inversion the value is this one.
    EXPECT_EQ(ComputeCrc(bytes), 0x2DFD2D88u);
    EXPECT_EQ(ComputeCrc({}), 0u);
    // Chaining over two halves equals one pass.
    std::span<const std::uint8_t> all(bytes);
    EXPECT_EQ(ComputeCrc(all.subspan(4), ComputeCrc(all.first(4))), ComputeCrc(all));
}

// The register as [MS-PST] keeps it, one bit at a time.
std::uint32_t BitwiseCrc(std::span<const std::uint8_t> data, std::uint32_t crc)
{
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

// Every length around the widths a fast CRC folds at, at every alignment
// of the start, from a seed that goes on from an earlier part.
TEST(Crc, EveryLengthAndAlignmentMatchesTheBitwiseRegister)
{
    std::mt19937 rng(3);
    std::vector<std::uint8_t> bytes(8192 + 64);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    for (std::size_t length : {1u, 2u, 7u, 15u, 16u, 17u, 31u, 63u, 64u, 65u, 127u, 255u, 256u, 257u, 496u, 511u,
                               1000u, 4095u, 8176u, 8192u})
        for (std::size_t offset = 0; offset < 64; offset += 9) {
            const std::uint32_t seed = static_cast<std::uint32_t>(rng());
            const std::span<const std::uint8_t> part(bytes.data() + offset, length);
            ASSERT_EQ(ComputeCrc(part, seed), BitwiseCrc(part, seed)) << length << " bytes at " << offset;
        }
}

TEST(Crypt, TablesArePermutationsWithTheInverseAndTheInvolution)
{
    const auto t = CryptTable();
    std::vector<bool> seenR(256), seenS(256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(t[512 + t[i]], i) << "I is not the inverse of R at " << i;
        EXPECT_EQ(t[256 + t[256 + i]], i) << "S is not its own inverse at " << i;
        seenR[t[i]] = true;
        seenS[t[256 + i]] = true;
    }
    EXPECT_EQ(std::count(seenR.begin(), seenR.end(), true), 256);
    EXPECT_EQ(std::count(seenS.begin(), seenS.end(), true), 256);
}

TEST(Crypt, PermuteRoundTripsEveryByteAndChangesData)
{
    auto data = AllBytes();
    EncodePermute(data);
    EXPECT_NE(data, AllBytes());
    DecodePermute(data);
    EXPECT_EQ(data, AllBytes());
}

// Each byte of a block of any length and alignment goes through the table,
// on every path this processor has; nothing around the block changes.
TEST(Crypt, PermuteOfAnyLengthAndAlignmentIsTheTableLookUp)
{
    const auto t = CryptTable();
    std::mt19937 rng(8);
    for (CryptPath path : {CryptPath::Bytewise, CryptPath::Avx2, CryptPath::Avx512Vbmi}) {
        if (!CryptPathAvailable(path))
            continue;
        for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 63u, 64u, 65u, 127u, 128u, 200u, 4096u, 8176u})
            for (std::size_t offset : {0u, 1u, 13u, 63u}) {
                std::vector<std::uint8_t> buffer(length + offset + 70);
                for (auto& b : buffer)
                    b = static_cast<std::uint8_t>(rng());
                const auto original = buffer;
                std::span<std::uint8_t> block(buffer.data() + offset, length);
                EncodePermuteOn(path, block);
                for (std::size_t i = 0; i < buffer.size(); ++i) {
                    const bool inside = i >= offset && i < offset + length;
                    ASSERT_EQ(buffer[i], inside ? t[original[i]] : original[i])
                        << int(path) << ": " << length << " at " << offset << ", byte " << i;
                }
                DecodePermuteOn(path, block);
                ASSERT_EQ(buffer, original) << int(path) << ": " << length << " at " << offset;
            }
    }
}

// Every byte value, at every lane of a vector, on every path.
TEST(Crypt, EveryPathMapsEveryByteAsTheTableDoes)
{
    const auto t = CryptTable();
    std::vector<std::uint8_t> all(256 * 3);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    for (CryptPath path : {CryptPath::Bytewise, CryptPath::Avx2, CryptPath::Avx512Vbmi}) {
        if (!CryptPathAvailable(path))
            continue;
        auto data = all;
        EncodePermuteOn(path, data);
        for (std::size_t i = 0; i < data.size(); ++i)
            ASSERT_EQ(data[i], t[all[i]]) << int(path) << ", byte " << i;
        auto back = data;
        DecodePermuteOn(path, back);
        EXPECT_EQ(back, all) << int(path);
    }
    EXPECT_TRUE(CryptPathAvailable(CryptPath::Bytewise));
}

TEST(Crypt, CyclicIsItsOwnInverseAndDependsOnTheKey)
{
    for (std::uint32_t key : {0u, 1u, 0x12345678u, 0xFFFFFFFFu}) {
        auto data = AllBytes();
        CryptCyclic(data, key);
        EXPECT_NE(data, AllBytes()) << key;
        CryptCyclic(data, key);
        EXPECT_EQ(data, AllBytes()) << key;
    }
    auto a = AllBytes(), b = AllBytes();
    CryptCyclic(a, 4);
    CryptCyclic(b, 8);
    EXPECT_NE(a, b);
    // The key steps with the position: a run of one value does not encode
    // to a run.
    std::vector<std::uint8_t> zeros(16, 0);
    CryptCyclic(zeros, 0x40);
    EXPECT_NE(zeros[0], zeros[1]);
}

TEST(Crypt, BlockCodingFollowsTheMethod)
{
    auto data = AllBytes();
    EncodeBlock(CryptMethod::None, data, 4);
    EXPECT_EQ(data, AllBytes());
    for (auto method : {CryptMethod::Permute, CryptMethod::Cyclic}) {
        auto d = AllBytes();
        EncodeBlock(method, d, 0x1234);
        EXPECT_NE(d, AllBytes());
        DecodeBlock(method, d, 0x1234);
        EXPECT_EQ(d, AllBytes());
    }
}
