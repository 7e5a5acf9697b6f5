// The allocation maps in memory: one bit per 64 bytes of the file, MSB
// first, one AMap page per AMapCoverage() bytes from kFirstAMapOffset. The
// PMap and FMap pages that the Unicode format keeps beside some AMaps are
// placed, marked and written here too.
#pragma once

#include "PstFile.h"
#include "mapi/Result.h"
#include "mapi/ndb/Format.h"
#include "mapi/ndb/Page.h"

#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace mapi::ndb {

class CAllocationMap {
public:
    explicit CAllocationMap(Format format = Format::Unicode);

    // Reads the AMap pages of a file whose last AMap is at ibAMapLast.
    Result<void> Load(const CPstFile& file, std::uint64_t ibAMapLast);
    // One fresh AMap with its PMap, for a new file.
    void InitEmpty();

    // Finds and marks room for `size` bytes (a multiple of 64) aligned to
    // `align`, growing the file by whole AMap ranges when it must.
    Result<std::uint64_t> Allocate(std::size_t size, std::size_t align);
    // The first free run of at least `minSize` bytes aligned to `align`,
    // taken as far as it goes up to `maxSize`: where it starts and how long
    // it is. Grows the file as Allocate does.
    Result<std::pair<std::uint64_t, std::size_t>> AllocateRun(std::size_t minSize, std::size_t maxSize,
                                                              std::size_t align);
    void MarkAllocated(std::uint64_t ib, std::size_t size);
    void Free(std::uint64_t ib, std::size_t size);
    // Marks space that the writer holds for itself but no header uses: taken
    // while allocating, and shown free whenever map pages are written. It
    // changes no page that is to be written.
    void SetHeld(std::uint64_t ib, std::size_t size, bool held);
    // Held space that a block now uses: its map pages are to be written.
    void UseHeld(std::uint64_t ib, std::size_t size);
    // True when every 64-byte unit of the range is marked; false outside.
    bool IsAllocated(std::uint64_t ib, std::size_t size) const;

    // Writes the AMap pages that changed (Unicode only). The FMap pages,
    // which only guide allocation, are written when they are new or the map
    // grew, and otherwise once `summaries` asks for them (at the close):
    // rewriting one with every batch would dirty one more disk page each.
    Result<void> WriteDirty(CPstFile& file, bool summaries = true);
    bool Dirty() const;
    // FMap pages whose bytes may differ from the map as it stands.
    bool SummariesStale() const { return !m_staleFMaps.empty(); }

    std::uint64_t FreeBytes() const;
    std::uint64_t LastAMapOffset() const;
    std::uint64_t FileEnd() const;
    std::size_t PageCount() const { return m_pages.size(); }
    std::uint64_t PageOffset(std::size_t index) const;
    // The header's copies of the first FMap and FPMap bytes: the longest
    // free run of each of the first 128 AMaps (at most 255 units), and one
    // bit per PMap, set while it has free pages.
    std::array<std::uint8_t, 128> HeaderFreeMap() const;
    std::array<std::uint8_t, 128> HeaderFreePageMap() const;
    // The density list of the map as it stands: AMap pages by free space,
    // most first.
    DListPage DensityList() const;
    // The pages kept beside AMap `index` (PMap, FMap), as offsets.
    std::vector<std::uint64_t> CompanionPages(std::size_t index) const;

private:
    struct Page {
        std::vector<std::uint8_t> bits;
        std::size_t freeUnits = 0;
        // The smallest run a search found no room for since the last free:
        // fragmented pages are not searched again for runs that long.
        std::size_t noRunOf = std::numeric_limits<std::size_t>::max();
        // The same for runs that start on a page boundary (B-tree pages).
        std::size_t noAlignedRunOf = std::numeric_limits<std::size_t>::max();
        // The longest free run (at most 255 units) while no bit changed.
        mutable std::uint16_t longestRun = kRunUnknown;
        bool dirty = false;
        bool isNew = false;
    };
    static constexpr std::uint16_t kRunUnknown = 0xFFFF;
    bool Bit(const Page& p, std::size_t unit) const;
    // The first unit from `unit` on that is marked (`used`) or free; the
    // page's unit count if there is none.
    std::size_t NextUnit(const Page& p, std::size_t unit, bool used) const;
    std::uint8_t LongestFreeRun(std::size_t index) const;
    void SetRange(std::uint64_t ib, std::size_t size, bool value, bool markDirty = true);
    // Sets units [from, to) of one page to `value`; returns how many changed.
    static std::size_t SetUnits(Page& p, std::size_t from, std::size_t to, bool value);
    void AddPage();
    void MarkDirty(std::size_t index);
    // Writes AMap `index` (and the PMap of a new one) and marks it clean.
    Result<void> WritePage(CPstFile& file, std::size_t index);
    // Brings the page's entries of m_room and m_alignedRoom up to date.
    void UpdateRoom(std::size_t index);
    std::size_t UnitsPerPage() const { return m_sizes.amapBits * 8; }

    Format m_format;
    const FormatSizes& m_sizes;
    std::vector<Page> m_pages;
    // Per page, the longest run (in units) that a search may still find
    // there, free or starting on a page boundary: an upper bound, from its
    // free units and the runs searched for in vain. A large file has
    // thousands of pages; a search passes over those without room in these
    // two bytes each instead of in each page's record.
    std::vector<std::uint16_t> m_room;
    std::vector<std::uint16_t> m_alignedRoom;
    // The free units of all pages.
    std::uint64_t m_freeUnits = 0;
    // The pages to be written, each once: a commit touches a few pages of
    // thousands and finds them here without passing over the others.
    std::vector<std::size_t> m_dirtyPages;
    std::size_t m_hint = 0;
    // The FMap pages as this map last wrote them, by the AMap they follow.
    std::map<std::size_t, std::vector<std::uint8_t>> m_writtenFMaps;
    // FMap pages (by the AMap they follow) over AMaps that changed since the
    // FMap was last written.
    std::set<std::size_t> m_staleFMaps;
    // The AMap pages the FMaps on disk cover.
    std::size_t m_fmapCoverage = 0;
};

} // namespace mapi::ndb
