// A file that is emptied and written again and again (CREATE_ALWAYS), as a
// program rewrites a small hand-off file per item: every open sees the file
// as it is now, whoever changed it, and a closed handle leaves nothing held.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RewrittenFileTest : public testsupport::MachineFixture {
protected:
    static HANDLE Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition)
    {
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static bool Rewrite(LPCWSTR path, const std::string& text)
    {
        HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return CloseHandle(h) && ok && written == text.size();
    }

    // The whole file through a handle that shares everything; "<error N>"
    // when it cannot be opened.
    static std::string ReadWhole(LPCWSTR path)
    {
        HANDLE h = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE)
            return "<error " + std::to_string(GetLastError()) + ">";
        std::string text;
        char buffer[64];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        CloseHandle(h);
        return text;
    }

    // Runs body in a child process of the same root; its exit code.
    static int InChild(const std::function<int()>& body)
    {
        pid_t child = fork();
        if (child == 0)
            _exit(body());
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
    }

    // Descriptors of this process that name files inside the root, and of
    // them those whose file is deleted.
    std::pair<int, int> DescriptorsIntoRoot() const
    {
        std::pair<int, int> counts;
        const std::string root = m_root.string();
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const std::string target = fs::read_symlink(entry.path(), error).string();
            if (error || !target.starts_with(root) || target.ends_with(".share.lock") || target.ends_with("registry.lock"))
                continue;
            ++counts.first;
            counts.second += target.ends_with(" (deleted)") ? 1 : 0;
        }
        return counts;
    }
};

TEST_F(RewrittenFileTest, EveryOpenReadsTheLastTextFromItsStartAndShorterTextsLeaveNoTail)
{
    for (const std::string text : {"From: a long sender name <CN=Someone/O=Org", "From: b", "", "From: c <d"}) {
        ASSERT_TRUE(Rewrite(u"C:\\tol.eml", text));
        EXPECT_EQ(ReadWhole(u"C:\\tol.eml"), text);
        EXPECT_EQ(ReadWhole(u"c:\\TOL.EML"), text);
        EXPECT_EQ(ReadHostFile(Host(u"C:\\tol.eml")), text);
    }
    // CREATE_ALWAYS still says that the file was there.
    HANDLE h = Open(u"C:\\tol.eml", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

TEST_F(RewrittenFileTest, AFileChangedOrReplacedBehindTheLayerIsOpenedAsItIsNow)
{
    const fs::path host = Host(u"C:\\tol.eml");
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "ours"));
    // Rewritten in place by another program.
    WriteHostFile(host, "theirs, in place");
    EXPECT_EQ(ReadWhole(u"C:\\tol.eml"), "theirs, in place");
    // Deleted and made anew: another file under the same name.
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "ours again"));
    fs::remove(host);
    WriteHostFile(host, "a new file");
    EXPECT_EQ(ReadWhole(u"C:\\tol.eml"), "a new file");
    // Another file renamed over it.
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "ours once more"));
    WriteHostFile(Host(u"C:\\other.eml"), "renamed over it");
    fs::rename(Host(u"C:\\other.eml"), host);
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "after the rename"));
    EXPECT_EQ(ReadHostFile(host), "after the rename");
    // Deleted behind the layer: the name is gone for every open.
    fs::remove(host);
    EXPECT_EQ(ReadWhole(u"C:\\tol.eml"), "<error 2>");
    EXPECT_EQ(Open(u"C:\\tol.eml", GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RewrittenFileTest, AClosedHandleHoldsNoShareOrRangeLockForAnyProcess)
{
    HANDLE h = Open(u"C:\\tol.eml", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(LockFile(h, 0, 0, 100, 0));
    auto exclusiveLockInChild = [] {
        return InChild([] {
            HANDLE other = Open(u"C:\\tol.eml", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
            if (other == INVALID_HANDLE_VALUE)
                return static_cast<int>(GetLastError() & 0x7F);
            return LockFile(other, 0, 0, 100, 0) ? 0 : 100;
        });
    };
    EXPECT_EQ(exclusiveLockInChild(), ERROR_SHARING_VIOLATION);
    CloseHandle(h);
    EXPECT_EQ(exclusiveLockInChild(), 0);
    // Within the process too: an exclusive open, then a delete.
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "x"));
    HANDLE again = Open(u"C:\\tol.eml", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(LockFile(again, 0, 0, 100, 0));
    CloseHandle(again);
    EXPECT_TRUE(DeleteFileW(u"C:\\tol.eml"));
    EXPECT_FALSE(fs::exists(Host(u"C:\\tol.eml")));
}

TEST_F(RewrittenFileTest, AnExclusiveOpenInAForkedChildStillKeepsTheParentOut)
{
    // The parent emptied the file and closed its last handle before the
    // fork: the child must not take the file up on anything it shares with
    // the parent.
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "made"));
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "parent"));
    int opened[2], release[2];
    ASSERT_EQ(pipe(opened), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    if (child == 0) {
        HANDLE h = Open(u"C:\\tol.eml", GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD written = 0;
        char ok = h != INVALID_HANDLE_VALUE && WriteFile(h, "child", 5, &written, nullptr) ? 'y' : 'n';
        (void)!write(opened[1], &ok, 1);
        char go = 0;
        (void)!read(release[0], &go, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(opened[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_EQ(Open(u"C:\\tol.eml", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\tol.eml")), "child");
    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {opened[0], opened[1], release[0], release[1]})
        close(fd);
    ASSERT_TRUE(Rewrite(u"C:\\tol.eml", "parent again"));
    EXPECT_EQ(ReadWhole(u"C:\\tol.eml"), "parent again");
}

TEST_F(RewrittenFileTest, ManyRewrittenFilesHoldFewDescriptorsAndDeletedOnesNone)
{
    const auto before = DescriptorsIntoRoot();
    std::vector<std::u16string> names;
    for (int i = 0; i < 20; ++i)
        names.push_back(u"C:\\file" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".rtf");
    for (int round = 0; round < 2; ++round) {
        for (const auto& name : names)
            ASSERT_TRUE(Rewrite(name.c_str(), "round " + std::to_string(round)));
    }
    const auto held = DescriptorsIntoRoot();
    EXPECT_LE(held.first - before.first, 4);
    for (const auto& name : names) {
        EXPECT_EQ(ReadWhole(name.c_str()), "round 1");
        EXPECT_TRUE(DeleteFileW(name.c_str()));
    }
    // A deleted file is let go, so its space is free again.
    EXPECT_EQ(DescriptorsIntoRoot().second, 0);
    // And its name may be made anew, empty.
    HANDLE h = Open(names[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

} // namespace
