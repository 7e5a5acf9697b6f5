// Share modes decided by each open's own marker: conflicts among several
// other opens, opens racing in many processes, and the file pointer that
// every handle keeps for itself.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class ShareModeTest : public testsupport::MachineFixture {
protected:
    static HANDLE Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition)
    {
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static std::string ReadFrom(HANDLE h, DWORD bytes)
    {
        std::string text(bytes, '\0');
        DWORD got = 0;
        if (!ReadFile(h, text.data(), bytes, &got, nullptr))
            return "<error>";
        text.resize(got);
        return text;
    }
};

TEST_F(ShareModeTest, TheOneConflictingOpenAmongManyIsFoundWhicheverTheKernelNamesFirst)
{
    HANDLE made = Open(u"C:\\many.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    // Readers that share everything, one writer that denies deleting, and
    // more readers after it.
    std::vector<HANDLE> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(Open(u"C:\\many.txt", GENERIC_READ, kShareAll, OPEN_EXISTING));
    HANDLE denier = Open(u"C:\\many.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         OPEN_EXISTING);
    ASSERT_NE(denier, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 3; ++i)
        held.push_back(Open(u"C:\\many.txt", GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING));
    for (HANDLE h : held)
        ASSERT_NE(h, INVALID_HANDLE_VALUE);

    EXPECT_FALSE(DeleteFileW(u"C:\\many.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(u"C:\\many.txt", DELETE, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // An open that denies writing meets the writers, whichever is asked.
    EXPECT_EQ(Open(u"C:\\many.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    // What every open shares is allowed beside all of them.
    HANDLE reader = Open(u"C:\\many.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);

    CloseHandle(denier);
    for (HANDLE h : held)
        CloseHandle(h);
    EXPECT_TRUE(DeleteFileW(u"C:\\many.txt"));
}

TEST_F(ShareModeTest, ExclusiveOpensRacingInManyProcessesNeverOverlapAndAllGetTheirTurn)
{
    HANDLE made = Open(u"C:\\contested.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    // Each child opens the file exclusively again and again; while it holds
    // it, it makes a host file that only one may hold at a time.
    const fs::path inside = m_root / "inside";
    const std::string insidePath = inside.string();
    constexpr int kChildren = 4;
    constexpr int kTurns = 200;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t child = fork();
        if (child == 0) {
            int turns = 0;
            int overlaps = 0;
            for (int attempt = 0; attempt < 200000 && turns < kTurns; ++attempt) {
                HANDLE h = Open(u"C:\\contested.txt", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
                if (h == INVALID_HANDLE_VALUE) {
                    if (GetLastError() != ERROR_SHARING_VIOLATION)
                        _exit(3);
                    continue;
                }
                const int fd = ::open(insidePath.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
                if (fd < 0)
                    ++overlaps;
                else {
                    ::close(fd);
                    ::unlink(insidePath.c_str());
                }
                ++turns;
                CloseHandle(h);
            }
            _exit(overlaps > 0 ? 1 : turns < kTurns ? 2 : 0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        // 1: two children held the file at once; 2: one never got its turns.
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

TEST_F(ShareModeTest, EveryHandleKeepsItsOwnPointerAndSeesWhatAnotherTruncated)
{
    HANDLE writer = Open(u"C:\\pointer.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(writer, "hello world", 11, &n, nullptr));
    HANDLE reader = Open(u"C:\\pointer.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFrom(reader, 5), "hello");
    // The writer's pointer is its own: at the end, where it wrote last.
    EXPECT_EQ(SetFilePointer(writer, 0, nullptr, FILE_CURRENT), 11u);
    EXPECT_EQ(SetFilePointer(writer, 8, nullptr, FILE_BEGIN), 8u);
    ASSERT_TRUE(SetEndOfFile(writer));
    // Cut behind the reader: its next read gets what is left past it.
    EXPECT_EQ(GetFileSize(reader, nullptr), 8u);
    EXPECT_EQ(ReadFrom(reader, 16), " wo");
    EXPECT_EQ(ReadFrom(reader, 16), "");
    // A write past the end leaves a hole that reads as zeros.
    EXPECT_EQ(SetFilePointer(writer, 2, nullptr, FILE_END), 10u);
    ASSERT_TRUE(WriteFile(writer, "!", 1, &n, nullptr));
    EXPECT_EQ(SetFilePointer(reader, -3, nullptr, FILE_END), 8u);
    EXPECT_EQ(ReadFrom(reader, 16), std::string("\0\0!", 3));
    CloseHandle(reader);
    CloseHandle(writer);

    // Emptied again by another open: the next reader starts at the start.
    HANDLE again = Open(u"C:\\pointer.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteFile(again, "new", 3, &n, nullptr));
    CloseHandle(again);
    HANDLE fresh = Open(u"C:\\pointer.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(ReadFrom(fresh, 16), "new");
    CloseHandle(fresh);
}

} // namespace
