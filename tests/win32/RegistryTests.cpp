#include "testsupport/MachineFixture.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

class RegistryTest : public testsupport::MachineFixture {
protected:
    static std::vector<BYTE> Bytes(std::u16string_view text, bool terminator)
    {
        std::vector<BYTE> out;
        for (char16_t c : text) {
            out.push_back(static_cast<BYTE>(c & 0xFF));
            out.push_back(static_cast<BYTE>(c >> 8));
        }
        if (terminator)
            out.insert(out.end(), {0, 0});
        return out;
    }

    void Set(LPCWSTR key, LPCWSTR name, DWORD type, const std::vector<BYTE>& data)
    {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(k, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
        RegCloseKey(k);
    }

    LONG Query(LPCWSTR key, LPCWSTR name, DWORD* type, std::vector<BYTE>* data, DWORD capacity)
    {
        HKEY k = nullptr;
        LONG rc = RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &k);
        if (rc != ERROR_SUCCESS)
            return rc;
        data->assign(capacity, 0xEE);
        DWORD size = capacity;
        rc = RegQueryValueExW(k, name, nullptr, type, data->data(), &size);
        if (rc == ERROR_SUCCESS)
            data->resize(size);
        RegCloseKey(k);
        return rc;
    }
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytesExactly)
{
    Set(u"Corvenna", u"FilePath", REG_SZ, Bytes(u"C:\\Program Files\\Pellinor", true));
    Set(u"Corvenna", u"LogPath", REG_SZ, Bytes(u"C:\\Logs", false)); // stored without its terminator
    Set(u"Corvenna", u"Odd", REG_SZ, {0x41, 0x00, 0x42});            // an odd byte count
    Set(u"Corvenna", u"Count", REG_DWORD, {0x2A, 0, 0, 0});
    Set(u"Corvenna", u"Quote", REG_SZ, Bytes(u"a \"b\" \\c\n\u00E9", true));

    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query(u"corvenna", u"filepath", &type, &data, 520), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, Bytes(u"C:\\Program Files\\Pellinor", true));
    ASSERT_EQ(Query(u"Corvenna", u"LogPath", &type, &data, 520), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"C:\\Logs", false));
    ASSERT_EQ(Query(u"Corvenna", u"Odd", &type, &data, 520), ERROR_SUCCESS);
    EXPECT_EQ(data, (std::vector<BYTE>{0x41, 0x00, 0x42}));
    ASSERT_EQ(Query(u"Corvenna", u"Count", &type, &data, 520), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, (std::vector<BYTE>{0x2A, 0, 0, 0}));
    ASSERT_EQ(Query(u"Corvenna", u"Quote", &type, &data, 520), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"a \"b\" \\c\n\u00E9", true));

    // The file stays readable text for the plain strings.
    std::string text = ReadHostFile(m_root / "registry.txt");
    EXPECT_NE(text.find("\"FilePath\"=sz:\"C:\\\\Program Files\\\\Pellinor\""), std::string::npos);
}

TEST_F(RegistryTest, QueriesReportSizesAndMoreData)
{
    Set(u"Corvenna", u"Long", REG_SZ, Bytes(std::u16string(300, u'x'), true));
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(k, u"Long", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 602u);
    BYTE buffer[520];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(k, u"Long", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 602u);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(k, u"Missing", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"NoSuchKey", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, KeysAreCaseInsensitiveAndCreatedOnTheWay)
{
    HKEY k = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer\\", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\lotus", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    WCHAR name[64];
    DWORD chars = 64;
    EXPECT_EQ(RegEnumKeyExW(k, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Notes");
    chars = 64;
    EXPECT_EQ(RegEnumKeyExW(k, 1, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(k);

    // A key with subkeys is not deleted; leaves first.
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Lotus"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\lotus\\notes\\installer", 0, KEY_READ, &k),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ValuesAreDeleted)
{
    Set(u"Corvenna", u"LogPath", REG_SZ, Bytes(u"C:\\Logs", true));
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(k, u"LOGPATH"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(k, u"LogPath"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(k);
}

TEST_F(RegistryTest, ReadOnlyRootsRefuseWrites)
{
    Set(u"Corvenna", u"FilePath", REG_SZ, Bytes(u"C:\\P", true));
    setenv("MARLWICK_REGISTRY_READONLY", "HKCR", 1);
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_WRITE, &k), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_READ, &k), ERROR_SUCCESS);
    BYTE data[4] = {};
    EXPECT_EQ(RegSetValueExW(k, u"LogPath", 0, REG_SZ, data, 4), ERROR_ACCESS_DENIED);
    RegCloseKey(k);
    // Other roots stay writable.
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(RegistryTest, ProcessesOnOneRootShareTheRegistryWithoutLosingWrites)
{
    constexpr int kWriters = 4;
    constexpr int kValuesEach = 25;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < kValuesEach; ++i) {
                HKEY k = nullptr;
                if (RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                    nullptr)
                    != ERROR_SUCCESS)
                    _exit(1);
                std::u16string name = u"w" + Utf8ToUtf16(std::to_string(w)) + u"_" + Utf8ToUtf16(std::to_string(i));
                DWORD value = static_cast<DWORD>(w * 1000 + i);
                if (RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4)
                    != ERROR_SUCCESS)
                    _exit(2);
                RegCloseKey(k);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            std::u16string name = u"w" + Utf8ToUtf16(std::to_string(w)) + u"_" + Utf8ToUtf16(std::to_string(i));
            DWORD type = 0;
            std::vector<BYTE> data;
            ASSERT_EQ(Query(u"Shared", name.c_str(), &type, &data, 4), ERROR_SUCCESS) << Utf16ToUtf8(name);
            DWORD value = data[0] | (data[1] << 8) | (data[2] << 16) | (data[3] << 24);
            EXPECT_EQ(value, static_cast<DWORD>(w * 1000 + i));
        }
    }
}

