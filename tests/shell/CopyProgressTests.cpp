// The backup copier driven as a user drives it: exact copies in blocks,
// the overwrite question, a source that another program holds, and the stop
// question of the Stop button, Escape and the close box. A copy that must
// stand still while the user decides is held before its first block: the
// dialog's opening waits for the test, which suspends the worker meanwhile.
#include "CCopyProg.h"
#include "ShellFixture.h"
#include "WizardSelections.h"
#include "afx/WinThread.h"
#include "user/Automation.h"
#include "user/ProgressBar.h"
#include "win32/WideString.h"

#include <future>

namespace {

namespace automation = user::automation;

constexpr int kLabel = 1022;
constexpr const char16_t* kStopQuestion = u"Are you sure, you want to stop this process?";

// The copier whose opening waits until the test lets it go on.
class HeldCopyProg : public CCopyProg {
public:
    std::promise<void> opened;
    std::shared_future<void> goOn;

protected:
    BOOL OnInitDialog() override
    {
        BOOL result = CCopyProg::OnInitDialog();
        opened.set_value();
        goOn.wait();
        return result;
    }
};

// The copier whose label and bar tell the test what they are given, in
// the order they are given it: "Copying ..." texts and bar positions.
class WatchedCopyProg : public CCopyProg {
public:
    static std::vector<std::u16string>& Seen()
    {
        static std::vector<std::u16string> seen;
        return seen;
    }

protected:
    // Watched before the copier binds its bar and starts its worker, so
    // that nothing the worker sends can come first.
    BOOL OnInitDialog() override
    {
        Seen().clear();
        s_label = Watch(::GetDlgItem(m_hWnd, kLabel), &WatchLabel);
        s_bar = Watch(::GetDlgItem(m_hWnd, 1019), &WatchBar);
        return CCopyProg::OnInitDialog();
    }

private:
    static WNDPROC Watch(HWND control, WNDPROC watcher)
    {
        return reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watcher)));
    }
    static LRESULT WatchLabel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SETTEXT)
            Seen().emplace_back(reinterpret_cast<LPCWSTR>(lParam));
        return ::CallWindowProcW(s_label, hwnd, message, wParam, lParam);
    }
    static LRESULT WatchBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == PBM_SETPOS)
            Seen().push_back(Utf8ToUtf16(std::to_string(wParam)));
        return ::CallWindowProcW(s_bar, hwnd, message, wParam, lParam);
    }

    static inline WNDPROC s_label = nullptr;
    static inline WNDPROC s_bar = nullptr;
};

class CopyProgressTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        user::SetMessageBoxAnswerer(nullptr);
    }

    void TearDown() override
    {
        if (m_run.valid()) {
            for (HWND box : user::OpenMessageBoxes())
                automation::AnswerMessageBox(box, IDNO) || automation::AnswerMessageBox(box, IDOK);
            EXPECT_EQ(m_run.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        }
        FreeStringList(&g_pBackupSrcList);
        FreeStringList(&g_pBackupDstList);
        ShellFixture::TearDown();
    }

    void AddPair(LPCWSTR source, LPCWSTR destination)
    {
        AppendStringNode(&g_pBackupSrcList, source);
        AppendStringNode(&g_pBackupDstList, destination);
    }

    std::string Bytes(std::size_t size, char seed)
    {
        std::string bytes(size, 0);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(seed + i * 7 % 251);
        return bytes;
    }

    // Runs the copier on a GUI thread of its own, as a step's Next does.
    void Run()
    {
        m_run = std::async(std::launch::async, [] {
            CCopyProg copier;
            return copier.DoModal();
        });
    }

    // Runs the held copier: its worker is suspended before it copies a
    // block, and the dialog shows. Returns the dialog.
    HWND RunHeld()
    {
        auto goOn = std::make_shared<std::promise<void>>();
        auto opened = std::make_shared<std::promise<void>>();
        std::shared_future<void> gate = goOn->get_future().share();
        std::future<void> openedNow = opened->get_future();
        m_run = std::async(std::launch::async, [gate, opened] {
            HeldCopyProg copier;
            copier.goOn = gate;
            copier.opened = std::move(*opened);
            return copier.DoModal();
        });
        openedNow.wait();
        m_worker = g_pCopyThread.load()->m_hThread;
        ::SuspendThread(m_worker);
        goOn->set_value();
        HWND dialog = automation::WaitForWindowWithControl(kLabel);
        if (dialog)
            automation::WaitForPaint();
        return dialog;
    }

    bool Ended() { return m_run.wait_for(std::chrono::seconds(20)) == std::future_status::ready; }

    HWND ExpectQuestion(const std::u16string& text, HWND owner)
    {
        HWND box = automation::WaitForMessageBox();
        EXPECT_NE(box, nullptr) << "no question came";
        user::MessageBoxRecord record;
        if (!box || !user::MessageBoxRecordOf(box, record))
            return nullptr;
        EXPECT_EQ(record.text, text);
        EXPECT_EQ(record.caption, u"Pellinor for NSF to PST");
        EXPECT_EQ(record.owner, owner);
        return box;
    }

    static void Answer(HWND box, int answer)
    {
        automation::AnswerMessageBox(box, answer);
        EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(box); }));
    }

    std::future<INT_PTR> m_run;
    HANDLE m_worker = nullptr;
};

