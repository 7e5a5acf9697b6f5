// A deleted file may be taken up by the next file the process makes. To
// every handle, name and process, deleting and making stay what they are:
// the deleted file is gone, the new one is empty with the attributes asked
// for, and a file still open elsewhere, or known by another name, keeps
// its contents.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DeletedFileReuseTest : public testsupport::MachineFixture {
protected:
    HANDLE Make(const char16_t* name, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
    {
        return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, attributes, nullptr);
    }

    static void Write(HANDLE file, const std::string& bytes)
    {
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }

    static std::string ReadAll(HANDLE file)
    {
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        char buffer[256] = {};
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
        return std::string(buffer, got);
    }

    static ino_t InodeOf(const fs::path& path)
    {
        struct stat st = {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_ino;
    }

    fs::path Host(const char* name) const { return m_root / "drive_c" / name; }
};

} // namespace

TEST_F(DeletedFileReuseTest, TheDeletedFileIsGoneAndTheNextOneIsNewEmptyAndAsAskedFor)
{
    HANDLE first = Make(u"C:\\first.doc");
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    Write(first, "attachment bytes");
    CloseHandle(first);
    const ino_t inode = InodeOf(Host("first.doc"));
    ASSERT_TRUE(DeleteFileW(u"C:\\first.doc"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\first.doc"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(fs::exists(Host("first.doc")));
    EXPECT_FALSE(DeleteFileW(u"C:\\first.doc"));

    // The next file made takes up the deleted one: no new inode, nothing of
    // the old contents, the read-only attribute asked for, the time of now.
    const auto before = fs::file_time_type::clock::now() - std::chrono::seconds(1);
    HANDLE second = Make(u"C:\\second.doc", FILE_ATTRIBUTE_READONLY);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(InodeOf(Host("second.doc")), inode);
    EXPECT_EQ(ReadAll(second), "");
    EXPECT_EQ(fs::file_size(Host("second.doc")), 0u);
    EXPECT_GE(fs::last_write_time(Host("second.doc")), before);
    Write(second, "new");
    CloseHandle(second);
    EXPECT_EQ(GetFileAttributesW(u"C:\\second.doc") & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(fs::file_size(Host("second.doc")), 3u);

    // A name that exists is still refused, kept files or not.
    HANDLE third = Make(u"C:\\third.doc");
    ASSERT_NE(third, INVALID_HANDLE_VALUE);
    CloseHandle(third);
    ASSERT_TRUE(DeleteFileW(u"C:\\third.doc"));
    EXPECT_EQ(Make(u"C:\\SECOND.DOC"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST_F(DeletedFileReuseTest, AFileOpenElsewhereOrKnownByAnotherNameKeepsItsContents)
{
    HANDLE held = Make(u"C:\\held.doc");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Write(held, "still read");
    ASSERT_TRUE(DeleteFileW(u"C:\\held.doc"));
    EXPECT_FALSE(fs::exists(Host("held.doc")));
    HANDLE next = Make(u"C:\\next.doc");
    ASSERT_NE(next, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(held), "still read");
    EXPECT_EQ(ReadAll(next), "");
    CloseHandle(next);
    CloseHandle(held);

    HANDLE linked = Make(u"C:\\linked.doc");
    ASSERT_NE(linked, INVALID_HANDLE_VALUE);
    Write(linked, "two names");
    CloseHandle(linked);
    fs::create_hard_link(Host("linked.doc"), Host("other-name.doc"));
    ASSERT_TRUE(DeleteFileW(u"C:\\linked.doc"));
    HANDLE after = Make(u"C:\\after.doc");
    ASSERT_NE(after, INVALID_HANDLE_VALUE);
    CloseHandle(after);
    HANDLE other = CreateFileW(u"C:\\other-name.doc", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(other), "two names");
    CloseHandle(other);
}

// A process killed with files kept leaves them in the machine root; the next
// process that keeps a file there removes them, and leaves a living
// process's kept files alone.
TEST_F(DeletedFileReuseTest, FilesKeptByAProcessThatEndedWithoutCleaningUpAreRemovedByTheNext)
{
    const fs::path kept = m_root / ".kept-files";
    fs::create_directories(kept);
    const pid_t ended = [] {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return child;
    }();
    const fs::path left = kept / (std::to_string(ended) + "-1");
    const fs::path living = kept / (std::to_string(::getppid()) + "-1");
    const fs::path foreign = kept / "notes.txt";
    for (const fs::path& file : {left, living, foreign})
        std::ofstream(file) << "";

    HANDLE file = Make(u"C:\\gone.doc");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_TRUE(DeleteFileW(u"C:\\gone.doc"));

    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(living));
    EXPECT_TRUE(fs::exists(foreign));
}
