#include "testsupport/MachineFixture.h"
#include "testsupport/AnsiCodePage.h"

#include "win32/CodePage.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"
#include "win32/Process.h"
#include "win32/WideString.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

void MachineFixture::SetUp()
{
    std::string pattern = (fs::temp_directory_path() / "marlwick-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    fs::create_directories(m_root / "drive_c");
    win32::SetMachineRoot(m_root);
    if (const char* path = std::getenv("MARLWICK_WINPATH")) {
        m_hadPath = true;
        m_savedPath = path;
    }
    ::unsetenv("MARLWICK_REGISTRY_READONLY");
    ::unsetenv("MARLWICK_DISK_FREE");
    ::unsetenv("MARLWICK_OPENER");
    // 8 December 2026, 09:05 local time: a date whose fields need no padding tricks.
    std::tm tm = {};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 8;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_isdst = -1;
    m_clock = std::make_shared<win32::VirtualClock>(std::chrono::system_clock::from_time_t(std::mktime(&tm)));
    win32::SetClock(m_clock);
    win32::SetProcessExitHook([](int code) { throw ProcessExit{code}; });
}

void MachineFixture::TearDown()
{
    win32::SetProcessExitHook(nullptr);
    win32::SetClock(nullptr);
    if (m_hadPath)
        ::setenv("MARLWICK_WINPATH", m_savedPath.c_str(), 1);
    else
        ::unsetenv("MARLWICK_WINPATH");
    std::error_code ec;
    fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_root, ec);
}

fs::path MachineFixture::Host(std::u16string_view windowsPath) const
{
    fs::path host = m_root / (std::string("drive_") + static_cast<char>(CharLowerChar(windowsPath[0])));
    std::u16string_view rest = windowsPath.substr(2);
    std::size_t i = 0;
    while (i < rest.size()) {
        std::size_t j = rest.find(u'\\', i);
        if (j == std::u16string_view::npos)
            j = rest.size();
        if (j > i)
            host /= Utf16ToUtf8(rest.substr(i, j - i));
        i = j + 1;
    }
    return host;
}

void MachineFixture::WriteHostFile(const fs::path& path, const std::string& bytes) const
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string MachineFixture::ReadHostFile(const fs::path& path) const
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void UseAnsiCodePage(unsigned codePage)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCodePageKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string value = Utf8ToUtf16(std::to_string(codePage));
    EXPECT_EQ(RegSetValueExW(key, kAnsiCodePageValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
    win32::ReloadAnsiCodePage();
}

} // namespace testsupport
