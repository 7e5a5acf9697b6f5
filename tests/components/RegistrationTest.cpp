// The registration chain of the components on a freshly installed machine.
#include "ComponentMachine.h"

#include "win32/FileApi.h"
#include "win32/Module.h"

#include <thread>

namespace componenttest {
namespace {

class Registration : public ComponentMachine {};

TEST_F(Registration, TheComponentsLieUnregisteredUntilRegsvr32RegistersThem)
{
    for (const auto& [serverClass, file] : {std::pair{&components::kRdoSessionClass, components::kRdoFileName},
                                            std::pair{&components::kBrenmoorClass, components::kBrenmoorFileName}}) {
        SCOPED_TRACE(Utf16ToUtf8(file));
        EXPECT_TRUE(std::filesystem::exists(Host(InstalledFile(file))));
        EXPECT_FALSE(Registered(*serverClass));
        COleDispatchDriver before;
        SCODE why = S_OK;
        EXPECT_FALSE(Create(before, *serverClass, &why));
        EXPECT_EQ(why, CO_E_CLASSSTRING);

        EXPECT_EQ(Regsvr32(file), 0);
        EXPECT_TRUE(Registered(*serverClass));
        COleDispatchDriver after;
        EXPECT_TRUE(Create(after, *serverClass));
        EXPECT_NE(after.m_lpDispatch, nullptr);
    }
}

TEST_F(Registration, OutlookIsRegisteredAsInstalledAndAMachineWithoutItCannotCreateIt)
{
    EXPECT_TRUE(Registered(components::kOutlookClass));
    COleDispatchDriver outlook;
    EXPECT_TRUE(Create(outlook, components::kOutlookClass));

    UnregisterOutlook();
    COleDispatchDriver missing;
    SCODE why = S_OK;
    EXPECT_FALSE(Create(missing, components::kOutlookClass, &why));
    EXPECT_EQ(why, CO_E_CLASSSTRING);
}

TEST_F(Registration, AMissingFileIsNotRegisteredAndItsClassStaysMissing)
{
    ASSERT_TRUE(DeleteFileW(InstalledFile(components::kBrenmoorFileName).c_str()));
    EXPECT_NE(Regsvr32(components::kBrenmoorFileName), 0);
    EXPECT_FALSE(Registered(components::kBrenmoorClass));
    COleDispatchDriver brenmoor;
    EXPECT_FALSE(Create(brenmoor, components::kBrenmoorClass));
}

TEST_F(Registration, ARegisteredFileThatIsGoneFailsTheCreation)
{
    RegisterComponents();
    ASSERT_TRUE(DeleteFileW(InstalledFile(components::kRdoFileName).c_str()));
    COleDispatchDriver session;
    SCODE why = S_OK;
    EXPECT_FALSE(Create(session, components::kRdoSessionClass, &why));
    EXPECT_EQ(why, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
}

TEST_F(Registration, Regsvr32UnregistersAComponent)
{
    RegisterComponents();
    EXPECT_EQ(Regsvr32(components::kRdoFileName, true), 0);
    EXPECT_FALSE(Registered(components::kRdoSessionClass));
    EXPECT_TRUE(Registered(components::kBrenmoorClass));
}

TEST_F(Registration, AThreadWithoutCoInitializeCannotCreate)
{
    RegisterComponents();
    SCODE without = S_OK;
    BOOL createdAfterInitialising = FALSE;
    std::thread worker([&] {
        COleDispatchDriver first;
        Create(first, components::kBrenmoorClass, &without);
        CoInitialize(nullptr);
        COleDispatchDriver second;
        createdAfterInitialising = Create(second, components::kBrenmoorClass);
        second.ReleaseDispatch();
        CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(without, CO_E_NOTINITIALIZED);
    EXPECT_TRUE(createdAfterInitialising);
}

} // namespace
} // namespace componenttest
