#include "mapi/ltp/BTreeOnHeap.h"

#include <string>

#include "mapi/ltp/LittleEndian.h"

namespace mapi::ltp {

namespace {

using Records = std::vector<BthRecord>;

int CompareRaw(const std::uint8_t* a, const std::uint8_t* b, std::size_t size)
{
    for (std::size_t i = size; i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// One node as its heap item holds it: records of key + data (or key + HID)
// back to back. Kept flat so an insert costs one copy of the node.
struct Node {
    Bytes bytes;
    std::size_t cbKey = 0;
    std::size_t recordSize = 0;

    std::size_t Count() const { return bytes.size() / recordSize; }
    const std::uint8_t* Key(std::size_t i) const { return &bytes[i * recordSize]; }
    const std::uint8_t* Data(std::size_t i) const { return &bytes[i * recordSize + cbKey]; }
    Hid Child(std::size_t i) const { return ReadU32(Data(i)); }
    Bytes KeyBytes(std::size_t i) const { return Bytes(Key(i), Key(i) + cbKey); }
    void SetChild(std::size_t i, Hid hid) { WriteU32(&bytes[i * recordSize + cbKey], hid); }
    void SetKey(std::size_t i, const Bytes& key) { std::copy(key.begin(), key.end(), bytes.begin() + i * recordSize); }

    void InsertRecord(std::size_t i, const Bytes& key, const std::uint8_t* data)
    {
        Bytes record(key);
        record.insert(record.end(), data, data + (recordSize - cbKey));
        bytes.insert(bytes.begin() + i * recordSize, record.begin(), record.end());
    }
    void EraseRecord(std::size_t i)
    {
        bytes.erase(bytes.begin() + i * recordSize, bytes.begin() + (i + 1) * recordSize);
    }
    std::size_t LowerBound(const Bytes& key) const;
    std::optional<std::size_t> ChildFor(const Bytes& key) const;
};

// A node's records where the heap holds them, for searches that change
// nothing: no copy of the node.
struct NodeView {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::size_t cbKey = 0;
    std::size_t recordSize = 0;

    std::size_t Count() const { return size / recordSize; }
    const std::uint8_t* Key(std::size_t i) const { return bytes + i * recordSize; }
    const std::uint8_t* Data(std::size_t i) const { return bytes + i * recordSize + cbKey; }
    Hid Child(std::size_t i) const { return ReadU32(Data(i)); }

    // Index of the first record whose key is not less than key.
    std::size_t LowerBound(const Bytes& key) const
    {
        std::size_t lo = 0, hi = Count();
        while (lo < hi) {
            std::size_t mid = (lo + hi) / 2;
            if (CompareRaw(Key(mid), key.data(), cbKey) < 0) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }
    // Index of the child to descend into: the last record whose key <= key.
    std::optional<std::size_t> ChildFor(const Bytes& key) const
    {
        std::size_t lo = 0, hi = Count();
        while (lo < hi) {
            std::size_t mid = (lo + hi) / 2;
            if (CompareRaw(Key(mid), key.data(), cbKey) <= 0) lo = mid + 1;
            else hi = mid;
        }
        if (lo == 0) return std::nullopt;
        return lo - 1;
    }
};

std::size_t Node::LowerBound(const Bytes& key) const
{
    return NodeView{bytes.data(), bytes.size(), cbKey, recordSize}.LowerBound(key);
}

std::optional<std::size_t> Node::ChildFor(const Bytes& key) const
{
    return NodeView{bytes.data(), bytes.size(), cbKey, recordSize}.ChildFor(key);
}

// A node split off during an insert: the first key of the new right node.
struct Split {
    Bytes key;
    Hid hid;
};

struct InsertOutcome {
    Hid hid = 0;               // the node's HID after it was rewritten
    Bytes firstKey;            // the node's first key after the insert
    std::optional<Split> split;
};

Bytes EncodeHeader(const BthHeader& h)
{
    // Sized once: built a byte at a time it took four allocations.
    Bytes out(8);
    out[0] = heap::kClientBTreeOnHeap;
    out[1] = h.cbKey;
    out[2] = h.cbEnt;
    out[3] = h.levels;
    WriteU32(&out[4], h.root);
    return out;
}

std::size_t RecordSize(const BthHeader& h, bool leaf) { return h.cbKey + (leaf ? h.cbEnt : 4u); }
std::size_t Capacity(const BthHeader& h, bool leaf) { return heap::kMaxItemSize / RecordSize(h, leaf); }

Result<NodeView> ViewNode(const CHeapOnNode& heap, const BthHeader& h, Hid hid, bool leaf)
{
    auto item = heap.View(hid);
    if (!item) return WithContext("BTH node", item.TakeError());
    const Bytes& bytes = *item.Value();
    NodeView node{bytes.data(), bytes.size(), h.cbKey, RecordSize(h, leaf)};
    if (node.size % node.recordSize != 0)
        return MakeError("BTH node of " + std::to_string(node.size) + " bytes is not a whole number of " +
                         std::to_string(node.recordSize) + "-byte records");
    return node;
}

Result<Node> ReadNode(const CHeapOnNode& heap, const BthHeader& h, Hid hid, bool leaf)
{
    auto view = ViewNode(heap, h, hid, leaf);
    if (!view) return view.TakeError();
    return Node{Bytes(view->bytes, view->bytes + view->size), h.cbKey, view->recordSize};
}

Result<void> WriteHeader(CHeapOnNode& heap, Hid header, const BthHeader& h)
{
    // A header of fixed size is rewritten in place and never moves.
    auto written = heap.Reallocate(header, EncodeHeader(h));
    if (!written) return written.TakeError();
    return {};
}

// Writes `node` back into item `hid`, splitting it when it holds more than
// `capacity` records. `appended` tells that the insert went to the end, where
// a split leaves the old node full so that sequential inserts pack tightly.
Result<InsertOutcome> StoreNode(CHeapOnNode& heap, Hid hid, Node node, std::size_t capacity, bool appended)
{
    InsertOutcome out;
    if (node.Count() > capacity) {
        const std::size_t keep = appended ? capacity : node.Count() / 2;
        Bytes right(node.bytes.begin() + keep * node.recordSize, node.bytes.end());
        Bytes rightKey(right.begin(), right.begin() + node.cbKey);
        node.bytes.resize(keep * node.recordSize);
        auto rightHid = heap.Allocate(right);
        if (!rightHid) return rightHid.TakeError();
        out.split = Split{rightKey, rightHid.Value()};
    }
    auto moved = heap.Reallocate(hid, node.bytes);
    if (!moved) return moved.TakeError();
    out.hid = moved.Value();
    out.firstKey = node.KeyBytes(0);
    return out;
}

Result<InsertOutcome> InsertInto(CHeapOnNode& heap, const BthHeader& h, Hid hid, std::uint8_t level,
                                 const Bytes& key, const Bytes& data)
{
    const bool leaf = level == 0;
    auto read = ReadNode(heap, h, hid, leaf);
    if (!read) return read.TakeError();
    Node node = std::move(read.Value());
    if (node.Count() == 0) return MakeError("BTH node is empty");
    if (leaf) {
        const std::size_t pos = node.LowerBound(key);
        if (pos < node.Count() && CompareRaw(node.Key(pos), key.data(), h.cbKey) == 0) {
            std::copy(data.begin(), data.end(), node.bytes.begin() + pos * node.recordSize + h.cbKey);
            return StoreNode(heap, hid, std::move(node), Capacity(h, true), false);
        }
        node.InsertRecord(pos, key, data.data());
        const bool appended = pos + 1 == node.Count();
        return StoreNode(heap, hid, std::move(node), Capacity(h, true), appended);
    }
    const std::size_t child = node.ChildFor(key).value_or(0);
    auto below = InsertInto(heap, h, node.Child(child), level - 1, key, data);
    if (!below) return below.TakeError();
    node.SetKey(child, below->firstKey);
    node.SetChild(child, below->hid);
    bool appended = false;
    if (below->split) {
        const Bytes hidBytes = U32Bytes(below->split->hid);
        node.InsertRecord(child + 1, below->split->key, hidBytes.data());
        appended = child + 2 == node.Count();
    }
    return StoreNode(heap, hid, std::move(node), Capacity(h, false), appended);
}

Result<void> CheckHeader(const BthHeader& h)
{
    if (h.cbKey != 2 && h.cbKey != 4 && h.cbKey != 8 && h.cbKey != 16)
        return MakeError("BTH key size " + std::to_string(h.cbKey) + " is not 2, 4, 8 or 16");
    if (h.cbEnt == 0 || h.cbEnt > 32) return MakeError("BTH data size " + std::to_string(h.cbEnt) + " is not 1..32");
    if (h.levels > CBTreeOnHeap::kMaxLevels) return MakeError("BTH has " + std::to_string(h.levels) + " index levels");
    return {};
}

// Appends the records below `hid` in key order. `budget` bounds the nodes
// visited, so that a damaged tree whose nodes share children cannot make the
// walk explode.
Result<void> Collect(const CHeapOnNode& heap, const BthHeader& h, Hid hid, std::uint8_t level, Records& out,
                     std::size_t& budget)
{
    if (budget == 0) return MakeError("BTH has more nodes than its heap has items");
    --budget;
    auto node = ReadNode(heap, h, hid, level == 0);
    if (!node) return node.TakeError();
    const Node& n = node.Value();
    for (std::size_t i = 0; i < n.Count(); ++i) {
        if (level == 0) {
            out.push_back(BthRecord{n.KeyBytes(i), Bytes(n.Data(i), n.Data(i) + h.cbEnt)});
        } else {
            auto sub = Collect(heap, h, n.Child(i), level - 1, out, budget);
            if (!sub) return sub;
        }
    }
    return {};
}

Result<void> FreeTree(CHeapOnNode& heap, const BthHeader& h, Hid hid, std::uint8_t level)
{
    if (level > 0) {
        auto node = ReadNode(heap, h, hid, false);
        if (!node) return node.TakeError();
        for (std::size_t i = 0; i < node->Count(); ++i) {
            auto sub = FreeTree(heap, h, node->Child(i), level - 1);
            if (!sub) return sub;
        }
    }
    return heap.Free(hid);
}

// Removes `key` below node `hid`. Sets `emptied` when the node lost its last
// record and was freed; otherwise `hid` is updated to the node's new HID.
Result<bool> RemoveFrom(CHeapOnNode& heap, const BthHeader& h, Hid& hid, std::uint8_t level, const Bytes& key,
                        bool& emptied)
{
    emptied = false;
    auto read = ReadNode(heap, h, hid, level == 0);
    if (!read) return read.TakeError();
    Node node = std::move(read.Value());
    if (level == 0) {
        const std::size_t pos = node.LowerBound(key);
        if (pos == node.Count() || CompareRaw(node.Key(pos), key.data(), h.cbKey) != 0) return false;
        node.EraseRecord(pos);
    } else {
        auto child = node.ChildFor(key);
        if (!child) return false;
        Hid childHid = node.Child(*child);
        bool childEmptied = false;
        auto removed = RemoveFrom(heap, h, childHid, level - 1, key, childEmptied);
        if (!removed || !removed.Value()) return removed;
        if (childEmptied) node.EraseRecord(*child);
        else node.SetChild(*child, childHid);
    }
    if (node.Count() == 0) {
        emptied = true;
        auto freed = heap.Free(hid);
        if (!freed) return freed.TakeError();
        return true;
    }
    auto moved = heap.Reallocate(hid, node.bytes);
    if (!moved) return moved.TakeError();
    hid = moved.Value();
    return true;
}

} // namespace

int CBTreeOnHeap::CompareKeys(const Bytes& a, const Bytes& b)
{
    const std::size_t n = a.size() > b.size() ? a.size() : b.size();
    for (std::size_t i = n; i-- > 0;) {
        const std::uint8_t x = i < a.size() ? a[i] : 0;
        const std::uint8_t y = i < b.size() ? b[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

Bytes CBTreeOnHeap::KeyFromU32(std::uint32_t value, std::size_t size)
{
    Bytes key(size, 0);
    for (std::size_t i = 0; i < size && i < 4; ++i) key[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return key;
}

Result<Hid> CBTreeOnHeap::Create(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt)
{
    BthHeader h{cbKey, cbEnt, 0, 0};
    auto valid = CheckHeader(h);
    if (!valid) return valid.TakeError();
    return heap.Allocate(EncodeHeader(h));
}

Result<Hid> CBTreeOnHeap::Build(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt, const Records& sorted)
{
    auto header = Create(heap, cbKey, cbEnt);
    if (!header) return header;
    BthHeader h{cbKey, cbEnt, 0, 0};
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i].key.size() != cbKey || sorted[i].data.size() != cbEnt)
            return MakeError("BTH record " + std::to_string(i) + " has the wrong size");
        if (i > 0 && CompareKeys(sorted[i - 1].key, sorted[i].key) >= 0)
            return MakeError("BTH records are not sorted by key at " + std::to_string(i));
    }
    if (sorted.empty()) return header;
    // The leaves are the records themselves; each level above is built from
    // the one below it.
    const Records* level = &sorted;
    Records above;
    bool leaf = true;
    for (;;) {
        const std::size_t capacity = Capacity(h, leaf);
        const std::size_t width = leaf ? std::size_t{cbKey} + cbEnt : std::size_t{cbKey} + 4;
        Records parents;
        for (std::size_t start = 0; start < level->size(); start += capacity) {
            const std::size_t end = start + capacity < level->size() ? start + capacity : level->size();
            Bytes chunk;
            chunk.reserve((end - start) * width);
            for (std::size_t i = start; i < end; ++i) {
                AppendBytes(chunk, (*level)[i].key);
                AppendBytes(chunk, (*level)[i].data);
            }
            auto hid = heap.Allocate(std::move(chunk));
            if (!hid) return hid.TakeError();
            parents.push_back(BthRecord{(*level)[start].key, U32Bytes(hid.Value())});
        }
        if (parents.size() == 1) {
            h.root = ReadU32(parents.front().data.data());
            break;
        }
        if (++h.levels > kMaxLevels) return MakeError("BTH would need too many index levels");
        above = std::move(parents);
        level = &above;
        leaf = false;
    }
    auto written = WriteHeader(heap, header.Value(), h);
    if (!written) return written.TakeError();
    return header;
}

Result<Hid> CBTreeOnHeap::BuildPacked(CHeapOnNode& heap, std::uint8_t cbKey, std::uint8_t cbEnt, Bytes packed)
{
    const BthHeader h{cbKey, cbEnt, 0, 0};
    const std::size_t width = RecordSize(h, true);
    if (width == 0 || packed.size() % width != 0)
        return MakeError("BTH records of " + std::to_string(packed.size()) + " bytes are not whole records");
    const std::size_t count = packed.size() / width;
    if (count > Capacity(h, true)) {
        Records records(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto record = packed.begin() + static_cast<std::ptrdiff_t>(i * width);
            records[i].key.assign(record, record + cbKey);
            records[i].data.assign(record + cbKey, record + static_cast<std::ptrdiff_t>(width));
        }
        return Build(heap, cbKey, cbEnt, records);
    }
    auto header = Create(heap, cbKey, cbEnt);
    if (!header) return header;
    for (std::size_t i = 1; i < count; ++i)
        if (CompareRaw(&packed[(i - 1) * width], &packed[i * width], cbKey) >= 0)
            return MakeError("BTH records are not sorted by key at " + std::to_string(i));
    if (count == 0) return header;
    auto leaf = heap.Allocate(std::move(packed));
    if (!leaf) return leaf.TakeError();
    auto written = WriteHeader(heap, header.Value(), BthHeader{cbKey, cbEnt, 0, leaf.Value()});
    if (!written) return written.TakeError();
    return header;
}

Result<BthHeader> CBTreeOnHeap::ReadHeader(const CHeapOnNode& heap, Hid header)
{
    auto item = heap.View(header);
    if (!item) return WithContext("BTH header", item.TakeError());
    const Bytes& b = *item.Value();
    if (b.size() != kHeaderSize) return MakeError("BTH header of " + std::to_string(b.size()) + " bytes");
    if (b[0] != heap::kClientBTreeOnHeap) return MakeError("BTH header has type " + std::to_string(b[0]));
    BthHeader h{b[1], b[2], b[3], ReadU32(&b[4])};
    auto valid = CheckHeader(h);
    if (!valid) return valid.TakeError();
    if (h.root == 0 && h.levels != 0) return MakeError("empty BTH with index levels");
    return h;
}

Result<std::optional<Bytes>> CBTreeOnHeap::Find(const CHeapOnNode& heap, Hid header, const Bytes& key)
{
    auto h = ReadHeader(heap, header);
    if (!h) return h.TakeError();
    if (h->root == 0) return std::optional<Bytes>{};
    Hid hid = h->root;
    if (key.size() != h->cbKey) return MakeError("BTH find: key of " + std::to_string(key.size()) + " bytes");
    for (std::uint8_t level = h->levels; level > 0; --level) {
        auto node = ViewNode(heap, h.Value(), hid, false);
        if (!node) return node.TakeError();
        auto child = node->ChildFor(key);
        if (!child) return std::optional<Bytes>{};
        hid = node->Child(*child);
    }
    auto leaf = ViewNode(heap, h.Value(), hid, true);
    if (!leaf) return leaf.TakeError();
    const std::size_t pos = leaf->LowerBound(key);
    if (pos < leaf->Count() && CompareRaw(leaf->Key(pos), key.data(), h->cbKey) == 0)
        return std::optional<Bytes>{Bytes(leaf->Data(pos), leaf->Data(pos) + h->cbEnt)};
    return std::optional<Bytes>{};
}

Result<Records> CBTreeOnHeap::Enumerate(const CHeapOnNode& heap, Hid header)
{
    auto h = ReadHeader(heap, header);
    if (!h) return h.TakeError();
    Records out;
    if (h->root == 0) return out;
    std::size_t budget = 0;
    for (std::size_t p = 0; p < heap.PageCount(); ++p) budget += heap::kMaxItemsPerPage;
    auto collected = Collect(heap, h.Value(), h->root, h->levels, out, budget);
    if (!collected) return collected.TakeError();
    return out;
}

Result<void> CBTreeOnHeap::Insert(CHeapOnNode& heap, Hid header, const Bytes& key, const Bytes& data)
{
    auto read = ReadHeader(heap, header);
    if (!read) return read.TakeError();
    BthHeader h = read.Value();
    if (key.size() != h.cbKey || data.size() != h.cbEnt)
        return MakeError("BTH insert: record of " + std::to_string(key.size()) + "+" + std::to_string(data.size()) +
                         " bytes into a tree of " + std::to_string(h.cbKey) + "+" + std::to_string(h.cbEnt));
    if (h.root == 0) {
        Bytes record(key);
        AppendBytes(record, data);
        auto leaf = heap.Allocate(record);
        if (!leaf) return leaf.TakeError();
        h.root = leaf.Value();
        return WriteHeader(heap, header, h);
    }
    auto outcome = InsertInto(heap, h, h.root, h.levels, key, data);
    if (!outcome) return outcome.TakeError();
    h.root = outcome->hid;
    if (outcome->split) {
        if (h.levels == kMaxLevels) return MakeError("BTH insert: tree is full");
        Bytes root(outcome->firstKey);
        AppendU32(root, outcome->hid);
        AppendBytes(root, outcome->split->key);
        AppendU32(root, outcome->split->hid);
        auto rootHid = heap.Allocate(root);
        if (!rootHid) return rootHid.TakeError();
        h.root = rootHid.Value();
        ++h.levels;
    }
    return WriteHeader(heap, header, h);
}

Result<bool> CBTreeOnHeap::Remove(CHeapOnNode& heap, Hid header, const Bytes& key)
{
    auto read = ReadHeader(heap, header);
    if (!read) return read.TakeError();
    BthHeader h = read.Value();
    if (h.root == 0) return false;
    if (key.size() != h.cbKey) return MakeError("BTH remove: key of " + std::to_string(key.size()) + " bytes");
    bool emptied = false;
    auto removed = RemoveFrom(heap, h, h.root, h.levels, key, emptied);
    if (!removed || !removed.Value()) return removed;
    if (emptied) {
        h.root = 0;
        h.levels = 0;
    }
    auto written = WriteHeader(heap, header, h);
    if (!written) return written.TakeError();
    return true;
}

Result<void> CBTreeOnHeap::Destroy(CHeapOnNode& heap, Hid header)
{
    auto h = ReadHeader(heap, header);
    if (!h) return h.TakeError();
    if (h->root != 0) {
        auto freed = FreeTree(heap, h.Value(), h->root, h->levels);
        if (!freed) return freed;
    }
    return heap.Free(header);
}

} // namespace mapi::ltp
