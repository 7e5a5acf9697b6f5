// Opening, creating and committing the node database.
#include "NodeDatabaseImpl.h"
#include "StaleCreations.h"

#include "mapi/ndb/Page.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace mapi {

namespace {

// The first nidIndex handed out for each type is one above these; the lower
// indexes belong to the special NIDs of [MS-PST] 2.4.1 and the objects every
// store holds. Messages start higher, as other writers do.
constexpr std::uint32_t kFirstNidIndex = 0x400;
constexpr std::uint32_t kFirstMessageIndex = 0x10000;

} // namespace

// B-tree pages kept in memory between batches, per tree (512 bytes each on
// disk, somewhat more in memory).
const std::uint64_t CNodeDatabase::Impl::kCachedPages = 1024;
// The longest run a batch takes at once: what one allocation map page covers
// is the most there can be.
const std::uint64_t CNodeDatabase::Impl::kMaxArena = 128 * 1024;
const std::uint64_t CNodeDatabase::Impl::kLeastRun[2] = {1024, 8192};
// Enough for the last blocks of the tables and folders a run of saves
// changes, their XBLOCKs and subnode blocks.
const std::size_t CNodeDatabase::Impl::kCachedBlockBytes = 4 * 1024 * 1024;
const std::uint64_t CNodeDatabase::Impl::kHostPage = 4096;

namespace {

// Gives the finished file its name, unless another file took it meanwhile.
Result<void> PublishNewFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return MakeError(std::string("cannot name the new file: ") + std::strerror(errno));
    // A file system without no-replace renames: link, which never replaces.
    if (::link(from.c_str(), to.c_str()) != 0)
        return MakeError(std::string("cannot name the new file: ") + std::strerror(errno));
    ::unlink(from.c_str());
    return {};
}

} // namespace

CNodeDatabase::Impl::Impl(ndb::Format format)
    : amap(format),
      nbt(format, ndb::PageType::NBT,
          [this](const ndb::Bref& b) -> Result<ndb::BtPage> {
              auto raw = file.ReadAt(b.ib, ndb::kPageSize);
              if (!raw)
                  return MakeError("node B-tree: " + raw.Message());
              return ndb::ParseBtPage(working.format, *raw, b);
          }),
      bbt(format, ndb::PageType::BBT, [this](const ndb::Bref& b) -> Result<ndb::BtPage> {
          auto raw = file.ReadAt(b.ib, ndb::kPageSize);
          if (!raw)
              return MakeError("block B-tree: " + raw.Message());
          return ndb::ParseBtPage(working.format, *raw, b);
      }),
      blockCache(kCachedBlockBytes)
{
    working.format = format;
}

Result<void> CNodeDatabase::Impl::CheckWritable() const
{
    if (working.format == ndb::Format::Ansi)
        return MakeError("ANSI (32-bit) PST files can be read but not written");
    if (readOnly)
        return MakeError("the PST file is open read-only");
    if (failed)
        return MakeError("an earlier commit failed; reopen the PST file");
    return {};
}

void CNodeDatabase::Impl::ResetTrees()
{
    nbt.Reset(committed.root.nbt);
    bbt.Reset(committed.root.bbt);
    const std::uint64_t limit = file.Size() / ndb::kPageSize + 16;
    nbt.SetPageLimit(limit);
    bbt.SetPageLimit(limit);
}

Result<std::uint64_t> CNodeDatabase::Impl::AllocateSpace(std::size_t size, std::size_t align)
{
    const ArenaKind kind = writingNewNode ? kLasting : kReplaced;
    auto& pieces = arenas[kind];
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto [from, to] = pieces[i];
        const std::uint64_t at = (from + align - 1) / align * align;
        if (at + size > to)
            continue;
        // What is left before and after the block stays for smaller ones.
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
        if (at + size < to)
            pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i), {at + size, to});
        if (from < at)
            pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i), {from, at});
        amap.UseHeld(at, size);
        return at;
    }
    // The first free run that holds the block, taken whole: the batch's
    // next blocks follow it, so that the batch fills the space earlier
    // batches freed run by run, and its writes share disk pages.
    auto run = amap.AllocateRun(std::max<std::size_t>(size, kLeastRun[kind]), kMaxArena, std::max<std::size_t>(align, 64));
    if (!run)
        return run.GetError();
    if (run->second > size)
        pieces.emplace_back(run->first + size, run->first + run->second);
    return run->first;
}

