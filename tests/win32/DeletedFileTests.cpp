// Files deleted and made again and again, as a working folder is emptied
// and refilled per item: a deleted file is gone for every process, whatever
// still holds it keeps what it had, and a new file is new.
#include "testsupport/MachineFixture.h"
#include "win32/FileApi.h"

#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DeletedFileTest : public testsupport::MachineFixture {
protected:
    static bool Make(LPCWSTR path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
    {
        HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return CloseHandle(h) && ok && written == text.size();
    }

    static std::string Read(LPCWSTR path)
    {
        HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return "<error " + std::to_string(GetLastError()) + ">";
        std::string text(1 << 16, '\0');
        DWORD got = 0;
        ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
        CloseHandle(h);
        text.resize(got);
        return text;
    }

    fs::path Host(const char* name) const { return m_root / "drive_c" / name; }

    // Every file under the root that is the given inode.
    std::vector<fs::path> FilesOfInode(ino_t inode) const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
            struct stat st = {};
            if (::lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_ino == inode)
                found.push_back(entry.path());
        }
        return found;
    }
};

TEST_F(DeletedFileTest, AMappingOfADeletedFileKeepsItsBytesInThisProcessAndAnother)
{
    const std::string text(20000, 'm');
    ASSERT_TRUE(Make(u"C:\\mapped.dll", text));
    // Mapped here, the descriptor closed, as a loaded module is.
    int fd = ::open(Host("mapped.dll").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    void* here = ::mmap(nullptr, text.size(), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    ASSERT_NE(here, MAP_FAILED);
    // And in another process.
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const std::string path = Host("mapped.dll").string();
    pid_t child = fork();
    if (child == 0) {
        int cfd = ::open(path.c_str(), O_RDONLY);
        void* there = cfd >= 0 ? ::mmap(nullptr, text.size(), PROT_READ, MAP_PRIVATE, cfd, 0) : MAP_FAILED;
        if (cfd >= 0)
            ::close(cfd);
        (void)!::write(ready[1], "r", 1);
        char c = 0;
        (void)!::read(go[0], &c, 1);
        if (there == MAP_FAILED)
            _exit(2);
        _exit(std::string(static_cast<const char*>(there), text.size()) == text ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(DeleteFileW(u"C:\\mapped.dll"));
    EXPECT_FALSE(fs::exists(Host("mapped.dll")));
    // New files made after it take nothing of it.
    ASSERT_TRUE(Make(u"C:\\next.dll", "next"));
    ASSERT_TRUE(Make(u"C:\\mapped.dll", "again"));
    (void)!::write(go[1], "g", 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0); // 1: the child's mapping changed; a signal: it was cut
    EXPECT_EQ(std::string(static_cast<const char*>(here), text.size()), text);
    ::munmap(here, text.size());
    EXPECT_EQ(Read(u"C:\\next.dll"), "next");
    EXPECT_EQ(Read(u"C:\\mapped.dll"), "again");
    for (int p : {ready[0], ready[1], go[0], go[1]})
        ::close(p);
}

TEST_F(DeletedFileTest, AReaderOutsideTheLayerKeepsTheDeletedBytesAndANewFileIsEmpty)
{
    for (int round = 0; round < 3; ++round) {
        const std::string text = "round " + std::to_string(round);
        ASSERT_TRUE(Make(u"C:\\part.doc", text));
        const int reader = ::open(Host("part.doc").c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        ASSERT_TRUE(DeleteFileW(u"C:\\part.doc"));
        ASSERT_TRUE(Make(u"C:\\part.doc", "x"));
        ASSERT_TRUE(Make(u"C:\\other.doc", ""));
        char buffer[32] = {};
        EXPECT_EQ(::pread(reader, buffer, sizeof buffer, 0), static_cast<ssize_t>(text.size()));
        EXPECT_EQ(std::string(buffer), text);
        ::close(reader);
        EXPECT_EQ(Read(u"C:\\part.doc"), "x");
        EXPECT_EQ(Read(u"C:\\other.doc"), "");
        ASSERT_TRUE(DeleteFileW(u"C:\\part.doc"));
        ASSERT_TRUE(DeleteFileW(u"C:\\other.doc"));
    }
}

TEST_F(DeletedFileTest, ADeletedFileFreesItsSpaceAndTheNextNewFileHasItsOwnAttributesAndTime)
{
    ASSERT_TRUE(Make(u"C:\\big.bin", std::string(300000, 'b')));
    struct stat before = {};
    ASSERT_EQ(::stat(Host("big.bin").c_str(), &before), 0);
    ASSERT_TRUE(DeleteFileW(u"C:\\big.bin"));
    for (const fs::path& left : FilesOfInode(before.st_ino))
        EXPECT_EQ(fs::file_size(left), 0u) << left;

    ASSERT_TRUE(Make(u"C:\\small.txt", "s"));
    struct stat small = {};
    ASSERT_EQ(::stat(Host("small.txt").c_str(), &small), 0);
    ASSERT_TRUE(DeleteFileW(u"C:\\small.txt"));
    const time_t made = ::time(nullptr);
    ASSERT_TRUE(Make(u"C:\\fresh.txt", "", FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(GetFileAttributesW(u"C:\\fresh.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"C:\\fresh.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(data.nFileSizeLow, 0u);
    struct stat fresh = {};
    ASSERT_EQ(::stat(Host("fresh.txt").c_str(), &fresh), 0);
    EXPECT_GE(fresh.st_mtim.tv_sec, made);
    EXPECT_EQ(fresh.st_mode & 0222, 0u);
    // A normal new file after it is writable again.
    ASSERT_TRUE(SetFileAttributesW(u"C:\\fresh.txt", FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(DeleteFileW(u"C:\\fresh.txt"));
    ASSERT_TRUE(Make(u"C:\\writable.txt", "w"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\writable.txt") & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(DeletedFileTest, ADeletedFileThatSomeoneOpensAfterwardsIsNotMadeIntoTheNextFile)
{
    ASSERT_TRUE(Make(u"C:\\gone.txt", "gone"));
    struct stat st = {};
    ASSERT_EQ(::stat(Host("gone.txt").c_str(), &st), 0);
    ASSERT_TRUE(DeleteFileW(u"C:\\gone.txt"));
    // Whatever is left of the deleted file, opened by an outside reader.
    std::vector<int> readers;
    for (const fs::path& left : FilesOfInode(st.st_ino))
        readers.push_back(::open(left.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(Make(u"C:\\new.txt", "new text"));
    EXPECT_EQ(Read(u"C:\\new.txt"), "new text");
    for (int reader : readers) {
        ASSERT_GE(reader, 0);
        char buffer[16] = {};
        EXPECT_LE(::pread(reader, buffer, sizeof buffer, 0), 0) << buffer;
        ::close(reader);
    }
}

TEST_F(DeletedFileTest, FilesKeptByAProcessThatWasKilledAreUnlinkedAndThoseOfALiveOneStay)
{
    // A process that is gone: a child that has ended and been waited for.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const fs::path kept = m_root / ".recycled";
    fs::create_directories(kept);
    const fs::path deadOnes = kept / (std::to_string(child) + "-0");
    const fs::path liveOnes = kept / (std::to_string(::getppid()) + "-0");
    std::ofstream(deadOnes).flush();
    std::ofstream(liveOnes).flush();

    ASSERT_TRUE(Make(u"C:\\item.txt", "item"));
    ASSERT_TRUE(DeleteFileW(u"C:\\item.txt"));
    std::size_t ours = 0;
    for (const auto& entry : fs::directory_iterator(kept))
        ours += entry.path().filename().string().starts_with(std::to_string(::getpid()) + "-");
    if (ours == 0)
        GTEST_SKIP() << "this kernel grants no write lease here, so no deleted file is kept";
    EXPECT_FALSE(fs::exists(deadOnes));
    EXPECT_TRUE(fs::exists(liveOnes));
}

} // namespace
