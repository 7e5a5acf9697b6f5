#include "mapi/ltp/PropertyContext.h"

#include <string>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/NodeValues.h"
#include "mapi/ltp/PropertyCodec.h"

namespace mapi::ltp {

namespace {

constexpr std::uint8_t kKeySize = 2;
constexpr std::uint8_t kRecordSize = 6;

std::string TagText(std::uint16_t id, std::uint16_t type)
{
    static const char* digits = "0123456789ABCDEF";
    std::uint32_t tag = PROP_TAG(type, id);
    std::string s = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) s += digits[(tag >> shift) & 0xF];
    return s;
}

} // namespace

Result<CPropertyBag> CPropertyContext::Read(const NodeContent& node)
{
    auto heap = CHeapOnNode::Load(node.blocks);
    if (!heap) return WithContext("property context", heap.TakeError());
    if (heap->ClientSig() != heap::kClientPropertyContext)
        return MakeError("property context: heap has client signature " + std::to_string(heap->ClientSig()));
    auto header = CBTreeOnHeap::ReadHeader(heap.Value(), heap->UserRoot());
    if (!header) return WithContext("property context", header.TakeError());
    if (header->cbKey != kKeySize || header->cbEnt != kRecordSize)
        return MakeError("property context: BTH records of " + std::to_string(header->cbKey) + "+" +
                         std::to_string(header->cbEnt) + " bytes");
    auto records = CBTreeOnHeap::Enumerate(heap.Value(), heap->UserRoot());
    if (!records) return WithContext("property context", records.TakeError());

    CPropertyBag bag;
    for (const BthRecord& record : records.Value()) {
        const std::uint16_t id = ReadU16(record.key.data());
        const std::uint16_t type = ReadU16(record.data.data());
        const std::uint32_t hnid = ReadU32(&record.data[2]);
        Bytes stored;
        if (IsInlineType(type)) {
            stored.assign(record.data.begin() + 2, record.data.end());
        } else {
            auto bytes = ReadHnid(heap.Value(), node, hnid);
            if (!bytes) return WithContext("property " + TagText(id, type), bytes.TakeError());
            stored = std::move(bytes.Value());
            if (stored.empty() && FixedValueSize(type) > 0)
                return MakeError("property " + TagText(id, type) + " has no value");
        }
        auto value = DecodeValue(type, stored);
        if (!value) return WithContext("property " + TagText(id, type), value.TakeError());
        bag.Set(PROP_TAG(type, id), std::move(value.Value()));
    }
    return bag;
}

Result<NodeContent> CPropertyContext::Write(const CPropertyBag& bag, const NodeContent& keep)
{
    NodeContent node;
    for (const auto& [nid, content] : keep.subnodes) {
        if ((nid & 0x1F) != kNidTypeLtp) node.subnodes.emplace(nid, content);
    }
    CHeapOnNode heap(heap::kClientPropertyContext);
    // The header first, so that it gets the first HID as Outlook's files have it.
    auto header = CBTreeOnHeap::Create(heap, kKeySize, kRecordSize);
    if (!header) return header.TakeError();
    heap.SetUserRoot(header.Value());

    Bytes records;
    records.reserve(bag.Size() * (kKeySize + kRecordSize));
    for (const auto& entry : bag) {
        const std::uint16_t id = entry.first;
        const PropertyValue& value = entry.second;
        std::uint32_t slot = 0;
        if (IsInlineType(value.Type())) {
            std::uint8_t fixed[8];
            const std::size_t size = EncodeSmallFixed(value, fixed);
            for (std::size_t i = 0; i < size; ++i) slot |= static_cast<std::uint32_t>(fixed[i]) << (8 * i);
        } else {
            auto hnid = StoreHnid(heap, node, EncodeValue(value));
            if (!hnid) return WithContext("property " + TagText(id, value.Type()), hnid.TakeError());
            slot = hnid.Value();
        }
        AppendU16(records, id);
        AppendU16(records, value.Type());
        AppendU32(records, slot);
    }
    // Build packs the leaves after the values; rebuild the tree in the header
    // allocated above so that the user root stays the first item.
    auto free = heap.Free(header.Value());
    if (!free) return free.TakeError();
    auto tree = CBTreeOnHeap::BuildPacked(heap, kKeySize, kRecordSize, std::move(records));
    if (!tree) return tree.TakeError();
    heap.SetUserRoot(tree.Value());
    node.blocks = heap.Serialize();
    return node;
}

} // namespace mapi::ltp
