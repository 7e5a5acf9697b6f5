#include "testsupport/AnsiCodePage.h"
#include "win32/CodePage.h"
#include "win32/Registry.h"
#include "win32/WideString.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// Windows-1252 as the machine's code page.
using CodePage1252 = testsupport::Machine1252Fixture;

TEST_F(CodePage1252, AnsiIsWindows1252BothWays)
{
    EXPECT_EQ(GetACP(), 1252u);
    std::u16string text = u"A\u00E9\u20AC\u2019\u0178";
    EXPECT_EQ(WideToAnsi(text), std::string("A\xE9\x80\x92\x9F"));
    EXPECT_EQ(AnsiToWide("A\xE9\x80\x92\x9F"), text);
    // The five holes of the code page come back as the C1 characters of the same value.
    EXPECT_EQ(AnsiToWide("\x81\x8D"), std::u16string(u"\u0081\u008D"));
}

TEST_F(CodePage1252, CharactersOutsideTheCodePageBecomeTheDefaultCharacter)
{
    BOOL usedDefault = FALSE;
    char out[16] = {};
    // Cyrillic, a CJK ideograph and a surrogate pair (one character, one "?").
    int n = WideCharToMultiByte(CP_ACP, 0, u"\u0416\u4E2D\U0001F600x", -1, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(n, 5);
    EXPECT_STREQ(out, "???x");
    EXPECT_TRUE(usedDefault);
}

TEST_F(CodePage1252, LengthConventionsAndBufferSizes)
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

TEST_F(CodePage1252, TruncatingConversionKeepsTheCutAndTheTerminator)
{
    char buffer[11];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(WideToAnsiTruncated(u"0123456789abcdef", buffer, 10), 10);
    EXPECT_STREQ(buffer, "0123456789");
    EXPECT_EQ(WideToAnsiTruncated(u"", buffer, 10), 0);
    EXPECT_STREQ(buffer, "");
    // One byte a character: a cut anywhere is a character boundary.
    EXPECT_EQ(AnsiCutLength("caf\xE9s", 4), 4u);
}

TEST(CodePage, Utf8RoundTripsEveryPlane)
{
    std::u16string text = u"a\u00FF\u0800\uFFFD\U00010348";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\u20AC"), "\xE2\x82\xAC");
    // A broken sequence becomes one replacement character, not a crash.
    EXPECT_EQ(Utf8ToUtf16("a\xE2\x82"), std::u16string(u"a\uFFFD\uFFFD"));
}

// The machine's code page is read from the registry, as the installer laid it.
class MachineCodePage : public testsupport::MachineFixture {};

TEST_F(MachineCodePage, IsReadFromTheRegistryAndIsUtf8WhenUnset)
{
    EXPECT_EQ(GetACP(), CP_UTF8) << "a machine without the value";
    testsupport::UseAnsiCodePage(1252);
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(WideToAnsi(u"\u00E9"), "\xE9");
    testsupport::UseAnsiCodePage(65001);
    EXPECT_EQ(GetACP(), CP_UTF8);
    EXPECT_EQ(WideToAnsi(u"\u00E9"), "\xC3\xA9");
    // CP_ACP and CP_THREAD_ACP both name it.
    char out[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"\u03A3", 1, out, sizeof out, nullptr, nullptr), 2);
    EXPECT_STREQ(out, "\xCE\xA3");
}

// UTF-8 as the machine's code page (the default of a new machine).
class CodePageUtf8 : public testsupport::MachineFixture {
protected:
    void SetUp() override
    {
        MachineFixture::SetUp();
        testsupport::UseAnsiCodePage(65001);
    }
};

TEST_F(CodePageUtf8, EveryScriptAndPlaneRoundTripsThroughTheAnsiCodePage)
{
    const std::u16string text = u"Συνάντηση Встреча 会议 اجتماع Müller 🎉";
    const std::string narrow = WideToAnsi(text);
    EXPECT_EQ(narrow, Utf16ToUtf8(text));
    EXPECT_EQ(AnsiToWide(narrow), text);
    // The size query and the conversion agree; the emoji is a surrogate pair.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xF0\x9F\x8E\x89", 4, nullptr, 0), 2);
    WCHAR pair[2] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xF0\x9F\x8E\x89", 4, pair, 2), 2);
    EXPECT_EQ(pair[0], 0xD83C);
    EXPECT_EQ(pair[1], 0xDF89);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, pair, 2, nullptr, 0, nullptr, nullptr), 4);
}

TEST_F(CodePageUtf8, InvalidSequencesBecomeReplacementCharactersOrFailWhenAsked)
{
    struct Case {
        std::string bytes;
        std::u16string wide;
    };
    const Case cases[] = {
        {"a\xFF" "b", u"a\uFFFDb"},             // a byte that starts nothing
        {"a\xE2\x82", u"a\uFFFD"},              // a sequence cut short: one replacement
        {"\xE2\x82" "b", u"\uFFFDb"},           // ... before a character that stays
        {"\xC0\xAF", u"\uFFFD\uFFFD"},          // an overlong form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {"\x80z", u"\uFFFDz"},                  // a lone continuation byte
        {"ab\xC3\xA9" "cd\xFF" "e\xE2\x82\xAC", u"ab\u00E9cd\uFFFDe\u20AC"}, // runs of ASCII between
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        WCHAR out[16] = {};
        const int n = MultiByteToWideChar(CP_UTF8, 0, c.bytes.data(), static_cast<int>(c.bytes.size()), out, 16);
        EXPECT_EQ(std::u16string(out, static_cast<std::size_t>(n > 0 ? n : 0)), c.wide);
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                      out, 16),
                  0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3\xA9", 2, nullptr, 0), 1) << "valid text passes";
}

