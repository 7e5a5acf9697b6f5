// The node database of a PST file ([MS-PST] 2.2, 2.7): nodes by NID, each
// with its data blocks and subnodes, over the node and block B-trees. Changes
// are held as a batch and become durable together at Commit(): new blocks and
// pages are written to free space first, the header last, so that a process
// ending at any moment leaves the file in the old or the new state.
// One object serves one thread at a time; one writer holds a file at a time.
#pragma once

#include "mapi/Nid.h"
#include "mapi/NodeContent.h"
#include "mapi/Result.h"
#include "mapi/ndb/Crypt.h"
#include "mapi/ndb/Format.h"
#include "mapi/ndb/Header.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace mapi {

// A node's data blocks when only some of them changed since the node was
// last read or written: unchanged blocks keep their place on disk (and so do
// XBLOCKs over unchanged blocks), so that a large node that grows or changes
// in a few places costs what changed. The caller vouches that a block it
// calls unchanged has the bytes and size of that block as stored.
struct BlockStream {
    std::size_t count = 0;
    // The first block from i on that is not the stored block of its index
    // (`count` when none): every block past the stored ones is changed, and a
    // long run of stored blocks is passed over at once.
    std::function<std::size_t(std::size_t)> nextChanged;
    std::function<std::size_t(std::size_t)> size;
    // The bytes of a changed block.
    std::function<Bytes(std::size_t)> bytes;

    // Every block changed; the stream refers to `blocks`, which must outlive it.
    static BlockStream Whole(const std::vector<Bytes>& blocks);
};

// The parts of a node that changed; subnodes not named stay as they are.
struct NodeUpdate {
    std::optional<BlockStream> data; // nullopt: the data stays
    // A subnode's new data (a subnode new to the node gets no subnodes of its
    // own), or nullopt to remove the subnode.
    std::map<Nid, std::optional<BlockStream>> subnodes;
};

struct NodeInfo {
    Nid nid = 0;
    Nid parent = 0;
    std::uint64_t bidData = 0;
    std::uint64_t bidSub = 0;
};

class CNodeDatabase {
public:
    ~CNodeDatabase();
    CNodeDatabase(const CNodeDatabase&) = delete;
    CNodeDatabase& operator=(const CNodeDatabase&) = delete;

    // Writes the first nodes of a new store, before its first commit.
    using Populate = std::function<Result<void>(CNodeDatabase&)>;

    // A new Unicode store; the file must not exist yet. `populate` writes the
    // nodes every store needs (MandatoryNodes()). The file is built under a
    // temporary name and appears at `path` only once its first commit holds
    // them, so no one ever sees a store without them.
    static Result<std::unique_ptr<CNodeDatabase>> Create(const std::filesystem::path& path,
                                                         ndb::CryptMethod crypt = ndb::CryptMethod::Permute,
                                                         const Populate& populate = {});
    // Unicode files open read-write unless readOnly; ANSI files read-only.
    static Result<std::unique_ptr<CNodeDatabase>> Open(const std::filesystem::path& path, bool readOnly = false);

    // Writes what an earlier commit left to tidy (the freed space), syncs the
    // file and closes it; changes not committed are dropped.
    Result<void> Close();

    bool IsReadOnly() const;
    ndb::Format GetFormat() const;
    // The header as last committed (or read).
    const ndb::Header& GetHeader() const;

    Result<bool> NodeExists(Nid nid);
    Result<NodeInfo> GetNodeInfo(Nid nid);
    Result<Nid> GetParent(Nid nid);
    Result<NodeContent> ReadNode(Nid nid);
    // The node's data blocks without its subnodes.
    Result<std::vector<Bytes>> ReadNodeData(Nid nid);
    // One data block of a node, or of one of its subnodes, by its index.
    Result<Bytes> ReadNodeBlock(Nid nid, std::size_t index);
    Result<Bytes> ReadSubnodeBlock(Nid nid, Nid subnode, std::size_t index);
    // The sizes of the data blocks of a node, or of one of its subnodes
    // (subnode 0: the node's own), from the block trees without the blocks.
    Result<std::vector<std::size_t>> BlockSizes(Nid nid, Nid subnode = 0);
    // The NIDs of the node's direct subnodes, and one of them in full.
    Result<std::vector<Nid>> ListSubnodes(Nid nid);
    Result<NodeContent> ReadSubnode(Nid nid, Nid subnode);
    // Every node in NID order; the visitor returns false to stop.
    Result<void> ForEachNode(const std::function<bool(const NodeInfo&)>& visit);

    // A NID of that type not used before (the header's rgnid counters).
    Result<Nid> AllocateNid(std::uint8_t nidType);
    // Adds or replaces a node; each block holds at most 8176 bytes.
    Result<void> WriteNode(Nid nid, Nid parent, const NodeContent& content);
    // Rewrites the changed parts of a node (created when it does not exist,
    // in which case every block must be changed).
    Result<void> UpdateNode(Nid nid, Nid parent, const NodeUpdate& update);
    Result<void> DeleteNode(Nid nid);
    Result<void> Commit();
    // Drops every change since the last commit.
    Result<void> Rollback();
    bool HasUncommittedChanges() const;

    struct Impl;

private:
    explicit CNodeDatabase(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// The nodes [MS-PST] 2.7.1 requires in every store, with their parents; the
// layer above writes their contents when it creates a store.
struct MandatoryNode {
    Nid nid;
    Nid parent;
};
const std::vector<MandatoryNode>& MandatoryNodes();

} // namespace mapi
