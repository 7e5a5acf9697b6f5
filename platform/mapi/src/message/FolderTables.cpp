#include "FolderTables.h"

#include "Bridge.h"

#include <string>

namespace mapi::message {

namespace {

Nid TemplateNid(ltp::TableKind kind) { return ltp::GetTableTemplate(kind).nid; }

CPropertyBag RowCells(const CPropertyBag& pc, std::int32_t version)
{
    CPropertyBag cells = pc;
    cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(version));
    return cells;
}

} // namespace

Result<const std::vector<ltp::TableColumn>*> TemplateColumns(CStore::Impl& store, ltp::TableKind kind)
{
    auto it = store.templates.find(kind);
    if (it == store.templates.end()) {
        std::vector<ltp::TableColumn> columns;
        auto node = store.db->ReadNode(TemplateNid(kind));
        if (node) {
            auto table = FromLtp(ltp::CTableContext::Load(*node), "table template " + std::to_string(TemplateNid(kind)));
            if (!table)
                return table.GetError();
            columns = table->Columns();
        } else {
            // A store without the template (it is being built) takes ours.
            auto table = FromLtp(ltp::CreateTable(kind), "table template");
            if (!table)
                return table.GetError();
            columns = table->Columns();
        }
        it = store.templates.emplace(kind, std::move(columns)).first;
    }
    return &it->second;
}

Result<ltp::CTableContext> NewTable(CStore::Impl& store, ltp::TableKind kind)
{
    auto columns = TemplateColumns(store, kind);
    if (!columns)
        return columns.GetError();
    return FromLtp(ltp::CTableContext::CreateWithLayout(**columns), "new table");
}

CPropertyBag NewFolderPc(const std::u16string& name, const std::u16string& containerClass)
{
    CPropertyBag pc;
    pc.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(name));
    pc.Set(PR_CONTENT_COUNT, PropertyValue::Long(0));
    pc.Set(PR_CONTENT_UNREAD, PropertyValue::Long(0));
    pc.Set(PR_SUBFOLDERS, PropertyValue::Boolean(false));
    if (!containerClass.empty())
        pc.Set(PR_CONTAINER_CLASS, PropertyValue::Unicode(containerClass));
    return pc;
}

Result<void> WriteNewFolder(CStore::Impl& store, Nid nid, Nid parent, const CPropertyBag& pc)
{
    MAPI_TRY(store.WritePc(nid, parent, pc));
    const std::pair<Nid, ltp::TableKind> tables[] = {{HierarchyTableOf(nid), ltp::TableKind::Hierarchy},
                                                     {ContentsTableOf(nid), ltp::TableKind::Contents},
                                                     {AssocContentsTableOf(nid), ltp::TableKind::FaiContents}};
    for (const auto& [tableNid, kind] : tables) {
        auto table = NewTable(store, kind);
        if (!table)
            return table.GetError();
        store.tables.AddNew(tableNid, std::move(*table));
        MAPI_TRY(store.tables.Write(*store.db, tableNid, 0));
    }
    if (parent == nid)
        return {};
    auto hierarchy = store.tables.Get(*store.db, HierarchyTableOf(parent));
    if (!hierarchy)
        return hierarchy.GetError();
    MAPI_TRY(FromLtp((*hierarchy)->AppendRow(nid, RowCells(pc, 1)), "hierarchy table of " + std::to_string(parent)));
    MAPI_TRY(store.tables.Write(*store.db, HierarchyTableOf(parent), 0));
    return MarkHasSubfolders(store, parent);
}

Result<void> UpdateFolder(CStore::Impl& store, Nid nid, const CPropertyBag& pc)
{
    auto parent = store.db->GetParent(nid);
    if (!parent)
        return parent.GetError();
    MAPI_TRY(store.WritePc(nid, *parent, pc));
    if (*parent == nid || NidTypeOf(*parent) == NidType::Internal || *parent == 0)
        return {};
    const Nid tableNid = HierarchyTableOf(*parent);
    auto hierarchy = store.tables.Get(*store.db, tableNid);
    if (!hierarchy)
        return hierarchy.GetError();
    auto row = FromLtp((*hierarchy)->ReadRow(nid), "hierarchy table of " + std::to_string(*parent));
    if (!row)
        return row.GetError();
    // Cells the PC lacks (replication data of Outlook's rows) stay; the row
    // read is ours to change, so it becomes the new row.
    const std::int32_t version = row->cells.GetLong(PR_LTP_ROW_VER, 0) + 1;
    CPropertyBag cells = std::move(row->cells);
    for (const auto& entry : pc)
        cells.Set(CPropertyBag::TagOf(entry), entry.second);
    cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(version));
    MAPI_TRY(FromLtp((*hierarchy)->UpdateRow(nid, cells), "hierarchy table of " + std::to_string(*parent)));
    return store.tables.Write(*store.db, tableNid, 0);
}

Result<void> MarkHasSubfolders(CStore::Impl& store, Nid nid)
{
    auto pc = store.ReadPc(nid);
    if (!pc)
        return pc.GetError();
    if (pc->GetBoolean(PR_SUBFOLDERS, false))
        return {};
    pc->Set(PR_SUBFOLDERS, PropertyValue::Boolean(true));
    return UpdateFolder(store, nid, *pc);
}

} // namespace mapi::message
