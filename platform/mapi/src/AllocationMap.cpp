#include "AllocationMap.h"

#include "mapi/ndb/Page.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace mapi::ndb {

namespace {

constexpr std::uint64_t kUnit = 64;
// The header's rgbFP covers the PMaps of the first 8,192 AMaps (about 2 GB);
// past them the file would need FPMap pages, so the writer stops there.
constexpr std::size_t kMaxAMapPages = 8192;
constexpr std::size_t kHeaderMapBytes = 128;
constexpr std::size_t kPMapEvery = 8;
constexpr std::size_t kFirstFMap = 128;
constexpr std::size_t kFMapEvery = 496;

bool HasPMap(std::size_t index) { return index % kPMapEvery == 0; }
bool HasFMap(std::size_t index) { return index >= kFirstFMap && (index - kFirstFMap) % kFMapEvery == 0; }

} // namespace

CAllocationMap::CAllocationMap(Format format) : m_format(format), m_sizes(SizesOf(format)) {}

std::uint64_t CAllocationMap::PageOffset(std::size_t index) const
{
    return kFirstAMapOffset + static_cast<std::uint64_t>(index) * m_sizes.AMapCoverage();
}

std::vector<std::uint64_t> CAllocationMap::CompanionPages(std::size_t index) const
{
    std::vector<std::uint64_t> out;
    std::uint64_t at = PageOffset(index) + kPageSize;
    if (HasPMap(index)) {
        out.push_back(at);
        at += kPageSize;
    }
    if (m_format == Format::Unicode && HasFMap(index))
        out.push_back(at);
    return out;
}

bool CAllocationMap::Bit(const Page& p, std::size_t unit) const
{
    return (p.bits[unit / 8] >> (7 - unit % 8)) & 1;
}

std::size_t CAllocationMap::NextUnit(const Page& p, std::size_t unit, bool used) const
{
    // 64 units at a time, the first unit in the word's top bit as in the
    // bytes: a page is scanned in a few dozen steps, not thousands.
    const std::size_t end = UnitsPerPage();
    while (unit < end) {
        const std::size_t word = unit / 64;
        std::uint64_t bits = 0;
        const std::size_t from = word * 8;
        const std::size_t count = std::min<std::size_t>(8, p.bits.size() - from);
        if (count == 8) {
            std::memcpy(&bits, p.bits.data() + from, 8);
            if constexpr (std::endian::native == std::endian::little)
                bits = __builtin_bswap64(bits);
        } else {
            for (std::size_t i = 0; i < count; ++i)
                bits |= static_cast<std::uint64_t>(p.bits[from + i]) << (56 - 8 * i);
        }
        if (!used)
            bits = ~bits;
        if (count < 8)
            bits &= ~std::uint64_t{0} << (64 - 8 * count);
        bits &= ~std::uint64_t{0} >> (unit % 64);
        if (bits != 0)
            return std::min(end, word * 64 + static_cast<std::size_t>(std::countl_zero(bits)));
        unit = (word + 1) * 64;
    }
    return end;
}

Result<void> CAllocationMap::Load(const CPstFile& file, std::uint64_t ibAMapLast)
{
    m_pages.clear();
    m_dirtyPages.clear();
    m_room.clear();
    m_alignedRoom.clear();
    m_freeUnits = 0;
    m_writtenFMaps.clear();
    m_staleFMaps.clear();
    if (ibAMapLast < kFirstAMapOffset || (ibAMapLast - kFirstAMapOffset) % m_sizes.AMapCoverage() != 0)
        return MakeError("allocation map: last AMap offset " + std::to_string(ibAMapLast) + " is not an AMap position");
    const std::uint64_t count = (ibAMapLast - kFirstAMapOffset) / m_sizes.AMapCoverage() + 1;
    if (count > kMaxAMapPages * 4)
        return MakeError("allocation map: too many AMap pages");
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t ib = PageOffset(i);
        auto raw = file.ReadAt(ib, kPageSize);
        if (!raw)
            return MakeError("allocation map: " + raw.Message());
        auto bits = ParseMapPage(m_format, *raw, PageType::AMap, ib);
        if (!bits)
            return bits.GetError();
        Page p;
        p.bits = std::move(*bits);
        for (std::size_t u = 0; u < UnitsPerPage(); ++u)
            p.freeUnits += Bit(p, u) ? 0 : 1;
        m_freeUnits += p.freeUnits;
        m_pages.push_back(std::move(p));
        m_room.push_back(0);
        m_alignedRoom.push_back(0);
        UpdateRoom(m_pages.size() - 1);
    }
    m_fmapCoverage = m_pages.size();
    m_hint = 0;
    return {};
}

