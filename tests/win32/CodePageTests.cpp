#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(CodePage, AnsiIsWindows1252BothWays)
{
    std::u16string text = u"A\u00E9\u20AC\u2019\u0178";
    EXPECT_EQ(WideToAnsi(text), std::string("A\xE9\x80\x92\x9F"));
    EXPECT_EQ(AnsiToWide("A\xE9\x80\x92\x9F"), text);
    // The five holes of the code page come back as the C1 characters of the same value.
    EXPECT_EQ(AnsiToWide("\x81\x8D"), std::u16string(u"\u0081\u008D"));
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeTheDefaultCharacter)
{
    BOOL usedDefault = FALSE;
    char out[16] = {};
    // Cyrillic, a CJK ideograph and a surrogate pair (one character, one "?").
    int n = WideCharToMultiByte(CP_ACP, 0, u"\u0416\u4E2D\U0001F600x", -1, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(n, 5);
    EXPECT_STREQ(out, "???x");
    EXPECT_TRUE(usedDefault);
}

TEST(CodePage, LengthConventionsAndBufferSizes)
{
    // -1 counts the terminator; an explicit length does not add one.
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", 3, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);

    char small[2] = {'x', 'x'};
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, small, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    WCHAR wide[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePage, TruncatingConversionKeepsTheCutAndTheTerminator)
{
    char buffer[11];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(WideToAnsiTruncated(u"0123456789abcdef", buffer, 10), 10);
    EXPECT_STREQ(buffer, "0123456789");
    EXPECT_EQ(WideToAnsiTruncated(u"", buffer, 10), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(CodePage, Utf8RoundTripsEveryPlane)
{
    std::u16string text = u"a\u00FF\u0800\uFFFD\U00010348";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\u20AC"), "\xE2\x82\xAC");
    // A broken sequence becomes one replacement character, not a crash.
    EXPECT_EQ(Utf8ToUtf16("a\xE2\x82"), std::u16string(u"a\uFFFD\uFFFD"));
}
