#include "AnsiStoreWriter.h"

#include "mapi/NodeDatabase.h"
#include "mapi/ltp/PropertyContext.h"
#include "mapi/ltp/TableContext.h"
#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Header.h"
#include "mapi/ndb/Page.h"

#include "win32/CodePage.h"

#include <fstream>

namespace mapitest {

using namespace mapi;
using namespace mapi::ndb;
using mapi::ltp::PropertyValue;

namespace {

// ANSI sizes of [MS-PST] 2.2.2.
constexpr std::size_t kBlockTrailer = 12;
constexpr std::size_t kMaxXEntries = (8192 - kBlockTrailer - 8) / 4;
constexpr std::size_t kMaxSlEntries = (8192 - kBlockTrailer - 4) / 12;
constexpr std::uint64_t kFirstBlockAt = 0x4600; // after a page left for the map

// ANSI stores hold Windows-1252, whatever the code page of this machine.
std::string To1252(const std::u16string& text)
{
    if (text.empty())
        return {};
    std::string narrow(text.size() * 2, '\0');
    const int n = WideCharToMultiByte(CP_1252, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                                      static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(n));
    return narrow;
}

PropertyValue ToString8(const PropertyValue& v)
{
    if (const auto* s = v.Get<std::u16string>())
        return PropertyValue::String8(To1252(*s));
    if (const auto* list = v.Get<std::vector<std::u16string>>()) {
        std::vector<std::string> out;
        for (const auto& s : *list)
            out.push_back(To1252(s));
        return PropertyValue::MvString8(std::move(out));
    }
    return v;
}

std::uint32_t ToString8Tag(std::uint32_t tag)
{
    if (PROP_TYPE(tag) == PT_UNICODE)
        return CHANGE_PROP_TYPE(tag, PT_STRING8);
    if (PROP_TYPE(tag) == PT_MV_UNICODE)
        return CHANGE_PROP_TYPE(tag, PT_MV_STRING8);
    return tag;
}

ltp::CPropertyBag ConvertBag(const ltp::CPropertyBag& bag)
{
    ltp::CPropertyBag out;
    for (const auto& entry : bag) {
        PropertyValue v = ToString8(entry.second);
        out.Set(PROP_TAG(v.Type(), entry.first), v);
    }
    return out;
}

Result<NodeContent> Convert(const NodeContent& node)
{
    NodeContent keep;
    for (const auto& [nid, sub] : node.subnodes) {
        if ((nid & 0x1F) == 0x1F)
            continue; // a value of the node's own PC or TC: written anew
        auto converted = Convert(sub);
        if (!converted.Ok())
            return converted;
        keep.subnodes[nid] = std::move(*converted);
    }
    const bool heap = !node.blocks.empty() && node.blocks[0].size() > 3 && node.blocks[0][2] == 0xEC;
    if (!heap)
        return node;
    if (node.blocks[0][3] == 0xBC) {
        auto bag = ltp::CPropertyContext::Read(node);
        if (!bag.Ok())
            return MakeError(bag.Message());
        auto written = ltp::CPropertyContext::Write(ConvertBag(*bag), keep);
        if (!written.Ok())
            return MakeError(written.Message());
        return std::move(*written);
    }
    auto table = ltp::CTableContext::Load(node);
    if (!table.Ok())
        return MakeError(table.Message());
    std::vector<ltp::TableColumn> columns = table->Columns();
    for (auto& c : columns)
        c.tag = ToString8Tag(c.tag);
    auto converted = ltp::CTableContext::CreateWithLayout(columns);
    auto rows = table->ReadAllRows();
    if (!converted.Ok() || !rows.Ok())
        return MakeError("table conversion failed");
    for (const auto& row : *rows)
        if (auto added = converted->AppendRow(row.rowId, ConvertBag(row.cells)); !added.Ok())
            return MakeError(added.Message());
    NodeContent out = converted->ToNode();
    for (auto& [nid, sub] : keep.subnodes)
        out.subnodes[nid] = std::move(sub);
    return out;
}

class CAnsiLayout {
public:
    CAnsiLayout() : m_file(kFirstBlockAt, 0) {}

