#include "ServerMachine.h"

#include "afx/OleDispatchDriver.h"
#include "ole/DateText.h"
#include "ole/Variant.h"
#include "win32/FileApi.h"
#include "win32/Module.h"
#include "win32/Registry.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

class RegistrationChain : public ServerMachine {
protected:
    void SetUp() override
    {
        ServerMachine::SetUp();
        InstallRegsvr32();
    }

    // The argument the conversion builds: "/s " and the short path.
    std::u16string SilentArgument(const WCHAR* path)
    {
        WCHAR shortPath[MAX_PATH] = {};
        if (!GetShortPathNameW(path, shortPath, MAX_PATH))
            return std::u16string(u"/s ") + path;
        return std::u16string(u"/s ") + shortPath;
    }

    void ExpectUnregistered()
    {
        CLSID clsid;
        EXPECT_EQ(CLSIDFromProgID(kTestServerProgId, &clsid), CO_E_CLASSSTRING);
        IDispatch* object = nullptr;
        EXPECT_EQ(CreateTestObject(&object), REGDB_E_CLASSNOTREG);
        EXPECT_EQ(object, nullptr);
        COleDispatchDriver driver;
        COleException error;
        EXPECT_FALSE(driver.CreateDispatch(kTestServerProgId, &error));
        EXPECT_EQ(error.m_sc, CO_E_CLASSSTRING);
        EXPECT_EQ(driver.m_lpDispatch, nullptr);
    }

    std::u16string RegisteredServerPath()
    {
        HKEY key = nullptr;
        std::u16string keyName = u"CLSID\\" + ole::GuidText(kTestServerClsid) + u"\\InprocServer32";
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {};
        WCHAR value[MAX_PATH] = {};
        DWORD bytes = sizeof value;
        DWORD type = 0;
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(value), &bytes);
        RegCloseKey(key);
        return value;
    }
};

TEST_F(RegistrationChain, Regsvr32RegistersTheServerAndTheNextCreationWorks)
{
    InstallServer();
    ExpectUnregistered();

    EXPECT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), 0);

    EXPECT_EQ(RegisteredServerPath(), kServerPath);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(kTestServerProgId, &clsid), S_OK);
    EXPECT_EQ(clsid, kTestServerClsid);
    COleDispatchDriver driver;
    ASSERT_TRUE(driver.CreateDispatch(kTestServerProgId));
    std::u16string echoed;
    static const BYTE kinds[] = VTS_BSTR;
    driver.InvokeHelper(kDispEcho, DISPATCH_METHOD, VT_BSTR, &echoed, kinds, u"through the chain");
    EXPECT_EQ(echoed, u"through the chain");
}

TEST_F(RegistrationChain, UnregisterTakesTheClassAway)
{
    InstallServer();
    ASSERT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    EXPECT_EQ(SpawnRegsvr32(u"/u " + SilentArgument(kServerPath)), 0);
    ExpectUnregistered();
    EXPECT_EQ(RegisteredServerPath(), u"");
}

