#include "ActivityLog.h"
#include "testsupport/AnsiCodePage.h"
#include "ShellFixture.h"
#include "win32/FileApi.h"
#include "win32/Shell.h"

#include <thread>

namespace fs = std::filesystem;

class ActivityLogTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        MakeFolder(u"C:\\Program Files\\Pellinor");
        MakeFolder(u"C:\\Logs");
        SetSetting(u"FilePath", u"C:\\Program Files\\Pellinor");
        SetSetting(u"LogPath", u"C:\\Logs");
        InitAppSettings();
    }

    std::string Log() { return ReadHostFile(Host(u"C:\\Logs\\Activity Log.txt")); }
    std::string InstallLog() { return ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")); }
};

TEST_F(ActivityLogTest, EveryMessageStartsWithCrLfAndTheFileEndsWithoutOne)
{
    EXPECT_EQ(WriteActivityLog(u"Step 1 :"), 1);
    EXPECT_EQ(WriteActivityLog(u"\r\n"), 1);
    EXPECT_EQ(WriteActivityLog(u""), 1);
    EXPECT_EQ(WriteActivityLog(u"-------"), 1);
    EXPECT_EQ(Log(), "\r\nStep 1 :\r\n\r\n\r\n\r\n-------");
}

TEST_F(ActivityLogTest, MessagesAreCutAt200BytesOfTheirAnsiText)
{
    std::u16string longText(300, u'x');
    WriteActivityLog(longText.c_str());
    EXPECT_EQ(Log(), "\r\n" + std::string(200, 'x'));

    // Under Windows-1252 the cut counts its bytes; characters outside the
    // code page become "?".
    testsupport::UseAnsiCodePage(1252);
    fs::remove(Host(u"C:\\Logs\\Activity Log.txt"));
    WriteActivityLog(u"caf\u00E9 \u0416\u4E2D \u20AC");
    EXPECT_EQ(Log(), "\r\ncaf\xE9 ?? \x80");
}

TEST_F(ActivityLogTest, UnderUtf8EveryCharacterIsWrittenAndTheCutKeepsWholeCharacters)
{
    testsupport::UseAnsiCodePage(65001);
    WriteActivityLog(u"Συνάντηση Встреча 会议 اجتماع café 🎉");
    EXPECT_EQ(Log(), "\r\nΣυνάντηση Встреча 会议 اجتماع café 🎉");

    // The 200th byte falls inside the euro sign, then inside the emoji: the
    // character is left out whole.
    for (const std::u16string& tail : {std::u16string(u"\u20AC"), std::u16string(u"\U0001F389")}) {
        fs::remove(Host(u"C:\\Logs\\Activity Log.txt"));
        const std::u16string message = std::u16string(198, u'x') + tail + u"after";
        WriteActivityLog(message.c_str());
        EXPECT_EQ(Log(), "\r\n" + std::string(198, 'x'));
    }
    // A character that ends exactly at byte 200 is kept.
    fs::remove(Host(u"C:\\Logs\\Activity Log.txt"));
    WriteActivityLog((std::u16string(197, u'x') + u"\u20ACafter").c_str());
    EXPECT_EQ(Log(), "\r\n" + std::string(197, 'x') + "\xE2\x82\xAC");
}

TEST_F(ActivityLogTest, TheFileRestartsOnlyWhenLargerThanFiveMegabytes)
{
    fs::path file = Host(u"C:\\Logs\\Activity Log.txt");
    WriteHostFile(file, std::string(5242880, 'a'));
    WriteActivityLog(u"kept");
    EXPECT_EQ(fs::file_size(file), 5242880u + 6u);

    WriteHostFile(file, std::string(5242881, 'a'));
    WriteActivityLog(u"fresh");
    EXPECT_EQ(Log(), "\r\nfresh");
}

TEST_F(ActivityLogTest, AReadOnlyLogIsMadeWritable)
{
    WriteActivityLog(u"one");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Logs\\Activity Log.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WriteActivityLog(u"two"), 1);
    EXPECT_EQ(Log(), "\r\none\r\ntwo");
}

