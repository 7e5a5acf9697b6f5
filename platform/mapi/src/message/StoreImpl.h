// The state behind CStore, shared by the store, its folders and messages.
#pragma once

#include "MessageTables.h"
#include "TableCache.h"
#include "mapi/NodeDatabase.h"
#include "mapi/Store.h"
#include "mapi/ltp/NameIdMap.h"
#include "mapi/ltp/TableTemplates.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <random>

namespace mapi {

struct CStore::Impl {
    std::filesystem::path path;
    std::unique_ptr<CNodeDatabase> ownedDb;
    // The open database; while a new store is built, the one being built.
    CNodeDatabase* db = nullptr;
    // Every public call of the store, its folders and messages holds it.
    std::recursive_mutex mutex;
    Bytes recordKey;
    std::optional<ltp::CNameIdMap> names; // read on first use
    bool namesChanged = false;
    message::CTableCache tables;
    message::CMessageTables messageTables;
    // Read without the mutex by callers that keep folders found by name.
    std::atomic<std::uint64_t> hierarchyChanges{0};
    std::mt19937_64 random{std::random_device{}()};
    // The property contexts of folders as last read or written: a save
    // reads its folder's counts from here, not from the file. Forgotten
    // when a change fails.
    std::map<Nid, CPropertyBag> folderPcs;
    // Columns of the table templates, as this store's template nodes have them.
    std::map<ltp::TableKind, std::vector<ltp::TableColumn>> templates;

    Result<void> CheckOpen() const;
    Result<void> CheckWritable() const;
    // Runs `change` and commits what it wrote, the name-to-id map included.
    // When anything fails the store goes back to its last commit.
    Result<void> Change(const std::function<Result<void>()>& change);

    Result<CPropertyBag> ReadPc(Nid nid);
    // Replaces the property context of a node, keeping its subnodes that
    // are not values of the context (a message's tables and attachments).
    Result<void> WritePc(Nid nid, Nid parent, const CPropertyBag& bag);

    Result<ltp::CNameIdMap*> Names();
    Result<std::optional<std::uint32_t>> NamedTag(const NamedTag& tag, bool create);
    Bytes EntryId(Nid nid) const;
};

} // namespace mapi
