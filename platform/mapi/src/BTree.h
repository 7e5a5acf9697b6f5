// A copy-on-write B-tree over BTPAGEs, used for both the node and the block
// B-tree. Pages are read on demand and kept; a change rewrites only the pages
// on the path to it, at new places, when the tree is flushed; the pages they
// replace are handed back for freeing once the new header is on disk.
#pragma once

#include "mapi/Result.h"
#include "mapi/ndb/BTreePage.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mapi::ndb {

// Where flushed pages go: a fresh page place, the write, and the old place.
struct PageSink {
    std::function<Result<Bref>()> allocate;
    std::function<Result<void>(const Bref&, std::vector<std::uint8_t>)> write;
    std::function<void(const Bref&)> release;
};

template <typename Entry>
class CBTree {
public:
    using Loader = std::function<Result<BtPage>(const Bref&)>;

    CBTree(Format format, PageType type, Loader loader)
        : m_format(format), m_type(type), m_loader(std::move(loader))
    {
    }

    void Reset(const Bref& root)
    {
        m_root.reset();
        m_rootBref = root;
        m_loaded = 0;
        m_made = 0;
        m_released.clear();
    }
    // A damaged file may point many entries at one page; no tree may load
    // more pages than the file can hold.
    void SetPageLimit(std::uint64_t limit) { m_pageLimit = limit; }
    void ResetEmpty()
    {
        m_root = std::make_unique<Node>();
        m_root->dirty = true;
        m_rootBref = {};
    }
    const Bref& RootBref() const { return m_rootBref; }
    bool Dirty() const { return m_root && m_root->dirty; }

    Result<std::optional<Entry>> Find(std::uint64_t key)
    {
        MAPI_TRY(EnsureRoot());
        Node* n = m_root.get();
        while (n->level > 0) {
            const std::size_t i = ChildFor(*n, key);
            if (i == kNone)
                return std::optional<Entry>{};
            auto child = Child(*n, i);
            if (!child)
                return child.GetError();
            n = *child;
        }
        auto it = LowerBound(n->entries, key);
        if (it != n->entries.end() && it->Key() == key)
            return std::optional<Entry>{*it};
        return std::optional<Entry>{};
    }

    Result<void> Put(const Entry& entry)
    {
        MAPI_TRY(EnsureRoot());
        auto split = Insert(*m_root, entry);
        if (!split)
            return split.GetError();
        if (*split) {
            auto root = std::make_unique<Node>();
            ++m_made;
            root->level = static_cast<std::uint8_t>(m_root->level + 1);
            if (root->level > kMaxBTreeLevel)
                return MakeError("B-tree too deep");
            root->dirty = true;
            root->keys.push_back({FirstKey(*m_root), {}});
            root->keys.push_back({FirstKey(**split), {}});
            root->children.push_back(std::move(m_root));
            root->children.push_back(std::move(*split));
            m_root = std::move(root);
        }
        return {};
    }

    // True if the key was there.
    Result<bool> Erase(std::uint64_t key)
    {
        MAPI_TRY(EnsureRoot());
        auto erased = Remove(*m_root, key);
        if (!erased)
            return erased.GetError();
        // A root with one child gives way to it.
        while (m_root->level > 0 && m_root->keys.size() == 1) {
            auto child = Child(*m_root, 0);
            if (!child)
                return child.GetError();
            Release(*m_root);
            auto next = std::move(m_root->children[0]);
            m_root = std::move(next);
            m_root->dirty = true;
        }
        if (m_root->level > 0 && m_root->keys.empty()) {
            Release(*m_root);
            m_root = std::make_unique<Node>();
            m_root->dirty = true;
        }
        return *erased;
    }

    // Visits every entry in key order; the visitor returns false to stop.
    Result<void> ForEach(const std::function<bool(const Entry&)>& visit)
    {
        MAPI_TRY(EnsureRoot());
        bool stop = false;
        return Walk(*m_root, visit, stop);
    }

    // Drops the cached pages the batch has not changed once more than
    // `keep` are loaded; they are read again when needed. This keeps memory
    // to the working set of a batch, whatever the size of the file.
    void Trim(std::uint64_t keep)
    {
        // Pages made by splits count as much as pages read: a growing tree
        // holds mostly those.
        // The pages loaded and made since the last count bound the pages
        // held: the tree is counted only once they pass `keep`.
        if (!m_root || m_loaded + m_made <= keep)
            return;
        if (CountNodes(*m_root) > keep)
            TrimNode(*m_root);
        m_loaded = CountNodes(*m_root);
        m_made = 0;
    }
    // The pages held in memory.
    std::uint64_t CachedPages() const { return m_root ? CountNodes(*m_root) : 0; }