void CAllocationMap::AddPage()
{
    const std::size_t index = m_pages.size();
    Page p;
    p.bits.assign(m_sizes.amapBits, 0);
    p.freeUnits = UnitsPerPage();
    p.isNew = true;
    m_freeUnits += p.freeUnits;
    m_pages.push_back(std::move(p));
    MarkDirty(index);
    m_room.push_back(0);
    m_alignedRoom.push_back(0);
    UpdateRoom(index);
    MarkAllocated(PageOffset(index), kPageSize);
    for (std::uint64_t ib : CompanionPages(index))
        MarkAllocated(ib, kPageSize);
}

void CAllocationMap::MarkDirty(std::size_t index)
{
    Page& p = m_pages[index];
    if (p.dirty)
        return;
    p.dirty = true;
    m_dirtyPages.push_back(index);
}

void CAllocationMap::InitEmpty()
{
    m_pages.clear();
    m_dirtyPages.clear();
    m_room.clear();
    m_alignedRoom.clear();
    m_freeUnits = 0;
    m_writtenFMaps.clear();
    m_staleFMaps.clear();
    m_fmapCoverage = 0;
    AddPage();
    m_hint = 0;
}

void CAllocationMap::SetRange(std::uint64_t ib, std::size_t size, bool value, bool markDirty)
{
    if (ib < kFirstAMapOffset)
        return;
    const std::uint64_t first = (ib - kFirstAMapOffset) / kUnit;
    const std::uint64_t end = first + (size + kUnit - 1) / kUnit;
    const std::uint64_t perPage = UnitsPerPage();
    // Page by page, and within a page 64 units at a time: a batch marks
    // and unmarks runs of hundreds of units, several times per commit.
    for (std::uint64_t u = first; u < end;) {
        const std::size_t pageIndex = static_cast<std::size_t>(u / perPage);
        if (pageIndex >= m_pages.size())
            return;
        Page& p = m_pages[pageIndex];
        const std::uint64_t pageStart = static_cast<std::uint64_t>(pageIndex) * perPage;
        const std::size_t from = static_cast<std::size_t>(u - pageStart);
        const std::size_t to = static_cast<std::size_t>(std::min(end, pageStart + perPage) - pageStart);
        const std::size_t changed = SetUnits(p, from, to, value);
        u = pageStart + to;
        if (changed == 0)
            continue;
        p.freeUnits = value ? p.freeUnits - changed : p.freeUnits + changed;
        m_freeUnits = value ? m_freeUnits - changed : m_freeUnits + changed;
        p.longestRun = kRunUnknown;
        if (!value) {
            p.noRunOf = std::numeric_limits<std::size_t>::max();
            p.noAlignedRunOf = std::numeric_limits<std::size_t>::max();
            if (pageIndex < m_hint)
                m_hint = pageIndex;
        }
        UpdateRoom(pageIndex);
        if (markDirty)
            MarkDirty(pageIndex);
    }
}

namespace {

// Bit counts without a library call where the build targets processors
// that may lack POPCNT: a save sets and clears bits a hundred times.
constexpr std::array<std::uint8_t, 256> kBitsInByte = [] {
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<std::uint8_t>((i & 1) + t[i / 2]);
    return t;
}();

std::size_t BitsIn(std::uint64_t x)
{
#if defined(__POPCNT__)
    return static_cast<std::size_t>(std::popcount(x));
#else
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<std::size_t>((x * 0x0101010101010101ull) >> 56);
#endif
}

} // namespace

