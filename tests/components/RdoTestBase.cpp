#include "RdoTestBase.h"

#include "components/ProfileStores.h"
#include "win32/WideString.h"

namespace componenttest {

void RdoMachine::SetUp()
{
    ComponentMachine::SetUp();
    RegisterComponents();
    std::filesystem::create_directories(Host(u"C:\\Mail"));
    components::AddProfileStore(kTargetPst, u"Archive");
}

void RdoMachine::NewSession(COleDispatchDriver& session)
{
    ASSERT_TRUE(Create(session, components::kRdoSessionClass));
    Logon(session);
}

void RdoMachine::Logon(COleDispatchDriver& session)
{
    VARIANT empty;
    VariantInit(&empty);
    session.InvokeHelper(4, DISPATCH_METHOD, VT_EMPTY, nullptr,
                         Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &empty, &empty,
                         &empty, &empty, &empty, &empty);
}

void RdoMachine::FolderFromPath(COleDispatchDriver& session, const char16_t* path, COleDispatchDriver& folder)
{
    LPDISPATCH found = nullptr;
    session.InvokeHelper(0x60020016, DISPATCH_METHOD, VT_DISPATCH, &found, Params(VTS_BSTR), path);
    folder.AttachDispatch(found);
}

void RdoMachine::ObjectProperty(COleDispatchDriver& from, DISPID member, COleDispatchDriver& into)
{
    LPDISPATCH object = nullptr;
    from.InvokeHelper(member, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, nullptr);
    into.AttachDispatch(object);
}

void RdoMachine::AddFolder(COleDispatchDriver& folders, const char16_t* name, LONG kind)
{
    ole::CVariant kindValue;
    static_cast<VARIANT&>(kindValue) = ole::MakeLong(kind);
    LPDISPATCH made = nullptr;
    folders.InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &made, Params(VTS_BSTR VTS_VARIANT), name, &kindValue);
    COleDispatchDriver dropped(made);
}

void RdoMachine::AddTopFolder(const char16_t* name, LONG kind)
{
    COleDispatchDriver session, root, folders;
    NewSession(session);
    FolderFromPath(session, u"\\\\Archive", root);
    ObjectProperty(root, 0x12, folders);
    AddFolder(folders, name, kind);
}

void RdoMachine::NewItem(const char16_t* folderPath, LONG kind, COleDispatchDriver& item)
{
    COleDispatchDriver session, folder, items;
    NewSession(session);
    FolderFromPath(session, folderPath, folder);
    ObjectProperty(folder, 0x11, items);
    ole::CVariant kindValue;
    static_cast<VARIANT&>(kindValue) = ole::MakeLong(kind);
    LPDISPATCH made = nullptr;
    items.InvokeHelper(4, DISPATCH_METHOD, VT_DISPATCH, &made, Params(VTS_VARIANT), &kindValue);
    item.AttachDispatch(made);
}

void RdoMachine::Save(COleDispatchDriver& item)
{
    item.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

void RdoMachine::AddAttachment(COleDispatchDriver& item, const char16_t* path)
{
    COleDispatchDriver attachments;
    ObjectProperty(item, 0x49, attachments);
    ole::CVariant source, missing;
    static_cast<VARIANT&>(source) = ole::MakeString(path);
    static_cast<VARIANT&>(missing) = ole::MakeMissing();
    LPDISPATCH added = nullptr;
    attachments.InvokeHelper(0x65, DISPATCH_METHOD, VT_DISPATCH, &added,
                             Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &source, &missing, &missing,
                             &missing);
    COleDispatchDriver released(added);
}

std::vector<mapi::CMessage> RdoMachine::ItemsIn(const char16_t* folderName)
{
    m_reopened = Reopen();
    auto folder = FolderBelowTop(m_reopened, {folderName});
    EXPECT_TRUE(folder) << "no folder " << Utf16ToUtf8(folderName);
    return folder ? MessagesOf(*folder) : std::vector<mapi::CMessage>{};
}

} // namespace componenttest
