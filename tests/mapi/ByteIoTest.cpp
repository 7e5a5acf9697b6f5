#include "mapi/ndb/ByteIo.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

using namespace mapi::ndb;

// The fields are little-endian on disk whatever the host, at any offset:
// B-tree entries and trailers put 64-bit fields at offsets that are not
// multiples of eight.
TEST(ByteIo, FieldsAreLittleEndianAtAnyOffsetAndTouchOnlyTheirBytes)
{
    std::array<std::uint8_t, 24> b{};
    b.fill(0xEE);
    Write64(b, 3, 0x0102030405060708ull);
    Write32(b, 13, 0xA1B2C3D4u);
    Write16(b, 19, 0x5566);
    const std::array<std::uint8_t, 24> expected = {0xEE, 0xEE, 0xEE, 0x08, 0x07, 0x06, 0x05, 0x04,
                                                   0x03, 0x02, 0x01, 0xEE, 0xEE, 0xD4, 0xC3, 0xB2,
                                                   0xA1, 0xEE, 0xEE, 0x66, 0x55, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(b, expected);
    EXPECT_EQ(Read64(b, 3), 0x0102030405060708ull);
    EXPECT_EQ(Read32(b, 13), 0xA1B2C3D4u);
    EXPECT_EQ(Read16(b, 19), 0x5566);
    EXPECT_EQ(Read32(b, 1), 0x0708EEEEu) << "a read across a field's edge sees the bytes as they lie";
    EXPECT_EQ(Read64(b, 16), 0xEEEE5566EEEEA1ull | (0xEEull << 56));
}
