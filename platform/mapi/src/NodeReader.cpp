// The reading half of the node database: from NID to blocks and subnodes.
#include "NodeDatabaseImpl.h"

#include <string>

namespace mapi {

namespace {

constexpr int kMaxSubnodeDepth = 16;

std::string Hex(std::uint64_t v)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v);
    return "0x" + s;
}

bool IsInternal(std::uint64_t bid) { return (bid & ndb::kBidInternal) != 0; }

} // namespace

Result<ndb::NbtEntry> CNodeDatabase::Impl::FindNode(Nid nid)
{
    auto found = nbt.Find(nid);
    if (!found)
        return found.GetError();
    if (!*found)
        return MakeError("node " + Hex(nid) + " does not exist");
    return **found;
}

Result<ndb::BbtEntry> CNodeDatabase::Impl::FindBlock(std::uint64_t bid)
{
    auto found = bbt.Find(bid & ~std::uint64_t{1});
    if (!found)
        return found.GetError();
    if (!*found)
        return MakeError("block " + Hex(bid) + " is not in the block B-tree");
    return **found;
}

Result<Bytes> CNodeDatabase::Impl::ReadBlock(std::uint64_t bid)
{
    auto entry = FindBlock(bid);
    if (!entry)
        return entry.GetError();
    auto stored = StoredBlock(*entry);
    if (!stored)
        return stored.GetError();
    return **stored;
}

Result<const Bytes*> CNodeDatabase::Impl::StoredBlock(std::uint64_t bid)
{
    auto entry = FindBlock(bid);
    if (!entry)
        return entry.GetError();
    return StoredBlock(*entry);
}

Result<const Bytes*> CNodeDatabase::Impl::StoredBlock(const ndb::BbtEntry& entry)
{
    // A failed batch may have left blocks in the cache that never reached
    // the file; only its rollback, which empties the cache, ends that state.
    if (!failed)
        if (const Bytes* held = blockCache.Find(entry.bref.bid, entry.bref.ib, entry.cb))
            return held;
    const std::size_t disk = ndb::BlockDiskSize(working.format, entry.cb);
    if (disk > ndb::kMaxBlockSize)
        return MakeError("block " + Hex(entry.bref.bid) + " is larger than a block can be");
    auto raw = file.ReadAt(entry.bref.ib, disk);
    if (!raw)
        return MakeError("block " + Hex(entry.bref.bid) + ": " + raw.Message());
    auto parsed = ndb::ParseBlock(working.format, *raw, entry.cb, entry.bref.bid, entry.bref.ib);
    if (!parsed)
        return parsed.GetError();
    if (!failed)
        if (const Bytes* held = blockCache.Put(entry.bref.bid, entry.bref.ib, std::move(*parsed)))
            return held;
    uncachedBlock = std::move(*parsed);
    return &uncachedBlock;
}

Result<Bytes> CNodeDatabase::Impl::ReadDataBlock(std::uint64_t bid)
{
    if (IsInternal(bid))
        return MakeError("block " + Hex(bid) + " should be a data block");
    auto data = ReadBlock(bid);
    if (!data)
        return data;
    ndb::DecodeBlock(working.bCryptMethod, *data, bid);
    return data;
}

Result<CNodeDatabase::Impl::DataTreeShape> CNodeDatabase::Impl::ReadDataTreeShape(std::uint64_t bidData)
{
    DataTreeShape shape;
    if (bidData == 0)
        return shape;
    if (!IsInternal(bidData)) {
        shape.leaves.push_back(bidData);
        return shape;
    }
    for (const DataTreeShape& kept : keptShapes)
        if (kept.top == bidData)
            return kept;
    auto raw = StoredBlock(bidData);
    if (!raw)
        return raw.GetError();
    auto top = ndb::ParseXBlock(working.format, **raw);
    if (!top)
        return MakeError("block " + Hex(bidData) + ": " + top.Message());
    shape.top = bidData;
    shape.lcbTotal = top->lcbTotal;
    if (top->level == 1) {
        shape.leaves = top->bids;
    } else {
        for (std::uint64_t xbid : top->bids) {
            if (!IsInternal(xbid))
                return MakeError("XXBLOCK " + Hex(bidData) + " refers to a data block");
            auto xraw = StoredBlock(xbid);
            if (!xraw)
                return xraw.GetError();
            auto x = ndb::ParseXBlock(working.format, **xraw);
            if (!x)
                return MakeError("block " + Hex(xbid) + ": " + x.Message());
            if (x->level != 1)
                return MakeError("XXBLOCK " + Hex(bidData) + " refers to a block of the wrong level");
            shape.xblocks.push_back(xbid);
            shape.xblockLeaves.push_back(x->bids.size());
            shape.leaves.insert(shape.leaves.end(), x->bids.begin(), x->bids.end());
        }
    }
    // A table read block by block asks for its tree once a block.
    KeepShape(shape);
    return shape;
}

