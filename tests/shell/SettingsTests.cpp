#include "ShellFixture.h"

class SettingsTest : public ShellFixture {};

TEST_F(SettingsTest, InitAppSettingsFillsTheFixedTextsAndTheLogFolder)
{
    SetSetting(u"LogPath", u"C:\\Logs");
    InitAppSettings();
    EXPECT_EQ(std::u16string(g_szAppTitle), u"Pellinor for Lotus Notes NSF - MS Outlook PST");
    EXPECT_EQ(std::u16string(g_szMsgCaption), u"Pellinor for NSF to PST");
    EXPECT_EQ(std::u16string(g_szRegKey), u"Corvenna");
    EXPECT_EQ(std::u16string(g_szLogDir), u"C:\\Logs");
}

TEST_F(SettingsTest, MissingKeyOrValueLeavesTheBufferEmpty)
{
    WCHAR out[MAX_PATH];
    wcscpy_s(out, MAX_PATH, u"stale");
    EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", out), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(out[0], 0);
    SetSetting(u"FilePath", u"C:\\P");
    wcscpy_s(out, MAX_PATH, u"stale");
    EXPECT_EQ(ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", out), ERROR_SUCCESS);
    EXPECT_EQ(out[0], 0);
}

TEST_F(SettingsTest, ValuesFromOtherWritersAreReadAsText)
{
    WCHAR out[MAX_PATH];
    // Stored without its terminator: read whole, nothing after it.
    SetRawSetting(u"LogPath", REG_SZ, Utf16Bytes(u"C:\\Logs"));
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", out);
    EXPECT_EQ(std::u16string(out), u"C:\\Logs");
    // Another type: its bytes are the text.
    SetRawSetting(u"LogPath", REG_BINARY, Utf16Bytes(u"D:\\x"));
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", out);
    EXPECT_EQ(std::u16string(out), u"D:\\x");
    // A stray odd byte does not become a character.
    SetRawSetting(u"LogPath", REG_SZ, {u'A', 0, u'B'});
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", out);
    EXPECT_EQ(std::u16string(out), u"A");
}

TEST_F(SettingsTest, ValuesThatDoNotFitCountAsAbsent)
{
    WCHAR out[MAX_PATH + 8];
    std::fill(std::begin(out), std::end(out), u'#');
    std::u16string longest(MAX_PATH - 1, u'a');
    SetSetting(u"FilePath", longest.c_str());
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", out);
    EXPECT_EQ(std::u16string(out), longest);

    // 260 characters with their terminator exceed the 520-byte read.
    std::u16string tooLong(MAX_PATH, u'b');
    SetSetting(u"FilePath", tooLong.c_str());
    std::fill(std::begin(out), std::end(out), u'#');
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", out);
    EXPECT_EQ(out[0], 0);

    // 260 characters without a terminator fit the read but not the buffer.
    SetRawSetting(u"FilePath", REG_SZ, Utf16Bytes(tooLong));
    std::fill(std::begin(out), std::end(out), u'#');
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[MAX_PATH], u'#'); // nothing written past the buffer
}

TEST_F(SettingsTest, WriteRegStringStoresTheTerminatorAndFailsQuietly)
{
    WriteRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", u"C:\\Logs");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    RegQueryValueExW(key, u"LogPath", nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 16u);

    setenv("MARLWICK_REGISTRY_READONLY", "HKEY_CLASSES_ROOT", 1);
    WriteRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", u"C:\\Elsewhere");
    WCHAR out[MAX_PATH];
    ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"LogPath", out);
    EXPECT_EQ(std::u16string(out), u"C:\\Logs");
}
