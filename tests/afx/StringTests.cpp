// CString: formatting as the wide C runtime does it, the slicing operations
// at their edges, and strings of the resources.
#include "AfxTestSupport.h"

#include "win32/WideString.h"

#include <cstdint>

using namespace afxtest;

namespace {

TEST(CStringFormat, IntegersTakeTheirWidthsFlagsAndWindowsSizes)
{
    CString text;
    text.Format(u"%d-%d-%d %d:%d", 8, 12, 2026, 14, 7);
    EXPECT_EQ(text, u"8-12-2026 14:7");
    text.Format(u"[%5d|%-5d|%05d]", -42, 42, 42);
    EXPECT_EQ(text, u"[  -42|42   |00042]");
    text.Format(u"%x %X %08x", 255u, 0xABCDu, 0x1Fu);
    EXPECT_EQ(text, u"ff ABCD 0000001f");
    // long is 32 bits on Windows: %ld takes a LONG, and %u shows a negative int's bits.
    LONG big = INT32_MIN;
    text.Format(u"%ld %u", big, -1);
    EXPECT_EQ(text, u"-2147483648 4294967295");
    text.Format(u"%I64d", static_cast<LONGLONG>(1) << 40);
    EXPECT_EQ(text, u"1099511627776");
    // Plain conversions, written without the host's printf, cut and case as it does.
    text.Format(u"%hd %hu %X %x %i %u", 70000, 70000, 0xF00Du, 0x9ABCu, -7, 0u);
    EXPECT_EQ(text, u"4464 4464 F00D 9abc -7 0");
}

TEST(CStringFormat, StringsCharactersAndOddSpecifications)
{
    CString text;
    text.Format(u"%s|%10s|%-4s|%.2s", u"Inbox", u"Sent", u"a", u"Drafts");
    EXPECT_EQ(text, u"Inbox|      Sent|a   |Dr");
    text.Format(u"%s", static_cast<LPCWSTR>(nullptr));
    EXPECT_EQ(text, u"(null)");
    text.Format(u"%S and %c", "narrow", u'w');
    EXPECT_EQ(text, u"narrow and w");
    text.Format(u"100%% %q");
    EXPECT_EQ(text, u"100% %q");
    text.Format(u"%*d", 6, 7);
    EXPECT_EQ(text, u"     7");
    text.AppendFormat(u"+%d", 1);
    EXPECT_EQ(text, u"     7+1");
    text.Format(u"");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringFormat, AWideFieldIsNotCutShort)
{
    CString text;
    text.Format(u"%700d", 5);
    EXPECT_EQ(text.GetLength(), 700);
    EXPECT_EQ(text.Right(2), u" 5");
    CString many(u'x', 5000);
    text.Format(u"<%s>", static_cast<LPCWSTR>(many));
    EXPECT_EQ(text.GetLength(), 5002);
    text.Format(u"%ls", u"wide");
    EXPECT_EQ(text, u"wide");
}

TEST(CStringOperations, SlicesSearchesAndCaseAtTheirEdges)
{
    CString path(u"C:\\Data\\Mail.NSF");
    EXPECT_EQ(path.Mid(path.ReverseFind(u'.')), u".NSF");
    EXPECT_EQ(path.Mid(path.ReverseFind(u'.'), 4).CompareNoCase(u".nsf"), 0);
    EXPECT_EQ(path.Mid(100), u"");
    EXPECT_EQ(path.Mid(-3, 2), u"C:");
    EXPECT_EQ(path.Left(-1), u"");
    EXPECT_EQ(path.Left(99), path);
    EXPECT_EQ(path.Right(3), u"NSF");
    EXPECT_EQ(path.Find(u'\\', 3), 7);
    EXPECT_EQ(path.Find(u"Mail"), 8);
    EXPECT_EQ(path.Find(u'Z'), -1);
    EXPECT_EQ(CString(u"nodot").ReverseFind(u'.'), -1);
    EXPECT_LT(CString(u"abc").CompareNoCase(u"ABD"), 0);

    CString mixed(u"Lotus Notes é");
    mixed.MakeUpper();
    EXPECT_EQ(mixed, u"LOTUS NOTES É");
    mixed.MakeLower();
    EXPECT_EQ(mixed, u"lotus notes é");

    CString padded(u" \t name \r\n");
    padded.TrimLeft();
    EXPECT_EQ(padded, u"name \r\n");
    padded.TrimRight();
    EXPECT_EQ(padded, u"name");
}

TEST(CStringOperations, BuffersReleaseToTheirTerminatorOrTheLengthGiven)
{
    CString text(u"abc");
    LPWSTR buffer = text.GetBuffer(10);
    lstrcpynW(buffer, u"Notes", 10);
    text.ReleaseBuffer();
    EXPECT_EQ(text, u"Notes");
    buffer = text.GetBuffer(0);
    buffer[2] = 0;
    text.ReleaseBuffer(4); // an explicit length keeps the characters after a zero
    EXPECT_EQ(text.GetLength(), 4);
    text.ReleaseBuffer(99);
    EXPECT_EQ(text.GetLength(), 4);
    EXPECT_EQ(CString(u"a") + u"b" + CString(u"c") + u'd', u"abcd");
    EXPECT_EQ(u"x" + CString(u"y"), u"xy");
}

TEST(CStringResources, LoadStringReadsTheStringTableOfTheResourceModule)
{
    Module();
    CString text;
    EXPECT_TRUE(text.LoadString(kStringTitle));
    EXPECT_EQ(text, u"&About the test program");
    EXPECT_FALSE(text.LoadString(9999));
    EXPECT_TRUE(text.IsEmpty());
}

} // namespace