TEST_F(ActivityLogTest, AMissingLogFolderFallsBackToTheInstallFolderButViewingDoesNot)
{
    fs::remove_all(Host(u"C:\\Logs"));
    EXPECT_EQ(WriteActivityLog(u"moved"), 1);
    EXPECT_EQ(InstallLog(), "\r\nmoved");

    ViewActivityLog();
    auto journal = win32::ReadShellJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].verb, u"open");
    EXPECT_EQ(journal[0].file, u"C:\\Windows\\Notepad.exe");
    EXPECT_EQ(journal[0].parameters, u"C:\\Logs\\Activity Log.txt");
    EXPECT_EQ(journal[0].show, SW_SHOWNORMAL);
}

TEST_F(ActivityLogTest, TrailingBackslashOrNotTheFileIsTheSame)
{
    WriteActivityLog(u"a");
    SetSetting(u"LogPath", u"C:\\Logs\\");
    WriteActivityLog(u"b");
    EXPECT_EQ(Log(), "\r\na\r\nb");
}

TEST_F(ActivityLogTest, NoSettingsAtAllWriteToTheRootOfTheCurrentDrive)
{
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Corvenna", 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueW(key, u"LogPath");
    RegDeleteValueW(key, u"FilePath");
    RegCloseKey(key);
    EXPECT_EQ(WriteActivityLog(u"root"), 1);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Activity Log.txt")), "\r\nroot");
}

TEST_F(ActivityLogTest, ALockedFileLosesTheMessageAndSaysSo)
{
    WriteActivityLog(u"before");
    HANDLE held = CreateFileW(u"C:\\Logs\\Activity Log.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteActivityLog(u"lost"), 0);
    CloseHandle(held);
    EXPECT_EQ(Log(), "\r\nbefore");
}

TEST_F(ActivityLogTest, AFolderTooLongForTheFileNameWritesNothing)
{
    // 248 characters of folder leave no room for "\Activity Log.txt".
    std::u16string folder = u"C:\\" + std::u16string(245, u'L');
    MakeFolder(folder);
    SetSetting(u"LogPath", folder.c_str());
    EXPECT_EQ(WriteActivityLog(u"nowhere"), 0);
    EXPECT_TRUE(fs::is_empty(Host(folder)));
    EXPECT_FALSE(fs::exists(Host(u"C:\\Logs\\Activity Log.txt")));
}

TEST_F(ActivityLogTest, CallersOnManyThreadsLoseNoMessage)
{
    constexpr int kThreads = 8;
    constexpr int kEach = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) {
                std::u16string line = u"t" + Utf8ToUtf16(std::to_string(t * 100 + i));
                WriteActivityLog(line.c_str());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::string log = Log() + "\r\n";
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kEach; ++i)
            EXPECT_NE(log.find("\r\nt" + std::to_string(t * 100 + i) + "\r\n"), std::string::npos);
    }
}

TEST_F(ActivityLogTest, TheStartBlockCarriesTheUnpaddedLocalTime)
{
    WriteLogStartBlock();
    EXPECT_EQ(Log(), "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n8-12-2026 9:5");
}

TEST_F(ActivityLogTest, ClearingAsksAndDeletesOnlyOnYes)
{
    WriteActivityLog(u"keep me");
    AnswerMessageBoxes(IDNO);
    ClearActivityLog(nullptr);
    EXPECT_EQ(Log(), "\r\nkeep me");
    auto boxes = user::MessageBoxHistory();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Are you sure, you want to clear the log?");
    EXPECT_EQ(boxes[0].caption, u"Pellinor for NSF to PST");
    EXPECT_EQ(boxes[0].type, 0x1024u);

    AnswerMessageBoxes(IDYES);
    ClearActivityLog(nullptr);
    EXPECT_FALSE(fs::exists(Host(u"C:\\Logs\\Activity Log.txt")));
}
