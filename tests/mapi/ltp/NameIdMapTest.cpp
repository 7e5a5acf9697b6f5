#include <gtest/gtest.h>

#include "mapi/ndb/Crc.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NameIdMap.h"
#include "mapi/ltp/PropertyContext.h"
#include "mapi/ltp/PropertySets.h"

using namespace mapi;
using namespace mapi::ltp;

TEST(NameIdMap, AssignsIdsInOrderAndFindsThemAgain)
{
    CNameIdMap map;
    EXPECT_EQ(map.GetOrAdd(NamedProperty::Lid(PSETID_Appointment, lid::AppointmentStartWhole)).Value(), 0x8000);
    EXPECT_EQ(map.GetOrAdd(NamedProperty::Lid(PSETID_Address, lid::Email1EmailAddress)).Value(), 0x8001);
    EXPECT_EQ(map.GetOrAdd(NamedProperty::Name(PS_PUBLIC_STRINGS, u"Keywords")).Value(), 0x8002);
    EXPECT_EQ(map.GetOrAdd(NamedProperty::Lid(PSETID_Appointment, lid::AppointmentStartWhole)).Value(), 0x8000);
    // The same number in another set is another property.
    EXPECT_EQ(map.GetOrAdd(NamedProperty::Lid(PSETID_Common, lid::AppointmentStartWhole)).Value(), 0x8003);
    EXPECT_EQ(map.Lookup(0x8002)->name, u"Keywords");
    EXPECT_EQ(map.Lookup(0x8004), nullptr);
    EXPECT_EQ(map.Lookup(0x0037), nullptr);
    EXPECT_FALSE(map.Find(NamedProperty::Name(PS_PUBLIC_STRINGS, u"keywords"))); // names are case-sensitive
}

TEST(NameIdMap, WritesTheStreamsAndBucketsAsStored)
{
    CNameIdMap map;
    ASSERT_TRUE(map.GetOrAdd(NamedProperty::Lid(PSETID_Common, 0x8503)));
    ASSERT_TRUE(map.GetOrAdd(NamedProperty::Name(PS_PUBLIC_STRINGS, u"Keywords")));
    ASSERT_TRUE(map.GetOrAdd(NamedProperty::Lid(PS_MAPI, 0x0037)));
    CPropertyBag bag = map.ToBag();

    EXPECT_EQ(bag.GetLong(PR_NAMEID_BUCKET_COUNT), 251);
    // Only PSETID_Common goes to the GUID stream: PS_MAPI and PS_PUBLIC_STRINGS have fixed indexes.
    const Bytes guids = bag.GetBinary(PR_NAMEID_STREAM_GUID);
    ASSERT_EQ(guids.size(), 16u);
    EXPECT_EQ(Bytes(guids.begin(), guids.begin() + 4), (Bytes{0x08, 0x20, 0x06, 0x00}));
    const Bytes entries = bag.GetBinary(PR_NAMEID_STREAM_ENTRY);
    ASSERT_EQ(entries.size(), 24u);
    EXPECT_EQ(Bytes(entries.begin(), entries.begin() + 8), (Bytes{0x03, 0x85, 0, 0, 3 << 1, 0, 0, 0}));
    EXPECT_EQ(Bytes(entries.begin() + 8, entries.begin() + 16), (Bytes{0, 0, 0, 0, (2 << 1) | 1, 0, 1, 0}));
    EXPECT_EQ(Bytes(entries.begin() + 16, entries.begin() + 24), (Bytes{0x37, 0, 0, 0, 1 << 1, 0, 2, 0}));
    // Length-prefixed UTF-16, padded to 4 bytes.
    const Bytes strings = bag.GetBinary(PR_NAMEID_STREAM_STRING);
    ASSERT_EQ(strings.size(), 20u);
    EXPECT_EQ(ReadU32(strings.data()), 16u);

    // The string entry sits in the bucket of (CRC ^ (wGuid << 1 | N)) % 251.
    const Bytes name = {'K', 0, 'e', 0, 'y', 0, 'w', 0, 'o', 0, 'r', 0, 'd', 0, 's', 0};
    const std::uint32_t crc = mapi::ndb::ComputeCrc({name.data(), name.size()});
    const std::uint16_t bucket = static_cast<std::uint16_t>((crc ^ 5u) % 251);
    const Bytes hashed = bag.GetBinary(PROP_TAG(PT_BINARY, static_cast<std::uint16_t>(0x1000 + bucket)));
    ASSERT_GE(hashed.size(), 8u);
    bool found = false;
    for (std::size_t off = 0; off + 8 <= hashed.size(); off += 8)
        found |= ReadU32(&hashed[off]) == crc && ReadU16(&hashed[off + 6]) == 1;
    EXPECT_TRUE(found);
    std::size_t total = 0;
    for (std::uint16_t b = 0; b < 251; ++b) total += bag.GetBinary(PROP_TAG(PT_BINARY, static_cast<std::uint16_t>(0x1000 + b))).size();
    EXPECT_EQ(total, 24u);
}

TEST(NameIdMap, RoundTripsThroughItsPropertyContext)
{
    CNameIdMap map;
    for (std::uint32_t lid = 0x8200; lid < 0x8240; ++lid) ASSERT_TRUE(map.GetOrAdd(NamedProperty::Lid(PSETID_Appointment, lid)));
    ASSERT_TRUE(map.GetOrAdd(NamedProperty::Name(PS_INTERNET_HEADERS, u"x-mailer")));
    ASSERT_TRUE(map.GetOrAdd(NamedProperty::Name(PS_PUBLIC_STRINGS, u"a")));
    auto node = CPropertyContext::Write(map.ToBag());
    ASSERT_TRUE(node);
    auto bag = CPropertyContext::Read(node.Value());
    ASSERT_TRUE(bag);
    auto again = CNameIdMap::FromBag(bag.Value());
    ASSERT_TRUE(again) << again.Message();
    EXPECT_EQ(again->Size(), map.Size());
    for (std::uint16_t id = 0x8000; id < 0x8000 + map.Size(); ++id) EXPECT_EQ(*again->Lookup(id), *map.Lookup(id));
    EXPECT_EQ(again->Find(NamedProperty::Name(PS_INTERNET_HEADERS, u"x-mailer")).value(), 0x8040);
    // New names continue after the loaded ones.
    EXPECT_EQ(again->GetOrAdd(NamedProperty::Lid(PSETID_Task, 0x8101)).Value(), 0x8042);
}

TEST(NameIdMap, RejectsDamagedStreams)
{
    CPropertyBag bag;
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(Bytes{1, 0, 0, 0, 4 << 1, 0, 0, 0})); // wGuid 4, no GUID stream
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(Bytes{0, 0, 0, 0, (2 << 1) | 1, 0, 0, 0})); // string, no string stream
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
    bag.Set(PR_NAMEID_STREAM_STRING, PropertyValue::Binary(Bytes{200, 0, 0, 0, 'a', 0}));  // length past the end
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(Bytes{1, 0, 0, 0, 2, 0, 5, 0})); // wPropIdx past the entries
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(Bytes(12, 0)));
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(Bytes{1, 0, 0, 0, 2, 0, 0, 0}));
    bag.Set(PR_NAMEID_BUCKET_COUNT, PropertyValue::Long(0));
    EXPECT_FALSE(CNameIdMap::FromBag(bag));
}