    std::uint32_t Block(const Bytes& data, bool internal)
    {
        const std::uint32_t bid = m_nextBid | (internal ? 2u : 0u);
        m_nextBid += 4;
        const std::size_t disk = (data.size() + kBlockTrailer + 63) / 64 * 64;
        const std::uint32_t ib = Grow(disk);
        std::span<std::uint8_t> b(m_file.data() + ib, disk);
        std::copy(data.begin(), data.end(), b.begin());
        const std::size_t t = disk - kBlockTrailer;
        Write16(b, t, static_cast<std::uint16_t>(data.size()));
        Write16(b, t + 2, ComputeSig(ib, bid));
        Write32(b, t + 4, bid);
        Write32(b, t + 8, ComputeCrc(data));
        m_blocks.push_back({bid, ib, static_cast<std::uint16_t>(data.size())});
        return bid;
    }

    std::uint32_t DataTree(const std::vector<Bytes>& blocks)
    {
        std::vector<std::uint32_t> bids;
        std::uint32_t total = 0;
        for (const auto& b : blocks) {
            bids.push_back(Block(b, false));
            total += static_cast<std::uint32_t>(b.size());
        }
        if (bids.size() <= 1)
            return bids.empty() ? 0 : bids[0];
        Bytes x{0x01, 0x01};
        x.resize(8);
        Write16(x, 2, static_cast<std::uint16_t>(bids.size()));
        Write32(x, 4, total);
        for (std::uint32_t bid : bids) {
            x.resize(x.size() + 4);
            Write32(x, x.size() - 4, bid);
        }
        return bids.size() <= kMaxXEntries ? Block(x, true) : 0;
    }

    std::uint32_t Subnodes(const std::map<std::uint32_t, NodeContent>& subnodes)
    {
        if (subnodes.empty() || subnodes.size() > kMaxSlEntries)
            return 0;
        Bytes sl{0x02, 0x00, 0, 0};
        Write16(sl, 2, static_cast<std::uint16_t>(subnodes.size()));
        for (const auto& [nid, sub] : subnodes) {
            const std::uint32_t data = DataTree(sub.blocks), nested = Subnodes(sub.subnodes);
            sl.resize(sl.size() + 12);
            Write32(sl, sl.size() - 12, nid);
            Write32(sl, sl.size() - 8, data);
            Write32(sl, sl.size() - 4, nested);
        }
        return Block(sl, true);
    }

    void Node(Nid nid, Nid parent, const NodeContent& content)
    {
        const std::uint32_t data = DataTree(content.blocks), sub = Subnodes(content.subnodes);
        m_nodes.push_back({nid, data, sub, parent});
    }

    Result<void> Save(const std::filesystem::path& path)
    {
        std::vector<Leaf> blocks = m_blocks;
        std::sort(blocks.begin(), blocks.end(), [](const Leaf& a, const Leaf& b) { return a.a < b.a; });
        std::sort(m_nodes.begin(), m_nodes.end(), [](const Leaf& a, const Leaf& b) { return a.a < b.a; });
        const auto bbt = Tree(blocks, PageType::BBT, 12, 41);
        const auto nbt = Tree(m_nodes, PageType::NBT, 16, 31);
        Header(bbt, nbt);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(m_file.data()), static_cast<std::streamsize>(m_file.size()));
        return out ? Result<void>{} : MakeError("cannot write " + path.string());
    }

private:
    // A leaf entry: BBT {bid, ib, cb}, NBT {nid, bidData, bidSub, parent}.
    struct Leaf {
        std::uint32_t a = 0, b = 0, c = 0, d = 0;
    };
    struct Ref {
        std::uint32_t key, bid, ib;
    };

    std::uint32_t Grow(std::size_t size)
    {
        const std::size_t at = m_file.size();
        m_file.resize(at + size, 0);
        return static_cast<std::uint32_t>(at);
    }

    Ref Page(const Bytes& entries, std::size_t count, std::size_t entrySize, std::size_t max, std::uint8_t level,
             PageType type, std::uint32_t key)
    {
        const std::uint32_t ib = Grow(512), bid = m_nextPage++;
        std::span<std::uint8_t> p(m_file.data() + ib, 512);
        std::copy(entries.begin(), entries.end(), p.begin());
        p[496] = static_cast<std::uint8_t>(count);
        p[497] = static_cast<std::uint8_t>(max);
        p[498] = static_cast<std::uint8_t>(entrySize);
        p[499] = level;
        p[500] = p[501] = static_cast<std::uint8_t>(type);
        Write16(p, 502, ComputeSig(ib, bid));
        Write32(p, 504, bid);
        Write32(p, 508, ComputeCrc(p.first(500)));
        return {key, bid, ib};
    }