Result<std::vector<Bytes>> CNodeDatabase::Impl::ReadDataTree(std::uint64_t bidData)
{
    std::vector<Bytes> out;
    auto shape = ReadDataTreeShape(bidData);
    if (!shape)
        return shape.GetError();
    if (shape->top == 0) {
        for (std::uint64_t bid : shape->leaves) {
            auto block = ReadDataBlock(bid);
            if (!block)
                return block.GetError();
            out.push_back(std::move(*block));
        }
        return out;
    }
    std::uint64_t total = 0;
    for (std::uint64_t bid : shape->leaves) {
        auto block = ReadDataBlock(bid);
        if (!block)
            return block.GetError();
        total += block->size();
        // Blocks are not shared within a node: more data than the file holds
        // means the tree refers to the same blocks over and over.
        if (total > shape->lcbTotal || total > file.Size())
            return MakeError("block tree " + Hex(bidData) + " holds more data than it says");
        out.push_back(std::move(*block));
    }
    if (total != shape->lcbTotal)
        return MakeError("block tree " + Hex(bidData) + " holds " + std::to_string(total) + " bytes, its XBLOCK says " +
                         std::to_string(shape->lcbTotal));
    return out;
}

Result<std::vector<ndb::SlEntry>> CNodeDatabase::Impl::ReadSubnodeEntries(std::uint64_t bidSub)
{
    std::vector<ndb::SlEntry> out;
    if (bidSub == 0)
        return out;
    if (!IsInternal(bidSub))
        return MakeError("subnode block " + Hex(bidSub) + " is not an internal block");
    auto raw = ReadBlock(bidSub);
    if (!raw)
        return raw.GetError();
    auto sb = ndb::ParseSubnodeBlock(working.format, *raw);
    if (!sb)
        return MakeError("block " + Hex(bidSub) + ": " + sb.Message());
    if (sb->level == 0)
        return std::move(sb->leaves);
    for (const auto& branch : sb->branches) {
        if (!IsInternal(branch.bid))
            return MakeError("SIBLOCK " + Hex(bidSub) + " refers to a data block");
        auto lraw = ReadBlock(branch.bid);
        if (!lraw)
            return lraw.GetError();
        auto leaf = ndb::ParseSubnodeBlock(working.format, *lraw);
        if (!leaf)
            return MakeError("block " + Hex(branch.bid) + ": " + leaf.Message());
        if (leaf->level != 0)
            return MakeError("SIBLOCK " + Hex(bidSub) + " refers to a block of the wrong level");
        out.insert(out.end(), leaf->leaves.begin(), leaf->leaves.end());
    }
    return out;
}

Result<NodeContent> CNodeDatabase::Impl::ReadContent(std::uint64_t bidData, std::uint64_t bidSub, int depth)
{
    if (depth > kMaxSubnodeDepth)
        return MakeError("subnodes nested too deep");
    NodeContent content;
    auto blocks = ReadDataTree(bidData);
    if (!blocks)
        return blocks.GetError();
    content.blocks = std::move(*blocks);
    auto entries = ReadSubnodeEntries(bidSub);
    if (!entries)
        return entries.GetError();
    for (const auto& e : *entries) {
        auto sub = ReadContent(e.bidData, e.bidSub, depth + 1);
        if (!sub)
            return MakeError("subnode " + Hex(e.nid) + ": " + sub.Message());
        content.subnodes[static_cast<std::uint32_t>(e.nid)] = std::move(*sub);
    }
    return content;
}

Result<bool> CNodeDatabase::NodeExists(Nid nid)
{
    auto found = m_impl->nbt.Find(nid);
    if (!found)
        return found.GetError();
    return found->has_value();
}

