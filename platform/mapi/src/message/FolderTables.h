// Folders as nodes: the property context and the three tables of a folder,
// and the rows that list it in its parent's hierarchy table.
#pragma once

#include "StoreImpl.h"

namespace mapi::message {

constexpr Nid HierarchyTableOf(Nid folder) { return MakeNid(NidType::HierarchyTable, NidIndexOf(folder)); }
constexpr Nid ContentsTableOf(Nid folder) { return MakeNid(NidType::ContentsTable, NidIndexOf(folder)); }
constexpr Nid AssocContentsTableOf(Nid folder) { return MakeNid(NidType::AssocContentsTable, NidIndexOf(folder)); }

// The columns of this store's template of that kind, read once.
Result<const std::vector<ltp::TableColumn>*> TemplateColumns(CStore::Impl& store, ltp::TableKind kind);
// An empty table with the columns of this store's template of that kind.
Result<ltp::CTableContext> NewTable(CStore::Impl& store, ltp::TableKind kind);

// Writes a new folder (its PC and empty tables) and lists it in the parent's
// hierarchy table; the root folder (its own parent) is listed nowhere.
Result<void> WriteNewFolder(CStore::Impl& store, Nid nid, Nid parent, const CPropertyBag& pc);
// Writes a folder's changed PC and brings its row in the parent's hierarchy
// table up to date.
Result<void> UpdateFolder(CStore::Impl& store, Nid nid, const CPropertyBag& pc);
// Sets PR_SUBFOLDERS of a folder that gains a subfolder.
Result<void> MarkHasSubfolders(CStore::Impl& store, Nid nid);

// The PC of a new folder.
CPropertyBag NewFolderPc(const std::u16string& name, const std::u16string& containerClass);

} // namespace mapi::message
