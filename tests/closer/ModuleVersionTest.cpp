#include "testsupport/AnsiCodePage.h"
#include "win32/AnsiCase.h"
#include "win32/Module.h"
#include "win32/Psapi.h"
#include "win32/Version.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

class SystemModules : public ::testing::Test {
protected:
    void SetUp() override { win32::ResetSystemModules(); }
    void TearDown() override { win32::ResetSystemModules(); }
};

TEST_F(SystemModules, OnlyKernel32IsResidentAndLoadedLibrariesStayUntilTheLastFree)
{
    EXPECT_NE(GetModuleHandleA("kernel32"), nullptr);
    EXPECT_EQ(GetModuleHandleA("PSAPI.DLL"), nullptr);

    HMODULE first = LoadLibraryA("C:\\WINNT\\system32\\psapi.dll");
    HMODULE second = LoadLibraryA("PSAPI");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleA("Psapi.dll"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("PSAPI.DLL"), first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetModuleHandleA("PSAPI.DLL"), nullptr);
    EXPECT_FALSE(FreeLibrary(first));
}

TEST_F(SystemModules, ExportsAreFoundByTheirExactNameOnly)
{
    HMODULE psapi = LoadLibraryA("PSAPI.DLL");
    ASSERT_NE(psapi, nullptr);
    auto enumProcesses = reinterpret_cast<BOOL (*)(DWORD*, DWORD, LPDWORD)>(GetProcAddress(psapi, "EnumProcesses"));
    ASSERT_NE(enumProcesses, nullptr);
    DWORD ids[4] = {};
    DWORD bytes = 0;
    EXPECT_TRUE(enumProcesses(ids, sizeof ids, &bytes));
    EXPECT_GT(bytes, 0u);

    EXPECT_EQ(GetProcAddress(psapi, "enumprocesses"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(nullptr, "EnumProcesses"), nullptr);
    FreeLibrary(psapi);
}

TEST_F(SystemModules, ALibraryTakenAwayCannotBeLoaded)
{
    win32::UnregisterSystemModule("vdmdbg");
    EXPECT_EQ(LoadLibraryA("VDMDBG.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA("NOSUCH.DLL"), nullptr);
    win32::ResetSystemModules();
    HMODULE back = LoadLibraryA("VDMDBG.DLL");
    EXPECT_NE(back, nullptr);
    FreeLibrary(back);
}

class ReportedVersion : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("MARLWICK_WINVER"); }

    OSVERSIONINFOA Query()
    {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        EXPECT_TRUE(GetVersionExA(&info));
        return info;
    }
};

TEST_F(ReportedVersion, DefaultsToXpServicePack3)
{
    ::unsetenv("MARLWICK_WINVER");
    OSVERSIONINFOA info = Query();
    EXPECT_EQ(sizeof info, 148u);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 3");
}

TEST_F(ReportedVersion, TheEnvironmentNamesAnNtOr9xVersionAndAMalformedOneIsIgnored)
{
    ::setenv("MARLWICK_WINVER", "4.0.1381", 1);
    OSVERSIONINFOA nt4 = Query();
    EXPECT_EQ(nt4.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(nt4.dwMajorVersion, 4u);
    EXPECT_EQ(nt4.dwBuildNumber, 1381u);

    ::setenv("MARLWICK_WINVER", "9x 4.10.2222", 1);
    OSVERSIONINFOA win98 = Query();
    EXPECT_EQ(win98.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(win98.dwMinorVersion, 10u);

    ::setenv("MARLWICK_WINVER", "4.0", 1);
    EXPECT_EQ(Query().dwMajorVersion, 5u);
    ::setenv("MARLWICK_WINVER", "4.0.1381x", 1);
    EXPECT_EQ(Query().dwMajorVersion, 5u);
}

TEST_F(ReportedVersion, AWrongSizeFieldFails)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info - 1;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(GetVersionExA(nullptr));
}

using AnsiUpperCase = testsupport::Machine1252Fixture;

TEST_F(AnsiUpperCase, FollowsWindows1252AndKeepsWhatItCannotHold)
{
    std::string text = "outlook.exe \xE9\xFF\x9A\x9C\xB5\xDF 1";
    CharUpperA(text.data());
    // é → É, ÿ → Ÿ (0x9F), š → Š, œ → Œ; µ and ß have no upper case in the code page.
    EXPECT_EQ(text, "OUTLOOK.EXE \xC9\x9F\x8A\x8C\xB5\xDF 1");

    std::string part = "abc";
    EXPECT_EQ(CharUpperBuffA(part.data(), 2), 2u);
    EXPECT_EQ(part, "ABc");
}

// Under UTF-8 a character is upper-cased whole when its upper case has as
// many bytes; ASCII always is.
TEST_F(AnsiUpperCase, UnderUtf8WholeCharactersAreUpperCased)
{
    testsupport::UseAnsiCodePage(65001);
    std::string text = "outlook.exe \xC3\xA9\xCE\xB1\xD0\xB6 \xE4\xB8\xAD \xF0\x9F\x8E\x89"; // "é α ж 中 🎉"
    CharUpperA(text.data());
    EXPECT_EQ(text, "OUTLOOK.EXE \xC3\x89\xCE\x91\xD0\x96 \xE4\xB8\xAD \xF0\x9F\x8E\x89");
}

} // namespace
