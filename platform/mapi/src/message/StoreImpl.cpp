#include "StoreImpl.h"

#include "Bridge.h"
#include "mapi/ltp/PropertyContext.h"

#include <string>

namespace mapi {

using message::FromLtp;

namespace {

bool IsFolder(Nid nid) { return NidTypeOf(nid) == NidType::NormalFolder || NidTypeOf(nid) == NidType::SearchFolder; }

} // namespace

Result<void> CStore::Impl::CheckOpen() const
{
    if (!db)
        return MakeError(path.string() + ": the store is closed");
    return {};
}

Result<void> CStore::Impl::CheckWritable() const
{
    MAPI_TRY(CheckOpen());
    if (db->GetFormat() == ndb::Format::Ansi)
        return MakeError(path.string() + ": ANSI (32-bit) PST files can be read but not written");
    if (db->IsReadOnly())
        return MakeError(path.string() + ": the store is open read-only");
    return {};
}

Result<void> CStore::Impl::Change(const std::function<Result<void>()>& change)
{
    MAPI_TRY(CheckWritable());
    tables.Trim();
    Result<void> done = change();
    if (done && namesChanged) {
        auto map = Names();
        done = map ? WritePc(SpecialNid::NameToIdMap, 0, (*map)->ToBag()) : Result<void>(map.GetError());
    }
    if (done)
        done = db->Commit();
    if (!done) {
        (void)db->Rollback();
        tables.Clear();
        folderPcs.clear();
        names.reset();
        namesChanged = false;
        return done;
    }
    namesChanged = false;
    return {};
}

Result<CPropertyBag> CStore::Impl::ReadPc(Nid nid)
{
    MAPI_TRY(CheckOpen());
    const bool folder = IsFolder(nid);
    if (folder)
        if (auto it = folderPcs.find(nid); it != folderPcs.end())
            return it->second;
    auto node = db->ReadNode(nid);
    if (!node)
        return node.GetError();
    auto bag = FromLtp(ltp::CPropertyContext::Read(*node), "node " + std::to_string(nid));
    if (bag && folder)
        folderPcs.insert_or_assign(nid, *bag);
    return bag;
}

Result<void> CStore::Impl::WritePc(Nid nid, Nid parent, const CPropertyBag& bag)
{
    NodeContent keep;
    auto exists = db->NodeExists(nid);
    if (!exists)
        return exists.GetError();
    if (*exists) {
        // Only the subnodes are kept: a node without any is not read.
        auto info = db->GetNodeInfo(nid);
        if (!info)
            return info.GetError();
        if (info->bidSub != 0) {
            auto node = db->ReadNode(nid);
            if (!node)
                return node.GetError();
            keep = std::move(*node);
        }
    }
    auto content = FromLtp(ltp::CPropertyContext::Write(bag, keep), "node " + std::to_string(nid));
    if (!content)
        return content.GetError();
    folderPcs.erase(nid);
    MAPI_TRY(db->WriteNode(nid, parent, *content));
    if (IsFolder(nid))
        folderPcs.insert_or_assign(nid, bag);
    return {};
}

Result<ltp::CNameIdMap*> CStore::Impl::Names()
{
    if (!names) {
        auto bag = ReadPc(SpecialNid::NameToIdMap);
        if (!bag)
            return MakeError("name-to-id map: " + bag.Message());
        auto map = FromLtp(ltp::CNameIdMap::FromBag(*bag), "name-to-id map");
        if (!map)
            return map.GetError();
        names = std::move(*map);
    }
    return &*names;
}

Result<std::optional<std::uint32_t>> CStore::Impl::NamedTag(const mapi::NamedTag& tag, bool create)
{
    auto map = Names();
    if (!map)
        return map.GetError();
    std::optional<std::uint16_t> id = (*map)->Find(tag.name);
    if (!id && create) {
        MAPI_TRY(CheckWritable());
        auto added = FromLtp((*map)->GetOrAdd(tag.name), "name-to-id map");
        if (!added)
            return added.GetError();
        id = *added;
        namesChanged = true;
    }
    if (!id)
        return std::optional<std::uint32_t>{};
    return std::optional<std::uint32_t>{PROP_TAG(tag.type, *id)};
}

Bytes CStore::Impl::EntryId(Nid nid) const
{
    // rgbFlags (4 bytes, zero), uid (the record key), nid.
    Bytes id(4 + recordKey.size() + 4, 0);
    std::copy(recordKey.begin(), recordKey.end(), id.begin() + 4);
    for (std::size_t i = 0; i < 4; ++i)
        id[4 + recordKey.size() + i] = static_cast<std::uint8_t>(nid >> (8 * i));
    return id;
}

} // namespace mapi
