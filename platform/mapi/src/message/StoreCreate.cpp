// The contents of a new store: the nodes and folders that [MS-PST] 2.7
// requires of every PST, laid out as Outlook lays them out.
#include "Bridge.h"
#include "FolderTables.h"
#include "StoreImpl.h"
#include "StoreLayout.h"
#include "mapi/ltp/NameIdMap.h"

#include <random>

namespace mapi::message {

namespace {

// The one property of the criteria object of Outlook's junk mail search
// folder, as Outlook writes it.
constexpr std::uint32_t kSearchCriteriaState = PROP_TAG(PT_LONG, 0x660B);

// PR_VALID_FOLDER_MASK bits of the folders a new store has.
constexpr std::int32_t kFolderIpmSubtreeValid = 0x01;
constexpr std::int32_t kFolderIpmWastebasketValid = 0x08;
constexpr std::int32_t kFolderFinderValid = 0x80;

Bytes NewRecordKey()
{
    std::random_device device;
    Bytes key(16);
    for (auto& b : key)
        b = static_cast<std::uint8_t>(device());
    return key;
}

// The names a new store's map holds from the start. A map without entries
// is one that pffexport refuses ("missing name to id map entries data"), and
// Outlook's new stores come with theirs too.
const NamedTag* const kFirstNames[] = {
    &PidLidFileUnder, &PidLidFileUnderId, &PidLidEmail1DisplayName, &PidLidEmail1AddressType,
    &PidLidEmail1EmailAddress, &PidLidEmail1OriginalDisplayName, &PidLidEmail1OriginalEntryId,
    &PidLidAddressBookProviderEmailList, &PidLidAddressBookProviderArrayType, &PidLidAppointmentSequence,
    &PidLidBusyStatus, &PidLidLocation, &PidLidAppointmentStartWhole, &PidLidAppointmentEndWhole,
    &PidLidAppointmentDuration, &PidLidAppointmentSubType, &PidLidReminderDelta, &PidLidReminderTime,
    &PidLidReminderSet, &PidLidReminderSignalTime, &PidLidCommonStart, &PidLidCommonEnd, &PidNameKeywords};

Result<void> WriteEmptyNode(CNodeDatabase& db, Nid nid, Nid parent = 0) { return db.WriteNode(nid, parent, NodeContent{}); }

Result<void> WriteTemplates(CStore::Impl& store)
{
    for (auto kind : {ltp::TableKind::Hierarchy, ltp::TableKind::Contents, ltp::TableKind::FaiContents,
                      ltp::TableKind::SearchContents, ltp::TableKind::Attachments, ltp::TableKind::Recipients}) {
        auto table = FromLtp(ltp::CreateTable(kind), "table template");
        if (!table)
            return table.GetError();
        store.templates[kind] = table->Columns();
        MAPI_TRY(store.db->WriteNode(ltp::GetTableTemplate(kind).nid, 0, table->ToNode()));
    }
    return {};
}

// The search folder that Outlook keeps for junk mail: its PC, its update
// queue, its criteria object and its contents table, listed in the root.
Result<void> WriteSpamSearchFolder(CStore::Impl& store)
{
    const Nid nid = layout::kSpamSearchFolder;
    CPropertyBag pc = NewFolderPc(layout::kSpamSearchFolderName, {});
    MAPI_TRY(store.WritePc(nid, SpecialNid::RootFolder, pc));
    MAPI_TRY(WriteEmptyNode(*store.db, MakeNid(NidType::SearchUpdateQueue, NidIndexOf(nid))));
    CPropertyBag criteria;
    criteria.Set(kSearchCriteriaState, PropertyValue::Long(0));
    MAPI_TRY(store.WritePc(MakeNid(NidType::SearchCriteriaObject, NidIndexOf(nid)), 0, criteria));
    auto contents = NewTable(store, ltp::TableKind::SearchContents);
    if (!contents)
        return contents.GetError();
    const Nid contentsNid = MakeNid(NidType::SearchContentsTable, NidIndexOf(nid));
    store.tables.AddNew(contentsNid, std::move(*contents));
    MAPI_TRY(store.tables.Write(*store.db, contentsNid, 0));
    auto hierarchy = store.tables.Get(*store.db, HierarchyTableOf(SpecialNid::RootFolder));
    if (!hierarchy)
        return hierarchy.GetError();
    CPropertyBag cells = pc;
    cells.Set(PR_LTP_ROW_VER, PropertyValue::Long(1));
    MAPI_TRY(FromLtp((*hierarchy)->AppendRow(nid, cells), "root hierarchy table"));
    return store.tables.Write(*store.db, HierarchyTableOf(SpecialNid::RootFolder), 0);
}

Result<void> WriteSearchObjects(CStore::Impl& store)
{
    for (Nid nid : {SpecialNid::SearchManagementQueue, SpecialNid::SearchDomainObject, SpecialNid::SearchGathererQueue,
                    SpecialNid::SearchGathererDescriptor, SpecialNid::SearchGathererFolderQueue})
        MAPI_TRY(WriteEmptyNode(*store.db, nid));
    // The search activity list names the search folders being kept up to date.
    Bytes activity(4);
    for (int i = 0; i < 4; ++i)
        activity[i] = static_cast<std::uint8_t>(layout::kSpamSearchFolder >> (8 * i));
    return store.db->WriteNode(SpecialNid::SearchActivityList, 0, NodeContent{{activity}, {}});
}

Result<void> WriteMessageStore(CStore::Impl& store, const std::u16string& displayName)
{
    CPropertyBag pc;
    pc.Set(PR_RECORD_KEY, PropertyValue::Binary(store.recordKey));
    pc.Set(PR_DISPLAY_NAME, PropertyValue::Unicode(displayName));
    pc.Set(PR_IPM_SUBTREE_ENTRYID, PropertyValue::Binary(store.EntryId(layout::kIpmSubtree)));
    pc.Set(PR_IPM_WASTEBASKET_ENTRYID, PropertyValue::Binary(store.EntryId(layout::kDeletedItems)));
    pc.Set(PR_FINDER_ENTRYID, PropertyValue::Binary(store.EntryId(layout::kSearchRoot)));
    pc.Set(PR_VALID_FOLDER_MASK,
           PropertyValue::Long(kFolderIpmSubtreeValid | kFolderIpmWastebasketValid | kFolderFinderValid));
    pc.Set(PR_PST_PASSWORD, PropertyValue::Long(0));
    return store.WritePc(SpecialNid::MessageStore, 0, pc);
}

} // namespace

Result<void> PopulateNewStore(CStore::Impl& store, const std::u16string& displayName)
{
    store.recordKey = NewRecordKey();
    store.names = ltp::CNameIdMap();
    for (const NamedTag* tag : kFirstNames)
        MAPI_TRY(FromLtp(store.names->GetOrAdd(tag->name), "name-to-id map"));
    MAPI_TRY(store.WritePc(SpecialNid::NameToIdMap, 0, store.names->ToBag()));
    MAPI_TRY(WriteTemplates(store));
    MAPI_TRY(WriteNewFolder(store, SpecialNid::RootFolder, SpecialNid::RootFolder, NewFolderPc({}, {})));
    // Folders take NIDs from the store's counter, so that later folders never
    // collide with them; these come out as Outlook numbers them.
    const std::pair<Nid, Nid> folders[] = {{layout::kIpmSubtree, SpecialNid::RootFolder},
                                           {layout::kSearchRoot, SpecialNid::RootFolder},
                                           {layout::kDeletedItems, layout::kIpmSubtree}};
    const std::u16string names[] = {layout::kIpmSubtreeName, layout::kSearchRootName, layout::kDeletedItemsName};
    const std::u16string classes[] = {{}, {}, u"IPF.Note"};
    for (std::size_t i = 0; i < 3; ++i) {
        auto nid = store.db->AllocateNid(NidType::NormalFolder);
        if (!nid)
            return nid.GetError();
        if (*nid != folders[i].first)
            return MakeError("a new store numbered its folders unexpectedly");
        MAPI_TRY(WriteNewFolder(store, *nid, folders[i].second, NewFolderPc(names[i], classes[i])));
    }
    MAPI_TRY(WriteSpamSearchFolder(store));
    MAPI_TRY(WriteSearchObjects(store));
    return WriteMessageStore(store, displayName);
}

} // namespace mapi::message
