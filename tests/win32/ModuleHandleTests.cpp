#include "win32/Module.h"

#include <gtest/gtest.h>

TEST(ModuleHandle, NullNamesTheProgramItselfAndNamesFindLoadedSystemLibraries)
{
    HMODULE program = GetModuleHandleW(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    EXPECT_EQ(GetModuleHandleW(nullptr), program);

    HMODULE kernel = GetModuleHandleW(u"kernel32");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(kernel, program);
    EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), kernel);

    SetLastError(0);
    EXPECT_EQ(GetModuleHandleW(u"NOSUCH.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}