TEST_F(CopyProgressTest, EveryPairIsCopiedExactlyWhateverItsSizeAndTheDialogEndsItself)
{
    // Less than a block, a block and a remainder, exact blocks, nothing.
    const std::size_t sizes[] = {100, 5000, 8192, 3 * 4096 + 1, 0};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        std::u16string name = u"C:\\Data\\f" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".nsf";
        WriteHostFile(Host(name), Bytes(sizes[i], static_cast<char>(i)));
        AddPair(name.c_str(), (u"C:\\Bak\\" + name.substr(8)).c_str());
    }
    std::filesystem::create_directories(Host(u"C:\\Bak"));
    Run();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(m_run.get(), IDCANCEL) << "the copier always ends with cancel";
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        std::u16string name = u"C:\\Bak\\f" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".nsf";
        EXPECT_EQ(ReadHostFile(Host(name)), Bytes(sizes[i], static_cast<char>(i))) << sizes[i] << " bytes";
    }
    EXPECT_TRUE(user::MessageBoxHistory().empty());
    EXPECT_EQ(g_pCopyThread.load(), nullptr) << "no copy worker is left";
}

// The bar moves once per block to pos * 100 / size, at most 100: a file
// of 5000 bytes shows 81 then 100; one of two exact blocks ends with its
// empty block; a file smaller than a block is done in one.
TEST_F(CopyProgressTest, TheLabelNamesEachSourceAndTheBarFollowsItsBlocksToAHundred)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(5000, 1));
    WriteHostFile(Host(u"C:\\Data\\b.pst"), Bytes(8192, 2));
    WriteHostFile(Host(u"C:\\Data\\c.nsf"), Bytes(100, 3));
    WriteHostFile(Host(u"C:\\Data\\d.nsf"), Bytes(3 * 4096 + 1, 4));
    std::filesystem::create_directories(Host(u"C:\\Bak"));
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    AddPair(u"C:\\Data\\b.pst", u"C:\\Bak\\b.pst");
    AddPair(u"C:\\Data\\c.nsf", u"C:\\Bak\\c.nsf");
    AddPair(u"C:\\Data\\d.nsf", u"C:\\Bak\\d.nsf");
    m_run = std::async(std::launch::async, [] {
        WatchedCopyProg copier;
        return copier.DoModal();
    });
    ASSERT_TRUE(Ended());
    const std::vector<std::u16string> wanted = {
        u"Copying C:\\Data\\a.nsf", u"81", u"100",
        u"Copying C:\\Data\\b.pst", u"50", u"100", u"100",
        u"Copying C:\\Data\\c.nsf", u"100",
        u"Copying C:\\Data\\d.nsf", u"33", u"66", u"99", u"100"};
    EXPECT_EQ(WatchedCopyProg::Seen(), wanted);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\d.nsf")), Bytes(3 * 4096 + 1, 4));
}

