#include "mapi/StructureCheck.h"

#include "AllocationMap.h"
#include "PstFile.h"
#include "mapi/NodeDatabase.h"
#include "mapi/ndb/Block.h"
#include "mapi/ndb/BTreePage.h"
#include "mapi/ndb/Page.h"

#include <algorithm>
#include <map>
#include <set>

namespace mapi {

namespace {

using namespace ndb;

struct Extent {
    std::uint64_t ib;
    std::uint64_t size;
    std::string what;
};

class CChecker {
public:
    CChecker(const std::filesystem::path& path) : m_path(path) {}

    Result<StructureReport> Run()
    {
        MAPI_TRY(m_file.Open(m_path, false, false));
        const std::size_t headerBytes =
            m_file.Size() < kHeaderSize ? static_cast<std::size_t>(m_file.Size()) : kHeaderSize;
        auto raw = m_file.ReadAt(0, headerBytes);
        if (!raw)
            return raw.GetError();
        auto header = ParseHeader(*raw);
        if (!header)
            return header.GetError();
        m_header = *header;
        m_format = m_header.format;
        if (m_header.root.ibFileEof > m_file.Size())
            return MakeError("ibFileEof is past the end of the file");

        MAPI_TRY(WalkTree(m_header.root.nbt, PageType::NBT, -1, 0, UINT64_MAX));
        MAPI_TRY(WalkTree(m_header.root.bbt, PageType::BBT, -1, 0, UINT64_MAX));
        MAPI_TRY(CheckBlocks());
        MAPI_TRY(CheckNodes());
        MAPI_TRY(CheckAllocation());
        return m_report;
    }

private:
    Result<void> WalkTree(const Bref& bref, PageType type, int level, std::uint64_t low, std::uint64_t high)
    {
        if (!m_seenPages.insert(bref.ib).second)
            return MakeError("B-tree page at " + std::to_string(bref.ib) + " is referenced twice");
        auto raw = m_file.ReadAt(bref.ib, kPageSize);
        if (!raw)
            return raw.GetError();
        auto page = ParseBtPage(m_format, *raw, bref);
        if (!page)
            return page.GetError();
        if (page->type != type)
            return MakeError("B-tree page at " + std::to_string(bref.ib) + " belongs to the other tree");
        if (level >= 0 && page->level != level)
            return MakeError("B-tree page at " + std::to_string(bref.ib) + " has the wrong level");
        ++m_report.pages;
        m_extents.push_back({bref.ib, kPageSize, "B-tree page"});

        std::vector<std::uint64_t> keys;
        if (page->level > 0)
            for (const auto& b : page->branches)
                keys.push_back(b.key);
        else if (type == PageType::NBT)
            for (const auto& n : page->nodes)
                keys.push_back(n.nid);
        else
            for (const auto& b : page->blocks)
                keys.push_back(b.Key());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if ((i > 0 && keys[i] <= keys[i - 1]) || keys[i] < low || keys[i] >= high)
                return MakeError("B-tree page at " + std::to_string(bref.ib) + " has keys out of order");
        }
        if (page->level > 0) {
            if (page->branches.empty())
                return MakeError("B-tree page at " + std::to_string(bref.ib) + " is an empty intermediate page");
            for (std::size_t i = 0; i < page->branches.size(); ++i) {
                const std::uint64_t next = i + 1 < page->branches.size() ? page->branches[i + 1].key : high;
                MAPI_TRY(WalkTree(page->branches[i].bref, type, page->level - 1, page->branches[i].key, next));
            }
        } else if (type == PageType::NBT) {
            for (const auto& n : page->nodes)
                m_nodes.push_back(n);
        } else {
            for (const auto& b : page->blocks)
                m_blocks[b.Key()] = b;
        }
        return {};
    }

    Result<void> CheckBlocks()
    {
        for (const auto& [key, b] : m_blocks) {
            const std::size_t disk = BlockDiskSize(m_format, b.cb);
            auto raw = m_file.ReadAt(b.bref.ib, disk);
            if (!raw)
                return MakeError("block " + std::to_string(b.bref.bid) + ": " + raw.Message());
            auto data = ParseBlock(m_format, *raw, b.cb, b.bref.bid, b.bref.ib);
            if (!data)
                return data.GetError();
            m_extents.push_back({b.bref.ib, disk, "block"});
            ++m_report.blocks;
        }
        return {};
    }

    Result<void> CheckNodes()
    {
        auto db = CNodeDatabase::Open(m_path, true);
        if (!db)
            return db.GetError();
        for (const auto& n : m_nodes) {
            for (std::uint64_t bid : {n.bidData, n.bidSub})
                if (bid != 0 && !m_blocks.count(bid & ~std::uint64_t{1}))
                    return MakeError("node " + std::to_string(n.nid) + " refers to a missing block");
            auto content = (*db)->ReadNode(static_cast<Nid>(n.nid));
            if (!content)
                return content.GetError();
            ++m_report.nodes;
        }
        return {};
    }

    Result<void> CheckAllocation()
    {
        std::sort(m_extents.begin(), m_extents.end(),
                  [](const Extent& a, const Extent& b) { return a.ib < b.ib; });
        for (std::size_t i = 1; i < m_extents.size(); ++i)
            if (m_extents[i - 1].ib + m_extents[i - 1].size > m_extents[i].ib)
                return MakeError(m_extents[i].what + " at " + std::to_string(m_extents[i].ib) + " overlaps the " +
                                 m_extents[i - 1].what + " before it");
        if (m_header.root.fAMapValid == kAMapInvalid) {
            m_report.warnings.push_back("allocation map marked invalid");
            return {};
        }
        CAllocationMap amap(m_format);
        MAPI_TRY(amap.Load(m_file, m_header.root.ibAMapLast));
        std::uint64_t used = 0;
        for (const auto& e : m_extents) {
            if (!amap.IsAllocated(e.ib, e.size))
                return MakeError(e.what + " at " + std::to_string(e.ib) + " is not marked in the allocation map");
            used += e.size;
        }
        std::uint64_t mapPages = 0;
        for (std::size_t i = 0; i < amap.PageCount(); ++i)
            mapPages += kPageSize * (1 + amap.CompanionPages(i).size());
        const std::uint64_t covered = amap.FileEnd() - kFirstAMapOffset;
        const std::uint64_t allocated = covered - amap.FreeBytes();
        if (allocated >= used + mapPages)
            m_report.leakedBytes = allocated - used - mapPages;
        if (amap.FreeBytes() != m_header.root.cbAMapFree)
            m_report.warnings.push_back("cbAMapFree differs from the allocation map");
        return {};
    }

    std::filesystem::path m_path;
    CPstFile m_file;
    Header m_header;
    Format m_format = Format::Unicode;
    StructureReport m_report;
    std::set<std::uint64_t> m_seenPages;
    std::vector<Extent> m_extents;
    std::vector<NbtEntry> m_nodes;
    std::map<std::uint64_t, BbtEntry> m_blocks;
};

} // namespace

Result<StructureReport> CheckStructure(const std::filesystem::path& path) { return CChecker(path).Run(); }

} // namespace mapi
