// The lookup of message map entries and the routing of commands.
#include "afx/MessageMap.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage; ++entry) {
            // Notification codes travel in 16 bits (see OnCmdMsg); compare those.
            if (entry->nMessage == message && LOWORD(entry->nCode) == LOWORD(code) && entry->nID <= id
                && id <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void*)
{
    // A plain command or control notification comes as its code; others
    // (notifications, reflected ones) as MAKELONG(code, message).
    auto packed = static_cast<UINT>(nCode);
    UINT message = HIWORD(packed) ? HIWORD(packed) : WM_COMMAND;
    UINT code = LOWORD(packed);
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(GetMessageMap(), message, code, nID);
    if (!entry)
        return FALSE;
    AFX_MSGCALL call = {message, 0, 0, 0, pExtra, nID};
    return entry->pfn(this, call);
}
