#include "win32/WideString.h"

#include <gtest/gtest.h>

TEST(WideString, CopiesNeverRunPastTheBuffer)
{
    WCHAR buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(wcscpy_s(buffer, 6, u"12345"), 0);
    EXPECT_EQ(std::u16string(buffer), u"12345");
    EXPECT_EQ(wcscpy_s(buffer, 6, u"123456"), ERANGE_RESULT);
    EXPECT_EQ(buffer[0], 0);

    wcscpy_s(buffer, 6, u"ab");
    EXPECT_EQ(wcscat_s(buffer, 6, u"cde"), 0);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    EXPECT_EQ(wcscat_s(buffer, 6, u"f"), ERANGE_RESULT);

    EXPECT_EQ(StringCchCopyW(buffer, 6, u"abcdefgh"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    StringCchCopyW(buffer, 6, u"ab");
    EXPECT_EQ(StringCchCatW(buffer, 6, u"cdefg"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abcde");

    EXPECT_EQ(wcsncpy_s(buffer, 6, u"abcdefgh", _TRUNCATE), STRUNCATE);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    lstrcpynW(buffer, u"xyzxyzxyz", 4);
    EXPECT_EQ(std::u16string(buffer), u"xyz");
}

TEST(WideString, CaseInsensitiveComparisonCoversLatinGreekAndCyrillic)
{
    EXPECT_EQ(_wcsicmp(u"Activity LOG.txt", u"activity log.TXT"), 0);
    EXPECT_EQ(_wcsicmp(u"\u00C9t\u00E9", u"\u00E9T\u00C9"), 0);
    EXPECT_EQ(_wcsicmp(u"\u0416\u03A3", u"\u0436\u03C3"), 0);
    EXPECT_EQ(_wcsicmp(u"\u0100\u0139", u"\u0101\u013A"), 0);
    EXPECT_LT(_wcsicmp(u"abc", u"abd"), 0);
    EXPECT_GT(_wcsicmp(u"abcd", u"ABC"), 0);
    EXPECT_EQ(_wcsnicmp(u"Lotus Notes\\Inbox", u"LOTUS NOTES\\x", 12), 0);
    EXPECT_TRUE(EqualsNoCase(u"OUTLOOK.EXE", u"outlook.exe"));
    EXPECT_FALSE(EqualsNoCase(u"OUTLOOK.EXE", u"outlook.ex"));
}

TEST(WideString, SearchFunctions)
{
    const WCHAR* path = u"C:\\a\\b.txt";
    EXPECT_EQ(wcsrchr(path, u'\\'), path + 4);
    EXPECT_EQ(wcschr(path, u'\\'), path + 2);
    EXPECT_EQ(wcschr(path, u'\0'), path + wcslen(path));
    EXPECT_EQ(wcsstr(path, u"b.t"), path + 5);
    EXPECT_EQ(wcsstr(path, u"zz"), nullptr);
}

TEST(WideString, FormatsLikeTheWideRuntime)
{
    WCHAR buffer[64];
    StringCchPrintfW(buffer, 64, u"%d-%d-%d %d:%d", 8, 12, 2026, 9, 5);
    EXPECT_EQ(std::u16string(buffer), u"8-12-2026 9:5");
    StringCchPrintfW(buffer, 64, u"[%s|%S|%5d|%-3c|%x|%I64d]", u"w\u00E9", "n", 42, u'q', 255, 1LL << 40);
    EXPECT_EQ(std::u16string(buffer), u"[w\u00E9|n|   42|q  |ff|1099511627776]");
    EXPECT_EQ(StringCchPrintfW(buffer, 4, u"%s", u"abcdef"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abc");
}

TEST(WideString, Utf8ConversionKeepsEveryCharacterAfterAnAsciiStart)
{
    EXPECT_EQ(Utf16ToUtf8(u""), "");
    EXPECT_EQ(Utf16ToUtf8(u"C:\\tol.eml"), "C:\\tol.eml");
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(u"a\0b", 3)), std::string("a\0b", 3));
    // The first character past ASCII may come first, in the middle or last.
    EXPECT_EQ(Utf16ToUtf8(u"\u00e9t\u00e9"), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(Utf16ToUtf8(u"Program Files\\R\u00e9sum\u00e9 \u20ac"), "Program Files\\R\xc3\xa9sum\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(Utf16ToUtf8(u"x\U0001F600"), "x\xf0\x9f\x98\x80");
    // A lone surrogate after ASCII text becomes the replacement character.
    const char16_t lone[] = {u'a', u'b', 0xD800, u'c'};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(lone, 4)), "ab\xef\xbf\xbd" "c");
    for (const std::u16string& text : {std::u16string(u"abc\u00e9"), std::u16string(u"\u4e2d\u6587\\x.txt")})
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

// The length is found eight characters at a time from an aligned place: a
// string may start and end anywhere in those blocks.
TEST(WideString, LengthIsRightWhereverTheStringStartsAndEnds)
{
    alignas(16) WCHAR buffer[64];
    for (std::size_t start = 0; start < 9; ++start) {
        for (std::size_t length = 0; length + start < 63; ++length) {
            for (WCHAR& c : buffer)
                c = u'\u0100'; // no byte of it is zero
            buffer[start + length] = 0;
            EXPECT_EQ(wcslen(buffer + start), length) << start << " " << length;
        }
    }
    // A character with a zero byte is not the end.
    const WCHAR mixed[] = {u'\u0100', u'\u0001', u'\u1000', u'a', 0};
    EXPECT_EQ(wcslen(mixed), 4u);
}