TEST_F(CopyProgressTest, AnExistingDestinationIsOverwrittenOnlyOnYesAndAHeldSourceIsSkipped)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(5000, 1));
    WriteHostFile(Host(u"C:\\Data\\b.pst"), Bytes(300, 2));
    WriteHostFile(Host(u"C:\\Data\\c.nsf"), Bytes(700, 3));
    WriteHostFile(Host(u"C:\\Data\\d.nsf"), Bytes(900, 4));
    WriteHostFile(Host(u"C:\\Bak\\a.nsf"), std::string(20000, 'x')); // larger than its source
    WriteHostFile(Host(u"C:\\Bak\\b.pst"), "keep me");
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    AddPair(u"C:\\Data\\b.pst", u"C:\\Bak\\b.pst");
    AddPair(u"C:\\Data\\c.nsf", u"C:\\Bak\\c.nsf");
    AddPair(u"C:\\Data\\d.nsf", u"C:\\Bak\\d.nsf");
    HANDLE holder = CreateFileW(u"C:\\Data\\c.nsf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Run();

    HWND dialog = automation::WaitForWindowWithControl(kLabel);
    ASSERT_NE(dialog, nullptr);
    HWND box = ExpectQuestion(u"File Exists, Do You Want To Overwrite?", dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(automation::IsEnabled(::GetDlgItem(dialog, IDOK))) << "no Stop during the question";
    Answer(box, IDYES);
    box = ExpectQuestion(u"File Exists, Do You Want To Overwrite?", dialog);
    ASSERT_NE(box, nullptr);
    Answer(box, IDNO);
    box = ExpectQuestion(u"Your Lotus Notes or Microsoft Outlook application is opened, please close the application",
                         nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(user::MessageBoxHistory().back().type, 0x1040u);
    EXPECT_TRUE(automation::IsEnabled(::GetDlgItem(dialog, IDOK))) << "Stop is back after the question";
    Answer(box, IDOK);
    ASSERT_TRUE(Ended());
    CloseHandle(holder);

    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.nsf")), Bytes(5000, 1)) << "exactly as long as the source";
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\b.pst")), "keep me");
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Bak\\c.nsf")));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\d.nsf")), Bytes(900, 4)) << "the run goes on after a skipped pair";
    // The source answered No is not kept open.
    HANDLE again = CreateFileW(u"C:\\Data\\b.pst", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST_F(CopyProgressTest, StopAnsweredNoGoesOnFromWhereItStood)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(40000, 5));
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    std::filesystem::create_directories(Host(u"C:\\Bak"));
    HWND dialog = RunHeld();
    ASSERT_NE(dialog, nullptr);

    // The Stop button, Escape and the close box all ask.
    automation::Click(::GetDlgItem(dialog, IDOK));
    Answer(ExpectQuestion(kStopQuestion, dialog), IDNO);
    automation::PressKey(dialog, VK_ESCAPE);
    Answer(ExpectQuestion(kStopQuestion, dialog), IDNO);
    automation::CloseWindow(dialog);
    Answer(ExpectQuestion(kStopQuestion, dialog), IDNO);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(g_bCopyStop.load(), 0);
    EXPECT_EQ(user::MessageBoxHistory().size(), 3u) << "Escape was asked once, not also as a cancel";

    ::ResumeThread(m_worker);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.nsf")), Bytes(40000, 5));
}