std::size_t CAllocationMap::SetUnits(Page& p, std::size_t from, std::size_t to, bool value)
{
    // The bits are MSB first within each byte; a 64-bit word read big-endian
    // holds 64 units with the first in its top bit.
    std::size_t changed = 0;
    std::size_t unit = from;
    while (unit < to) {
        const std::size_t byte = unit / 8;
        if (unit % 64 == 0 && to - unit >= 64 && byte + 8 <= p.bits.size()) {
            std::uint64_t word;
            std::memcpy(&word, p.bits.data() + byte, 8);
            const std::uint64_t target = value ? ~std::uint64_t{0} : 0;
            changed += BitsIn(word ^ target);
            std::memcpy(p.bits.data() + byte, &target, 8);
            unit += 64;
            continue;
        }
        // A part of one byte: the units from `unit` up to the byte's end or `to`.
        const std::size_t last = std::min(to, (byte + 1) * 8);
        const auto high = static_cast<unsigned>(0xFFu >> (unit % 8));
        const auto low = static_cast<unsigned>(0xFFu << ((byte + 1) * 8 - last)) & 0xFFu;
        const auto mask = static_cast<std::uint8_t>(high & low);
        const std::uint8_t old = p.bits[byte];
        const auto now = static_cast<std::uint8_t>(value ? old | mask : old & ~mask);
        changed += kBitsInByte[old ^ now];
        p.bits[byte] = now;
        unit = last;
    }
    return changed;
}

void CAllocationMap::MarkAllocated(std::uint64_t ib, std::size_t size) { SetRange(ib, size, true); }
void CAllocationMap::Free(std::uint64_t ib, std::size_t size) { SetRange(ib, size, false); }
void CAllocationMap::SetHeld(std::uint64_t ib, std::size_t size, bool held) { SetRange(ib, size, held, false); }

void CAllocationMap::UseHeld(std::uint64_t ib, std::size_t size)
{
    MarkAllocated(ib, size);
    if (ib < kFirstAMapOffset || size == 0)
        return;
    const std::uint64_t first = (ib - kFirstAMapOffset) / kUnit;
    const std::uint64_t last = first + (size + kUnit - 1) / kUnit - 1;
    for (std::uint64_t page = first / UnitsPerPage(); page <= last / UnitsPerPage() && page < m_pages.size(); ++page)
        MarkDirty(static_cast<std::size_t>(page));
}

bool CAllocationMap::IsAllocated(std::uint64_t ib, std::size_t size) const
{
    if (ib < kFirstAMapOffset || size == 0)
        return false;
    const std::uint64_t first = (ib - kFirstAMapOffset) / kUnit;
    const std::uint64_t count = (size + kUnit - 1) / kUnit;
    for (std::uint64_t u = first; u < first + count; ++u) {
        const std::size_t pageIndex = static_cast<std::size_t>(u / UnitsPerPage());
        if (pageIndex >= m_pages.size() || !Bit(m_pages[pageIndex], static_cast<std::size_t>(u % UnitsPerPage())))
            return false;
    }
    return true;
}

Result<std::uint64_t> CAllocationMap::Allocate(std::size_t size, std::size_t align)
{
    auto run = AllocateRun(size, size, align);
    if (!run)
        return run.GetError();
    return run->first;
}

