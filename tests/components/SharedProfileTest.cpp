// The three components share one profile in a process: the store that
// Outlook opens on the dialog's thread is the store that Brenmoor and the
// RDO sessions reach on the conversion's worker thread.
#include "RdoTestBase.h"

#include <thread>

namespace componenttest {
namespace {

class SharedProfileTest : public RdoMachine {};

TEST_F(SharedProfileTest, TheStoreOutlookOpenedIsTheOneTheWorkerWritesInto)
{
    mapi::CMailProfile::Default().CloseAll(); // the target exists from an earlier run
    COleDispatchDriver outlook, nameSpace, folders, root;
    ASSERT_TRUE(Create(outlook, components::kOutlookClass));
    LPDISPATCH object = nullptr;
    outlook.InvokeHelper(0x110, DISPATCH_METHOD, VT_DISPATCH, &object, Params(VTS_BSTR), u"MAPI");
    nameSpace.AttachDispatch(object);
    ole::CVariant path;
    static_cast<VARIANT&>(path) = ole::MakeString(kTargetPst);
    nameSpace.InvokeHelper(0x2119, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(VTS_VARIANT), &path);
    ObjectProperty(nameSpace, 0x2103, folders);
    folders.InvokeHelper(0x58, DISPATCH_METHOD, VT_DISPATCH, &object, nullptr);
    root.AttachDispatch(object);
    std::u16string target;
    root.GetProperty(0x3001, VT_BSTR, &target);
    ASSERT_EQ(target, u"Archive");

    std::string failure;
    std::thread worker([&] {
        CoInitialize(nullptr);
        try {
            COleDispatchDriver brenmoor;
            if (!Create(brenmoor, components::kBrenmoorClass))
                throw std::runtime_error("no Brenmoor");
            brenmoor.InvokeHelper(0x6003002A, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
            BSTR pst = SysAllocString(kTargetPst), name = SysAllocString(target.c_str());
            std::u16string discarded;
            brenmoor.InvokeHelper(0x6003002B, DISPATCH_METHOD, VT_BSTR, &discarded, Params(VTS_PBSTR VTS_PBSTR), &pst,
                                  &name);
            SysFreeString(pst);
            SysFreeString(name);
            COleDispatchDriver session, top, subfolders, item;
            NewSession(session);
            FolderFromPath(session, (u"\\\\" + target).c_str(), top);
            ObjectProperty(top, 0x12, subfolders);
            AddFolder(subfolders, u"Contacts", 10);
            NewItem(u"\\\\Archive\\Contacts", 2, item);
            item.InvokeHelper(0x60040051, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_BSTR), u"Ann Lee");
            Save(item);
        } catch (const CException&) {
            failure = "a component call failed on the worker";
        } catch (const std::exception& error) {
            failure = error.what();
        }
        CoUninitialize();
    });
    worker.join();
    ASSERT_EQ(failure, "");
    EXPECT_EQ(mapi::CMailProfile::Default().GetStores().size(), 1u);
    auto contacts = ItemsIn(u"Contacts");
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].GetString(0x3001001F), u"Ann Lee");
}

} // namespace
} // namespace componenttest