TEST_F(CopyProgressTest, StopAnsweredYesEndsAtOnceAndTheNextRunCopiesWhole)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(40000, 6));
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    std::filesystem::create_directories(Host(u"C:\\Bak"));
    HWND dialog = RunHeld();
    ASSERT_NE(dialog, nullptr);
    automation::Click(::GetDlgItem(dialog, IDOK));
    HWND box = ExpectQuestion(kStopQuestion, dialog);
    ASSERT_NE(box, nullptr);
    automation::AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(Ended()) << "the dialog ends without the worker going on";
    EXPECT_EQ(g_bCopyStop.load(), 1);
    const auto copied = std::filesystem::exists(Host(u"C:\\Bak\\a.nsf"))
                            ? std::filesystem::file_size(Host(u"C:\\Bak\\a.nsf"))
                            : 0;
    EXPECT_EQ(copied, 0u) << "no block is copied after Yes";

    // The next run (step 4 after step 2) starts with the flag down.
    WriteHostFile(Host(u"C:\\Data\\b.pst"), Bytes(10000, 7));
    FreeStringList(&g_pBackupSrcList);
    FreeStringList(&g_pBackupDstList);
    AddPair(u"C:\\Data\\b.pst", u"C:\\Bak\\b.pst");
    Run();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\b.pst")), Bytes(10000, 7));
}

// The worker's own message about a held source leaves the Stop button
// free; Yes then ends the run and the worker with its message.
TEST_F(CopyProgressTest, StopWhileTheWorkerSaysTheSourceIsHeldEndsTheRun)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(3000, 10));
    WriteHostFile(Host(u"C:\\Data\\b.nsf"), Bytes(3000, 11));
    std::filesystem::create_directories(Host(u"C:\\Bak"));
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    AddPair(u"C:\\Data\\b.nsf", u"C:\\Bak\\b.nsf");
    HANDLE holder = CreateFileW(u"C:\\Data\\a.nsf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Run();
    HWND dialog = automation::WaitForWindowWithControl(kLabel);
    ASSERT_NE(dialog, nullptr);
    HWND held = automation::WaitForMessageBox();
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(automation::IsEnabled(::GetDlgItem(dialog, IDOK)));
    automation::Click(::GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(automation::WaitUntil([] { return user::OpenMessageBoxes().size() == 2; }));
    HWND question = nullptr;
    for (HWND box : user::OpenMessageBoxes())
        question = box != held ? box : question;
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(automation::MessageBoxText(question), kStopQuestion);
    automation::AnswerMessageBox(question, IDYES);
    ASSERT_TRUE(Ended()) << "the run ends and the step goes on";
    EXPECT_TRUE(automation::WaitUntil([&] { return !::IsWindow(held); })) << "the worker's message goes with it";
    CloseHandle(holder);
    EXPECT_FALSE(std::filesystem::exists(Host(u"C:\\Bak\\b.nsf"))) << "nothing is copied after Yes";
}

} // namespace

namespace {

TEST_F(CopyProgressTest, ADestinationThatCannotBeWrittenIsReportedAndTheRunGoesOn)
{
    WriteHostFile(Host(u"C:\\Data\\a.nsf"), Bytes(3000, 8));
    WriteHostFile(Host(u"C:\\Data\\b.nsf"), Bytes(3000, 9));
    WriteHostFile(Host(u"C:\\Bak\\a.nsf"), "old");
    AddPair(u"C:\\Data\\a.nsf", u"C:\\Bak\\a.nsf");
    AddPair(u"C:\\Data\\b.nsf", u"C:\\Bak\\b.nsf");
    HANDLE holder = CreateFileW(u"C:\\Bak\\a.nsf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Run();
    HWND dialog = automation::WaitForWindowWithControl(kLabel);
    ASSERT_NE(dialog, nullptr);
    Answer(ExpectQuestion(u"File Exists, Do You Want To Overwrite?", dialog), IDYES);
    HWND box = ExpectQuestion(u"The backup of C:\\Data\\a.nsf to C:\\Bak\\a.nsf failed.", nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(user::MessageBoxHistory().back().type, 0x1010u) << "not a copy reported as made";
    Answer(box, IDOK);
    ASSERT_TRUE(Ended());
    CloseHandle(holder);
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\a.nsf")), "old");
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Bak\\b.nsf")), Bytes(3000, 9));
}

} // namespace
