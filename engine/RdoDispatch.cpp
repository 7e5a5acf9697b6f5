#include "RdoDispatch.h"

#include "DispatchParams.h"
#include "ole/Variant.h"

namespace {

enum : DISPID {
    kSessionLogon = 4,
    kSessionGetFolderFromPath = 0x60020016,
    kFolderFolders = 0x12,
    kFolderItems = 0x11,
    kCollectionAdd = 4,
    kItemAttachments = 0x49,
    kAttachmentsAdd = 0x65,
    kSave = 6,
    kProperty41 = 0x41,
};

LPDISPATCH GetObject(COleDispatchDriver& owner, DISPID property)
{
    LPDISPATCH object = nullptr;
    owner.InvokeHelper(property, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
    return object;
}

// An optional argument left out.
VARIANT MissingArgument()
{
    return ole::MakeMissing();
}

} // namespace

void RdoSession_Logon(COleDispatchDriver& session)
{
    ole::CVariant a, b, c, d, e, f;
    session.InvokeHelper(kSessionLogon, DISPATCH_METHOD, VT_EMPTY, nullptr,
                         Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &a, &b, &c,
                         &d, &e, &f);
}

LPDISPATCH RdoSession_GetFolderFromPath(COleDispatchDriver& session, LPCWSTR path)
{
    LPDISPATCH folder = nullptr;
    session.InvokeHelper(kSessionGetFolderFromPath, DISPATCH_METHOD, VT_DISPATCH, &folder, Params(VTS_BSTR), path);
    return folder;
}

LPDISPATCH RdoObject_Get12(COleDispatchDriver& folder)
{
    return GetObject(folder, kFolderFolders);
}

void RdoFolders_Add(COleDispatchDriver& folders, LPCWSTR name, LONG kind)
{
    ole::CVariant kindValue;
    static_cast<VARIANT&>(kindValue) = ole::MakeLong(kind);
    ole::CVariant ignored;
    folders.InvokeHelper(kCollectionAdd, DISPATCH_METHOD, VT_VARIANT, &ignored, Params(VTS_BSTR VTS_VARIANT), name,
                         &kindValue);
}

LPDISPATCH RdoFolder_GetItems(COleDispatchDriver& folder)
{
    return GetObject(folder, kFolderItems);
}

LPDISPATCH RdoItems_Add(COleDispatchDriver& items, LONG kind)
{
    ole::CVariant kindValue;
    static_cast<VARIANT&>(kindValue) = ole::MakeLong(kind);
    LPDISPATCH item = nullptr;
    items.InvokeHelper(kCollectionAdd, DISPATCH_METHOD, VT_DISPATCH, &item, Params(VTS_VARIANT), &kindValue);
    return item;
}

LPDISPATCH RdoItem_GetAttachments(COleDispatchDriver& item)
{
    return GetObject(item, kItemAttachments);
}

void RdoAttachments_Add(COleDispatchDriver& attachments, LPCWSTR filePath)
{
    ole::CVariant file, type, position, displayName;
    static_cast<VARIANT&>(file) = ole::MakeString(filePath ? filePath : u"");
    static_cast<VARIANT&>(type) = MissingArgument();
    static_cast<VARIANT&>(position) = MissingArgument();
    static_cast<VARIANT&>(displayName) = MissingArgument();
    ole::CVariant ignored;
    attachments.InvokeHelper(kAttachmentsAdd, DISPATCH_METHOD, VT_VARIANT, &ignored,
                             Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &file, &type, &position,
                             &displayName);
}

void RdoItem_Call6(COleDispatchDriver& item)
{
    item.InvokeHelper(kSave, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void RdoItem_Put41(COleDispatchDriver& item, BOOL value)
{
    item.SetProperty(kProperty41, VT_BOOL, value);
}

void RdoObject_Method6(COleDispatchDriver& folder)
{
    folder.InvokeHelper(kSave, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}
