// The 64-bit file: sizes and positions past 4 GB, the seek origins, and
// every failure as a CFileException with the operating system's error.
#include "CFile64.h"
#include "testsupport/MachineFixture.h"

namespace {

class CFile64Test : public testsupport::MachineFixture {
protected:
    static constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

    static CFileException Caught(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const CFileException& error) {
            return error;
        }
        ADD_FAILURE() << "nothing was thrown";
        return CFileException();
    }
};

TEST_F(CFile64Test, OpenFailuresFillTheExceptionObjectAndThrowNothing)
{
    HANDLE holder = CreateFileW(u"C:\\held.nsf", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        CFile64 file;
        CFileException error;
        EXPECT_FALSE(file.Open(u"C:\\held.nsf", GENERIC_READ, 0, OPEN_EXISTING, &error));
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);
        EXPECT_EQ(CString(error.m_strFileName), CString(u"C:\\held.nsf"));
        EXPECT_EQ(file.m_hFile, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(file.Open(u"C:\\held.nsf", GENERIC_READ, 0, OPEN_EXISTING)) << "no exception object: still no throw";

        EXPECT_FALSE(file.Open(u"C:\\missing.nsf", GENERIC_READ, 0, OPEN_EXISTING, &error));
        EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    } // destroying an object whose Open failed touches nothing
    CloseHandle(holder);
    CFile64 again;
    EXPECT_TRUE(again.Open(u"C:\\held.nsf", GENERIC_READ, 0, OPEN_EXISTING)) << "the holder's handle is still its own";
}

TEST_F(CFile64Test, SizesAndPositionsAreWhole64BitValues)
{
    CFile64 file;
    ASSERT_TRUE(file.Open(u"C:\\big.pst", kReadWrite, 0, CREATE_NEW));
    // Low 32 bits all ones: a size like any other, not a failure.
    const ULONGLONG size = 0x1FFFFFFFFULL;
    file.SetLength(&size);
    EXPECT_EQ(file.GetLength(), size);
    EXPECT_EQ(file.GetPosition(), size) << "SetLength leaves the position at the new end";

    const ULONGLONG past4g = 0x100000010ULL;
    EXPECT_EQ(file.Seek(&past4g, CFile64::begin), past4g);
    file.Write("tail", 4);
    EXPECT_EQ(file.GetPosition(), past4g + 4);
    EXPECT_EQ(file.Seek(&past4g, CFile64::begin), past4g);
    char read[4] = {};
    EXPECT_EQ(file.Read(read, 4), 4u);
    EXPECT_EQ(std::string(read, 4), "tail");
    EXPECT_EQ(file.SeekToEnd(), size);
    EXPECT_EQ(file.Read(read, 4), 0u) << "reading at the end reads nothing";
}

TEST_F(CFile64Test, SeekFromTheCurrentPositionOrTheEndGoesForwardOrBack)
{
    CFile64 file;
    ASSERT_TRUE(file.Open(u"C:\\seek.bin", kReadWrite, 0, CREATE_NEW));
    file.Write("0123456789", 10);
    const ULONGLONG three = 3;
    EXPECT_EQ(file.Seek(&three, CFile64::current, FALSE), 7u);
    EXPECT_EQ(file.Seek(&three, CFile64::current, TRUE), 10u);
    EXPECT_EQ(file.Seek(&three, CFile64::end, FALSE), 7u);
    EXPECT_EQ(file.Seek(&three, CFile64::end), 13u) << "past the end, as the platform allows";
    EXPECT_EQ(file.SeekToBegin(), 0u);

    const ULONGLONG tooFar = 11;
    CFileException error = Caught([&] { file.Seek(&tooFar, CFile64::end, FALSE); });
    EXPECT_EQ(error.m_cause, CFileException::badSeek);
    EXPECT_EQ(error.m_lOsError, 131);
    EXPECT_EQ(file.GetPosition(), 0u) << "a failed seek stays where it was";
}

TEST_F(CFile64Test, FailingCallsThrowTheOsErrorWithTheFileName)
{
    WriteHostFile(Host(u"C:\\ro.bin"), "data");
    CFile64 file;
    ASSERT_TRUE(file.Open(u"C:\\ro.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    CFileException write = Caught([&] { file.Write("x", 1); });
    EXPECT_EQ(write.m_cause, CFileException::accessDenied);
    EXPECT_EQ(write.m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(CString(write.m_strFileName), CString(u"C:\\ro.bin"));
    file.Close();
    EXPECT_EQ(file.GetFilePath(), CString()) << "Close forgets the name";

    CFileException read = Caught([&] {
        char byte;
        file.Read(&byte, 1);
    });
    EXPECT_EQ(read.m_cause, CFileException::invalidFile);
    EXPECT_EQ(read.m_lOsError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(Caught([&] { file.GetLength(); }).m_lOsError, ERROR_INVALID_HANDLE);
    file.Flush(); // nothing open: nothing to flush, no throw
    file.Abort(); // never throws
}

TEST_F(CFile64Test, AFailingCloseThrowsAfterTheObjectLetGo)
{
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x7FFC));
    CFile64 file(bogus, true);
    file.SetFilePath(u"C:\\gone.bin");
    CFileException error = Caught([&] { file.Close(); });
    EXPECT_EQ(error.m_lOsError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(CString(error.m_strFileName), CString(u"C:\\gone.bin"));
    EXPECT_EQ(file.m_hFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.GetFilePath(), CString());
}

TEST_F(CFile64Test, ADuplicateSharesTheFileAndLocksKeepOthersOut)
{
    CFile64 file;
    ASSERT_TRUE(file.Open(u"C:\\dup.bin", kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW));
    file.Write("abcdef", 6);
    std::unique_ptr<CFile64> copy(file.Duplicate());
    EXPECT_EQ(copy->GetFilePath(), CString(u"C:\\dup.bin"));
    EXPECT_EQ(copy->GetPosition(), 6u) << "one file pointer for both";
    EXPECT_EQ(copy->GetFileType(), FILE_TYPE_DISK);

    CFile64 other;
    ASSERT_TRUE(other.Open(u"C:\\dup.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    const ULONGLONG at = 0x100000000ULL;
    file.LockRange(at, 10);
    CFileException locked = Caught([&] { other.LockRange(at + 9, 1); });
    EXPECT_EQ(locked.m_cause, CFileException::lockViolation);
    EXPECT_EQ(locked.m_lOsError, ERROR_LOCK_VIOLATION);
    EXPECT_EQ(Caught([&] { other.UnlockRange(at, 10); }).m_lOsError, ERROR_NOT_LOCKED);
    file.UnlockRange(at, 10);
    other.LockRange(at + 9, 1);

    file.Close();
    EXPECT_EQ(copy->GetLength(), 6u) << "the duplicate outlives the first object";
    CFileException closed = Caught([&] { std::unique_ptr<CFile64> none(file.Duplicate()); });
    EXPECT_EQ(closed.m_lOsError, ERROR_INVALID_HANDLE);
}

} // namespace
