#include <gtest/gtest.h>

#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/PropertyCodec.h"

using namespace mapi;
using namespace mapi::ltp;

TEST(PropertyCodec, EncodesStoredForms)
{
    EXPECT_EQ(EncodeValue(PropertyValue::Short(-2)), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(EncodeValue(PropertyValue::Boolean(true)), (Bytes{1}));
    EXPECT_EQ(EncodeValue(PropertyValue::Unicode(u"Hi")), (Bytes{'H', 0, 'i', 0}));
    EXPECT_EQ(EncodeValue(PropertyValue::SysTime(0x01D2030405060708ull)),
              (Bytes{8, 7, 6, 5, 4, 3, 0xD2, 0x01}));
    EXPECT_EQ(EncodeValue(PropertyValue::Double(1.0)), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    // PS_PUBLIC_STRINGS {00020329-0000-0000-C000-000000000046}
    Guid g = Guid::FromParts(0x00020329, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    EXPECT_EQ(EncodeValue(PropertyValue::Clsid(g)),
              (Bytes{0x29, 0x03, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}));
    // ulCount, offsets from the start of the value, then the strings.
    EXPECT_EQ(EncodeValue(PropertyValue::MvUnicode({u"a", u"bc"})),
              (Bytes{2, 0, 0, 0, 12, 0, 0, 0, 14, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(EncodeValue(PropertyValue::MvLong({1, -1})), (Bytes{1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(PropertyCodec, RoundTripsEveryType)
{
    const std::vector<PropertyValue> values = {
        PropertyValue::Short(-300), PropertyValue::Long(-70000), PropertyValue::ErrorCode(0x8004010F),
        PropertyValue::Boolean(true), PropertyValue::Float(2.5f), PropertyValue::Double(-3.25),
        PropertyValue::AppTime(45000.5), PropertyValue::Currency(-123456789012), PropertyValue::LongLong(1ll << 40),
        PropertyValue::SysTime(0x01D9000000000000ull), PropertyValue::Unicode(u"Gr\u00FC\u00DFe \u20AC"),
        PropertyValue::String8("caf\xE9"), PropertyValue::Binary(Bytes{0, 1, 2, 255}),
        PropertyValue::Clsid(Guid::FromParts(0x00062008, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46})),
        PropertyValue::MvLong({1, 2, 3}), PropertyValue::MvSysTime({1, 0xFFFFFFFFFFFFFFFFull}),
        PropertyValue::MvUnicode({u"", u"x", u"long one"}), PropertyValue::MvString8({"a", "", "bcd"}),
        PropertyValue::MvBinary({Bytes{}, Bytes{1}, Bytes(300, 7)}),
        PropertyValue::Raw(0x0033, Bytes{9, 9})};
    for (const PropertyValue& v : values) {
        auto decoded = DecodeValue(v.Type(), EncodeValue(v));
        ASSERT_TRUE(decoded) << v.Type() << ": " << decoded.Message();
        EXPECT_EQ(decoded.Value(), v) << "type " << v.Type();
        // The size and the in-place form that writers take without encoding
        // agree with the encoding.
        const Bytes encoded = EncodeValue(v);
        EXPECT_EQ(EncodedValueSize(v), encoded.size()) << "type " << v.Type();
        std::uint8_t fixed[8];
        const std::size_t size = EncodeSmallFixed(v, fixed);
        if (size > 0)
            EXPECT_EQ(Bytes(fixed, fixed + size), encoded) << "type " << v.Type();
        else
            EXPECT_TRUE(FixedValueSize(v.Type()) == 0 || FixedValueSize(v.Type()) > 8) << "type " << v.Type();
    }
}

TEST(PropertyCodec, RejectsDamagedValues)
{
    EXPECT_FALSE(DecodeValue(PT_SYSTIME, Bytes(7, 0)));
    EXPECT_FALSE(DecodeValue(PT_CLSID, Bytes(15, 0)));
    EXPECT_FALSE(DecodeValue(PT_MV_LONG, Bytes(6, 0)));
    // A count larger than the bytes can hold.
    EXPECT_FALSE(DecodeValue(PT_MV_UNICODE, Bytes{0xFF, 0xFF, 0xFF, 0x0F, 8, 0, 0, 0}));
    // An offset past the end, and offsets that go backwards.
    EXPECT_FALSE(DecodeValue(PT_MV_BINARY, Bytes{1, 0, 0, 0, 50, 0, 0, 0}));
    EXPECT_FALSE(DecodeValue(PT_MV_BINARY, Bytes{2, 0, 0, 0, 14, 0, 0, 0, 12, 0, 0, 0, 1, 2, 3, 4}));
    // An offset into the offset table itself.
    EXPECT_FALSE(DecodeValue(PT_MV_BINARY, Bytes{1, 0, 0, 0, 2, 0, 0, 0, 1}));
    // Empty multi-valued data is an empty list, not an error.
    auto empty = DecodeValue(PT_MV_UNICODE, Bytes{});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->Get<std::vector<std::u16string>>()->empty());
}
