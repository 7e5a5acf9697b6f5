// One path named again and again, as a program names its working files for
// every item, while the folders on the way change between the calls: each
// look-up answers for the files as they are at that moment, whoever changed
// them (this thread, another thread, another process).
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class RepeatedPathTest : public testsupport::MachineFixture {
protected:
    fs::path Found(const char16_t* path, win32::Resolve mode = win32::Resolve::Existing, LONG* error = nullptr)
    {
        auto found = win32::ResolvePath(path, mode, error);
        return found ? found->hostPath : fs::path("<none>");
    }

    // Runs a shell command as another process would, in the drive folder.
    void OtherProcess(const std::string& command)
    {
        const std::string line = "cd '" + (m_root / "drive_c").string() + "' && " + command;
        ASSERT_EQ(std::system(line.c_str()), 0) << line;
    }

    static std::string Read(const fs::path& host)
    {
        std::ifstream in(host, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    static void Write(const char16_t* path, const std::string& bytes)
    {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        EXPECT_TRUE(CloseHandle(file));
    }
};

TEST_F(RepeatedPathTest, ThePathFollowsFoldersRenamedMadeAndDeletedBetweenCalls)
{
    const fs::path c = m_root / "drive_c";
    const char16_t* path = u"C:\\Work\\Note.txt";
    WriteHostFile(c / "Work" / "Note.txt", "one");
    EXPECT_EQ(Found(path), c / "Work" / "Note.txt");

    // Another process moves the folder away and makes one named in another
    // case, holding the file in another case too.
    OtherProcess("mv Work Old && mkdir WORK && printf two > WORK/NOTE.TXT");
    EXPECT_EQ(Found(path), c / "WORK" / "NOTE.TXT");
    EXPECT_EQ(Read(Found(path)), "two");

    // Another thread deletes the file, then the folder.
    std::thread([&] { fs::remove(c / "WORK" / "NOTE.TXT"); }).join();
    LONG error = 0;
    EXPECT_EQ(Found(path, win32::Resolve::Existing, &error), fs::path("<none>"));
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Found(path, win32::Resolve::ParentExists), c / "WORK" / "Note.txt");
    std::thread([&] { fs::remove(c / "WORK"); }).join();
    EXPECT_EQ(Found(path, win32::Resolve::ParentExists, &error), fs::path("<none>"));
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);

    // The folder comes back under its first name: the file is made there.
    OtherProcess("mv Old Work");
    Write(path, "three");
    EXPECT_EQ(Read(c / "Work" / "Note.txt"), "three");
    EXPECT_FALSE(fs::exists(c / "WORK"));
}

TEST_F(RepeatedPathTest, OneFileAnswersToEveryWayOfWritingItsPath)
{
    const fs::path c = m_root / "drive_c";
    WriteHostFile(c / "Data" / "Mail.eml", "x");
    const fs::path file = c / "Data" / "Mail.eml";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Found(u"C:\\Data\\Mail.eml"), file);
        EXPECT_EQ(Found(u"c:\\DATA\\mail.EML"), file);
        EXPECT_EQ(Found(u"C:/data//MAIL.eml."), file);
        EXPECT_EQ(Found(u"C:\\Other\\..\\Data\\.\\Mail.eml"), file);
    }
    // A second file differing only in case is not the same name twice: the
    // exact name wins.
    WriteHostFile(c / "Data" / "MAIL.EML", "y");
    EXPECT_EQ(Found(u"C:\\Data\\MAIL.EML"), c / "Data" / "MAIL.EML");
    EXPECT_EQ(Found(u"C:\\Data\\Mail.eml"), file);
}

TEST_F(RepeatedPathTest, RelativePathsFollowTheCurrentDirectory)
{
    const fs::path c = m_root / "drive_c";
    WriteHostFile(c / "A" / "item.txt", "a");
    WriteHostFile(c / "B" / "Item.TXT", "b");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\A"));
    EXPECT_EQ(Found(u"item.txt"), c / "A" / "item.txt");
    EXPECT_EQ(Found(u"C:item.txt"), c / "A" / "item.txt");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\b"));
    EXPECT_EQ(Found(u"item.txt"), c / "B" / "Item.TXT");
    EXPECT_EQ(Found(u"C:item.txt"), c / "B" / "Item.TXT");
    EXPECT_EQ(Found(u"\\A\\item.txt"), c / "A" / "item.txt");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
}

// The full forms of the last few paths are kept: more paths than are kept,
// in turn and mixed with relative ones, each still name their own file.
TEST_F(RepeatedPathTest, MorePathsThanAreKeptEachNameTheirOwnFile)
{
    const fs::path c = m_root / "drive_c";
    const std::u16string names[] = {u"C:\\P0\\f.txt", u"C:\\P1\\f.txt", u"C:\\P2\\f.txt",
                                    u"C:\\P3\\f.txt", u"C:\\P4\\f.txt", u"C:\\P5\\f.txt"};
    for (int i = 0; i < 6; ++i)
        WriteHostFile(c / ("P" + std::to_string(i)) / "f.txt", std::to_string(i));
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\P2"));
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(Read(Found(names[i].c_str())), std::to_string(i)) << round << " " << i;
            EXPECT_EQ(Read(Found(u"f.txt")), "2");
        }
        for (int i = 5; i >= 0; --i)
            EXPECT_EQ(Found(names[i].c_str()), c / ("P" + std::to_string(i)) / "f.txt");
    }
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\P4"));
    EXPECT_EQ(Read(Found(u"f.txt")), "4");
    EXPECT_EQ(Read(Found(names[0].c_str())), "0");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
}

} // namespace