    Ref Tree(const std::vector<Leaf>& leaves, PageType type, std::size_t leafSize, std::size_t leafMax)
    {
        std::vector<Ref> level;
        for (std::size_t start = 0; start < leaves.size() || level.empty(); start += leafMax) {
            Bytes entries;
            const std::size_t end = std::min(leaves.size(), start + leafMax);
            for (std::size_t i = start; i < end; ++i) {
                entries.resize(entries.size() + leafSize);
                const std::size_t at = entries.size() - leafSize;
                Write32(entries, at, leaves[i].a);
                Write32(entries, at + 4, leaves[i].b);
                if (type == PageType::BBT) {
                    Write16(entries, at + 8, static_cast<std::uint16_t>(leaves[i].c));
                    Write16(entries, at + 10, 2);
                } else {
                    Write32(entries, at + 8, leaves[i].c);
                    Write32(entries, at + 12, leaves[i].d);
                }
            }
            level.push_back(Page(entries, end - start, leafSize, leafMax, 0, type, start < leaves.size() ? leaves[start].a : 0));
        }
        for (std::uint8_t depth = 1; level.size() > 1; ++depth) {
            std::vector<Ref> up;
            for (std::size_t start = 0; start < level.size(); start += 41) {
                Bytes entries;
                const std::size_t end = std::min(level.size(), start + 41);
                for (std::size_t i = start; i < end; ++i) {
                    entries.resize(entries.size() + 12);
                    Write32(entries, entries.size() - 12, level[i].key);
                    Write32(entries, entries.size() - 8, level[i].bid);
                    Write32(entries, entries.size() - 4, level[i].ib);
                }
                up.push_back(Page(entries, end - start, 12, 41, depth, type, level[start].key));
            }
            level = std::move(up);
        }
        return level.front();
    }

    void Header(const Ref& bbt, const Ref& nbt)
    {
        std::span<std::uint8_t> h(m_file.data(), 512);
        Write32(h, 0, kHeaderMagic);
        Write16(h, 8, kHeaderMagicClient);
        Write16(h, 10, 14); // an ANSI file
        Write16(h, 12, kVersionClient);
        h[14] = h[15] = 1;
        Write32(h, 24, m_nextBid);
        Write32(h, 28, m_nextPage);
        Write32(h, 164 + 4, static_cast<std::uint32_t>(m_file.size()));
        Write32(h, 164 + 8, static_cast<std::uint32_t>(kFirstAMapOffset));
        Write32(h, 164 + 20, nbt.bid);
        Write32(h, 164 + 24, nbt.ib);
        Write32(h, 164 + 28, bbt.bid);
        Write32(h, 164 + 32, bbt.ib);
        h[164 + 36] = kAMapInvalid;
        h[460] = 0x80;
        h[461] = static_cast<std::uint8_t>(CryptMethod::None);
        Write32(h, 4, ComputeCrc(h.subspan(8, 471)));
    }

    std::vector<std::uint8_t> m_file;
    std::vector<Leaf> m_blocks, m_nodes;
    std::uint32_t m_nextBid = 4, m_nextPage = 1;
};

} // namespace

Result<void> WriteAnsiCopy(const std::filesystem::path& unicode, const std::filesystem::path& ansi)
{
    auto db = CNodeDatabase::Open(unicode, true);
    if (!db.Ok())
        return db.GetError();
    std::vector<NodeInfo> nodes;
    MAPI_TRY((*db)->ForEachNode([&](const NodeInfo& n) { return nodes.push_back(n), true; }));
    CAnsiLayout layout;
    for (const auto& n : nodes) {
        auto content = (*db)->ReadNode(n.nid);
        if (!content.Ok())
            return content.GetError();
        auto converted = Convert(*content);
        if (!converted.Ok())
            return MakeError("node " + std::to_string(n.nid) + ": " + converted.Message());
        layout.Node(n.nid, n.parent, *converted);
    }
    return layout.Save(ansi);
}

} // namespace mapitest