TEST_F(RegistryTest, AReadSeesTheFileAsAnotherProcessOrAnEditorLastLeftIt)
{
    std::vector<BYTE> data;
    DWORD type = 0;
    Set(u"Seen", u"v", REG_SZ, Bytes(u"first", true));
    ASSERT_EQ(Query(u"Seen", u"v", &type, &data, 64), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"first", true));

    // Another process replaces the file while this one holds what it read last.
    pid_t child = fork();
    if (child == 0) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Seen", 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            _exit(1);
        const std::vector<BYTE> second = Bytes(u"second", true);
        _exit(RegSetValueExW(k, u"v", 0, REG_SZ, second.data(), static_cast<DWORD>(second.size())) == ERROR_SUCCESS
                  ? 0
                  : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(Query(u"Seen", u"v", &type, &data, 64), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"second", true));

    // An editor rewrites the file in place, the same inode with other text.
    const auto file = win32::MachineRoot() / "registry.txt";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[HKEY_CLASSES_ROOT\\Seen]\n\"v\"=sz:\"edited by hand\"\n";
    }
    ASSERT_EQ(Query(u"Seen", u"v", &type, &data, 64), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes(u"edited by hand", true));

    // A file that is gone holds no keys.
    std::filesystem::remove(file);
    EXPECT_EQ(Query(u"Seen", u"v", &type, &data, 64), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, TheGenerationMovesOnWithEveryChangeAndOnlyThen)
{
    Set(u"Kept", u"v", REG_SZ, Bytes(u"first", true));
    const std::uint64_t first = win32::RegistryGeneration();
    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_EQ(Query(u"Kept", u"v", &type, &data, 64), ERROR_SUCCESS);
    EXPECT_EQ(win32::RegistryGeneration(), first) << "a read changes nothing";

    Set(u"Kept", u"v", REG_SZ, Bytes(u"second", true));
    const std::uint64_t afterOwnWrite = win32::RegistryGeneration();
    EXPECT_GT(afterOwnWrite, first);

    pid_t child = fork();
    if (child == 0) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Kept", 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            _exit(1);
        const std::vector<BYTE> third = Bytes(u"third", true);
        _exit(RegSetValueExW(k, u"v", 0, REG_SZ, third.data(), static_cast<DWORD>(third.size())) == ERROR_SUCCESS
                  ? 0
                  : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::uint64_t afterOtherProcess = win32::RegistryGeneration();
    EXPECT_GT(afterOtherProcess, afterOwnWrite);

    // Rewritten in place by an editor: the same inode.
    const auto file = win32::MachineRoot() / "registry.txt";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[HKEY_CLASSES_ROOT\\Kept]\n\"v\"=sz:\"edited by hand\"\n";
    }
    const std::uint64_t afterEditor = win32::RegistryGeneration();
    EXPECT_GT(afterEditor, afterOtherProcess);

    // Without a file nothing can be kept: each call is a generation apart.
    std::filesystem::remove(file);
    const std::uint64_t missing = win32::RegistryGeneration();
    EXPECT_GT(missing, afterEditor);
    EXPECT_NE(win32::RegistryGeneration(), missing);
}
