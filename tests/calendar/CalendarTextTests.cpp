// The calendar's buffers, category words and date lists.
#include "CalendarDates.h"
#include "CalendarText.h"
#include "ole/DateText.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::u16string> Pieces(const StringNode* list)
{
    std::vector<std::u16string> pieces;
    for (; list; list = list->next)
        pieces.emplace_back(list->text);
    return pieces;
}

TEST(CalendarTextTest, ASubjectIsCutOnlyWhenItDoesNotFitItsBufferWithTheTerminator)
{
    EXPECT_EQ(CopyLimitedText(LNString(std::string(1023, 's'))).size(), 1023u);
    EXPECT_EQ(CopyLimitedText(LNString(std::string(1024, 's'))).size(), 1000u);
    EXPECT_EQ(CopyLimitedText(LNString(std::string(5000, 's'))).size(), 1000u);
    // The wide buffer holds 199 characters and its terminator.
    EXPECT_EQ(WidenCapped(std::string(1000, 's'), kShortWideChars).size(), 199u);
    EXPECT_EQ(WidenCapped("R\xe9union", kShortWideChars), u"R\u00e9union");
}

TEST(CalendarTextTest, OnlyTheWholeCodesHAndPcHaveWordsOfTheirOwn)
{
    EXPECT_EQ(std::u16string(MapCategoryCode("H")), u"Holiday");
    EXPECT_EQ(std::u16string(MapCategoryCode("PC")), u"Phone Calls");
    for (const char* other : {"h", "PC ", "P", "C", "V", "T", "", "Holiday"})
        EXPECT_EQ(std::u16string(MapCategoryCode(other)), u"Miscellaneous") << other;
}

TEST(CalendarTextTest, ADateListIsCutIntoItsValuesInOrder)
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

TEST(CalendarTextTest, AnEndListIsCutIntoAsManyPiecesAsTheStartsHave)
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

TEST(CalendarTextTest, DatesConvertAsVariantChangeTypeMakesThem)
{
    EXPECT_EQ(DateTextToDate(u"2026-07-01 09:00:00"), ole::MakeDate(2026, 7, 1, 9, 0));
    EXPECT_EQ(DateTextToDate(u"2026-07-02"), ole::MakeDate(2026, 7, 2));
    // A list of two does not convert.
    EXPECT_EQ(DateTextToDate(u"2026-07-01 09:00:00;2026-07-02 09:00:00"), 0.0);
    EXPECT_EQ(DateTextToDate(u"next Tuesday"), 0.0);
}

} // namespace
