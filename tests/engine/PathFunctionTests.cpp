// The mail converter's path helpers: a component of a backslash path, and
// emptying the attachment folder.
#include "CProDlg.h"
#include "PathFunctions.h"

#include "testsupport/MachineFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(GetPathComponent, TakesTheTextBetweenTheNthBackslashAndTheNext)
{
    CProDlg dialog;
    const WCHAR* path = u"Mail\\Projects\\2026\\";
    WCHAR out[MAX_PATH];
    const char16_t* expected[] = {u"Mail", u"Projects", u"2026"};
    for (int n = 0; n < 3; ++n) {
        dialog.GetPathComponent(path, n, out);
        EXPECT_EQ(std::u16string(out), expected[n]) << n;
    }
    // A backslash right after the n-th gives the empty text.
    dialog.GetPathComponent(u"Mail\\\\Inbox\\", 1, out);
    EXPECT_EQ(std::u16string(out), u"");
}

TEST(GetPathComponent, NeverRunsPastThePathOrTheBuffer)
{
    CProDlg dialog;
    WCHAR out[MAX_PATH] = u"stale";
    dialog.GetPathComponent(u"Mail\\Inbox\\", 5, out);
    EXPECT_EQ(std::u16string(out), u"");
    dialog.GetPathComponent(u"Mail\\Inbox", 1, out);
    EXPECT_EQ(std::u16string(out), u"Inbox");
    WCHAR small[4];
    dialog.GetPathComponent(u"Mail\\Projects\\", 1, small);
    EXPECT_EQ(std::u16string(small), u"Pro");
}

class FolderFiles : public testsupport::MachineFixture {};

TEST_F(FolderFiles, EveryFileOfTheFolderGoesButItsSubfoldersStay)
{
    WriteHostFile(Host(u"C:\\Pellinor\\Attachment\\report.doc"), "a");
    WriteHostFile(Host(u"C:\\Pellinor\\Attachment\\Decode.bmp"), "b");
    WriteHostFile(Host(u"C:\\Pellinor\\Attachment\\Inner\\kept.txt"), "c");
    WriteHostFile(Host(u"C:\\Pellinor\\beside.txt"), "d");
    DeleteFilesInFolder(u"C:\\Pellinor\\Attachment\\");
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Pellinor\\Attachment\\report.doc")));
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Pellinor\\Attachment\\Decode.bmp")));
    EXPECT_TRUE(std::filesystem::exists(Host(u"C:\\Pellinor\\Attachment\\Inner\\kept.txt")));
    EXPECT_TRUE(std::filesystem::exists(Host(u"C:\\Pellinor\\beside.txt")));
    // A missing folder is no error.
    DeleteFilesInFolder(u"C:\\Nowhere\\");
}

} // namespace
