// The calendar run's set-up, its view loop and its entry loop: which views
// are converted, the entry counter and the bars, the pauses and where a stop
// takes effect.
#include "CalendarRunFixture.h"

#include "NsfRows.h"

#include "CalendarConverter.h"
#include "PstFile.h"
#include "RunFlags.h"
#include "mapi/Profile.h"
#include "user/Automation.h"
#include "user/ProgressBar.h"

#include <atomic>

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

// The worker sends its texts and bar positions to the progress dialog and
// waits until the GUI thread has taken each. A control subclassed here
// raises the stop flags, as the stop protocol's Yes does, while the worker
// waits in the nth send of a message to it: the stop comes at a known step.
struct StopTrigger {
    HWND control = nullptr;
    WNDPROC previous = nullptr;
    UINT message = 0;
    // For WM_SETTEXT, only sends of this text count.
    std::u16string text;
    std::atomic<int> left{0};
};
StopTrigger g_trigger;

LRESULT StopTriggerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_trigger.message && g_trigger.left > 0) {
        const bool counts = message != WM_SETTEXT || g_trigger.text == reinterpret_cast<LPCWSTR>(lParam);
        if (counts && --g_trigger.left == 0)
            RaiseStopFlags();
    }
    return CallWindowProcW(g_trigger.previous, hwnd, message, wParam, lParam);
}

// Renames the calendar folder in the store while the worker waits for the
// GUI thread to show the counter text given: the worker's item in hand is
// saved in it all the same, but the folder's path names nothing from then on.
struct RenameTrigger {
    WNDPROC previous = nullptr;
    std::u16string counter;
    std::atomic<bool> renamed{false};
};
RenameTrigger g_rename;

LRESULT RenameTriggerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && !g_rename.renamed && g_rename.counter == reinterpret_cast<LPCWSTR>(lParam)) {
        auto store = mapi::CMailProfile::Default().FindStoreByRootName(enginetest::kTargetFolder);
        if (store) {
            auto top = store->GetIpmSubtree();
            if (top.Ok()) {
                auto calendar = top.Value().FindSubfolder(kCalendarFolder);
                if (calendar.Ok() && *calendar)
                    g_rename.renamed = (*calendar)->SetName(u"Moved").Ok();
            }
        }
    }
    return CallWindowProcW(g_rename.previous, hwnd, message, wParam, lParam);
}

// The store's flushes as each entry's counter text is shown: what the
// entries before it flushed. The GUI thread records it while the worker
// waits in its send.
struct FlushesPerEntry : mapi::ndb::IFileObserver {
    void Wrote(std::uint64_t, const std::vector<std::uint8_t>&) override {}
    void Resized(std::uint64_t) override {}
    void Synced() override { ++flushes; }

    WNDPROC previous = nullptr;
    std::atomic<int> flushes{0};
    std::vector<int> atCounter;
};
FlushesPerEntry g_flushes;

LRESULT FlushRecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        g_flushes.atCounter.push_back(g_flushes.flushes);
    return CallWindowProcW(g_flushes.previous, hwnd, message, wParam, lParam);
}

class CalendarLoopTest : public CalendarRunFixture {
protected:
    void TearDown() override
    {
        Disarm();
        CalendarRunFixture::TearDown();
    }

    Shown Now() const
    {
        return {TextOf(m_progress, 1034), ProgressOf(GetDlgItem(m_progress, 1019)),
                ProgressOf(GetDlgItem(m_progress, 1020))};
    }