void CNodeDatabase::Impl::ShowArenasFree(bool free)
{
    // Only the end of the newest run of rewritten blocks is kept; what is
    // left before it goes, and so does what new nodes left: they fill the
    // holes of the file from its start, batch by batch.
    for (auto& pieces : arenas) {
        const std::size_t keep = &pieces == &arenas[kReplaced] ? 1 : 0;
        if (free && pieces.size() > keep) {
            for (std::size_t i = 0; i + keep < pieces.size(); ++i)
                amap.SetHeld(pieces[i].first, static_cast<std::size_t>(pieces[i].second - pieces[i].first), false);
            pieces.erase(pieces.begin(), pieces.end() - static_cast<std::ptrdiff_t>(keep));
        }
        // The next batch's rewritten blocks begin on a host page of their
        // own: a page shared with this batch's last ones would be dirtied
        // and written out by both syncs. What is skipped is free, for the
        // blocks of new nodes.
        if (free && keep == 1 && pieces.size() == 1) {
            auto& [from, to] = pieces.front();
            const std::uint64_t page = (from + kHostPage - 1) / kHostPage * kHostPage;
            if (page >= to) {
                amap.SetHeld(from, static_cast<std::size_t>(to - from), false);
                pieces.clear();
            } else if (page > from) {
                amap.SetHeld(from, static_cast<std::size_t>(page - from), false);
                from = page;
            }
        }
    }
    for (auto& pieces : arenas)
        for (const auto& [from, to] : pieces)
            amap.SetHeld(from, static_cast<std::size_t>(to - from), !free);
}

void CNodeDatabase::Impl::EndArenas()
{
    ShowArenasFree(true);
    DropArenas();
}

void CNodeDatabase::Impl::DropArenas()
{
    for (auto& pieces : arenas)
        pieces.clear();
}

ndb::PageSink CNodeDatabase::Impl::MakePageSink()
{
    ndb::PageSink sink;
    sink.allocate = [this]() -> Result<ndb::Bref> {
        auto ib = AllocateSpace(ndb::kPageSize, ndb::kPageSize);
        if (!ib)
            return ib.GetError();
        const std::uint64_t bid = working.bidNextP++;
        return ndb::Bref{bid, *ib};
    };
    sink.write = [this](const ndb::Bref& where, std::vector<std::uint8_t> bytes) {
        return file.WriteAt(where.ib, std::move(bytes));
    };
    sink.release = [this](const ndb::Bref& old) { pendingFree.emplace_back(old.ib, ndb::kPageSize); };
    return sink;
}

