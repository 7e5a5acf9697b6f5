#include "mapi/ltp/HeapOnNode.h"

#include <cassert>
#include <string>

#include "mapi/ltp/LittleEndian.h"

namespace mapi::ltp {

using namespace heap;

namespace {

std::string Hex(std::uint32_t v)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) s += digits[(v >> shift) & 0xF];
    return s;
}

// The page whose header holds the fill level of `page`, and the nibble index.
std::pair<std::size_t, std::size_t> FillLevelSlot(std::size_t page)
{
    if (page < kFirstBitmapPage) return {0, page};
    std::size_t bitmap = kFirstBitmapPage + ((page - kFirstBitmapPage) / kPagesPerBitmap) * kPagesPerBitmap;
    return {bitmap, page - bitmap};
}

} // namespace

CHeapOnNode::CHeapOnNode(std::uint8_t clientSig) : m_clientSig(clientSig)
{
    m_pages.emplace_back();
    m_changed.push_back(true);
    m_levels.push_back(FillLevel(FreeBytes(0)));
}

Result<CHeapOnNode::Page> CHeapOnNode::ParsePage(const Bytes& block, std::size_t page)
{
    const std::string where = "heap page " + std::to_string(page);
    const std::size_t headerSize = PageHeaderSize(page);
    if (block.size() < headerSize + kPageMapFixedSize || block.size() > kMaxAnsiBlockSize)
        return MakeError(where + ": block of " + std::to_string(block.size()) + " bytes");
    if (page == 0 && block[2] != kHeapSignature) return MakeError(where + ": bad heap signature " + Hex(block[2]));
    const std::size_t ibHnpm = ReadU16(&block[0]);
    if (ibHnpm < headerSize || ibHnpm + kPageMapFixedSize > block.size())
        return MakeError(where + ": page map offset " + std::to_string(ibHnpm) + " out of the block");
    const std::size_t cAlloc = ReadU16(&block[ibHnpm]);
    if (cAlloc > kMaxItemsPerPage || ibHnpm + kPageMapFixedSize + 2 * (cAlloc + 1) > block.size())
        return MakeError(where + ": page map of " + std::to_string(cAlloc) + " items overruns the block");
    Page parsed;
    std::size_t previous = ReadU16(&block[ibHnpm + 4]);
    if (previous < headerSize) return MakeError(where + ": first item overlaps the page header");
    for (std::size_t i = 0; i < cAlloc; ++i) {
        const std::size_t next = ReadU16(&block[ibHnpm + 4 + 2 * (i + 1)]);
        if (next < previous || next > ibHnpm)
            return MakeError(where + ": item " + std::to_string(i + 1) + " has a bad extent");
        if (next == previous) {
            parsed.items.emplace_back();
            ++parsed.freeSlots;
        } else {
            parsed.items.emplace_back(Bytes(block.begin() + previous, block.begin() + next));
            parsed.payload += next - previous;
        }
        previous = next;
    }
    parsed.slots = parsed.items.size();
    return parsed;
}

Result<CHeapOnNode> CHeapOnNode::Load(const std::vector<Bytes>& blocks)
{
    if (blocks.empty()) return MakeError("heap: node has no data block");
    CHeapOnNode result;
    result.m_pages.clear();
    result.m_changed.clear();
    result.m_levels.clear();
    for (std::size_t page = 0; page < blocks.size(); ++page) {
        auto parsed = ParsePage(blocks[page], page);
        if (!parsed) return parsed.TakeError();
        if (page == 0) {
            result.m_clientSig = blocks[0][3];
            result.m_userRoot = ReadU32(&blocks[0][4]);
        }
        result.m_pages.push_back(std::move(parsed.Value()));
        result.m_changed.push_back(false);
        result.m_levels.push_back(FillLevel(result.FreeBytes(page)));
    }
    return result;
}

