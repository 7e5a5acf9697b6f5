// A machine with the test server and regsvr32 laid out as the installer
// lays the system's components: the library in the install folder (whose
// path holds a blank), regsvr32.exe in the system folder.
#pragma once

#include "TestServerIds.h"

#include "ole/Com.h"
#include "testsupport/MachineFixture.h"
#include "win32/Module.h"
#include "win32/Spawn.h"

#include <filesystem>

inline constexpr const WCHAR* kInstallDir = u"C:\\Program Files\\Pellinor";
inline constexpr const WCHAR* kServerPath = u"C:\\Program Files\\Pellinor\\TestServer.dll";
inline constexpr const WCHAR* kRegsvr32Path = u"C:\\Windows\\System32\\regsvr32.exe";

class ServerMachine : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    }

    void TearDown() override
    {
        CoUninitialize();
        MachineFixture::TearDown();
    }

    void Install(const char* builtFile, std::u16string_view windowsPath)
    {
        std::filesystem::path target = Host(windowsPath);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(builtFile, target, std::filesystem::copy_options::overwrite_existing);
    }

    void InstallServer() { Install(TEST_SERVER_FILE, kServerPath); }
    void InstallRegsvr32() { Install(REGSVR32_FILE, kRegsvr32Path); }

    // Runs regsvr32.exe as the conversion does: one argument holding the
    // flags and the path, then an empty one, joined unquoted.
    intptr_t SpawnRegsvr32(const std::u16string& argument)
    {
        return _wspawnl(_P_WAIT, kRegsvr32Path, kRegsvr32Path, argument.c_str(), u"", nullptr);
    }

    // Registers a library from this process, as regsvr32 does.
    HRESULT RegisterInProcess(const WCHAR* path)
    {
        HMODULE module = LoadLibraryW(path);
        if (!module)
            return HRESULT_FROM_WIN32(GetLastError());
        auto entry = reinterpret_cast<DllRegisterServerFunction>(GetProcAddress(module, "DllRegisterServer"));
        return entry ? entry() : CO_E_ERRORINDLL;
    }

    HRESULT CreateTestObject(IDispatch** object)
    {
        return CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(object));
    }
};
