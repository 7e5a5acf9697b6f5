// The writing half of the node database: blocks and their trees go to free
// space as soon as a node is written; the B-trees and the header follow at
// commit.
#include "NodeDatabaseImpl.h"

#include <algorithm>
#include <string>

namespace mapi {

namespace {

constexpr int kMaxSubnodeDepth = 16;

bool IsInternal(std::uint64_t bid) { return (bid & ndb::kBidInternal) != 0; }

// Outlook counts one reference more than there are users of a block: a block
// used once has cRef 2. Blocks are written and released the same way, so
// that files from either writer free their space alike.
constexpr std::uint16_t kSingleReference = 2;

} // namespace

Result<std::uint64_t> CNodeDatabase::Impl::WriteBlock(const Bytes& data, bool internal)
{
    const std::uint64_t bid = working.bidNextB | (internal ? ndb::kBidInternal : 0);
    working.bidNextB += ndb::kBidIncrement;
    const std::size_t disk = ndb::BlockDiskSize(working.format, data.size());
    auto ib = AllocateSpace(disk, 64);
    if (!ib)
        return ib.GetError();
    // Encoded and sealed in the buffer that goes to the file.
    // Only the padding and trailer start as zeros; the data is copied once.
    Bytes onDisk;
    onDisk.reserve(disk);
    onDisk.assign(data.begin(), data.end());
    onDisk.resize(disk);
    const std::span<std::uint8_t> stored(onDisk.data(), data.size());
    if (!internal)
        ndb::EncodeBlock(working.bCryptMethod, stored, bid);
    ndb::SealBlock(onDisk, data.size(), bid, *ib);
    const bool keep = !writingNewNode && !failed;
    Bytes kept = keep ? Bytes(stored.begin(), stored.end()) : Bytes{};
    MAPI_TRY(file.WriteAt(*ib, std::move(onDisk)));
    ndb::BbtEntry entry;
    entry.bref = {bid, *ib};
    entry.cb = static_cast<std::uint16_t>(data.size());
    entry.cRef = kSingleReference;
    MAPI_TRY(bbt.Put(entry));
    // A node that changes is read back by its next change; a new one (a
    // message) seldom is.
    if (keep)
        blockCache.Put(bid, *ib, std::move(kept));
    else
        blockCache.Erase(bid);
    return bid;
}

Result<std::uint64_t> CNodeDatabase::Impl::WriteDataTree(const std::vector<Bytes>& blocks)
{
    if (blocks.empty())
        return std::uint64_t{0};
    const std::size_t maxData = Sizes().MaxBlockData();
    std::uint64_t total = 0;
    for (const auto& b : blocks) {
        if (b.size() > maxData)
            return MakeError("a data block holds at most " + std::to_string(maxData) + " bytes, not " +
                             std::to_string(b.size()));
        total += b.size();
    }
    const std::size_t perX = ndb::MaxXBlockEntries(working.format);
    if (blocks.size() > perX * perX || total > 0xFFFFFFFFu)
        return MakeError("node data too large for an XXBLOCK tree");

    std::vector<std::uint64_t> bids;
    for (const auto& b : blocks) {
        auto bid = WriteBlock(b, false);
        if (!bid)
            return bid;
        bids.push_back(*bid);
    }
    if (bids.size() == 1)
        return bids.front();

    auto writeX = [&](std::uint8_t level, std::vector<std::uint64_t> children, std::uint32_t bytes) {
        ndb::XBlock x;
        x.level = level;
        x.lcbTotal = bytes;
        x.bids = std::move(children);
        return WriteBlock(ndb::WriteXBlock(x), true);
    };
    if (bids.size() <= perX)
        return writeX(1, bids, static_cast<std::uint32_t>(total));

    std::vector<std::uint64_t> xbids;
    for (std::size_t start = 0; start < bids.size(); start += perX) {
        const std::size_t end = std::min(bids.size(), start + perX);
        std::uint64_t bytes = 0;
        for (std::size_t i = start; i < end; ++i)
            bytes += blocks[i].size();
        auto x = writeX(1, std::vector<std::uint64_t>(bids.begin() + static_cast<std::ptrdiff_t>(start),
                                                      bids.begin() + static_cast<std::ptrdiff_t>(end)),
                        static_cast<std::uint32_t>(bytes));
        if (!x)
            return x;
        xbids.push_back(*x);
    }
    return writeX(2, xbids, static_cast<std::uint32_t>(total));
}

Result<std::uint64_t> CNodeDatabase::Impl::WriteSubnodeTree(const std::map<std::uint32_t, NodeContent>& subnodes,
                                                            int depth)
{
    if (subnodes.empty())
        return std::uint64_t{0};
    if (depth > kMaxSubnodeDepth)
        return MakeError("subnodes nested too deep");
    std::vector<ndb::SlEntry> entries;
    for (const auto& [nid, content] : subnodes) {
        auto data = WriteDataTree(content.blocks);
        if (!data)
            return data;
        auto sub = WriteSubnodeTree(content.subnodes, depth + 1);
        if (!sub)
            return sub;
        entries.push_back({nid, *data, *sub});
    }
    return WriteSubnodeEntries(entries);
}

Result<std::uint64_t> CNodeDatabase::Impl::WriteSubnodeEntries(const std::vector<ndb::SlEntry>& entries)
{
    if (entries.empty())
        return std::uint64_t{0};
    const std::size_t perSl = ndb::MaxSubnodeEntries(working.format, 0);
    const std::size_t perSi = ndb::MaxSubnodeEntries(working.format, 1);
    if (entries.size() <= perSl) {
        ndb::SubnodeBlock sl;
        sl.leaves = entries;
        return WriteBlock(ndb::WriteSubnodeBlock(sl), true);
    }
    if (entries.size() > perSl * perSi)
        return MakeError("too many subnodes for one node");
    ndb::SubnodeBlock si;
    si.level = 1;
    for (std::size_t start = 0; start < entries.size(); start += perSl) {
        const std::size_t end = std::min(entries.size(), start + perSl);
        ndb::SubnodeBlock sl;
        sl.leaves.assign(entries.begin() + static_cast<std::ptrdiff_t>(start),
                         entries.begin() + static_cast<std::ptrdiff_t>(end));
        auto bid = WriteBlock(ndb::WriteSubnodeBlock(sl), true);
        if (!bid)
            return bid;
        si.branches.push_back({entries[start].nid, *bid});
    }
    return WriteBlock(ndb::WriteSubnodeBlock(si), true);
}

void CNodeDatabase::Impl::ReleaseBlock(std::uint64_t bid, int depth, bool withChildren)
{
    // A block that cannot be found or read is left where it is: a leak, never
    // a corruption.
    if (bid == 0 || depth > kMaxSubnodeDepth * 3)
        return;
    auto entry = FindBlock(bid);
    if (!entry)
        return;
    if (entry->cRef > kSingleReference) {
        ndb::BbtEntry updated = *entry;
        --updated.cRef;
        (void)bbt.Put(updated);
        return;
    }
    // Only space that verifiably holds this block is freed: a damaged entry
    // could otherwise hand out space that other blocks use. The children are
    // taken out before releasing them, which reuses the stored bytes.
    auto stored = StoredBlock(*entry);
    if (!stored)
        return;
    const Bytes& raw = **stored;
    if (withChildren && IsInternal(bid) && raw.size() >= 2) {
        if (raw[0] == ndb::kBlockTypeData) {
            if (auto x = ndb::ParseXBlock(working.format, raw))
                for (std::uint64_t child : x->bids)
                    ReleaseBlock(child, depth + 1);
        } else if (auto sb = ndb::ParseSubnodeBlock(working.format, raw)) {
            for (const auto& leaf : sb->leaves) {
                ReleaseBlock(leaf.bidData, depth + 1);
                ReleaseBlock(leaf.bidSub, depth + 1);
            }
            for (const auto& branch : sb->branches)
                ReleaseBlock(branch.bid, depth + 1);
        }
    }
    blockCache.Erase(bid);
    auto erased = bbt.Erase(entry->Key());
    if (erased && *erased)
        pendingFree.emplace_back(entry->bref.ib, ndb::BlockDiskSize(working.format, entry->cb));
}

Result<Nid> CNodeDatabase::AllocateNid(std::uint8_t nidType)
{
    MAPI_TRY(m_impl->CheckWritable());
    if (nidType > 0x1F)
        return MakeError("NID type out of range");
    auto& counter = m_impl->working.rgnid[nidType];
    if (counter >= (1u << 27) - 1)
        return MakeError("NIDs of that type are used up");
    ++counter;
    m_impl->dirty = true;
    return MakeNid(nidType, counter);
}

Result<void> CNodeDatabase::WriteNode(Nid nid, Nid parent, const NodeContent& content)
{
    MAPI_TRY(m_impl->CheckWritable());
    if (nid == 0)
        return MakeError("NID 0 is not a node");
    auto old = m_impl->nbt.Find(nid);
    if (!old)
        return old.GetError();
    m_impl->dirty = true;
    // A new node's blocks stay until it changes, which most never do.
    m_impl->writingNewNode = !*old;
    auto bidData = m_impl->WriteDataTree(content.blocks);
    auto bidSub = bidData ? m_impl->WriteSubnodeTree(content.subnodes, 0) : Result<std::uint64_t>(0);
    m_impl->writingNewNode = false;
    if (!bidData)
        return bidData.GetError();
    if (!bidSub)
        return bidSub.GetError();
    ndb::NbtEntry entry;
    entry.nid = nid;
    entry.bidData = *bidData;
    entry.bidSub = *bidSub;
    entry.nidParent = parent;
    MAPI_TRY(m_impl->nbt.Put(entry));
    if (*old) {
        m_impl->ReleaseBlock((*old)->bidData, 0);
        m_impl->ReleaseBlock((*old)->bidSub, 0);
    }
    // A NID written by hand keeps the counter of its type ahead of it.
    auto& counter = m_impl->working.rgnid[NidTypeOf(nid)];
    if (NidIndexOf(nid) > counter)
        counter = NidIndexOf(nid);
    return {};
}

Result<void> CNodeDatabase::DeleteNode(Nid nid)
{
    MAPI_TRY(m_impl->CheckWritable());
    auto old = m_impl->FindNode(nid);
    if (!old)
        return old.GetError();
    m_impl->dirty = true;
    auto erased = m_impl->nbt.Erase(nid);
    if (!erased)
        return erased.GetError();
    m_impl->ReleaseBlock(old->bidData, 0);
    m_impl->ReleaseBlock(old->bidSub, 0);
    return {};
}

} // namespace mapi