Result<CHeapOnNode> CHeapOnNode::LoadLazily(std::size_t pages, PageSource source)
{
    if (pages == 0) return MakeError("heap: node has no data block");
    CHeapOnNode result;
    result.m_pages.clear();
    result.m_changed.clear();
    result.m_levels.clear();
    result.m_source = std::move(source);
    for (std::size_t page = 0; page < pages; ++page) {
        auto block = result.m_source(page);
        if (!block) return WithContext("heap page " + std::to_string(page), block.TakeError());
        auto parsed = ParsePage(block.Value(), page);
        if (!parsed) return parsed.TakeError();
        if (page == 0) {
            result.m_clientSig = block.Value()[3];
            result.m_userRoot = ReadU32(&block.Value()[4]);
        }
        result.m_pages.push_back(std::move(parsed.Value()));
        result.m_changed.push_back(false);
        result.m_levels.push_back(FillLevel(result.FreeBytes(page)));
        // Dropped at once: the items come back when they are read.
        if (page + kPagesSearched < pages) {
            Page& p = result.m_pages.back();
            p.items.clear();
            p.items.shrink_to_fit();
            p.resident = false;
        }
    }
    return result;
}

void CHeapOnNode::SetPageSource(PageSource source) { m_source = std::move(source); }

Result<void> CHeapOnNode::ReadBack(std::size_t page) const
{
    Page& p = m_pages[page];
    if (!m_source) return MakeError("heap page " + std::to_string(page) + " is not in memory");
    auto block = m_source(page);
    if (!block) return WithContext("heap page " + std::to_string(page), block.TakeError());
    auto parsed = ParsePage(block.Value(), page);
    if (!parsed) return parsed.TakeError();
    if (parsed->slots != p.slots || parsed->payload != p.payload || parsed->freeSlots != p.freeSlots)
        return MakeError("heap page " + std::to_string(page) + " is not the page that was dropped");
    p = std::move(parsed.Value());
    return {};
}

void CHeapOnNode::EvictCleanPages(const std::set<std::size_t>& keep)
{
    if (!m_source) return;
    const std::size_t older = m_pages.size() < kPagesSearched ? 0 : m_pages.size() - kPagesSearched;
    for (std::size_t page = 0; page < older; ++page) {
        Page& p = m_pages[page];
        if (!p.resident || m_changed[page] || keep.count(page)) continue;
        p.items.clear();
        p.items.shrink_to_fit();
        p.resident = false;
    }
}

std::size_t CHeapOnNode::ResidentPages() const
{
    std::size_t count = 0;
    for (const Page& p : m_pages) count += p.resident ? 1 : 0;
    return count;
}

std::size_t CHeapOnNode::UsedBytes(std::size_t page, std::size_t extraSlots) const
{
    const Page& p = m_pages[page];
    std::size_t used = PageHeaderSize(page) + p.payload;
    used += used & 1; // the page map is 2-byte aligned
    return used + kPageMapFixedSize + 2 * (p.slots + extraSlots + 1);
}

std::size_t CHeapOnNode::FreeBytes(std::size_t page) const
{
    std::size_t used = UsedBytes(page, 0);
    return used >= kMaxBlockSize ? 0 : kMaxBlockSize - used;
}

bool CHeapOnNode::Fits(std::size_t page, std::size_t size, bool newSlot) const
{
    const Page& p = m_pages[page];
    if (newSlot && p.slots >= kMaxItemsPerPage) return false;
    // The worst case of the alignment byte is counted by UsedBytes of the
    // grown payload.
    std::size_t used = PageHeaderSize(page) + p.payload + size;
    used += used & 1;
    used += kPageMapFixedSize + 2 * (p.slots + (newSlot ? 1 : 0) + 1);
    return used <= kMaxBlockSize;
}

void CHeapOnNode::MarkChanged(std::size_t page)
{
    m_changed[page] = true;
    const std::uint8_t level = FillLevel(FreeBytes(page));
    if (level != m_levels[page]) {
        m_levels[page] = level;
        m_changed[FillLevelSlot(page).first] = true;
    }
}

void CHeapOnNode::ClearChanged()
{
    for (std::size_t i = 0; i < m_changed.size(); ++i) m_changed[i] = false;
}

bool CHeapOnNode::ClosedToAppends(std::size_t page) const
{
    // Page 0 holds the fill levels of pages 1 to 7 and a bitmap page those
    // of the 127 pages after it, so an appending heap rewrites them whenever
    // the newest page's level drops (every other append of a table's row,
    // at about 140 bytes a row). A bitmap page keeps its first item, which
    // makes it a page like the others, and page 0 its first 3 KB (a small
    // table, such as a message's recipients, stays one block): with nothing
    // more in them those rewrites are small blocks, not blocks of 8 KB. A
    // kilobyte made a conversion's file 1% larger for no fewer disk bytes.
    if (!m_appending) return false;
    if (page == 0) return UsedBytes(0, 0) >= kPageZeroAppendLimit;
    return PageHeaderSize(page) == kHnBitmapHdrSize && m_pages[page].slots > 0;
}