Result<std::pair<std::uint64_t, std::size_t>> CAllocationMap::AllocateRun(std::size_t minSize, std::size_t maxSize,
                                                                          std::size_t align)
{
    const std::size_t size = minSize;
    const std::size_t units = (size + kUnit - 1) / kUnit;
    const std::size_t step = align > kUnit ? align / kUnit : 1;
    if (units == 0 || units > UnitsPerPage())
        return MakeError("allocation of " + std::to_string(size) + " bytes is out of range");
    while (m_hint < m_pages.size() && m_pages[m_hint].freeUnits == 0)
        ++m_hint;
    for (std::size_t pi = m_hint;; ++pi) {
        const std::vector<std::uint16_t>& room = step == 1 ? m_room : m_alignedRoom;
        while (pi < room.size() && room[pi] < units)
            ++pi;
        if (pi == m_pages.size()) {
            if (m_pages.size() >= kMaxAMapPages)
                return MakeError("the file has reached its size limit");
            AddPage();
        }
        Page& p = m_pages[pi];
        // Free run by free run: the first aligned start with room is taken.
        const std::size_t end = UnitsPerPage();
        for (std::size_t u = NextUnit(p, 0, false); u < end; u = NextUnit(p, u, false)) {
            const std::size_t runEnd = NextUnit(p, u, true);
            const std::size_t start = (u + step - 1) / step * step;
            if (start < runEnd && runEnd - start >= units) {
                const std::size_t most = std::max(units, maxSize / kUnit);
                const std::size_t run = std::min(runEnd - start, most);
                const std::uint64_t ib = PageOffset(pi) + static_cast<std::uint64_t>(start) * kUnit;
                MarkAllocated(ib, run * kUnit);
                return std::make_pair(ib, run * kUnit);
            }
            u = runEnd;
        }
        (step == 1 ? p.noRunOf : p.noAlignedRunOf) = units;
        UpdateRoom(pi);
    }
}

void CAllocationMap::UpdateRoom(std::size_t index)
{
    const Page& p = m_pages[index];
    const auto bound = [&p](std::size_t noRunOf) {
        const std::size_t room = noRunOf == std::numeric_limits<std::size_t>::max() ? p.freeUnits
                                                                                     : std::min(p.freeUnits, noRunOf - 1);
        return static_cast<std::uint16_t>(std::min<std::size_t>(room, std::numeric_limits<std::uint16_t>::max()));
    };
    m_room[index] = bound(p.noRunOf);
    m_alignedRoom[index] = bound(p.noAlignedRunOf);
}

bool CAllocationMap::Dirty() const { return !m_dirtyPages.empty(); }

Result<void> CAllocationMap::WritePage(CPstFile& file, std::size_t i)
{
    Page& p = m_pages[i];
    MAPI_TRY(file.WriteAt(PageOffset(i), WriteMapPage(PageType::AMap, p.bits, PageOffset(i))));
    // PMap bits all set: the PMap is deprecated and readers use the AMap
    // once fAMapValid says so.
    if (p.isNew && HasPMap(i)) {
        const std::uint64_t at = PageOffset(i) + kPageSize;
        std::vector<std::uint8_t> all(m_sizes.amapBits, 0xFF);
        MAPI_TRY(file.WriteAt(at, WriteMapPage(PageType::PMap, all, at)));
    }
    // AMaps past the header's 128 are summed up in FMap pages.
    if (i >= kFirstFMap)
        m_staleFMaps.insert(kFirstFMap + (i - kFirstFMap) / kFMapEvery * kFMapEvery);
    p.dirty = false;
    p.isNew = false;
    return {};
}

