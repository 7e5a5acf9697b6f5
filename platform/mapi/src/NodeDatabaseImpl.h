// The state behind CNodeDatabase, shared by its reading and writing halves.
#pragma once

#include "AllocationMap.h"
#include "BlockCache.h"
#include "BTree.h"
#include "PstFile.h"
#include "mapi/NodeDatabase.h"
#include "mapi/ndb/Block.h"

#include <utility>

namespace mapi {

struct CNodeDatabase::Impl {
    ndb::CPstFile file;
    ndb::Header committed; // as on disk
    ndb::Header working;   // counters and roots of the batch
    bool readOnly = false;
    bool failed = false;   // a commit failed half-way: only reopening helps
    bool dirty = false;    // node changes since the last commit
    ndb::CAllocationMap amap;
    ndb::CBTree<ndb::NbtEntry> nbt;
    ndb::CBTree<ndb::BbtEntry> bbt;
    // Space of blocks and pages the batch stopped using; reusable only once
    // the header that no longer refers to it is durable.
    std::vector<std::pair<std::uint64_t, std::size_t>> pendingFree;
    // What the last committed batch freed: its header is written but not
    // synced yet, so the header before it may still be the one a power
    // failure leaves, and that one uses this space.
    std::vector<std::pair<std::uint64_t, std::size_t>> freedByUnsyncedHeader;
    // The density list page, kept up to date when the file has one.
    bool hasDList = false;
    std::uint64_t dlistBid = 0;
    // The map pages the density list on disk covers, and whether the map
    // changed since it was written.
    std::size_t dlistPages = 0;
    bool dlistStale = false;

    // A batch's space is handed out in order from runs reserved in the map,
    // so that its writes share disk pages instead of dirtying one page per
    // block: one run for the blocks of new nodes, which stay, and one for
    // rewritten nodes and B-tree pages, which later batches replace (kept
    // apart, the space they free comes back as runs, not as holes between
    // blocks that stay). What the runs have left at a commit serves the
    // next batch.
    // The reserved space each kind has left, as [from, to).
    using Arena = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
    enum ArenaKind { kLasting = 0, kReplaced = 1 };
    Arena arenas[2];
    bool writingNewNode = false;

    // The blocks of nodes that change (tables, folders) as last written or
    // read; never used while the database is failed, emptied by a rollback.
    ndb::CBlockCache blockCache;
    // A block read while the cache is not used.
    Bytes uncachedBlock;

    static const std::uint64_t kCachedPages;
    static const std::uint64_t kMaxArena;
    static const std::uint64_t kLeastRun[2];
    static const std::size_t kCachedBlockBytes;
    static const std::uint64_t kHostPage;

    Impl(ndb::Format format);

    const ndb::FormatSizes& Sizes() const { return ndb::SizesOf(working.format); }
    Result<void> CheckWritable() const;
    // Room for `size` bytes aligned to `align` in the batch's run of its kind.
    Result<std::uint64_t> AllocateSpace(std::size_t size, std::size_t align);
    // Marks what the runs have left free (for the map pages and header that
    // a commit writes: no header ever used it) or reserved again.
    void ShowArenasFree(bool free);
    // Gives back what the runs have left.
    void EndArenas();
    // Forgets the runs, as after the map was read back from the file.
    void DropArenas();
    void ResetTrees();
    // Writes the header of the committed state with the map's figures.
    Result<void> WriteHeader(ndb::Header& h);
    // The density list of the map as it stands, in its place.
    Result<void> WriteDList();
    // The last written header is durable: the space its batch freed can go.
    void ReleaseFreedByDurableHeader();

    // The blocks of a stored data tree: the data blocks in order, and the
    // XBLOCK or XXBLOCK above them with the XBLOCKs under an XXBLOCK.
    struct DataTreeShape {
        std::vector<std::uint64_t> leaves;
        std::uint64_t top = 0; // 0 for a tree of one block
        std::uint32_t lcbTotal = 0;
        std::vector<std::uint64_t> xblocks;
        std::vector<std::size_t> xblockLeaves; // data blocks under each XBLOCK
        // The size of each data block, when the tree was written here (empty
        // for a tree read from the file).
        std::vector<std::uint32_t> leafSizes;
    };
    // The shapes of the trees the last rewrites wrote, by their top BID: a
    // table's next append finds its thousands of blocks here instead of
    // parsing its XBLOCKs again. A BID names one block for good, so an entry
    // stays true; a rollback, which hands the same BIDs out again, drops
    // them.
    static const std::size_t kKeptShapes;
    std::vector<DataTreeShape> keptShapes;
    void KeepShape(DataTreeShape shape);

    // Reading.
    Result<ndb::NbtEntry> FindNode(Nid nid);
    Result<ndb::BbtEntry> FindBlock(std::uint64_t bid);
    Result<Bytes> ReadBlock(std::uint64_t bid);         // stored bytes of any block
    // The stored bytes of the block of `entry`, from the cache or the file;
    // valid until the next block is read, written or released.
    Result<const Bytes*> StoredBlock(const ndb::BbtEntry& entry);
    Result<const Bytes*> StoredBlock(std::uint64_t bid);
    Result<Bytes> ReadDataBlock(std::uint64_t bid);     // decoded external block
    Result<DataTreeShape> ReadDataTreeShape(std::uint64_t bidData);
    Result<std::vector<Bytes>> ReadDataTree(std::uint64_t bidData);
    Result<std::vector<ndb::SlEntry>> ReadSubnodeEntries(std::uint64_t bidSub);
    Result<NodeContent> ReadContent(std::uint64_t bidData, std::uint64_t bidSub, int depth);

    // Writing.
    Result<std::uint64_t> WriteBlock(const Bytes& data, bool internal);
    Result<std::uint64_t> WriteDataTree(const std::vector<Bytes>& blocks);
    Result<std::uint64_t> WriteSubnodeTree(const std::map<std::uint32_t, NodeContent>& subnodes, int depth);
    Result<std::uint64_t> WriteSubnodeEntries(const std::vector<ndb::SlEntry>& entries);
    // A data tree over `stream` that keeps the unchanged blocks of `old` and
    // the XBLOCKs over them; what of `old` it no longer uses is released.
    Result<std::uint64_t> RewriteDataTree(const BlockStream& stream, const DataTreeShape& old);
    // Releases a block and, unless `withChildren` is false, the blocks an
    // internal block refers to.
    void ReleaseBlock(std::uint64_t bid, int depth, bool withChildren = true);
    ndb::PageSink MakePageSink();
};

} // namespace mapi
