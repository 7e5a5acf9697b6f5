#include "afx/FileException.h"

#include <gtest/gtest.h>

namespace {

TEST(FileExceptions, OsErrorsMapToTheirCausesAndTravelWithTheFileName)
{
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_SUCCESS), CFileException::none);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_PATH_NOT_FOUND), CFileException::badPath);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION), CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), 13); // the cause a short write reports
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_HANDLE_EOF), CFileException::endOfFile);
    EXPECT_EQ(CFileException::OsErrorToException(12345), CFileException::genericException);
    try {
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, u"C:\\a.nsf");
        FAIL() << "nothing thrown";
    } catch (const CException& thrown) {
        auto* file = dynamic_cast<const CFileException*>(&thrown);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->m_cause, CFileException::accessDenied);
        EXPECT_EQ(file->m_lOsError, ERROR_ACCESS_DENIED);
        EXPECT_EQ(file->m_strFileName, u"C:\\a.nsf");
    }
}

} // namespace
