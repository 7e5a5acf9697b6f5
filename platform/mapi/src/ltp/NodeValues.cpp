#include "mapi/ltp/NodeValues.h"

#include <string>

namespace mapi::ltp {

std::vector<Bytes> SplitIntoBlocks(const Bytes& data)
{
    std::vector<Bytes> blocks;
    for (std::size_t off = 0; off < data.size(); off += heap::kMaxBlockSize) {
        const std::size_t end = off + heap::kMaxBlockSize < data.size() ? off + heap::kMaxBlockSize : data.size();
        blocks.emplace_back(data.begin() + off, data.begin() + end);
    }
    return blocks;
}

Bytes JoinBlocks(const std::vector<Bytes>& blocks)
{
    Bytes out;
    for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
    return out;
}

Result<Bytes> ReadHnid(const CHeapOnNode& heap, const NodeContent& node, std::uint32_t hnid)
{
    if (hnid == 0) return Bytes{};
    if (heap::IsHid(hnid)) return heap.Read(hnid);
    auto it = node.subnodes.find(hnid);
    if (it == node.subnodes.end()) return MakeError("no subnode " + std::to_string(hnid) + " for a value");
    return JoinBlocks(it->second.blocks);
}

Result<std::uint32_t> StoreHnid(CHeapOnNode& heap, NodeContent& node, Bytes data)
{
    if (data.empty()) return std::uint32_t{0};
    if (data.size() <= heap::kMaxItemSize) {
        auto hid = heap.Allocate(std::move(data));
        if (!hid) return hid.TakeError();
        return std::uint32_t{hid.Value()};
    }
    // The next index after the highest LTP NID; the map is ordered by NID, so
    // the search from its end stops at the first LTP one.
    std::uint32_t index = 1;
    for (auto it = node.subnodes.rbegin(); it != node.subnodes.rend(); ++it) {
        if ((it->first & 0x1F) == kNidTypeLtp) {
            index = (it->first >> 5) + 1;
            break;
        }
    }
    const std::uint32_t nid = MakeLtpNid(index);
    auto& blocks = node.subnodes[nid].blocks;
    if (data.size() <= heap::kMaxBlockSize)
        blocks.assign(1, std::move(data)); // one block: no copy
    else
        blocks = SplitIntoBlocks(data);
    return nid;
}

Result<void> FreeHnid(CHeapOnNode& heap, NodeContent& node, std::uint32_t hnid)
{
    if (hnid == 0) return {};
    if (heap::IsHid(hnid)) return heap.Free(hnid);
    if (node.subnodes.erase(hnid) == 0) return MakeError("no subnode " + std::to_string(hnid) + " to free");
    return {};
}

} // namespace mapi::ltp