TEST_F(RegistrationChain, AMissingFileLeavesTheClassUnregistered)
{
    EXPECT_EQ(_waccess(kServerPath, 0), -1);
    EXPECT_NE(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    ExpectUnregistered();
}

TEST_F(RegistrationChain, ARegisteredClassWhoseFileIsGoneFailsToCreate)
{
    InstallServer();
    ASSERT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    ASSERT_TRUE(DeleteFileW(kServerPath));
    IDispatch* object = nullptr;
    EXPECT_EQ(CreateTestObject(&object), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    COleDispatchDriver driver;
    EXPECT_FALSE(driver.CreateDispatch(kTestServerProgId));
}

TEST_F(RegistrationChain, AServerFileRemovedAfterACreationIsMissedAndFoundAgainOnceBack)
{
    InstallServer();
    ASSERT_EQ(RegisterInProcess(kServerPath), S_OK);
    IDispatch* object = nullptr;
    ASSERT_EQ(CreateTestObject(&object), S_OK);
    object->Release();

    ASSERT_TRUE(DeleteFileW(kServerPath));
    object = nullptr;
    EXPECT_EQ(CreateTestObject(&object), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(object, nullptr);

    InstallServer();
    ASSERT_EQ(CreateTestObject(&object), S_OK);
    object->Release();
}

TEST_F(RegistrationChain, ARegistrationMovedToAnotherFileIsFollowed)
{
    InstallServer();
    ASSERT_EQ(RegisterInProcess(kServerPath), S_OK);
    IDispatch* object = nullptr;
    ASSERT_EQ(CreateTestObject(&object), S_OK);
    object->Release();

    // The same server registered again from another folder, then the first
    // file taken away: creations follow the registry.
    const WCHAR* movedPath = u"C:\\Program Files\\Moved\\TestServer.dll";
    Install(TEST_SERVER_FILE, movedPath);
    ASSERT_EQ(RegisterInProcess(movedPath), S_OK);
    EXPECT_EQ(RegisteredServerPath(), movedPath);
    ASSERT_TRUE(DeleteFileW(kServerPath));
    ASSERT_EQ(CreateTestObject(&object), S_OK);
    object->Release();

    ASSERT_TRUE(DeleteFileW(movedPath));
    EXPECT_EQ(CreateTestObject(&object), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
}

// Creations keep what they read of the registry only while no process
// changes it: each creation below follows what another process registered
// since the last one, the class's server moved, then taken away.
TEST_F(RegistrationChain, EveryCreationFollowsWhatAnotherProcessRegisteredSinceTheLast)
{
    InstallServer();
    ASSERT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    for (int i = 0; i < 3; ++i) {
        IDispatch* object = nullptr;
        ASSERT_EQ(CreateTestObject(&object), S_OK);
        object->Release();
    }

    const WCHAR* movedPath = u"C:\\Program Files\\Moved\\TestServer.dll";
    Install(TEST_SERVER_FILE, movedPath);
    ASSERT_EQ(SpawnRegsvr32(SilentArgument(movedPath)), 0);
    ASSERT_TRUE(DeleteFileW(kServerPath));
    IDispatch* object = nullptr;
    ASSERT_EQ(CreateTestObject(&object), S_OK) << "the server's new file, as registered by regsvr32";
    object->Release();

    ASSERT_EQ(SpawnRegsvr32(u"/u " + SilentArgument(movedPath)), 0);
    ExpectUnregistered();
}

TEST_F(RegistrationChain, ALibraryPathLongerThanAPathBufferIsReadWhole)
{
    InstallServer();
    ASSERT_EQ(RegisterInProcess(kServerPath), S_OK);
    // The same file named through a path of more than MAX_PATH characters.
    std::u16string longPath = u"C:\\Program Files";
    while (longPath.size() < 300)
        longPath += u"\\.";
    longPath += u"\\Pellinor\\TestServer.dll";
    const std::u16string keyName = u"CLSID\\" + ole::GuidText(kTestServerClsid) + u"\\InprocServer32";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(longPath.c_str()),
                             static_cast<DWORD>((longPath.size() + 1) * sizeof(WCHAR))),
              ERROR_SUCCESS);
    RegCloseKey(key);

    IDispatch* object = nullptr;
    ASSERT_EQ(CreateTestObject(&object), S_OK);
    object->Release();
}

TEST_F(RegistrationChain, AReadOnlyClassesRootMakesRegistrationFail)
{
    InstallServer();
    ::setenv("MARLWICK_REGISTRY_READONLY", "HKEY_CLASSES_ROOT", 1);
    EXPECT_NE(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    ::unsetenv("MARLWICK_REGISTRY_READONLY");
    ExpectUnregistered();
}

TEST_F(RegistrationChain, AThreadWithoutCoInitializeCannotCreate)
{
    InstallServer();
    ASSERT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), 0);
    HRESULT bare = S_OK;
    BOOL afterInit = FALSE;
    std::thread([&] {
        COleDispatchDriver driver;
        COleException error;
        if (!driver.CreateDispatch(kTestServerProgId, &error))
            bare = error.m_sc;
        CoInitialize(nullptr);
        afterInit = driver.CreateDispatch(kTestServerProgId);
        driver.ReleaseDispatch();
        CoUninitialize();
    }).join();
    EXPECT_EQ(bare, CO_E_NOTINITIALIZED);
    EXPECT_TRUE(afterInit);
}

TEST_F(RegistrationChain, AMissingRegsvr32IsReported)
{
    InstallServer();
    ASSERT_TRUE(DeleteFileW(kRegsvr32Path));
    EXPECT_EQ(SpawnRegsvr32(SilentArgument(kServerPath)), -1);
    ExpectUnregistered();
}

// The test server's members, called through the driver once it is registered.
class TestServerCalls : public ServerMachine {
protected:
    void SetUp() override
    {
        ServerMachine::SetUp();
        InstallServer();
        ASSERT_EQ(RegisterInProcess(kServerPath), S_OK);
        ASSERT_TRUE(m_server.CreateDispatch(kTestServerProgId));
    }
    void TearDown() override
    {
        m_server.ReleaseDispatch();
        ServerMachine::TearDown();
    }
    COleDispatchDriver m_server;
};

TEST_F(TestServerCalls, PropertyPutThenGetKeepsTheValue)
{
    m_server.SetProperty(kDispValue, VT_I4, 41);
    LONG value = 0;
    m_server.GetProperty(kDispValue, VT_I4, &value);
    EXPECT_EQ(value, 41);
    m_server.SetProperty(kDispValue, VT_BSTR, u"12/01/2026");
    DATE date = 0;
    m_server.GetProperty(kDispValue, VT_DATE, &date);
    EXPECT_DOUBLE_EQ(date, ole::MakeDate(2026, 1, 12));
}

TEST_F(TestServerCalls, MissingOptionalArgumentsAreSeenAsMissing)
{
    VARIANT path = ole::MakeString(u"C:\\a.txt");
    VARIANT missing = ole::MakeMissing();
    LONG present = -1;
    static const BYTE kinds[] = VTS_VARIANT VTS_VARIANT VTS_VARIANT VTS_VARIANT;
    m_server.InvokeHelper(kDispCountPresent, DISPATCH_METHOD, VT_I4, &present, kinds, &path, &missing, &missing,
                          &missing);
    EXPECT_EQ(present, 1);
    VariantClear(&path);
}

TEST_F(TestServerCalls, ApplicationErrorsArriveAsDispatchExceptions)
{
    try {
        m_server.InvokeHelper(kDispFail, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_scError, kTestServerFailure);
        EXPECT_EQ(e.m_strDescription, u"The test object refused the call");
        EXPECT_EQ(e.m_strSource, kTestServerProgId);
    }
    EXPECT_THROW(m_server.InvokeHelper(0x999, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr), COleException);
    static const BYTE oneNumber[] = VTS_I4;
    EXPECT_THROW(m_server.InvokeHelper(kDispSum, DISPATCH_METHOD, VT_I4, nullptr, oneNumber, 1), COleException);
}

TEST_F(TestServerCalls, ObjectsAndReferencesComeBack)
{
    LPDISPATCH child = nullptr;
    m_server.InvokeHelper(kDispChild, DISPATCH_METHOD, VT_DISPATCH, &child, nullptr);
    ASSERT_NE(child, nullptr);
    COleDispatchDriver childDriver(child);
    LONG sum = 0;
    static const BYTE twoNumbers[] = VTS_I4 VTS_BSTR;
    childDriver.InvokeHelper(kDispSum, DISPATCH_METHOD, VT_I4, &sum, twoNumbers, 40, u"2");
    EXPECT_EQ(sum, 42);

    BSTR text = SysAllocString(u"before");
    SHORT number = 0;
    static const BYTE refs[] = VTS_PBSTR VTS_PI2;
    m_server.InvokeHelper(kDispFill, DISPATCH_METHOD, VT_EMPTY, nullptr, refs, &text, &number);
    EXPECT_EQ(std::u16string(text), u"filled");
    EXPECT_EQ(number, 7);
    SysFreeString(text);
}

TEST_F(TestServerCalls, ServersInOneProcessShareTheCodeTheyHaveInCommon)
{
    const WCHAR* otherPath = u"C:\\Program Files\\Pellinor\\OtherServer.dll";
    Install(OTHER_SERVER_FILE, otherPath);
    ASSERT_EQ(RegisterInProcess(otherPath), S_OK);
    COleDispatchDriver other;
    ASSERT_TRUE(other.CreateDispatch(kOtherServerProgId));

    // Each test loads fresh copies, so the value is made unique to this run.
    LONG stamp = static_cast<LONG>(::getpid() % 100000) + 17;
    m_server.SetProperty(kDispShared, VT_I4, stamp);
    LONG seen = 0;
    other.GetProperty(kDispShared, VT_I4, &seen);
    EXPECT_EQ(seen, stamp);
    other.SetProperty(kDispShared, VT_I4, stamp + 1);
    m_server.GetProperty(kDispShared, VT_I4, &seen);
    EXPECT_EQ(seen, stamp + 1);
}

} // namespace
