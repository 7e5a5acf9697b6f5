#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "mapi/NodeContent.h"
#include "mapi/ltp/HeapLayout.h"
#include "mapi/ltp/LtpResult.h"

namespace mapi::ltp {

using heap::Hid;

// A heap-on-node held in memory: pages of items addressed by HID. Loaded from
// the blocks of a node and written back to blocks of at most 8176 bytes.
// Items keep their HID while they live; a freed slot is reused by a later
// allocation in its page. Pages changed since the last ClearChanged() are
// tracked so that a writer can skip blocks that did not change.
class CHeapOnNode {
public:
    explicit CHeapOnNode(std::uint8_t clientSig = heap::kClientPropertyContext);

    static Result<CHeapOnNode> Load(const std::vector<Bytes>& blocks);
    using PageSource = std::function<Result<Bytes>(std::size_t page)>;
    // A stored heap of `pages` pages read one page at a time from `source`,
    // which it keeps: of the pages only the newest, where allocations go,
    // stay in memory.
    static Result<CHeapOnNode> LoadLazily(std::size_t pages, PageSource source);
    std::vector<Bytes> Serialize() const;
    // One block of Serialize(), for writers that rewrite only changed pages.
    Bytes SerializePage(std::size_t page) const;
    // The size of SerializePage(page), without building it.
    std::size_t SerializedPageSize(std::size_t page) const;

    std::uint8_t ClientSig() const { return m_clientSig; }
    void SetClientSig(std::uint8_t sig) { m_clientSig = sig; MarkChanged(0); }
    Hid UserRoot() const { return m_userRoot; }
    void SetUserRoot(Hid hid) { m_userRoot = hid; MarkChanged(0); }

    // The bytes of a live item; fails for a HID that names no live item.
    Result<Bytes> Read(Hid hid) const;
    // The same bytes in place, for a reader that only looks: valid until
    // the heap next changes.
    Result<const Bytes*> View(Hid hid) const;
    bool Contains(Hid hid) const;

    // Takes the bytes: an encoded value or node is moved in, not copied.
    Result<Hid> Allocate(Bytes data);
    Result<void> Free(Hid hid);
    // Replaces an item's bytes; the HID stays when the new size fits in its
    // page, otherwise the item moves and the new HID is returned. The same
    // bytes again change nothing.
    Result<Hid> Reallocate(Hid hid, const Bytes& data);

    // A heap that mostly grows at its end (a table's rows): allocations go
    // to the newest page or a new one, and an item that grows moves there.
    void SetAppending(bool appending) { m_appending = appending; }

    // Where dropped pages come back from: the block of a page as stored.
    void SetPageSource(PageSource source);
    // Drops the items of the pages that did not change since ClearChanged()
    // (they are as stored), but for the newest, where allocations go; what
    // allocation needs of them stays. They come back from the page source.
    // Pages named in `keep` stay too.
    void EvictCleanPages(const std::set<std::size_t>& keep = {});
    std::size_t ResidentPages() const;

    std::size_t PageCount() const { return m_pages.size(); }
    std::size_t FreeBytes(std::size_t page) const;
    const std::vector<bool>& ChangedPages() const { return m_changed; }
    void ClearChanged();

private:
    struct Page {
        std::vector<std::optional<Bytes>> items; // slot i holds HID index i + 1
        std::size_t slots = 0;                   // items.size(), kept while dropped
        std::size_t payload = 0;                 // bytes of live items
        std::size_t freeSlots = 0;               // freed slots before the last item
        bool resident = true;                    // items in memory
    };
    static Result<Page> ParsePage(const Bytes& block, std::size_t page);
    // Most pages asked for are in memory: that answer needs no call.
    Result<void> MakeResident(std::size_t page) const
    {
        if (m_pages[page].resident) return {};
        return ReadBack(page);
    }
    Result<void> ReadBack(std::size_t page) const;
    static constexpr std::size_t kPagesSearched = 8;
    // The bytes past which an appending heap places nothing more in page 0.
    static constexpr std::size_t kPageZeroAppendLimit = 3 * 1024;

    std::size_t UsedBytes(std::size_t page, std::size_t extraSlots) const;
    bool Fits(std::size_t page, std::size_t size, bool newSlot) const;
    // A page that an appending heap places no more items in.
    bool ClosedToAppends(std::size_t page) const;
    Hid PlaceIn(std::size_t page, Bytes data);
    const Bytes* Find(Hid hid) const;
    void MarkChanged(std::size_t page);

    std::uint8_t m_clientSig;
    Hid m_userRoot = 0;
    // Dropped pages are read back on demand, by const readers too.
    mutable std::vector<Page> m_pages;
    PageSource m_source;
    bool m_appending = false;
    std::vector<bool> m_changed;
    // The fill level each page's bitmap holds for it: a change that keeps
    // the level leaves the bitmap page as it is.
    std::vector<std::uint8_t> m_levels;
};

} // namespace mapi::ltp