Hid CHeapOnNode::PlaceIn(std::size_t page, Bytes data)
{
    Page& p = m_pages[page];
    std::size_t slot = p.items.size();
    if (p.freeSlots > 0) {
        for (std::size_t i = 0; i < p.items.size(); ++i) {
            if (!p.items[i]) { slot = i; break; }
        }
        --p.freeSlots;
    }
    if (slot == p.items.size()) {
        // A page holds dozens of items: no regrowth through the first ones.
        if (p.items.capacity() == 0) p.items.reserve(16);
        p.items.emplace_back();
    }
    p.payload += data.size();
    p.items[slot] = std::move(data);
    p.slots = p.items.size();
    MarkChanged(page);
    return MakeHid(page, slot + 1);
}

Result<Hid> CHeapOnNode::Allocate(Bytes data)
{
    if (data.empty()) return MakeError("heap: an item cannot be empty");
    if (data.size() > kMaxItemSize)
        return MakeError("heap: item of " + std::to_string(data.size()) + " bytes exceeds " + std::to_string(kMaxItemSize));
    // The most recent pages only, newest first: items of one structure stay
    // together, and an allocation costs the same however large the heap is.
    // An appending heap fills its newest page only: the pages before it stay
    // as written.
    const std::size_t searched = m_appending ? 1 : kPagesSearched;
    const std::size_t pagesTried = m_pages.size() < searched ? m_pages.size() : searched;
    for (std::size_t n = 0; n < pagesTried; ++n) {
        const std::size_t page = m_pages.size() - 1 - n;
        if (ClosedToAppends(page)) continue;
        if (Fits(page, data.size(), m_pages[page].freeSlots == 0)) {
            auto resident = MakeResident(page);
            if (!resident) return resident.TakeError();
            return PlaceIn(page, std::move(data));
        }
    }
    if (m_pages.size() >= 0xFFFF) return MakeError("heap: no room for another page");
    m_pages.emplace_back();
    m_changed.push_back(false);
    m_levels.push_back(0xFF); // its bitmap has no level for it yet
    MarkChanged(m_pages.size() - 1);
    return PlaceIn(m_pages.size() - 1, std::move(data));
}

const Bytes* CHeapOnNode::Find(Hid hid) const
{
    if (!IsHid(hid) || HidIndex(hid) == 0) return nullptr;
    const std::size_t page = HidPage(hid);
    if (page >= m_pages.size() || !MakeResident(page)) return nullptr;
    const auto& items = m_pages[page].items;
    const std::size_t slot = HidIndex(hid) - 1;
    if (slot >= items.size() || !items[slot]) return nullptr;
    return &*items[slot];
}

bool CHeapOnNode::Contains(Hid hid) const { return Find(hid) != nullptr; }

Result<const Bytes*> CHeapOnNode::View(Hid hid) const
{
    if (IsHid(hid) && HidPage(hid) < m_pages.size())
        if (auto resident = MakeResident(HidPage(hid)); !resident) return resident.TakeError();
    const Bytes* item = Find(hid);
    if (!item) return MakeError("heap: no item at HID " + Hex(hid));
    return item;
}

Result<Bytes> CHeapOnNode::Read(Hid hid) const
{
    auto item = View(hid);
    if (!item) return item.TakeError();
    return *item.Value();
}

Result<void> CHeapOnNode::Free(Hid hid)
{
    if (!Find(hid)) return MakeError("heap: cannot free HID " + Hex(hid) + ", no such item");
    Page& p = m_pages[HidPage(hid)];
    auto& item = p.items[HidIndex(hid) - 1];
    p.payload -= item->size();
    item.reset();
    ++p.freeSlots;
    // Trailing freed slots are dropped so the page map does not grow forever.
    while (!p.items.empty() && !p.items.back()) {
        p.items.pop_back();
        --p.freeSlots;
    }
    p.slots = p.items.size();
    MarkChanged(HidPage(hid));
    return {};
}