CNodeDatabase::CNodeDatabase(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CNodeDatabase::~CNodeDatabase() { (void)Close(); }

bool CNodeDatabase::IsReadOnly() const { return !m_impl->CheckWritable().Ok(); }
ndb::Format CNodeDatabase::GetFormat() const { return m_impl->working.format; }
const ndb::Header& CNodeDatabase::GetHeader() const { return m_impl->committed; }
bool CNodeDatabase::HasUncommittedChanges() const { return m_impl->dirty; }

Result<std::unique_ptr<CNodeDatabase>> CNodeDatabase::Create(const std::filesystem::path& path, ndb::CryptMethod crypt,
                                                             const Populate& populate)
{
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        return MakeError("cannot create " + path.string() + ": the file exists");
    auto building = path;
    building += ".creating-" + std::to_string(::getpid());
    std::filesystem::remove(building, ec);
    ndb::RemoveStaleCreations(path.parent_path());

    auto impl = std::make_unique<Impl>(ndb::Format::Unicode);
    MAPI_TRY(impl->file.Open(building, true, true));
    ndb::Header& h = impl->working;
    h.format = ndb::Format::Unicode;
    h.bidNextB = ndb::kBidIncrement;
    h.bidNextP = 1;
    h.rgnid.fill(kFirstNidIndex);
    h.rgnid[NidType::NormalMessage] = kFirstMessageIndex;
    h.bCryptMethod = crypt;
    impl->amap.InitEmpty();
    impl->nbt.ResetEmpty();
    impl->bbt.ResetEmpty();
    impl->dirty = true;
    impl->hasDList = true;
    impl->dlistBid = h.bidNextP++;

    std::unique_ptr<CNodeDatabase> db(new CNodeDatabase(std::move(impl)));
    Result<void> built = populate ? populate(*db) : Result<void>{};
    if (built)
        built = db->Commit();
    if (built)
        built = db->m_impl->file.Sync();
    if (built)
        built = PublishNewFile(building, path);
    if (built)
        built = db->m_impl->file.SyncDirectory();
    if (!built) {
        db->m_impl->file.Close();
        std::filesystem::remove(building, ec);
        return MakeError("cannot create " + path.string() + ": " + built.Message());
    }
    db->m_impl->file.SetPath(path);
    return db;
}

Result<std::unique_ptr<CNodeDatabase>> CNodeDatabase::Open(const std::filesystem::path& path, bool readOnly)
{
    ndb::CPstFile probe;
    MAPI_TRY(probe.Open(path, false, false));
    const std::size_t headerBytes = probe.Size() < ndb::kHeaderSize ? static_cast<std::size_t>(probe.Size())
                                                                    : ndb::kHeaderSize;
    auto raw = probe.ReadAt(0, headerBytes);
    if (!raw)
        return raw.GetError();
    auto header = ndb::ParseHeader(*raw);
    if (!header)
        return MakeError(path.string() + ": " + header.Message());
    probe.Close();

    const bool ansi = header->format == ndb::Format::Ansi;
    auto impl = std::make_unique<Impl>(header->format);
    impl->readOnly = readOnly || ansi;
    MAPI_TRY(impl->file.Open(path, !impl->readOnly, false));
    impl->committed = *header;
    impl->working = *header;

    const auto& root = header->root;
    const std::uint64_t size = impl->file.Size();
    for (const auto* bref : {&root.nbt, &root.bbt})
        if (bref->ib < ndb::kFirstAMapOffset || bref->ib > size || size - bref->ib < ndb::kPageSize)
            return MakeError(path.string() + ": B-tree root outside the file");
    if (!impl->readOnly) {
        if (root.fAMapValid == ndb::kAMapInvalid)
            return MakeError(path.string() + ": the allocation map is marked invalid; open it read-only");
        auto loaded = impl->amap.Load(impl->file, root.ibAMapLast);
        if (!loaded)
            return MakeError(path.string() + ": " + loaded.Message());
        if (auto raw = impl->file.ReadAt(ndb::kDListOffset, ndb::kPageSize); raw.Ok())
            if (auto trailer = ndb::ParsePageTrailer(header->format, *raw);
                trailer.Ok() && trailer->ptype == ndb::PageType::DList) {
                impl->hasDList = true;
                impl->dlistBid = trailer->bid;
            }
    }
    impl->ResetTrees();
    return std::unique_ptr<CNodeDatabase>(new CNodeDatabase(std::move(impl)));
}

// Durability. A batch's new blocks and B-tree pages go to space that no
// durable header uses; the map pages, the density list and the header are
// written in place. Commit then makes one fdatasync, which carries the
// batch's blocks and pages and also the header of the previous commit, and
// only after it writes this batch's header, unsynced:
// - the process dying at any point loses nothing whose commit returned: the
//   kernel holds every page written, and the header is written last;
// - a power failure leaves the last header that reached the disk whole (at
//   worst the one before the last commit, which the sync made durable), and
//   every block and page that header refers to was synced before it; so the
//   file holds every commit but at most the last one;
// - space a batch freed was used by the header before it, which stays the
//   one a power failure may leave until the next commit's sync: it is
//   handed out again only after that sync (freedByUnsyncedHeader);
// - the map pages are conservative under either header: they mark free only
//   what neither of the last two headers uses; the space the writer holds
//   for its next batches (what its runs have left) is no header's, and is
//   shown free in the map pages and the header a commit writes;
// - Close syncs the file whole, so a closed store (the end of every run)
//   holds every commit.
Result<void> CNodeDatabase::Commit()
{
    Impl& d = *m_impl;
    MAPI_TRY(d.CheckWritable());
    if (!d.dirty && !d.amap.Dirty())
        return {};
    // Until the header is written the old state stays intact; a failure on
    // the way leaves this object unusable but the file as it was.
    d.failed = true;
    const auto sink = d.MakePageSink();
    auto nbtRoot = d.nbt.Flush(sink);
    if (!nbtRoot)
        return nbtRoot.GetError();
    auto bbtRoot = d.bbt.Flush(sink);
    if (!bbtRoot)
        return bbtRoot.GetError();
    // What the runs have left is free in the file's map and its header, and
    // stays this store's own for the next batch, which goes on where this
    // one ended.
    d.ShowArenasFree(true);
    MAPI_TRY(d.amap.WriteDirty(d.file, false));
    // The density list only guides allocation and is not bound to the map
    // (other writers of the format leave it behind too): a torn one fails
    // its CRC and is rebuilt by its readers, an old one points allocation at
    // pages that have less room than it says. So it is written in place, and
    // only when the file grows a map page and at the close, not with every
    // batch, which would dirty one more disk page each time. The FMap pages
    // past the first 128 AMaps, which [MS-PST] tells readers not to use, are
    // kept the same way (the map writes them).
    if (d.hasDList && d.amap.PageCount() != d.dlistPages)
        MAPI_TRY(d.WriteDList());
    else if (d.hasDList)
        d.dlistStale = true;
    MAPI_TRY(d.file.Sync());
    d.ReleaseFreedByDurableHeader();

    ndb::Header h = d.working;
    h.root.nbt = *nbtRoot;
    h.root.bbt = *bbtRoot;
    MAPI_TRY(d.WriteHeader(h));
    d.ShowArenasFree(false);
    d.working = h;
    d.committed = h;

    d.freedByUnsyncedHeader = std::move(d.pendingFree);
    d.pendingFree.clear();
    d.dirty = false;
    d.failed = false;
    d.nbt.Trim(Impl::kCachedPages);
    d.bbt.Trim(Impl::kCachedPages);
    return {};
}

Result<void> CNodeDatabase::Impl::WriteHeader(ndb::Header& h)
{
    h.root.ibFileEof = amap.FileEnd();
    h.root.ibAMapLast = amap.LastAMapOffset();
    h.root.cbAMapFree = amap.FreeBytes();
    h.root.cbPMapFree = 0;
    h.root.fAMapValid = ndb::kAMapValid2;
    h.rgbFM = amap.HeaderFreeMap();
    h.rgbFP = amap.HeaderFreePageMap();
    ++h.dwUnique;
    return file.WriteAt(0, ndb::WriteHeader(h));
}

Result<void> CNodeDatabase::Impl::WriteDList()
{
    MAPI_TRY(file.WriteAt(ndb::kDListOffset, ndb::WriteDListPage(amap.DensityList(), ndb::kDListOffset, dlistBid)));
    dlistPages = amap.PageCount();
    dlistStale = false;
    return {};
}

void CNodeDatabase::Impl::ReleaseFreedByDurableHeader()
{
    // The map pages reach the disk with the next commit or at close.
    for (const auto& [ib, size] : freedByUnsyncedHeader)
        amap.Free(ib, size);
    freedByUnsyncedHeader.clear();
}

Result<void> CNodeDatabase::Rollback()
{
    Impl& d = *m_impl;
    if (d.working.format == ndb::Format::Ansi || d.readOnly)
        return {};
    d.working = d.committed;
    d.pendingFree.clear();
    d.DropArenas();
    // The BIDs of the batch are handed out again, for other bytes.
    d.blockCache.Clear();
    d.keptShapes.clear();
    // The map on disk lacks only the space freed since the last header: a
    // leak that the next allocation map rebuild recovers, never a loss.
    if (d.committed.root.ibAMapLast != 0) {
        auto loaded = d.amap.Load(d.file, d.committed.root.ibAMapLast);
        if (!loaded) {
            d.failed = true;
            return loaded;
        }
    }
    d.ResetTrees();
    d.dirty = false;
    d.failed = false;
    return {};
}

Result<void> CNodeDatabase::Close()
{
    if (!m_impl || !m_impl->file.IsOpen())
        return {};
    Impl& d = *m_impl;
    Result<void> result;
    if (d.CheckWritable().Ok()) {
        // The sync makes the last header durable; then the space its batch
        // freed is marked free on disk too, under a header of its own.
        result = d.file.Sync();
        if (result && !d.dirty) {
            d.EndArenas();
            d.ReleaseFreedByDurableHeader();
            const bool mapChanged = d.amap.Dirty() || d.amap.SummariesStale();
            if (mapChanged)
                result = d.amap.WriteDirty(d.file);
            const bool listChanged = d.hasDList && (mapChanged || d.dlistStale);
            if (result && listChanged)
                result = d.WriteDList();
            ndb::Header h = d.committed;
            if (result && mapChanged)
                result = d.WriteHeader(h);
            if (result && (mapChanged || listChanged))
                result = d.file.Sync();
            if (result && mapChanged)
                d.committed = d.working = h;
        }
    }
    d.file.Close();
    d.blockCache.Clear();
    d.keptShapes.clear();
    return result;
}

const std::vector<MandatoryNode>& MandatoryNodes()
{
    using namespace SpecialNid;
    static const std::vector<MandatoryNode> nodes = {
        {MessageStore, 0},
        {NameToIdMap, 0},
        {RootFolder, RootFolder},
        {MakeNid(NidType::HierarchyTable, NidIndexOf(RootFolder)), 0},
        {MakeNid(NidType::ContentsTable, NidIndexOf(RootFolder)), 0},
        {MakeNid(NidType::AssocContentsTable, NidIndexOf(RootFolder)), 0},
        {SearchManagementQueue, 0},
        {SearchActivityList, 0},
        {SearchDomainObject, 0},
        {SearchGathererQueue, 0},
        {SearchGathererDescriptor, 0},
        {SearchGathererFolderQueue, 0},
        {HierarchyTableTemplate, 0},
        {ContentsTableTemplate, 0},
        {AssocContentsTableTemplate, 0},
        {SearchContentsTableTemplate, 0},
        {AttachmentTableTemplate, 0},
        {RecipientTableTemplate, 0},
    };
    return nodes;
}

} // namespace mapi
