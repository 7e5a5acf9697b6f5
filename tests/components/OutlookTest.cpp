// Outlook driven as the progress dialog opens an existing PST, and as the
// converters probe it.
#include "ComponentMachine.h"

#include "components/ProfileStores.h"
#include "ole/Variant.h"

namespace componenttest {
namespace {

constexpr const char16_t* kPst = u"C:\\Mail\\archive.pst";

class OutlookTest : public ComponentMachine {
protected:
    void SetUp() override
    {
        ComponentMachine::SetUp();
        std::filesystem::create_directories(Host(u"C:\\Mail"));
        ASSERT_TRUE(Create(m_application, components::kOutlookClass));
        LPDISPATCH nameSpace = nullptr;
        m_application.InvokeHelper(0x110, DISPATCH_METHOD, VT_DISPATCH, &nameSpace, Params(VTS_BSTR), u"MAPI");
        m_nameSpace.AttachDispatch(nameSpace);
    }

    void Logon()
    {
        VARIANT empty;
        VariantInit(&empty);
        m_nameSpace.InvokeHelper(0x2105, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                 Params(VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT), &empty, &empty, &empty, &empty);
    }

    void AddStore(const char16_t* path)
    {
        ole::CVariant value;
        static_cast<VARIANT&>(value) = ole::MakeString(path);
        m_nameSpace.InvokeHelper(0x2119, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(VTS_VARIANT), &value);
    }

    // Folders, GetLast and Name: the name of the last store's top folder.
    std::u16string LastStoreName()
    {
        LPDISPATCH folders = nullptr;
        m_nameSpace.InvokeHelper(0x2103, DISPATCH_PROPERTYGET, VT_DISPATCH, &folders, nullptr);
        COleDispatchDriver foldersDriver(folders);
        LPDISPATCH root = nullptr;
        foldersDriver.InvokeHelper(0x58, DISPATCH_METHOD, VT_DISPATCH, &root, nullptr);
        COleDispatchDriver rootDriver(root);
        std::u16string name;
        rootDriver.GetProperty(0x3001, VT_BSTR, &name);
        return name;
    }

    COleDispatchDriver m_application;
    COleDispatchDriver m_nameSpace;
};

TEST_F(OutlookTest, OpeningAnExistingStoreGivesTheNameOfItsTopFolder)
{
    auto& profile = mapi::CMailProfile::Default();
    components::AddProfileStore(kPst, u"Archive 2024");
    profile.CloseAll(); // the store was made by an earlier run

    Logon();
    AddStore(u"c:\\mail\\ARCHIVE.pst");
    EXPECT_EQ(LastStoreName(), u"Archive 2024");
    ASSERT_EQ(profile.GetStores().size(), 1u);
    EXPECT_EQ(profile.GetStores()[0].path, Host(kPst));
}

TEST_F(OutlookTest, AddStoreMakesAMissingFileAndAStoreAlreadyOpenStaysWhereItIs)
{
    AddStore(kPst);
    EXPECT_TRUE(std::filesystem::exists(Host(kPst)));
    AddStore(u"c:\\mail\\SECOND.pst");
    auto& profile = mapi::CMailProfile::Default();
    ASSERT_TRUE(profile.SetRootName(profile.GetStores().back().store, u"Second").Ok());
    AddStore(u"C:\\Mail\\Archive.PST");

    EXPECT_EQ(profile.GetStores().size(), 2u);
    EXPECT_EQ(LastStoreName(), u"Second");
}

TEST_F(OutlookTest, LogonFailsOnAMachineWithoutAMailProfile)
{
    EXPECT_EQ(RaisedBy([&] { Logon(); }), S_OK);
    RemoveDefaultProfile();
    EXPECT_EQ(RaisedBy([&] { Logon(); }), components::kLogonFailed);
}

TEST_F(OutlookTest, AStoreThatCannotBeOpenedIsAnErrorAndLeavesTheProfileAlone)
{
    EXPECT_EQ(RaisedBy([&] { AddStore(u"C:\\Missing\\archive.pst"); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(RaisedBy([&] { AddStore(u"\\\\server\\share\\archive.pst"); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_TRUE(mapi::CMailProfile::Default().GetStores().empty());
    // With no store open there is no last folder.
    EXPECT_NE(RaisedBy([&] { LastStoreName(); }), S_OK);
}

TEST_F(OutlookTest, QuitEndsTheInstanceButTheStoresStayOpen)
{
    AddStore(kPst);
    COleDispatchDriver probe;
    ASSERT_TRUE(Create(probe, components::kOutlookClass));
    probe.InvokeHelper(0x113, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);

    EXPECT_EQ(RaisedBy([&] { LastStoreName(); }), static_cast<HRESULT>(0x80010108));
    COleDispatchDriver restarted;
    ASSERT_TRUE(Create(restarted, components::kOutlookClass));
    LPDISPATCH nameSpace = nullptr;
    restarted.InvokeHelper(0x110, DISPATCH_METHOD, VT_DISPATCH, &nameSpace, Params(VTS_BSTR), u"MAPI");
    m_nameSpace.AttachDispatch(nameSpace);
    EXPECT_EQ(LastStoreName(), u"Personal Folders");
}

TEST_F(OutlookTest, CallsOutsideTheObjectModelFail)
{
    EXPECT_EQ(RaisedBy([&] { m_application.InvokeHelper(0x111, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }),
              DISP_E_MEMBERNOTFOUND);
    LPDISPATCH other = nullptr;
    EXPECT_EQ(RaisedBy([&] {
                  m_application.InvokeHelper(0x110, DISPATCH_METHOD, VT_DISPATCH, &other, Params(VTS_BSTR), u"OTHER");
              }),
              E_INVALIDARG);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(RaisedBy([&] { m_nameSpace.InvokeHelper(0x2119, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }),
              DISP_E_BADPARAMCOUNT);
}

} // namespace
} // namespace componenttest