// Long runs of ASCII are widened a word at a time: a character of another
// script, a broken sequence or the end of the text may fall at any place in
// the word, and must come out as it does on its own.
TEST_F(CodePageUtf8, TextsDecodeTheSameWhereverTheirCharactersFallInARunOfAscii)
{
    const std::string pieces[] = {"\xC3\xA9",     "\xDF\xBF", "\xE2\x82\xAC", "\xEF\xBF\xBD", "\xE0\xA0\x80",
                                  "\xED\x9F\xBF", "\xF0\x9F\x8E\x89", "\xFF",     "\xE2\x82",     "\xC3",
                                  "\xED\xA0\x80"};
    const std::u16string wides[] = {u"\u00E9", u"\u07FF",     u"\u20AC", u"\uFFFD", u"\u0800", u"\uD7FF",
                                    u"\U0001F389", u"\uFFFD", u"\uFFFD", u"\uFFFD", u"\uFFFD\uFFFD\uFFFD"};
    const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
    for (std::size_t piece = 0; piece < std::size(pieces); ++piece) {
        for (std::size_t before = 0; before <= 33; ++before) {
            for (std::size_t after : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{13}, std::size_t{16}, std::size_t{31}}) {
                SCOPED_TRACE(testing::Message() << piece << " after " << before << " before " << after);
                const std::string bytes = ascii.substr(0, before) + pieces[piece] + ascii.substr(0, after);
                const std::u16string wide = Utf8ToUtf16(ascii.substr(0, before)) + wides[piece] +
                                            Utf8ToUtf16(ascii.substr(0, after));
                EXPECT_EQ(AnsiToWide(bytes), wide);
                // The valid pieces come back whole the other way.
                if (piece < 7) {
                    EXPECT_EQ(WideToAnsi(wide), bytes);
                }
                WCHAR out[96] = {};
                const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out, 96);
                EXPECT_EQ(std::u16string(out, static_cast<std::size_t>(n > 0 ? n : 0)), wide);
                EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0),
                          static_cast<int>(wide.size()));
            }
        }
    }
    // Only bytes that start nothing: one replacement each, the most a text can grow.
    EXPECT_EQ(AnsiToWide(std::string(19, '\x80')), std::u16string(19, u'\uFFFD'));
}

TEST_F(CodePageUtf8, LoneSurrogatesBecomeReplacementCharactersOrFailWhenAsked)
{
    char out[16] = {};
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 4, out, sizeof out, nullptr, nullptr), 8);
    EXPECT_EQ(std::string(out, 8), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 4, out, sizeof out, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(CodePageUtf8, DefaultCharactersAndForeignFlagsAreRefused)
{
    char out[8] = {};
    BOOL used = FALSE;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"x", 1, out, sizeof out, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"x", 1, out, sizeof out, "#", nullptr), 0)
        << "CP_ACP is UTF-8 here, so the same rules hold";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, u"x", 1, out, sizeof out, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    SetLastError(0);
    WCHAR wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "x", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    // Windows-1252 takes neither error flag of UTF-8's writer.
    EXPECT_EQ(WideCharToMultiByte(CP_1252, WC_ERR_INVALID_CHARS, u"x", 1, out, sizeof out, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(CodePageUtf8, ABufferOneByteShortOfAMultiByteCharacterFails)
{
    char out[3] = {};
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u20AC", 2, out, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u20AC", -1, nullptr, 0, nullptr, nullptr), 5);
}

TEST_F(CodePageUtf8, CutsNeverSplitACharacter)
{
    const std::string text = "ab\xE2\x82\xAC" "c\xF0\x9F\x8E\x89"; // "ab€c🎉"
    EXPECT_EQ(AnsiCutLength(text, 2), 2u);
    EXPECT_EQ(AnsiCutLength(text, 3), 2u) << "inside the euro sign";
    EXPECT_EQ(AnsiCutLength(text, 4), 2u);
    EXPECT_EQ(AnsiCutLength(text, 5), 5u);
    EXPECT_EQ(AnsiCutLength(text, 7), 6u) << "inside the emoji";
    EXPECT_EQ(AnsiCutLength(text, 9), 6u);
    EXPECT_EQ(AnsiCutLength(text, 10), 10u);
    EXPECT_EQ(AnsiCutLength(text, 99), 10u);
    // Bytes that are no character are cut where the limit says.
    EXPECT_EQ(AnsiCutLength("\x80\x80\x80\x80\x80", 3), 3u);

    char buffer[8];
    EXPECT_EQ(WideToAnsiTruncated(u"\u03A3\u03A3\u03A3\u03A3", buffer, 7), 6);
    EXPECT_STREQ(buffer, "\xCE\xA3\xCE\xA3\xCE\xA3");

    const std::u16string wide = u"ab\U0001F389";
    EXPECT_EQ(WideCutLength(wide, 3), 2u) << "a surrogate pair stays whole";
    EXPECT_EQ(WideCutLength(wide, 4), 4u);
    EXPECT_EQ(WideCutLength(wide, 2), 2u);
}

} // namespace
