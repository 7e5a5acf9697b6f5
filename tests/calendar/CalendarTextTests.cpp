// The calendar's buffers, category words and date lists.
#include "CalendarDates.h"
#include "CalendarText.h"
#include "ole/DateText.h"
#include "testsupport/AnsiCodePage.h"
#include "win32/CodePage.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::u16string> Pieces(const StringNode* list)
{
    std::vector<std::u16string> pieces;
    for (; list; list = list->next)
        pieces.emplace_back(list->text);
    return pieces;
}

// A Windows-1252 machine, one byte a character.
using CalendarTextTest = testsupport::Machine1252Fixture;

TEST_F(CalendarTextTest, ASubjectIsCutOnlyWhenItDoesNotFitItsBufferWithTheTerminator)
{
    EXPECT_EQ(CopyLimitedText(LNString(std::string(1023, 's'))).size(), 1023u);
    EXPECT_EQ(CopyLimitedText(LNString(std::string(1024, 's'))).size(), 1000u);
    EXPECT_EQ(CopyLimitedText(LNString(std::string(5000, 's'))).size(), 1000u);
    // The wide buffer holds 199 characters and its terminator.
    EXPECT_EQ(WidenCapped(std::string(1000, 's'), kShortWideChars).size(), 199u);
    EXPECT_EQ(WidenCapped("R\xe9union", kShortWideChars), u"R\u00e9union");
}

TEST_F(CalendarTextTest, UnderUtf8TheCutsKeepWholeCharacters)
{
    testsupport::UseAnsiCodePage(65001);
    // 1,024 bytes or more: cut at 1,000, here before a character that
    // spans bytes 999 to 1,001.
    const std::string subject = std::string(998, 's') + "\xE4\xB8\xAD" + std::string(100, 't');
    EXPECT_EQ(CopyLimitedText(LNString(subject)), std::string(998, 's'));
    std::string greek;
    for (int i = 0; i < 600; ++i)
        greek += "\xCE\xA3";
    EXPECT_EQ(CopyLimitedText(LNString(greek)), greek.substr(0, 1000));
    EXPECT_EQ(CopyBoundedText(std::string(1022, 'b') + "\xCE\xA3"), std::string(1022, 'b'))
        << "1,023 bytes fit, half a sigma does not";
    // 199 wide characters: a character of a supplementary plane at the end
    // goes whole.
    const std::string emoji = std::string(198, 'e') + "\xF0\x9F\x8E\x89";
    EXPECT_EQ(WidenCapped(emoji, kShortWideChars), std::u16string(198, u'e'));
    EXPECT_EQ(WidenCapped("\xCE\xA3\xCF\x85", kShortWideChars), u"\u03A3\u03C5");
}

TEST_F(CalendarTextTest, OnlyTheWholeCodesHAndPcHaveWordsOfTheirOwn)
{
    EXPECT_EQ(std::u16string(MapCategoryCode("H")), u"Holiday");
    EXPECT_EQ(std::u16string(MapCategoryCode("PC")), u"Phone Calls");
    for (const char* other : {"h", "PC ", "P", "C", "V", "T", "", "Holiday"})
        EXPECT_EQ(std::u16string(MapCategoryCode(other)), u"Miscellaneous") << other;
}

TEST_F(CalendarTextTest, ADateListIsCutIntoItsValuesInOrder)
{
    StringNode* list = nullptr;
    DateListText three{"2026-07-01;2026-07-02;2026-07-03", u"2026-07-01;2026-07-02;2026-07-03"};
    EXPECT_EQ(SplitDateList(three, &list), 2);
    EXPECT_EQ(Pieces(list), (std::vector<std::u16string>{u"2026-07-01", u"2026-07-02", u"2026-07-03"}));
    EXPECT_EQ(DatePieceAt(list, 2), std::u16string(u"2026-07-03"));
    EXPECT_EQ(DatePieceAt(list, 3), nullptr);
    FreeStringList(&list);

    // A closing separator leaves an empty last piece, which converts to 0.0.
    DateListText trailing{"2026-07-01;", u"2026-07-01;"};
    EXPECT_EQ(SplitDateList(trailing, &list), 1);
    EXPECT_EQ(Pieces(list), (std::vector<std::u16string>{u"2026-07-01", u""}));
    EXPECT_EQ(DateTextToDate(list->next->text), 0.0);
    FreeStringList(&list);

    DateListText single{"2026-07-01", u"2026-07-01"};
    EXPECT_EQ(SplitDateList(single, &list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(CalendarTextTest, AnEndListIsCutIntoAsManyPiecesAsTheStartsHave)
{
    StringNode* list = nullptr;
    // Fewer ends than starts: the last end fills the remaining places.
    CutDateList(u"a;b", 3, &list);
    EXPECT_EQ(Pieces(list), (std::vector<std::u16string>{u"a", u"b", u"b"}));
    FreeStringList(&list);
    // More ends: the ones past the starts are not taken.
    CutDateList(u"a;b;c;d", 3, &list);
    EXPECT_EQ(Pieces(list), (std::vector<std::u16string>{u"a", u"b", u"c"}));
    FreeStringList(&list);
}

TEST_F(CalendarTextTest, DatesConvertAsVariantChangeTypeMakesThem)
{
    EXPECT_EQ(DateTextToDate(u"2026-07-01 09:00:00"), ole::MakeDate(2026, 7, 1, 9, 0));
    EXPECT_EQ(DateTextToDate(u"2026-07-02"), ole::MakeDate(2026, 7, 2));
    // A list of two does not convert.
    EXPECT_EQ(DateTextToDate(u"2026-07-01 09:00:00;2026-07-02 09:00:00"), 0.0);
    EXPECT_EQ(DateTextToDate(u"next Tuesday"), 0.0);
}

} // namespace
