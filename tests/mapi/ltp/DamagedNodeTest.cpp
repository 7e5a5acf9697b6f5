// Readers fed with damaged nodes: every read ends in a value or in an error
// with a message, never in a read past the data (the sanitizer build checks
// the latter).
#include <gtest/gtest.h>

#include <random>

#include "mapi/ltp/CompressedRtf.h"
#include "mapi/ltp/PropertyContext.h"
#include "mapi/ltp/TableTemplates.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

NodeContent Damaged(const NodeContent& node, std::mt19937& rng)
{
    NodeContent copy = node;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        Bytes& block = copy.blocks[rng() % copy.blocks.size()];
        if (block.empty()) continue;
        switch (rng() % 3) {
        case 0: block[rng() % block.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255); break;
        case 1: block[rng() % block.size()] = static_cast<std::uint8_t>(rng()); break;
        default: block.resize(rng() % block.size()); break;
        }
    }
    return copy;
}

NodeContent SampleTable()
{
    CTableContext tc = CreateTable(TableKind::Contents).Value();
    for (std::uint32_t i = 0; i < 40; ++i) {
        CPropertyBag cells;
        cells.Set(PR_SUBJECT, PropertyValue::Unicode(u"Subject " + std::u16string(i, u's')));
        cells.Set(PR_MESSAGE_DELIVERY_TIME, PropertyValue::SysTime(i));
        cells.Set(PR_MESSAGE_FLAGS, PropertyValue::Long(static_cast<std::int32_t>(i)));
        EXPECT_TRUE(tc.AppendRow(0x200004 + 32 * i, cells));
    }
    return tc.ToNode();
}

NodeContent SampleContext()
{
    CPropertyBag bag;
    bag.Set(PR_SUBJECT, PropertyValue::Unicode(u"A subject"));
    bag.Set(PR_MESSAGE_FLAGS, PropertyValue::Long(3));
    bag.Set(PR_CREATION_TIME, PropertyValue::SysTime(77));
    bag.Set(PROP_TAG(PT_MV_UNICODE, 0x8001), PropertyValue::MvUnicode({u"one", u"two"}));
    bag.Set(PROP_TAG(PT_MV_BINARY, 0x8002), PropertyValue::MvBinary({Bytes(5, 1), Bytes(9, 2)}));
    for (std::uint16_t id = 0x6700; id < 0x6740; ++id) bag.Set(PROP_TAG(PT_LONG, id), PropertyValue::Long(id));
    return CPropertyContext::Write(bag).Value();
}

} // namespace

TEST(DamagedNode, TablesFailCleanly)
{
    const NodeContent good = SampleTable();
    std::mt19937 rng(1);
    int detected = 0;
    for (int round = 0; round < 1500; ++round) {
        auto tc = CTableContext::Load(Damaged(good, rng));
        if (!tc) {
            EXPECT_FALSE(tc.Message().empty());
            ++detected;
            continue;
        }
        auto rows = tc->ReadAllRows();
        if (!rows) {
            EXPECT_FALSE(rows.Message().empty());
            ++detected;
        } else {
            EXPECT_LE(rows->size(), tc->RowCount());
        }
    }
    EXPECT_GT(detected, 100);
}

TEST(DamagedNode, PropertyContextsFailCleanly)
{
    const NodeContent good = SampleContext();
    std::mt19937 rng(2);
    int detected = 0;
    for (int round = 0; round < 1500; ++round) {
        auto bag = CPropertyContext::Read(Damaged(good, rng));
        if (!bag) {
            EXPECT_FALSE(bag.Message().empty());
            ++detected;
        }
    }
    EXPECT_GT(detected, 100);
}

TEST(DamagedNode, CompressedRtfFailsCleanly)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\pard ";
    for (int i = 0; i < 200; ++i) rtf += "line " + std::to_string(i) + "\\par ";
    rtf += "}";
    NodeContent node;
    node.blocks.push_back(CompressRtf(Bytes(rtf.begin(), rtf.end())));
    std::mt19937 rng(3);
    int detected = 0;
    for (int round = 0; round < 1500; ++round) {
        auto out = DecompressRtf(Damaged(node, rng).blocks[0]);
        if (!out) ++detected;
        else EXPECT_LE(out->size(), rtf.size() * 2); // bounded by a RAWSIZE that survived
    }
    // The CRC catches nearly every change to the content.
    EXPECT_GT(detected, 1400);
}
