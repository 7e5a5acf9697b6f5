#include <gtest/gtest.h>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NodeValues.h"
#include "mapi/ltp/PropertyContext.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

// A PC laid out by hand as [MS-PST] 2.3.3 describes it: item 1 the BTH header,
// item 2 the leaf, item 3 a subject string. PR_MESSAGE_FLAGS is inline.
Bytes HandBuiltPcBlock()
{
    Bytes block(12, 0);
    block[2] = 0xEC;
    block[3] = 0xBC;
    WriteU32(&block[4], 0x20);
    std::vector<std::uint16_t> offsets{12};
    for (std::uint8_t b : {0xB5, 2, 6, 0, 0x40, 0, 0, 0}) block.push_back(b); // hidRoot 0x40
    offsets.push_back(static_cast<std::uint16_t>(block.size()));
    // 0x0037 PT_UNICODE -> HID 0x60; 0x0E07 PT_LONG inline 0x00000009.
    for (std::uint8_t b : {0x37, 0x00, 0x1F, 0x00, 0x60, 0, 0, 0, 0x07, 0x0E, 0x03, 0x00, 9, 0, 0, 0}) block.push_back(b);
    offsets.push_back(static_cast<std::uint16_t>(block.size()));
    for (std::uint8_t b : {0x48, 0, 0x65, 0, 0x79, 0}) block.push_back(b);
    offsets.push_back(static_cast<std::uint16_t>(block.size()));
    WriteU16(&block[0], static_cast<std::uint16_t>(block.size()));
    AppendU16(block, 3);
    AppendU16(block, 0);
    for (auto off : offsets) AppendU16(block, off);
    return block;
}

} // namespace

TEST(PropertyContext, ReadsHandBuiltContext)
{
    NodeContent node;
    node.blocks.push_back(HandBuiltPcBlock());
    auto bag = CPropertyContext::Read(node);
    ASSERT_TRUE(bag) << bag.Message();
    EXPECT_EQ(bag->Size(), 2u);
    EXPECT_EQ(bag->GetUnicode(PR_SUBJECT), u"Hey");
    EXPECT_EQ(bag->GetLong(PR_MESSAGE_FLAGS), 9);
    EXPECT_FALSE(bag->Has(PR_SUBJECT_A)); // same id, other type
    EXPECT_TRUE(bag->Has(PROP_TAG(CPropertyBag::kAnyType, 0x0037)));
}

TEST(PropertyContext, RejectsContextsThatAreNotPcs)
{
    NodeContent node;
    node.blocks.push_back(HandBuiltPcBlock());
    node.blocks[0][3] = 0x7C; // a TC signature
    EXPECT_FALSE(CPropertyContext::Read(node));

    node.blocks[0] = HandBuiltPcBlock();
    node.blocks[0][13] = 4; // BTH keys of 4 bytes
    EXPECT_FALSE(CPropertyContext::Read(node));

    node.blocks[0] = HandBuiltPcBlock();
    node.blocks[0][20 + 4] = 0x80; // subject HID 0x80 names no item
    EXPECT_FALSE(CPropertyContext::Read(node));

    node.blocks[0] = HandBuiltPcBlock();
    WriteU32(&node.blocks[0][20 + 4], MakeLtpNid(3)); // a subnode that is not there
    EXPECT_FALSE(CPropertyContext::Read(node));
}

TEST(PropertyContext, RoundTripsValuesInlineInHeapAndInSubnodes)
{
    CPropertyBag bag;
    bag.Set(PR_IMPORTANCE, PropertyValue::Long(2));
    bag.Set(PR_RTF_IN_SYNC, PropertyValue::Boolean(true));
    bag.Set(PROP_TAG(PT_SHORT, 0x6601), PropertyValue::Short(-5));
    bag.Set(PR_MESSAGE_DELIVERY_TIME, PropertyValue::SysTime(0x01D8F00000000000ull));
    bag.Set(PR_SUBJECT, PropertyValue::Unicode(u"Quarterly numbers"));
    bag.Set(PR_BODY, PropertyValue::Unicode(std::u16string(20000, u'z')));     // a subnode of several blocks
    bag.Set(PR_HTML, PropertyValue::Binary(Bytes(3580, 0x41)));                 // largest heap item
    bag.Set(PR_RTF_COMPRESSED, PropertyValue::Binary(Bytes(3581, 0x42)));       // smallest subnode
    bag.Set(PR_DISPLAY_TO, PropertyValue::Unicode(u""));                         // empty: HNID 0
    bag.Set(PROP_TAG(PT_MV_UNICODE, 0x8010), PropertyValue::MvUnicode({u"Work", u"Home"}));
    bag.Set(PROP_TAG(PT_MV_BINARY, 0x8011), PropertyValue::MvBinary({Bytes(10, 1), Bytes(4000, 2)}));
    bag.Set(PR_MESSAGE_CLASS, PropertyValue::Unicode(u"IPM.Note"));

    NodeContent keep;
    keep.subnodes[0x692].blocks.push_back(Bytes{1, 2, 3}); // a recipient table to carry over
    auto written = CPropertyContext::Write(bag, keep);
    ASSERT_TRUE(written) << written.Message();
    for (const auto& block : written->blocks) EXPECT_LE(block.size(), 8176u);
    EXPECT_EQ(written->subnodes.count(0x692), 1u);
    EXPECT_EQ(written->subnodes.size(), 4u); // body, RTF, the MV binary, and the kept table
    for (const auto& [nid, sub] : written->subnodes)
        for (const auto& block : sub.blocks) EXPECT_LE(block.size(), 8176u);

    auto read = CPropertyContext::Read(written.Value());
    ASSERT_TRUE(read) << read.Message();
    EXPECT_EQ(read.Value(), bag);

    // Rewriting keeps the values and replaces the old value subnodes.
    bag.Remove(PR_BODY);
    auto rewritten = CPropertyContext::Write(bag, written.Value());
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->subnodes.size(), 3u);
    EXPECT_EQ(CPropertyContext::Read(rewritten.Value()).Value(), bag);
}

TEST(PropertyContext, ManyPropertiesSpanHeapPages)
{
    CPropertyBag bag;
    for (std::uint16_t i = 0; i < 400; ++i)
        bag.Set(PROP_TAG(PT_UNICODE, static_cast<std::uint16_t>(0x8000 + i)), PropertyValue::Unicode(std::u16string(40 + i % 50, u'a' + i % 26)));
    auto written = CPropertyContext::Write(bag);
    ASSERT_TRUE(written);
    EXPECT_GT(written->blocks.size(), 3u);
    auto read = CPropertyContext::Read(written.Value());
    ASSERT_TRUE(read) << read.Message();
    EXPECT_EQ(read.Value(), bag);
}