    // Starts the run with its worker held at its first pause, arms the
    // trigger on the control and lets the worker go.
    void RunStoppingAt(int id, UINT message, int nth, const std::u16string& text = {})
    {
        m_gate->Close();
        ASSERT_NE(StartRun(), nullptr);
        ASSERT_TRUE(m_gate->WaitForEntered(1));
        HWND control = GetDlgItem(m_progress, id);
        ASSERT_NE(control, nullptr);
        g_trigger.message = message;
        g_trigger.text = text;
        g_trigger.left = nth;
        g_trigger.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
        g_trigger.control = control;
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StopTriggerProc));
        m_gate->Open();
    }

    void Disarm()
    {
        if (g_trigger.control)
            SetWindowLongPtrW(g_trigger.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_trigger.previous));
        g_trigger.control = nullptr;
        g_trigger.left = 0;
    }

    // The completion dialog's result once the run has ended.
    std::u16string ResultOfRun()
    {
        HWND completion = WaitForCompletionDialog();
        Disarm();
        return CloseCompletionDialog(completion);
    }

    std::vector<std::u16string> Subjects()
    {
        std::vector<std::u16string> subjects;
        for (const auto& item : Items())
            subjects.push_back(SubjectOf(item));
        return subjects;
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

// The folder is opened again at entry 150: when it cannot be, no later entry
// has a place, and the run ends there as not completed with the entries
// saved so far kept.
TEST_F(CalendarLoopTest, AFolderThatCannotBeOpenedAgainEndsTheRunNotCompletedKeepingTheEntriesBefore)
{
    UseNsf(CalendarNsf(Keys(152), Appointments(152)));
    m_gate->Close();
    ASSERT_NE(StartRun(), nullptr);
    ASSERT_TRUE(m_gate->WaitForEntered(1));
    HWND counter = GetDlgItem(m_progress, 1034);
    ASSERT_NE(counter, nullptr);
    g_rename.counter = u"149/152";
    g_rename.renamed = false;
    g_rename.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(counter, GWLP_WNDPROC));
    SetWindowLongPtrW(counter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RenameTriggerProc));
    m_gate->Open();
    HWND completion = WaitForCompletionDialog();
    SetWindowLongPtrW(counter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_rename.previous));
    ASSERT_TRUE(g_rename.renamed);
    EXPECT_EQ(TextOf(m_progress, 1034), u"149/152") << "no entry after the failure was begun";
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion not completed successfully");
    EXPECT_EQ(LogLines().back(), "Conversion not completed successfully");
    EXPECT_TRUE(Boxes().empty());
    ReopenOnce();
    auto moved = componenttest::FolderBelowTop(m_store, {u"Moved"});
    ASSERT_TRUE(moved);
    auto items = componenttest::MessagesOf(*moved);
    ASSERT_EQ(items.size(), 150u);
    EXPECT_EQ(SubjectOf(items.front()), u"Entry 0");
    EXPECT_EQ(SubjectOf(items.back()), u"Entry 149");
    EXPECT_EQ(g_bNotCompleted, 1);
}

// Every entry writes the store as often as it saves an item and no more:
// fields, attachments, attendees and the series' unsaved entry item reach
// the file only with the item saves of their entry.
TEST_F(CalendarLoopTest, EachEntryFlushesTheStoreOncePerItemItSaves)
{
    UseNsf(CalendarNsf({"single", "series", "meeting", "reminder", "odd"}, R"nsf(
note single
calendar 1
text Subject Single
times StartDateTime "2026-07-01 09:00:00"
attach plan.txt "plan"
attach notes.txt "notes"
note series
calendar 16
text Subject Fair
times StartDateTime "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00"
attach a.txt "A"
note meeting
calendar 8
text Subject Review
times StartDateTime "2026-07-01 09:00:00" "2026-07-08 09:00:00"
times EndDateTime "2026-07-01 10:00:00" "2026-07-08 10:00:00"
text RequiredAttendees "CN=Ann Lee/O=Acme" "CN=Bob Ray/O=Acme"
text RequiredResources "CN=Room 4/O=Acme"
text Alarms "1"
note reminder
calendar 4
text Subject Call
times StartDate 2026-07-04
note odd
calendar 32
text Subject Odd
)nsf"));
    m_gate->Close();
    ASSERT_NE(StartRun(), nullptr);
    ASSERT_TRUE(m_gate->WaitForEntered(1));
    HWND counter = GetDlgItem(m_progress, 1034);
    ASSERT_NE(counter, nullptr);
    g_flushes.flushes = 0;
    g_flushes.atCounter.clear();
    mapi::ndb::SetFileObserver(&g_flushes);
    g_flushes.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(counter, GWLP_WNDPROC));
    SetWindowLongPtrW(counter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FlushRecorderProc));
    m_gate->Open();
    HWND completion = WaitForCompletionDialog();
    SetWindowLongPtrW(counter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_flushes.previous));
    mapi::ndb::SetFileObserver(nullptr);
    g_flushes.atCounter.push_back(g_flushes.flushes);
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Completed Successfully");

    ASSERT_EQ(g_flushes.atCounter.size(), 6u);
    std::vector<int> perEntry;
    for (std::size_t i = 1; i < g_flushes.atCounter.size(); ++i)
        perEntry.push_back(g_flushes.atCounter[i] - g_flushes.atCounter[i - 1]);
    EXPECT_EQ(perEntry, (std::vector<int>{1, 3, 2, 1, 1}));
    auto items = Items();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0].GetAttachments().size(), 2u);
    EXPECT_EQ(items[5].GetRecipients().size(), 3u);
}

