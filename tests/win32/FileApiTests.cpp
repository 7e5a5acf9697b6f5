#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The names a search of the pattern finds, sorted; with filesOnly, without
// its folders ("." and ".." among them).
std::vector<std::u16string> FoundNames(LPCWSTR pattern, bool filesOnly)
{
    std::vector<std::u16string> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return found;
    do {
        if (!filesOnly || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.emplace_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

class FileApiTest : public testsupport::MachineFixture {
protected:
    HANDLE Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition)
    {
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    // Runs an open in a separate process of the same root and returns its
    // error (0 when it opened).
    DWORD OpenInOtherProcess(LPCWSTR path, DWORD access, DWORD share)
    {
        pid_t child = fork();
        if (child == 0) {
            HANDLE h = Open(path, access, share, OPEN_EXISTING);
            _exit(h == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 255;
    }
};

TEST_F(FileApiTest, WriteReadSeekAndSize)
{
    HANDLE h = Open(u"C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
    EXPECT_EQ(n, 11u);
    EXPECT_EQ(GetFileSize(h, nullptr), 11u);
    EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(SetFilePointer(h, -6, nullptr, FILE_END), 5u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);
    EXPECT_EQ(SetFilePointer(h, -10, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ReadHostFile(m_root / "drive_c" / "data.bin"), "hello");
}

TEST_F(FileApiTest, DispositionsAndTheirErrors)
{
    EXPECT_EQ(Open(u"C:\\x.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(u"C:\\no\\x.txt", GENERIC_WRITE, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE h = Open(u"C:\\x.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    WriteFile(h, "abc", 3, nullptr, nullptr);
    CloseHandle(h);

    h = Open(u"C:\\X.TXT", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 3u); // open-always keeps the contents
    CloseHandle(h);

    EXPECT_EQ(Open(u"C:\\x.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    h = Open(u"C:\\x.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);

    EXPECT_EQ(Open(u"C:\\", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileApiTest, ShareModesConflictWithinTheProcess)
{
    HANDLE first = Open(u"C:\\log.txt", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(u"C:\\LOG.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(u"C:\\log.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(first);

    // Readers that share reading coexist; a writer is then refused.
    HANDLE r1 = Open(u"C:\\log.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    HANDLE r2 = Open(u"C:\\log.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(r1, INVALID_HANDLE_VALUE);
    EXPECT_NE(r2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(u"C:\\log.txt", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    // An open that denies reading conflicts with the readers already there.
    EXPECT_EQ(Open(u"C:\\log.txt", GENERIC_READ, FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    CloseHandle(r1);
    CloseHandle(r2);
    HANDLE w = Open(u"C:\\log.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_NE(w, INVALID_HANDLE_VALUE);
    CloseHandle(w);
    EXPECT_TRUE(DeleteFileW(u"C:\\log.txt"));
}

TEST_F(FileApiTest, ShareModesConflictAcrossProcesses)
{
    HANDLE held = Open(u"C:\\shared.txt", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE),
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\shared.txt", GENERIC_READ | GENERIC_WRITE, 0), 0u);
}

TEST_F(FileApiTest, ReadOnlyFilesRefuseWritesAndDeletesUntilMadeNormal)
{
    WriteHostFile(m_root / "drive_c" / "ro.txt", "keep");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Open(u"C:\\ro.txt", GENERIC_WRITE, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
    EXPECT_EQ(_waccess(u"C:\\ro.txt", 2), -1);
    EXPECT_EQ(_waccess(u"C:\\ro.txt", 0), 0);
    HANDLE reader = Open(u"C:\\ro.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);

    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(_wunlink(u"C:\\ro.txt"), 0);
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileApiTest, FoldersAreCreatedAndRemoved)
{
    EXPECT_TRUE(CreateDirectoryW(u"C:\\Program Files", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\program files", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"C:\\Program Files"), FILE_ATTRIBUTE_DIRECTORY);
    WriteHostFile(m_root / "drive_c" / "Program Files" / "f", "x");
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\Program Files"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    DeleteFileW(u"C:\\Program Files\\f");
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\Program Files\\"));
}

TEST_F(FileApiTest, FindMatchesWildcardsIgnoringCase)
{
    CreateDirectoryW(u"C:\\Attachment", nullptr);
    WriteHostFile(m_root / "drive_c" / "Attachment" / "Report.DOC", "12345");
    WriteHostFile(m_root / "drive_c" / "Attachment" / "notes.txt", "1");
    WriteHostFile(m_root / "drive_c" / "Attachment" / "readme", "");

    auto list = [](LPCWSTR pattern) {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(pattern, &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            names.emplace_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    };
    using V = std::vector<std::u16string>;
    EXPECT_EQ(list(u"C:\\Attachment\\*.*"), (V{u".", u"..", u"Report.DOC", u"notes.txt", u"readme"}));
    EXPECT_EQ(list(u"C:\\attachment\\*.doc"), (V{u"Report.DOC"}));
    EXPECT_EQ(list(u"C:\\Attachment\\?otes.*"), (V{u"notes.txt"}));
    EXPECT_EQ(list(u"C:\\Attachment\\*.pdf"), V{});
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(list(u"C:\\Missing\\*"), V{});
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"C:\\Attachment\\report.doc", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    FindClose(find);
}

TEST_F(FileApiTest, DiskFreeSpaceCanBePinned)
{
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    setenv("MARLWICK_DISK_FREE", "314572800", 1);
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", &available, &total, &free));
    EXPECT_EQ(available.QuadPart, 314572800u);
    EXPECT_EQ(free.QuadPart, 314572800u);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\missing", &available, nullptr, nullptr));
    unsetenv("MARLWICK_DISK_FREE");
}

TEST_F(FileApiTest, ADiskFreeSpaceHookAnswersForEveryFolderOrFailsTheCall)
{
    std::u16string asked;
    win32::SetDiskFreeSpaceHook([&asked](LPCWSTR folder) -> std::optional<ULONGLONG> {
        asked = folder;
        if (asked == u"C:\\broken")
            return std::nullopt;
        return 314572801;
    });
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\missing", &available, &total, &free));
    EXPECT_EQ(asked, u"C:\\missing");
    EXPECT_EQ(available.QuadPart, 314572801u);
    EXPECT_EQ(free.QuadPart, 314572801u);
    SetLastError(0);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\broken", &available, &total, &free));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    win32::SetDiskFreeSpaceHook(nullptr);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\broken", &available, &total, &free));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileApiTest, CopyAndMove)
{
    WriteHostFile(m_root / "drive_c" / "a.nsf", std::string(100000, 'n'));
    EXPECT_TRUE(CopyFileW(u"C:\\a.nsf", u"C:\\b.nsf", TRUE));
    EXPECT_FALSE(CopyFileW(u"C:\\a.nsf", u"C:\\b.nsf", TRUE));
    EXPECT_EQ(ReadHostFile(m_root / "drive_c" / "b.nsf").size(), 100000u);
    EXPECT_TRUE(MoveFileW(u"C:\\b.nsf", u"C:\\c.nsf"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\b.nsf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(u"C:\\c.nsf"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileApiTest, AnOpenRefusedBySharingLeavesTheFileWhole)
{
    WriteHostFile(m_root / "drive_c" / "tol.eml", "From: kept");
    HANDLE reader = Open(u"C:\\tol.eml", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // Truncation waits for the share check: a refused CREATE_ALWAYS or
    // TRUNCATE_EXISTING does not empty the reader's file.
    EXPECT_EQ(Open(u"C:\\tol.eml", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(u"C:\\tol.eml", GENERIC_WRITE, FILE_SHARE_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadHostFile(m_root / "drive_c" / "tol.eml"), "From: kept");
    CloseHandle(reader);

    // Once the reader is gone the file is emptied, also through a handle
    // that may only read.
    HANDLE emptied = Open(u"C:\\tol.eml", GENERIC_READ, 0, CREATE_ALWAYS);
    ASSERT_NE(emptied, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(emptied, nullptr), 0u);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(emptied, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(emptied);
}

TEST_F(FileApiTest, AHandleDoesOnlyWhatItsAccessAllows)
{
    HANDLE writer = Open(u"C:\\w.txt", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(writer, "abc", 3, &n, nullptr));
    SetFilePointer(writer, 0, nullptr, FILE_BEGIN);
    char buffer[4] = {};
    EXPECT_FALSE(ReadFile(writer, buffer, 3, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // The writer shares reading only: a reader comes in, another writer not.
    HANDLE reader = Open(u"C:\\w.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(ReadFile(reader, buffer, 3, &n, nullptr));
    EXPECT_EQ(std::string(buffer, n), "abc");
    EXPECT_EQ(Open(u"C:\\w.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(reader);
    CloseHandle(writer);
}

TEST_F(FileApiTest, AnotherProcessHoldingAFileRefusesOpensAndDeletesUntilItEnds)
{
    WriteHostFile(m_root / "drive_c" / "held.txt", "held");
    int opened[2], release[2];
    ASSERT_EQ(pipe(opened), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    if (child == 0) {
        HANDLE h = Open(u"C:\\held.txt", GENERIC_READ, 0, OPEN_EXISTING);
        char ok = h == INVALID_HANDLE_VALUE ? 'n' : 'y';
        (void)!write(opened[1], &ok, 1);
        char go = 0;
        (void)!read(release[0], &go, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(opened[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_EQ(Open(u"C:\\held.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(u"C:\\held.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileW(u"C:\\held.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadHostFile(m_root / "drive_c" / "held.txt"), "held");

    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {opened[0], opened[1], release[0], release[1]})
        close(fd);
    // Its markers went with the process.
    EXPECT_TRUE(DeleteFileW(u"C:\\held.txt"));
}

TEST_F(FileApiTest, FindSeesFilesAddedAndRemovedBetweenSearches)
{
    CreateDirectoryW(u"C:\\Attachment", nullptr);
    auto count = [] {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(u"C:\\Attachment\\*.*", &data);
        int files = 0;
        if (find == INVALID_HANDLE_VALUE)
            return files;
        do {
            files += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return files;
    };
    EXPECT_EQ(count(), 0);
    WriteHostFile(m_root / "drive_c" / "Attachment" / "a.doc", "a");
    HANDLE open = Open(u"C:\\Attachment\\b.doc", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ(count(), 2);
    // A file open without FILE_SHARE_DELETE is listed but not deleted.
    EXPECT_TRUE(DeleteFileW(u"C:\\Attachment\\a.doc"));
    EXPECT_FALSE(DeleteFileW(u"C:\\Attachment\\b.doc"));
    EXPECT_EQ(count(), 1);
    CloseHandle(open);
    EXPECT_TRUE(DeleteFileW(u"C:\\Attachment\\B.DOC"));
    EXPECT_EQ(count(), 0);
}

TEST_F(FileApiTest, FindListsAFolderReplacedOrRenamedBehindItsBackAsItIsNow)
{
    auto names = [](LPCWSTR pattern) {
        return FoundNames(pattern, /*filesOnly=*/true);
    };
    using Names = std::vector<std::u16string>;
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Attachment", nullptr));
    WriteHostFile(m_root / "drive_c" / "Attachment" / "a.doc", "a");
    EXPECT_EQ(names(u"C:\\Attachment\\*.*"), Names{u"a.doc"});
    // Removed and made again by another program, with other files.
    fs::remove_all(m_root / "drive_c" / "Attachment");
    fs::create_directory(m_root / "drive_c" / "Attachment");
    WriteHostFile(m_root / "drive_c" / "Attachment" / "b.doc", "b");
    WriteHostFile(m_root / "drive_c" / "Attachment" / "c.doc", "c");
    EXPECT_EQ(names(u"C:\\Attachment\\*.*"), (Names{u"b.doc", u"c.doc"}));
    // Renamed away, and a new folder under the old name.
    ASSERT_TRUE(MoveFileW(u"C:\\Attachment", u"C:\\Old"));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Attachment", nullptr));
    EXPECT_EQ(names(u"C:\\Attachment\\*.*"), Names{});
    EXPECT_EQ(names(u"C:\\Old\\*.*"), (Names{u"b.doc", u"c.doc"}));
    EXPECT_EQ(names(u"C:\\Attachment\\*.*"), Names{});
    // Gone: the search fails as for any missing folder.
    ASSERT_TRUE(RemoveDirectoryW(u"C:\\Attachment"));
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"C:\\Attachment\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileApiTest, AnEmptiedFolderSearchedAgainShowsWhatAnotherProcessPutInOrTookOut)
{
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Attachment", nullptr));
    auto names = [] { return FoundNames(u"C:\\Attachment\\*.*", /*filesOnly=*/false); };
    using Names = std::vector<std::u16string>;
    auto inChild = [](const std::function<void()>& body) {
        pid_t child = fork();
        if (child == 0) {
            body();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    // Empty, searched twice: its dots, with the folder's own times.
    EXPECT_EQ(names(), (Names{u".", u".."}));
    EXPECT_EQ(names(), (Names{u".", u".."}));
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"C:\\Attachment\\*.doc", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HANDLE dot = FindFirstFileW(u"C:\\Attachment\\*", &data);
    ASSERT_NE(dot, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    FindClose(dot);

    const fs::path folder = m_root / "drive_c" / "Attachment";
    ASSERT_TRUE(inChild([&] { WriteHostFile(folder / "from child.doc", "x"); }));
    EXPECT_EQ(names(), (Names{u".", u"..", u"from child.doc"}));
    ASSERT_TRUE(inChild([&] { fs::remove(folder / "from child.doc"); }));
    EXPECT_EQ(names(), (Names{u".", u".."}));
    // Through the layer in the child, then renamed in and out by the host.
    ASSERT_TRUE(inChild([] {
        HANDLE h = CreateFileW(u"C:\\Attachment\\made.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        CloseHandle(h);
    }));
    EXPECT_EQ(names(), (Names{u".", u"..", u"made.txt"}));
    ASSERT_TRUE(inChild([&] { fs::rename(folder / "made.txt", m_root / "drive_c" / "away.txt"); }));
    EXPECT_EQ(names(), (Names{u".", u".."}));
    ASSERT_TRUE(inChild([&] { fs::rename(m_root / "drive_c" / "away.txt", folder / "back.txt"); }));
    EXPECT_EQ(names(), (Names{u".", u"..", u"back.txt"}));
}
