#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Crypt.h"

#include <gtest/gtest.h>

#include <numeric>
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