TEST_F(CalendarLoopTest, UnknownTypesAndDocumentsThatDoNotOpenGiveEmptyItems)
{
    notes::SetFault("LNDocument::Open", LNERR_NOTE_NOT_FOUND, 1, 1);
    UseNsf(CalendarNsf({"odd", "e0", "e1"}, "note odd\ncalendar 32\ntext Subject Odd\n" + Appointments(2)));
    // The document that does not open is reported as not converted.
    EXPECT_EQ(RunToEnd(), u"Conversion not completed successfully");
    auto items = Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(SubjectOf(items[0]), u"");
    EXPECT_EQ(SubjectOf(items[1]), u"");
    EXPECT_EQ(SubjectOf(items[2]), u"Entry 1");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(enginetest::LossLines(LogLines()),
              std::vector<std::string>{"Not converted : Note ID "
                                       + enginetest::NoteIdWithText(Host(enginetest::kNsfPath), "Subject", "Entry 0")
                                       + " \"\" : the document cannot be read (Document not found)"});
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

// Where a stop raised inside an entry's branch takes effect: a date series
// or a meeting is converted to its last occurrence, while the item of a
// single appointment or a single-date entry is lost at the branch's end. No
// later entry is begun.
struct BranchStop {
    const char* name;
    std::string note;
    // The subject's showing during which the stop comes.
    int showing;
    std::size_t itemsSaved;
};

void PrintTo(const BranchStop& stop, std::ostream* out)
{
    *out << stop.name;
}

const std::string kFiveStarts =
    R"( "2026-07-01 09:00:00" "2026-07-02 09:00:00" "2026-07-03 09:00:00" "2026-07-04 09:00:00" "2026-07-05 09:00:00")";

class CalendarBranchStopTest : public CalendarLoopTest, public testing::WithParamInterface<BranchStop> {};

TEST_P(CalendarBranchStopTest, AStopInsideABranchTakesEffectAtItsEnd)
{
    UseNsf(CalendarNsf({"before", "stopped", "after"},
                       "note before\ncalendar 1\ntext Subject Before\nnote stopped\n" + GetParam().note +
                           "note after\ncalendar 1\ntext Subject After\n"));
    RunStoppingAt(1036, WM_SETTEXT, GetParam().showing, u"Stopped");
    EXPECT_EQ(ResultOfRun(), u"Conversion Aborted");
    std::vector<std::u16string> expected = {u"Before"};
    expected.resize(1 + GetParam().itemsSaved, u"Stopped");
    EXPECT_EQ(Subjects(), expected);
    EXPECT_FALSE(LogHas("Step 6 :"));
}

INSTANTIATE_TEST_SUITE_P(
    EntryTypes, CalendarBranchStopTest,
    testing::Values(
        BranchStop{"appointment", "calendar 1\ntext Subject Stopped\n", 1, 0},
        BranchStop{"single date", "calendar 4\ntext Subject Stopped\ntimes StartDate 2026-07-02\n", 1, 0},
        BranchStop{"anniversary", "calendar 2\ntext Subject Stopped\ntimes StartDate 2026-07-01\ntimes StartDateTime" +
                                      kFiveStarts + "\n",
                   2, 5},
        BranchStop{"event", "calendar 16\ntext Subject Stopped\ntimes StartDateTime" + kFiveStarts + "\n", 2, 5},
        BranchStop{"meeting", "calendar 8\ntext Subject Stopped\ntimes StartDateTime" + kFiveStarts + "\n", 2, 5}),
    [](const testing::TestParamInfo<BranchStop>& info) {
        std::string name = info.param.name;
        std::erase(name, ' ');
        return name;
    });

TEST_F(CalendarLoopTest, AStopAsAnEntryIsFinishedKeepsItsItemAndShowsItsPosition)
{
    UseNsf(CalendarNsf(Keys(2), Appointments(2)));
    // The current bar's position of the first entry.
    RunStoppingAt(1019, PBM_SETPOS, 1);
    HWND completion = WaitForCompletionDialog();
    ASSERT_NE(completion, nullptr);
    Disarm();
    EXPECT_EQ(Now(), (Shown{u"0/2", 50, 50}));
    EXPECT_EQ(CloseCompletionDialog(completion), u"Conversion Aborted");
    EXPECT_EQ(Subjects(), std::vector<std::u16string>{u"Entry 0"});
}

} // namespace
} // namespace calendartest