Result<void> CAllocationMap::WriteDirty(CPstFile& file, bool summaries)
{
    // In file order, as the pages lie. A page written before a failed write
    // may be listed again later; it is then written once.
    std::sort(m_dirtyPages.begin(), m_dirtyPages.end());
    m_dirtyPages.erase(std::unique(m_dirtyPages.begin(), m_dirtyPages.end()), m_dirtyPages.end());
    for (std::size_t index : m_dirtyPages)
        MAPI_TRY(WritePage(file, index));
    m_dirtyPages.clear();
    // A new FMap page is written at once, so that it is a valid page; the
    // others follow when the map has grown.
    if (m_fmapCoverage != m_pages.size())
        summaries = true;
    for (auto it = m_staleFMaps.begin(); it != m_staleFMaps.end();) {
        const std::size_t owner = *it;
        auto& written = m_writtenFMaps[owner];
        if (!summaries && !written.empty()) {
            ++it;
            continue;
        }
        it = m_staleFMaps.erase(it);
        std::vector<std::uint8_t> bytes(m_sizes.amapBits, 0);
        for (std::size_t j = 0; j < kFMapEvery && owner + j < m_pages.size(); ++j)
            bytes[j] = LongestFreeRun(owner + j);
        // Unchanged longest runs (most pages keep a run as long as the byte
        // holds) leave the page as it is on disk.
        if (written == bytes)
            continue;
        const std::uint64_t at = PageOffset(owner) + 2 * kPageSize;
        MAPI_TRY(file.WriteAt(at, WriteMapPage(PageType::FMap, bytes, at)));
        written = std::move(bytes);
    }
    if (summaries)
        m_fmapCoverage = m_pages.size();
    // The file ends where the maps end; what lies past that (left by a
    // writer that ended before its commit) belongs to no state.
    if (file.Size() != FileEnd())
        MAPI_TRY(file.Resize(FileEnd()));
    return {};
}

std::uint64_t CAllocationMap::FreeBytes() const
{
    return m_freeUnits * kUnit;
}

std::uint8_t CAllocationMap::LongestFreeRun(std::size_t index) const
{
    const Page& p = m_pages[index];
    if (p.longestRun != kRunUnknown)
        return static_cast<std::uint8_t>(p.longestRun);
    std::size_t longest = 0;
    const std::size_t end = UnitsPerPage();
    for (std::size_t u = NextUnit(p, 0, false); u < end && longest < 0xFF; u = NextUnit(p, u, false)) {
        const std::size_t runEnd = NextUnit(p, u, true);
        longest = std::max(longest, runEnd - u);
        u = runEnd;
    }
    p.longestRun = static_cast<std::uint16_t>(std::min<std::size_t>(longest, 0xFF));
    return static_cast<std::uint8_t>(p.longestRun);
}

std::array<std::uint8_t, 128> CAllocationMap::HeaderFreeMap() const
{
    std::array<std::uint8_t, 128> out{};
    for (std::size_t i = 0; i < m_pages.size() && i < kHeaderMapBytes; ++i)
        out[i] = LongestFreeRun(i);
    return out;
}

std::array<std::uint8_t, 128> CAllocationMap::HeaderFreePageMap() const
{
    // Our PMaps mark every page used; a PMap that does not exist yet counts
    // as free.
    std::array<std::uint8_t, 128> out;
    out.fill(0xFF);
    const std::size_t pmaps = std::min((m_pages.size() + kPMapEvery - 1) / kPMapEvery, kHeaderMapBytes * 8);
    std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(pmaps / 8), std::uint8_t{0});
    if (pmaps % 8 != 0)
        out[pmaps / 8] = static_cast<std::uint8_t>(0xFFu >> (pmaps % 8));
    return out;
}

DListPage CAllocationMap::DensityList() const
{
    DListPage d;
    d.currentPage = static_cast<std::uint32_t>(m_hint < m_pages.size() ? m_hint : 0);
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].freeUnits > 0)
            d.entries.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint16_t>(std::min<std::size_t>(
                                                                    m_pages[i].freeUnits, 0xFFF))});
    // Only the first entries are kept: the most free first, and among pages
    // as free the earlier first.
    const auto before = [](const DListEntry& a, const DListEntry& b) {
        return a.freeSlots != b.freeSlots ? a.freeSlots > b.freeSlots : a.pageNumber < b.pageNumber;
    };
    const std::size_t kept = std::min(d.entries.size(), kMaxDListEntries);
    std::partial_sort(d.entries.begin(), d.entries.begin() + static_cast<std::ptrdiff_t>(kept), d.entries.end(), before);
    d.entries.resize(kept);
    return d;
}

std::uint64_t CAllocationMap::LastAMapOffset() const { return PageOffset(m_pages.empty() ? 0 : m_pages.size() - 1); }

std::uint64_t CAllocationMap::FileEnd() const { return PageOffset(m_pages.size()); }

} // namespace mapi::ndb
