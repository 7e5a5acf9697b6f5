#include "OutlookDispatch.h"

#include "DispatchParams.h"
#include "ole/Variant.h"

namespace {

enum : DISPID {
    kGetNamespace = 0x110,
    kQuit = 0x113,
    kFolders = 0x2103,
    kLogon = 0x2105,
    kAddStore = 0x2119,
    kGetLast = 0x58,
    kName = 0x3001,
};

} // namespace

LPDISPATCH OutlookApplication_GetNamespace(COleDispatchDriver& application, LPCWSTR type)
{
    LPDISPATCH nameSpace = nullptr;
    application.InvokeHelper(kGetNamespace, DISPATCH_METHOD, VT_DISPATCH, &nameSpace, Params(VTS_BSTR), type);
    return nameSpace;
}

void OutlookApplication_Quit(COleDispatchDriver& application)
{
    application.InvokeHelper(kQuit, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void OutlookNameSpace_Logon(COleDispatchDriver& nameSpace)
{
    ole::CVariant profile, password, showDialog, newSession;
    nameSpace.InvokeHelper(kLogon, DISPATCH_METHOD, VT_EMPTY, nullptr,
                           Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &profile, &password, &showDialog,
                           &newSession);
}

void OutlookNameSpace_AddStore(COleDispatchDriver& nameSpace, LPCWSTR pstPath)
{
    ole::CVariant store;
    static_cast<VARIANT&>(store) = ole::MakeString(pstPath ? pstPath : u"");
    nameSpace.InvokeHelper(kAddStore, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(VTS_VARIANT), &store);
}

LPDISPATCH OutlookNameSpace_GetFolders(COleDispatchDriver& nameSpace)
{
    LPDISPATCH folders = nullptr;
    nameSpace.InvokeHelper(kFolders, DISPATCH_PROPERTYGET, VT_DISPATCH, &folders, nullptr);
    return folders;
}

LPDISPATCH OutlookFolders_GetLast(COleDispatchDriver& folders)
{
    LPDISPATCH folder = nullptr;
    folders.InvokeHelper(kGetLast, DISPATCH_METHOD, VT_DISPATCH, &folder, nullptr);
    return folder;
}

std::u16string OutlookFolder_GetName(COleDispatchDriver& folder)
{
    std::u16string name;
    folder.InvokeHelper(kName, DISPATCH_PROPERTYGET, VT_BSTR, &name, nullptr);
    return name;
}
