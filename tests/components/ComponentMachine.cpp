#include "ComponentMachine.h"

#include "ole/ServerRegistration.h"
#include "win32/FileApi.h"
#include "win32/Registry.h"
#include "win32/Spawn.h"

#include <cstdlib>
#include <ctime>

namespace componenttest {

void ComponentMachine::SetUp()
{
    // Local times are UTC here unless a test says otherwise.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    MachineFixture::SetUp();
    std::string error;
    ASSERT_TRUE(install::InstallMachine({m_root, MARLWICK_PROGRAMS_DIR, MARLWICK_RESOURCES_DIR}, &error)) << error;
    mapi::CMailProfile::Default().CloseAll();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
}

void ComponentMachine::TearDown()
{
    CoUninitialize();
    mapi::CMailProfile::Default().CloseAll();
    MachineFixture::TearDown();
}

std::u16string ComponentMachine::InstalledFile(const char16_t* fileName) const
{
    return std::u16string(kInstallDir) + u"\\" + fileName;
}

int ComponentMachine::Regsvr32(const char16_t* fileName, bool unregister)
{
    std::u16string path = InstalledFile(fileName);
    WCHAR shortPath[MAX_PATH] = {};
    if (GetShortPathNameW(path.c_str(), shortPath, MAX_PATH))
        path = shortPath;
    std::u16string argument = (unregister ? u"/u /s " : u"/s ") + path;
    const char16_t* regsvr32 = u"C:\\Windows\\System32\\regsvr32.exe";
    return static_cast<int>(_wspawnl(_P_WAIT, regsvr32, regsvr32, argument.c_str(), u"", nullptr));
}

void ComponentMachine::RegisterComponents()
{
    ASSERT_EQ(Regsvr32(components::kRdoFileName), 0);
    ASSERT_EQ(Regsvr32(components::kBrenmoorFileName), 0);
}

void ComponentMachine::RemoveDefaultProfile()
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, components::kProfilesKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, components::kDefaultProfileValue);
    RegCloseKey(key);
}

void ComponentMachine::UnregisterOutlook()
{
    ASSERT_EQ(ole::UnregisterServerClass(components::kOutlookClass), S_OK);
}

bool ComponentMachine::Registered(const ole::ServerClass& serverClass)
{
    CLSID clsid;
    return SUCCEEDED(CLSIDFromProgID(serverClass.progId, &clsid)) && clsid == serverClass.clsid;
}

BOOL ComponentMachine::Create(COleDispatchDriver& driver, const ole::ServerClass& serverClass, SCODE* why)
{
    COleException error;
    BOOL made = driver.CreateDispatch(serverClass.progId, &error);
    if (why)
        *why = made ? S_OK : error.m_sc;
    return made;
}

} // namespace componenttest
