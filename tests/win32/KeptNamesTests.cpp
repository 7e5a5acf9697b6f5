// A name not there as written is looked for in another case among what the
// process keeps of its folder: every change to the folder since, made by
// this process or another, must show in the next look-up as it would in a
// fresh listing.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class KeptNamesTest : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        m_folder = m_root / "drive_c" / "Attachment";
        for (int i = 0; i < 50; ++i)
            WriteHostFile(m_folder / ("entry" + std::to_string(i) + ".dat"), "x");
    }

    // Whether the name exists for the layer, and under which host name.
    std::optional<fs::path> Found(const char16_t* name)
    {
        auto resolved = win32::ResolvePath(std::u16string(u"C:\\Attachment\\") + name, win32::Resolve::ParentExists);
        EXPECT_TRUE(resolved);
        if (!resolved || !resolved->exists)
            return std::nullopt;
        return resolved->hostPath;
    }

    // Runs the change in a process of its own and waits for it.
    static void InAnotherProcess(const std::function<void()>& change)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            change();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
    }

    fs::path m_folder;
};

} // namespace

TEST_F(KeptNamesTest, NamesMadeRenamedAndDeletedByAnotherProcessShowInTheNextLookUp)
{
    // A first look-up of a missing name lists the folder and keeps it.
    EXPECT_FALSE(Found(u"report.txt"));
    const std::string made = (m_folder / "REPORT.TXT").native();
    InAnotherProcess([&] { ::close(::open(made.c_str(), O_CREAT | O_WRONLY, 0644)); });
    EXPECT_EQ(Found(u"report.txt"), m_folder / "REPORT.TXT");
    // CREATE_NEW in another case meets the file that is there.
    EXPECT_EQ(CreateFileW(u"C:\\Attachment\\Report.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    const std::string renamed = (m_folder / "Summary.Txt").native();
    InAnotherProcess([&] { ::rename(made.c_str(), renamed.c_str()); });
    EXPECT_FALSE(Found(u"report.txt"));
    EXPECT_EQ(Found(u"SUMMARY.txt"), m_folder / "Summary.Txt");

    InAnotherProcess([&] { ::unlink(renamed.c_str()); });
    EXPECT_FALSE(Found(u"summary.txt"));
    // A name made anew after that is the one written.
    HANDLE file = CreateFileW(u"C:\\Attachment\\summary.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(fs::exists(m_folder / "summary.TXT"));
    EXPECT_EQ(Found(u"SUMMARY.txt"), m_folder / "summary.TXT");
}

TEST_F(KeptNamesTest, AFolderRemovedAndMadeAgainIsListedAgain)
{
    EXPECT_FALSE(Found(u"note.txt"));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    WriteHostFile(m_folder / "Note.TXT", "again");
    EXPECT_EQ(Found(u"note.txt"), m_folder / "Note.TXT");
    EXPECT_FALSE(Found(u"entry1.dat"));
}

TEST_F(KeptNamesTest, AForkedChildLooksForItselfAndLeavesTheParentsChangesToIt)
{
    EXPECT_FALSE(Found(u"zed.txt"));
    WriteHostFile(m_folder / "ZED.txt", "made before the fork");
    const pid_t child = ::fork();
    if (child == 0) {
        // The child's own look-ups are fresh: it sees the file, and reads
        // no change meant for its parent.
        auto seen = win32::ResolvePath(u"C:\\Attachment\\zed.TXT", win32::Resolve::ParentExists);
        auto other = win32::ResolvePath(u"C:\\Attachment\\other.txt", win32::Resolve::ParentExists);
        ::_exit(seen && seen->exists && other && !other->exists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Found(u"zed.TXT"), m_folder / "ZED.txt");
}

// The removed folder tells nothing while it is held open (a search keeps
// it, as any program may): the name's folder is known to be another by
// what the path names now.
TEST_F(KeptNamesTest, AFolderRemovedAndMadeAgainWhileTheOldOneIsHeldOpenIsListedAgain)
{
    EXPECT_FALSE(Found(u"note.txt"));
    const int held = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    InAnotherProcess([this] {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        WriteHostFile(m_folder / "Note.TXT", "again");
    });
    EXPECT_EQ(Found(u"note.txt"), m_folder / "Note.TXT");
    EXPECT_FALSE(Found(u"entry1.dat"));
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"C:\\Attachment\\note.*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(data.cFileName), u"Note.TXT");
    FindClose(find);
    ::close(held);
}
