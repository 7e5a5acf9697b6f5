// The calendar run's set-up, its view loop and its entry loop: which views
// are converted, the entry counter and the bars, the pauses and a stop.
#include "CalendarRunFixture.h"

#include "CalendarConverter.h"
#include "RunFlags.h"
#include "user/Automation.h"

namespace calendartest {
namespace {

namespace automation = user::automation;

struct Shown {
    std::u16string counter;
    int current;
    int overall;
    bool operator==(const Shown&) const = default;
};

std::string Appointments(int count)
{
    std::string notes;
    for (int i = 0; i < count; ++i)
        notes += "note e" + std::to_string(i) + "\ncalendar 1\ntext Subject \"Entry " + std::to_string(i) + "\"\n";
    return notes;
}

std::vector<std::string> Keys(int count)
{
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back("e" + std::to_string(i));
    return keys;
}

class CalendarLoopTest : public CalendarRunFixture {
protected:
    Shown Now() const
    {
        return {TextOf(m_progress, 1034), ProgressOf(GetDlgItem(m_progress, 1019)),
                ProgressOf(GetDlgItem(m_progress, 1020))};
    }
};

TEST_F(CalendarLoopTest, OnlyViewsNamedExactlyCalendarAreConvertedAndTheFolderIsMadeAnyway)
{
    UseNsf("view ($All)\nentries a\nview ($calendar)\nentries a\nview Calendar\nentries a\n" + Appointments(0) +
           "note a\ncalendar 1\ntext Subject Lost\n");
    HWND completion = RunToCompletionDialog();
    EXPECT_EQ(TextOf(m_progress, 1037), u"No. of item (s)     :");
    EXPECT_EQ(TextOf(m_progress, 1038), u"Date                    :");
    EXPECT_EQ(TextOf(m_progress, 1047), u"Enumerating Calendar, Please wait...");
    EXPECT_EQ(TextOf(m_progress, 1033), u"Mail");
    EXPECT_EQ(Now(), (Shown{u"", 0, 0}));
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");
    EXPECT_TRUE(HasFolder({}));
    EXPECT_TRUE(Items().empty());
}

TEST_F(CalendarLoopTest, AnEmptyCalendarViewConvertsNothingAndALaterOneIsStillConverted)
{
    UseNsf("view ($Calendar)\nview ($Calendar)\nentries e0 e1\n" + Appointments(2));
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    auto items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(SubjectOf(items[1]), u"Entry 1");
}

TEST_F(CalendarLoopTest, TheCounterAndBothBarsFollowEveryEntryAfterItsThreePauses)
{
    UseNsf(CalendarNsf(Keys(7), Appointments(7)));
    m_gate->Close();
    ASSERT_NE(StartRun(), nullptr);
    // Two pauses around the folder's creation, then three for every entry.
    std::vector<Shown> seen;
    for (int pause = 1; pause <= 2 + 3 * 7; ++pause) {
        ASSERT_TRUE(m_gate->WaitForEntered(pause));
        if (seen.empty() || !(seen.back() == Now()))
            seen.push_back(Now());
        m_gate->Let(1);
    }
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    seen.push_back(Now());
    std::vector<Shown> expected = {{u"", 0, 0},        {u"0/7", 14, 14}, {u"1/7", 28, 28}, {u"2/7", 42, 42},
                                   {u"3/7", 57, 57},   {u"4/7", 71, 71}, {u"5/7", 85, 85}, {u"6/7", 100, 100}};
    EXPECT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < std::min(seen.size(), expected.size()); ++i) {
        EXPECT_EQ(seen[i].counter, expected[i].counter) << i;
        EXPECT_EQ(seen[i].current, expected[i].current) << i;
        EXPECT_EQ(seen[i].overall, expected[i].overall) << i;
    }
    EXPECT_EQ(g_nCurrentProgress, 7);
    EXPECT_EQ(g_nOverallProgress, 7);
    CloseCompletionDialog(completion);
    EXPECT_EQ(Items().size(), 7u);
}

TEST_F(CalendarLoopTest, AViewPastTheFolderReopeningKeepsEveryEntry)
{
    UseNsf(CalendarNsf(Keys(151), Appointments(151)));
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    auto items = Items();
    ASSERT_EQ(items.size(), 151u);
    EXPECT_EQ(SubjectOf(items[150]), u"Entry 150");
    EXPECT_EQ(g_nCalendarEntryCount, 151u);
}

TEST_F(CalendarLoopTest, UnknownTypesAndDocumentsThatDoNotOpenGiveEmptyItems)
{
    notes::SetFault("LNDocument::Open", LNERR_NOTE_NOT_FOUND, 1, 1);
    UseNsf(CalendarNsf({"odd", "e0", "e1"}, "note odd\ncalendar 32\ntext Subject Odd\n" + Appointments(2)));
    EXPECT_EQ(RunToEnd(), u"Conversion Completed Successfully");
    auto items = Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(SubjectOf(items[0]), u"");
    EXPECT_EQ(SubjectOf(items[1]), u"");
    EXPECT_EQ(SubjectOf(items[2]), u"Entry 1");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CalendarLoopTest, AStopDuringAnEntrysPausesEndsTheRunBeforeItIsRead)
{
    UseNsf(CalendarNsf(Keys(3), Appointments(3)));
    m_gate->Close();
    ASSERT_NE(StartRun(), nullptr);
    // The first pause of the second entry.
    m_gate->Let(2 + 3);
    ASSERT_TRUE(m_gate->WaitForEntered(2 + 3 + 1));
    automation::Click(GetDlgItem(m_progress, IDOK));
    Answer(u"Are you sure you want to stop?", IDYES);
    m_gate->Open();
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(TextOf(m_progress, 1034), u"1/3");
    EXPECT_EQ(TextOf(m_progress, 1036), u"Entry 0");
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    auto items = Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(SubjectOf(items[0]), u"Entry 0");
}

} // namespace
} // namespace calendartest
