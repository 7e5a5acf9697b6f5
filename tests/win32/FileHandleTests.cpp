// Byte-range locks, duplicated handles, file types and the machine's drives.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"
#include "win32/Process.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

class FileHandleTest : public testsupport::MachineFixture {
protected:
    HANDLE Open(LPCWSTR path, DWORD access = GENERIC_READ | GENERIC_WRITE)
    {
        return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

TEST_F(FileHandleTest, OverlappingLocksAreRefusedWhoeverAsksAndUnlockMustMatchARange)
{
    HANDLE first = Open(u"C:\\locked.bin");
    HANDLE second = Open(u"C:\\locked.bin", GENERIC_READ);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);

    // A range beyond 4 GB: offsets and counts are 64-bit.
    ASSERT_TRUE(LockFile(first, 0, 1, 100, 0));
    EXPECT_FALSE(LockFile(first, 50, 1, 10, 0)) << "a handle's own ranges overlap too";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
    EXPECT_FALSE(LockFile(second, 99, 1, 10, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
    EXPECT_TRUE(LockFile(second, 100, 1, 10, 0)) << "the next byte is free";

    EXPECT_FALSE(UnlockFile(first, 0, 1, 50, 0)) << "only a whole locked range unlocks";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_FALSE(UnlockFile(second, 0, 1, 100, 0)) << "a range unlocks through the handle that locked it";
    ASSERT_TRUE(UnlockFile(first, 0, 1, 100, 0));
    EXPECT_TRUE(LockFile(second, 0, 1, 100, 0));

    // Closing a handle releases its locks.
    CloseHandle(second);
    EXPECT_TRUE(LockFile(first, 0, 1, 200, 0));
    CloseHandle(first);
}

TEST_F(FileHandleTest, AnotherProcessMeetsTheLocksOfThisOne)
{
    HANDLE file = Open(u"C:\\shared.bin");
    // The child starts before the lock is taken, so it knows of it only
    // through the file itself.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        char go = 0;
        if (read(ready[0], &go, 1) != 1)
            _exit(2);
        HANDLE mine = CreateFileW(u"C:\\shared.bin", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        bool refused = !LockFile(mine, 5, 0, 1, 0) && GetLastError() == static_cast<DWORD>(ERROR_LOCK_VIOLATION);
        bool free = LockFile(mine, 10, 0, 1, 0);
        _exit(refused && free ? 0 : 1);
    }
    ASSERT_TRUE(LockFile(file, 0, 0, 10, 0));
    ASSERT_EQ(write(ready[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(ready[0]);
    close(ready[1]);
    CloseHandle(file);
}

TEST_F(FileHandleTest, ADuplicateSharesThePositionAndOutlivesTheFirstHandle)
{
    HANDLE file = Open(u"C:\\dup.bin");
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "abcdef", 6, &written, nullptr));
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ASSERT_NE(copy, file);
    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(SetFilePointer(copy, 0, nullptr, FILE_CURRENT), 2u);
    ASSERT_TRUE(CloseHandle(file));
    char read[4] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(copy, read, 4, &got, nullptr));
    EXPECT_EQ(std::string(read, got), "cdef");
    EXPECT_EQ(GetFileType(copy), FILE_TYPE_DISK);
    CloseHandle(copy);

    EXPECT_EQ(GetFileType(copy), FILE_TYPE_UNKNOWN);
    EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), copy, GetCurrentProcess(), &file, 0, FALSE, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileHandleTest, TheDrivesAreTheDriveFoldersOfTheRoot)
{
    EXPECT_EQ(GetLogicalDrives(), 1u << 2);
    std::filesystem::create_directories(m_root / "drive_d");
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3));
}

} // namespace