Result<Hid> CHeapOnNode::Reallocate(Hid hid, const Bytes& data)
{
    const Bytes* old = Find(hid);
    if (!old) return MakeError("heap: cannot reallocate HID " + Hex(hid) + ", no such item");
    if (data.empty()) return MakeError("heap: an item cannot be empty");
    if (data.size() > kMaxItemSize)
        return MakeError("heap: item of " + std::to_string(data.size()) + " bytes exceeds " + std::to_string(kMaxItemSize));
    // Unchanged bytes (a B-tree node above an append, a header rewritten
    // as it was) leave the item and its page as stored.
    if (*old == data) return hid;
    const std::size_t page = HidPage(hid);
    Page& p = m_pages[page];
    const std::size_t oldSize = old->size();
    // In an appending heap an item that grows (a row index's last leaf)
    // moves to the newest page once, so that the appends after it change
    // that page only instead of an old full one as well.
    const std::size_t newest = m_pages.size() - 1;
    const bool moveToNewest = m_appending && data.size() > oldSize && page != newest && !ClosedToAppends(newest) &&
                              Fits(newest, data.size(), m_pages[newest].freeSlots == 0);
    if (!moveToNewest && (data.size() <= oldSize || Fits(page, data.size() - oldSize, false))) {
        p.items[HidIndex(hid) - 1] = data;
        p.payload = p.payload - oldSize + data.size();
        MarkChanged(page);
        return hid;
    }
    auto moved = Allocate(data);
    if (!moved) return moved;
    auto freed = Free(hid);
    if (!freed) return freed.TakeError();
    return moved;
}

std::size_t CHeapOnNode::SerializedPageSize(std::size_t page) const { return UsedBytes(page, 0); }

Bytes CHeapOnNode::SerializePage(std::size_t page) const
{
    // Pages that changed are never dropped; others come back from the node.
    [[maybe_unused]] const bool resident = MakeResident(page).Ok();
    assert(resident);
    const Page& p = m_pages[page];
    const std::size_t headerSize = PageHeaderSize(page);
    // Sized once: a page is assembled from many small items, then the map
    // of their offsets (after a pad to an even offset), written in place.
    const std::size_t count = p.items.size();
    Bytes out;
    out.reserve(UsedBytes(page, 0));
    out.resize(headerSize, 0);
    for (const auto& item : p.items)
        if (item) AppendBytes(out, *item);
    const std::size_t mapAt = out.size() + (out.size() & 1);
    out.resize(mapAt + 4 + 2 * (count + 1), 0);
    std::uint8_t* map = out.data() + mapAt;
    std::size_t at = headerSize;
    std::size_t freed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        WriteU16(map + 4 + 2 * i, static_cast<std::uint16_t>(at));
        if (p.items[i]) at += p.items[i]->size();
        else ++freed;
    }
    WriteU16(map + 4 + 2 * count, static_cast<std::uint16_t>(at));
    const std::uint16_t ibHnpm = static_cast<std::uint16_t>(mapAt);
    WriteU16(map, static_cast<std::uint16_t>(count));
    WriteU16(map + 2, static_cast<std::uint16_t>(freed));

    WriteU16(&out[0], ibHnpm);
    std::uint8_t* levels = nullptr;
    std::size_t levelCount = 0;
    if (page == 0) {
        out[2] = kHeapSignature;
        out[3] = m_clientSig;
        WriteU32(&out[4], m_userRoot);
        levels = &out[8];
        levelCount = kFirstBitmapPage;
    } else if (headerSize == kHnBitmapHdrSize) {
        levels = &out[2];
        levelCount = kPagesPerBitmap;
    }
    for (std::size_t i = 0; i < levelCount && page + i < m_pages.size(); ++i) {
        const std::uint8_t level = FillLevel(FreeBytes(page + i));
        levels[i / 2] |= static_cast<std::uint8_t>((i & 1) ? level << 4 : level);
    }
    return out;
}

std::vector<Bytes> CHeapOnNode::Serialize() const
{
    std::vector<Bytes> blocks;
    blocks.reserve(m_pages.size());
    for (std::size_t page = 0; page < m_pages.size(); ++page) blocks.push_back(SerializePage(page));
    return blocks;
}

} // namespace mapi::ltp