    // Writes the changed pages bottom-up and returns the root's new place.
    Result<Bref> Flush(const PageSink& sink)
    {
        MAPI_TRY(EnsureRoot());
        if (m_root->dirty)
            MAPI_TRY(FlushNode(*m_root, sink));
        m_rootBref = m_root->bref;
        for (const auto& old : m_released)
            sink.release(old);
        m_released.clear();
        return m_rootBref;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    struct Node {
        std::uint8_t level = 0;
        Bref bref;
        bool dirty = false;
        std::vector<Entry> entries;                 // leaf
        std::vector<BtEntry> keys;                  // intermediate
        std::vector<std::unique_ptr<Node>> children; // parallel to keys, loaded on demand
    };

    static typename std::vector<Entry>::iterator LowerBound(std::vector<Entry>& v, std::uint64_t key)
    {
        return std::lower_bound(v.begin(), v.end(), key,
                                [](const Entry& e, std::uint64_t k) { return e.Key() < k; });
    }

    static std::uint64_t FirstKey(const Node& n)
    {
        if (n.level > 0)
            return n.keys.empty() ? 0 : n.keys.front().key;
        return n.entries.empty() ? 0 : n.entries.front().Key();
    }

    // The last child whose key is at most `key`.
    static std::size_t ChildFor(const Node& n, std::uint64_t key)
    {
        auto it = std::upper_bound(n.keys.begin(), n.keys.end(), key,
                                   [](std::uint64_t k, const BtEntry& e) { return k < e.key; });
        if (it == n.keys.begin())
            return kNone;
        return static_cast<std::size_t>(it - n.keys.begin()) - 1;
    }

    std::size_t MaxEntries(std::uint8_t level) const { return MaxBtEntries(Format::Unicode, m_type, level); }

    Result<std::unique_ptr<Node>> Load(const Bref& bref, int expectedLevel)
    {
        if (++m_loaded > m_pageLimit)
            return MakeError("B-tree has more pages than the file can hold");
        auto page = m_loader(bref);
        if (!page)
            return page.GetError();
        if (page->type != m_type)
            return MakeError("B-tree page at " + std::to_string(bref.ib) + " belongs to the other tree");
        if (expectedLevel >= 0 && page->level != expectedLevel)
            return MakeError("B-tree page at " + std::to_string(bref.ib) + " has the wrong level");
        auto n = std::make_unique<Node>();
        n->level = page->level;
        n->bref = bref;
        if (n->level > 0) {
            n->keys = std::move(page->branches);
            n->children.resize(n->keys.size());
        } else if constexpr (std::is_same_v<Entry, BbtEntry>) {
            n->entries = std::move(page->blocks);
        } else {
            n->entries = std::move(page->nodes);
        }
        return n;
    }

    Result<void> EnsureRoot()
    {
        if (m_root)
            return {};
        if (m_rootBref.ib == 0) {
            ResetEmpty();
            return {};
        }
        auto n = Load(m_rootBref, -1);
        if (!n)
            return n.GetError();
        m_root = std::move(*n);
        return {};
    }

    Result<Node*> Child(Node& n, std::size_t i)
    {
        if (!n.children[i]) {
            auto c = Load(n.keys[i].bref, n.level - 1);
            if (!c)
                return c.GetError();
            n.children[i] = std::move(*c);
        }
        return n.children[i].get();
    }

    void Release(Node& n)
    {
        if (n.bref.ib != 0)
            m_released.push_back(n.bref);
        n.bref = {};
    }

    void Touch(Node& n) { n.dirty = true; }

    // Splits a full node in two; the upper part is returned. A node that
    // overflowed at its end (keys that only grow: new messages' NIDs, new
    // BIDs) keeps all but its last entry: the appends that follow go to the
    // new node and leave this one full, so the tree holds about half the
    // pages it would with even splits, is a level lower over most sizes,
    // and an append rewrites one page fewer on each path to a leaf.
    std::unique_ptr<Node> SplitOff(Node& n, bool atEnd)
    {
        auto right = std::make_unique<Node>();
        ++m_made;
        right->level = n.level;
        right->dirty = true;
        if (n.level == 0) {
            const std::size_t half = atEnd ? n.entries.size() - 1 : n.entries.size() / 2;
            right->entries.assign(n.entries.begin() + static_cast<std::ptrdiff_t>(half), n.entries.end());
            n.entries.resize(half);
        } else {
            const std::size_t half = atEnd ? n.keys.size() - 1 : n.keys.size() / 2;
            right->keys.assign(n.keys.begin() + static_cast<std::ptrdiff_t>(half), n.keys.end());
            for (std::size_t i = half; i < n.children.size(); ++i)
                right->children.push_back(std::move(n.children[i]));
            n.keys.resize(half);
            n.children.resize(half);
        }
        return right;
    }

    Result<std::unique_ptr<Node>> Insert(Node& n, const Entry& entry)
    {
        Touch(n);
        if (n.level == 0) {
            auto it = LowerBound(n.entries, entry.Key());
            const bool atEnd = it == n.entries.end();
            if (!atEnd && it->Key() == entry.Key())
                *it = entry;
            else
                n.entries.insert(it, entry);
            if (n.entries.size() > MaxEntries(0))
                return SplitOff(n, atEnd);
            return std::unique_ptr<Node>{};
        }
        std::size_t i = ChildFor(n, entry.Key());
        if (i == kNone) {
            i = 0;
            n.keys[0].key = entry.Key();
        }
        auto child = Child(n, i);
        if (!child)
            return child.GetError();
        auto split = Insert(**child, entry);
        if (!split)
            return split.GetError();
        if (*split) {
            const std::uint64_t key = FirstKey(**split);
            const bool atEnd = i + 1 == n.keys.size();
            n.keys.insert(n.keys.begin() + static_cast<std::ptrdiff_t>(i) + 1, BtEntry{key, {}});
            n.children.insert(n.children.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(*split));
            if (n.keys.size() > MaxEntries(n.level))
                return SplitOff(n, atEnd);
        }
        return std::unique_ptr<Node>{};
    }

    Result<bool> Remove(Node& n, std::uint64_t key)
    {
        if (n.level == 0) {
            auto it = LowerBound(n.entries, key);
            if (it == n.entries.end() || it->Key() != key)
                return false;
            Touch(n);
            n.entries.erase(it);
            return true;
        }
        const std::size_t i = ChildFor(n, key);
        if (i == kNone)
            return false;
        auto child = Child(n, i);
        if (!child)
            return child.GetError();
        auto removed = Remove(**child, key);
        if (!removed || !*removed)
            return removed;
        Touch(n);
        Node& c = **child;
        if ((c.level == 0 && c.entries.empty()) || (c.level > 0 && c.keys.empty())) {
            Release(c);
            n.keys.erase(n.keys.begin() + static_cast<std::ptrdiff_t>(i));
            n.children.erase(n.children.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            n.keys[i].key = FirstKey(c);
        }
        return true;
    }

    Result<void> Walk(Node& n, const std::function<bool(const Entry&)>& visit, bool& stop)
    {
        if (n.level == 0) {
            for (const auto& e : n.entries) {
                if (!visit(e)) {
                    stop = true;
                    break;
                }
            }
            return {};
        }
        for (std::size_t i = 0; i < n.keys.size() && !stop; ++i) {
            auto child = Child(n, i);
            if (!child)
                return child.GetError();
            MAPI_TRY(Walk(**child, visit, stop));
        }
        return {};
    }

    static std::uint64_t CountNodes(const Node& n)
    {
        std::uint64_t count = 1;
        for (const auto& c : n.children)
            if (c)
                count += CountNodes(*c);
        return count;
    }

    // A clean page that is on disk can be read again; changed ones stay.
    static void TrimNode(Node& n)
    {
        for (auto& c : n.children) {
            if (!c)
                continue;
            if (c->dirty)
                TrimNode(*c);
            else if (c->bref.ib != 0)
                c.reset();
        }
    }

    Result<void> FlushNode(Node& n, const PageSink& sink)
    {
        for (std::size_t i = 0; i < n.children.size(); ++i) {
            Node* c = n.children[i].get();
            if (c && c->dirty) {
                MAPI_TRY(FlushNode(*c, sink));
                n.keys[i].bref = c->bref;
                n.keys[i].key = FirstKey(*c);
            }
        }
        Release(n);
        auto where = sink.allocate();
        if (!where)
            return where.GetError();
        n.bref = *where;
        // The node lends its records to the page while it is encoded and
        // takes them back: no copy of them per page written.
        BtPage page;
        page.type = m_type;
        page.level = n.level;
        auto& records = [&page]() -> std::vector<Entry>& {
            if constexpr (std::is_same_v<Entry, BbtEntry>)
                return page.blocks;
            else
                return page.nodes;
        }();
        if (n.level > 0)
            page.branches = std::move(n.keys);
        records = std::move(n.entries);
        auto encoded = WriteBtPage(page, n.bref);
        if (n.level > 0)
            n.keys = std::move(page.branches);
        n.entries = std::move(records);
        MAPI_TRY(sink.write(n.bref, std::move(encoded)));
        n.dirty = false;
        return {};
    }

    Format m_format;
    PageType m_type;
    Loader m_loader;
    std::unique_ptr<Node> m_root;
    Bref m_rootBref;
    std::vector<Bref> m_released;
    std::uint64_t m_loaded = 0;
    std::uint64_t m_made = 0; // pages made by splits since the last count
    std::uint64_t m_pageLimit = UINT64_MAX;
};

} // namespace mapi::ndb
