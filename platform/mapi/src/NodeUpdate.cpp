// Partial rewrites of a node: only the blocks that changed are written; the
// others, and the XBLOCKs over runs of them, stay where they are.
#include "NodeDatabaseImpl.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <string>

namespace mapi {

const std::size_t CNodeDatabase::Impl::kKeptShapes = 8;

void CNodeDatabase::Impl::KeepShape(DataTreeShape shape)
{
    if (keptShapes.size() >= kKeptShapes)
        keptShapes.erase(keptShapes.begin());
    keptShapes.push_back(std::move(shape));
}

BlockStream BlockStream::Whole(const std::vector<Bytes>& blocks)
{
    BlockStream s;
    s.count = blocks.size();
    s.nextChanged = [](std::size_t i) { return i; };
    s.size = [&blocks](std::size_t i) { return blocks[i].size(); };
    s.bytes = [&blocks](std::size_t i) { return blocks[i]; };
    return s;
}

Result<std::uint64_t> CNodeDatabase::Impl::RewriteDataTree(const BlockStream& stream, const DataTreeShape& old)
{
    const std::size_t maxData = Sizes().MaxBlockData();
    const std::size_t perX = ndb::MaxXBlockEntries(working.format);
    if (stream.count > perX * perX)
        return MakeError("node data too large for an XXBLOCK tree");
    // Every XBLOCK but the last is full, as the mail client writes them:
    // a reader may find the block of an index by dividing it by the
    // entries an XBLOCK holds.
    const std::size_t group = perX;

    std::vector<std::uint64_t> leaves(stream.count);
    // Asked once: the XBLOCKs below add them up again.
    std::vector<std::size_t> sizes(stream.count);
    // The blocks written anew, in order; the others are the old tree's.
    std::vector<std::size_t> rewritten;
    const bool oldSizesKnown = old.leafSizes.size() == old.leaves.size();
    const auto tooLarge = [maxData](std::size_t size) {
        return MakeError("a data block holds at most " + std::to_string(maxData) + " bytes, not " +
                         std::to_string(size));
    };
    for (std::size_t i = 0; i < stream.count;) {
        const std::size_t changed = std::min(stream.nextChanged(i), stream.count);
        if (changed > i) {
            // A run of stored blocks stays as it is, as large as when this
            // store wrote it.
            if (changed > old.leaves.size())
                return MakeError("block " + std::to_string(std::max(i, old.leaves.size())) +
                                 " of the node is not stored yet");
            std::copy(old.leaves.begin() + static_cast<std::ptrdiff_t>(i),
                      old.leaves.begin() + static_cast<std::ptrdiff_t>(changed), leaves.begin() + static_cast<std::ptrdiff_t>(i));
            for (std::size_t j = i; j < changed; ++j) {
                sizes[j] = oldSizesKnown ? old.leafSizes[j] : stream.size(j);
                if (sizes[j] > maxData)
                    return tooLarge(sizes[j]);
            }
            i = changed;
            continue;
        }
        sizes[i] = stream.size(i);
        if (sizes[i] > maxData)
            return tooLarge(sizes[i]);
        auto bid = WriteBlock(stream.bytes(i), false);
        if (!bid)
            return bid;
        leaves[i] = *bid;
        rewritten.push_back(i);
        ++i;
    }
    const std::uint64_t total = std::accumulate(sizes.begin(), sizes.end(), std::uint64_t{0});
    if (total > 0xFFFFFFFFu)
        return MakeError("node data too large for an XXBLOCK tree");
    const auto anyRewritten = [&rewritten](std::size_t from, std::size_t to) {
        auto it = std::lower_bound(rewritten.begin(), rewritten.end(), from);
        return it != rewritten.end() && *it < to;
    };

    std::set<std::uint64_t> keptInternal;
    auto finish = [&](std::uint64_t top) -> Result<std::uint64_t> {
        // What of the old tree the new one does not use is released; a kept
        // data block keeps its place in the tree.
        for (std::size_t i : rewritten)
            if (i < old.leaves.size())
                ReleaseBlock(old.leaves[i], 0, false);
        for (std::size_t i = stream.count; i < old.leaves.size(); ++i)
            ReleaseBlock(old.leaves[i], 0, false);
        for (std::uint64_t bid : old.xblocks)
            if (!keptInternal.count(bid))
                ReleaseBlock(bid, 0, false);
        if (old.top != 0 && old.top != top)
            ReleaseBlock(old.top, 0, false);
        return top;
    };

    if (stream.count == 0)
        return finish(0);
    if (stream.count == 1)
        return finish(leaves[0]);
    auto writeX = [&](std::uint8_t level, std::vector<std::uint64_t> children, std::uint64_t bytes) {
        ndb::XBlock x;
        x.level = level;
        x.lcbTotal = static_cast<std::uint32_t>(bytes);
        x.bids = std::move(children);
        return WriteBlock(ndb::WriteXBlock(x), true);
    };
    DataTreeShape written;
    written.lcbTotal = static_cast<std::uint32_t>(total);
    written.leafSizes.assign(sizes.begin(), sizes.end());
    if (stream.count <= group) {
        auto x = writeX(1, leaves, total);
        if (!x)
            return x;
        written.top = *x;
        written.leaves = std::move(leaves);
        KeepShape(std::move(written));
        return finish(*x);
    }
    // An XXBLOCK: the old tree's XBLOCKs but its last keep their bounds, the
    // blocks from there on go in groups; an XBLOCK of the old tree over the
    // same unchanged blocks is used again.
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 0; i + 1 < old.xblockLeaves.size() && bounds.back() + old.xblockLeaves[i] < stream.count; ++i)
        bounds.push_back(bounds.back() + old.xblockLeaves[i]);
    while (bounds.back() < stream.count)
        bounds.push_back(std::min(stream.count, bounds.back() + group));
    if (bounds.size() - 1 > perX) {
        bounds.assign(1, 0);
        while (bounds.back() < stream.count)
            bounds.push_back(std::min(stream.count, bounds.back() + perX));
    }
    std::vector<std::uint64_t> xbids;
    std::size_t oldStart = 0;
    for (std::size_t index = 0; index + 1 < bounds.size(); ++index) {
        const std::size_t start = bounds[index];
        const std::size_t end = bounds[index + 1];
        const bool same = index < old.xblocks.size() && oldStart == start && old.xblockLeaves[index] == end - start &&
                          end <= old.leaves.size() && !anyRewritten(start, end);
        if (index < old.xblocks.size())
            oldStart += old.xblockLeaves[index];
        if (same) {
            xbids.push_back(old.xblocks[index]);
            keptInternal.insert(old.xblocks[index]);
            continue;
        }
        const std::uint64_t bytes = std::accumulate(sizes.begin() + static_cast<std::ptrdiff_t>(start),
                                                    sizes.begin() + static_cast<std::ptrdiff_t>(end), std::uint64_t{0});
        auto x = writeX(1, std::vector<std::uint64_t>(leaves.begin() + static_cast<std::ptrdiff_t>(start),
                                                      leaves.begin() + static_cast<std::ptrdiff_t>(end)),
                        bytes);
        if (!x)
            return x;
        xbids.push_back(*x);
    }
    auto top = writeX(2, xbids, total);
    if (!top)
        return top;
    written.top = *top;
    written.leaves = std::move(leaves);
    written.xblocks = std::move(xbids);
    for (std::size_t index = 0; index + 1 < bounds.size(); ++index)
        written.xblockLeaves.push_back(bounds[index + 1] - bounds[index]);
    KeepShape(std::move(written));
    return finish(*top);
}