Result<NodeInfo> CNodeDatabase::GetNodeInfo(Nid nid)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    return NodeInfo{static_cast<Nid>(e->nid), e->nidParent, e->bidData, e->bidSub};
}

Result<Nid> CNodeDatabase::GetParent(Nid nid)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    return e->nidParent;
}

Result<NodeContent> CNodeDatabase::ReadNode(Nid nid)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    auto content = m_impl->ReadContent(e->bidData, e->bidSub, 0);
    if (!content)
        return MakeError("node " + Hex(nid) + ": " + content.Message());
    return content;
}

Result<std::vector<Bytes>> CNodeDatabase::ReadNodeData(Nid nid)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    return m_impl->ReadDataTree(e->bidData);
}

Result<Bytes> CNodeDatabase::ReadNodeBlock(Nid nid, std::size_t index)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    auto shape = m_impl->ReadDataTreeShape(e->bidData);
    if (!shape)
        return shape.GetError();
    if (index >= shape->leaves.size())
        return MakeError("node " + Hex(nid) + " has no block " + std::to_string(index));
    return m_impl->ReadDataBlock(shape->leaves[index]);
}

Result<Bytes> CNodeDatabase::ReadSubnodeBlock(Nid nid, Nid subnode, std::size_t index)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    auto entries = m_impl->ReadSubnodeEntries(e->bidSub);
    if (!entries)
        return entries.GetError();
    for (const auto& s : *entries) {
        if (s.nid != subnode)
            continue;
        auto shape = m_impl->ReadDataTreeShape(s.bidData);
        if (!shape)
            return shape.GetError();
        if (index >= shape->leaves.size())
            return MakeError("subnode " + Hex(subnode) + " of node " + Hex(nid) + " has no block " + std::to_string(index));
        return m_impl->ReadDataBlock(shape->leaves[index]);
    }
    return MakeError("node " + Hex(nid) + " has no subnode " + Hex(subnode));
}

Result<std::vector<std::size_t>> CNodeDatabase::BlockSizes(Nid nid, Nid subnode)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    std::uint64_t bidData = e->bidData;
    if (subnode != 0) {
        auto entries = m_impl->ReadSubnodeEntries(e->bidSub);
        if (!entries)
            return entries.GetError();
        bidData = 0;
        bool found = false;
        for (const auto& s : *entries)
            if (s.nid == subnode) {
                bidData = s.bidData;
                found = true;
            }
        if (!found)
            return MakeError("node " + Hex(nid) + " has no subnode " + Hex(subnode));
    }
    auto shape = m_impl->ReadDataTreeShape(bidData);
    if (!shape)
        return shape.GetError();
    std::vector<std::size_t> sizes;
    sizes.reserve(shape->leaves.size());
    for (std::uint64_t bid : shape->leaves) {
        auto block = m_impl->FindBlock(bid);
        if (!block)
            return block.GetError();
        sizes.push_back(block->cb);
    }
    return sizes;
}

Result<std::vector<Nid>> CNodeDatabase::ListSubnodes(Nid nid)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    auto entries = m_impl->ReadSubnodeEntries(e->bidSub);
    if (!entries)
        return entries.GetError();
    std::vector<Nid> out;
    for (const auto& s : *entries)
        out.push_back(static_cast<Nid>(s.nid));
    return out;
}

Result<NodeContent> CNodeDatabase::ReadSubnode(Nid nid, Nid subnode)
{
    auto e = m_impl->FindNode(nid);
    if (!e)
        return e.GetError();
    auto entries = m_impl->ReadSubnodeEntries(e->bidSub);
    if (!entries)
        return entries.GetError();
    for (const auto& s : *entries)
        if (s.nid == subnode)
            return m_impl->ReadContent(s.bidData, s.bidSub, 1);
    return MakeError("node " + Hex(nid) + " has no subnode " + Hex(subnode));
}

Result<void> CNodeDatabase::ForEachNode(const std::function<bool(const NodeInfo&)>& visit)
{
    auto walked = m_impl->nbt.ForEach([&](const ndb::NbtEntry& e) {
        return visit(NodeInfo{static_cast<Nid>(e.nid), e.nidParent, e.bidData, e.bidSub});
    });
    m_impl->nbt.Trim(Impl::kCachedPages);
    m_impl->bbt.Trim(Impl::kCachedPages);
    return walked;
}

} // namespace mapi