Result<void> CNodeDatabase::UpdateNode(Nid nid, Nid parent, const NodeUpdate& update)
{
    Impl& d = *m_impl;
    MAPI_TRY(d.CheckWritable());
    if (nid == 0)
        return MakeError("NID 0 is not a node");
    auto found = d.nbt.Find(nid);
    if (!found)
        return found.GetError();
    const ndb::NbtEntry old = found->value_or(ndb::NbtEntry{});
    d.dirty = true;

    ndb::NbtEntry entry;
    entry.nid = nid;
    entry.nidParent = parent;
    entry.bidData = old.bidData;
    entry.bidSub = old.bidSub;
    if (update.data) {
        auto shape = d.ReadDataTreeShape(old.bidData);
        if (!shape)
            return shape.GetError();
        auto bid = d.RewriteDataTree(*update.data, *shape);
        if (!bid)
            return bid.GetError();
        entry.bidData = *bid;
    }

    if (!update.subnodes.empty()) {
        auto entries = d.ReadSubnodeEntries(old.bidSub);
        if (!entries)
            return entries.GetError();
        std::map<std::uint64_t, ndb::SlEntry> byNid;
        for (const auto& e : *entries)
            byNid[e.nid] = e;
        for (const auto& [subNid, stream] : update.subnodes) {
            auto it = byNid.find(subNid);
            if (!stream) {
                if (it != byNid.end()) {
                    d.ReleaseBlock(it->second.bidData, 0);
                    d.ReleaseBlock(it->second.bidSub, 0);
                    byNid.erase(it);
                }
                continue;
            }
            ndb::SlEntry sub{subNid, 0, 0};
            if (it != byNid.end())
                sub = it->second;
            auto shape = d.ReadDataTreeShape(sub.bidData);
            if (!shape)
                return shape.GetError();
            auto bid = d.RewriteDataTree(*stream, *shape);
            if (!bid)
                return bid.GetError();
            sub.bidData = *bid;
            byNid[subNid] = sub;
        }
        std::vector<ndb::SlEntry> next;
        for (const auto& [key, e] : byNid)
            next.push_back(e);
        auto bidSub = d.WriteSubnodeEntries(next);
        if (!bidSub)
            return bidSub.GetError();
        entry.bidSub = *bidSub;
        // The old SLBLOCK/SIBLOCK tree goes, not the subnodes it listed.
        if (old.bidSub != 0) {
            auto raw = d.ReadBlock(old.bidSub);
            if (raw)
                if (auto sb = ndb::ParseSubnodeBlock(d.working.format, *raw))
                    for (const auto& branch : sb->branches)
                        d.ReleaseBlock(branch.bid, 0, false);
            d.ReleaseBlock(old.bidSub, 0, false);
        }
    }
    MAPI_TRY(d.nbt.Put(entry));
    auto& counter = d.working.rgnid[NidTypeOf(nid)];
    if (NidIndexOf(nid) > counter)
        counter = NidIndexOf(nid);
    return {};
}

} // namespace mapi
