// Message boxes as real dialogs: their buttons and keys, answers by the
// automation interface and by an answerer, boxes of worker threads.
#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/MessageBox.h"
#include "user/Messages.h"
#include "win32/FileApi.h"
#include "win32/Thread.h"

#include <future>
#include <gtest/gtest.h>

namespace automation = user::automation;

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        user::SetMessageBoxAnswerer(nullptr);
        user::ClearMessageBoxHistory();
    }
    void TearDown() override { user::SetMessageBoxAnswerer(nullptr); }

    // Shows a box on a thread of its own, as a worker would.
    std::future<int> Show(const std::u16string& text, UINT type, HWND owner = nullptr)
    {
        return std::async(std::launch::async,
                          [text, type, owner] { return MessageBoxW(owner, text.c_str(), u"Pellinor", type); });
    }

    static int Result(std::future<int>& box)
    {
        EXPECT_EQ(box.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        return box.get();
    }
};

TEST_F(MessageBoxTest, ABoxShowsItsTextIconAndButtons)
{
    auto run = Show(u"Are you sure you want to exit?", MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(automation::TextOf(box), u"Pellinor");
    EXPECT_EQ(automation::MessageBoxText(box), u"Are you sure you want to exit?");
    EXPECT_EQ(automation::TextOf(GetDlgItem(box, IDYES)), u"&Yes");
    EXPECT_EQ(automation::TextOf(GetDlgItem(box, IDNO)), u"&No");
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_NE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST, 0); // system-modal: above the others
    HWND icon = GetWindow(box, GW_CHILD);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
    // Without Cancel, the close box and the Close item are disabled.
    bool closeEnabled = true;
    for (const auto& entry : automation::SystemMenuEntries(box)) {
        if (entry.id == SC_CLOSE)
            closeEnabled = entry.enabled;
    }
    EXPECT_FALSE(closeEnabled);
    ASSERT_TRUE(automation::AnswerMessageBox(box, IDNO));
    EXPECT_EQ(Result(run), IDNO);
    auto history = user::MessageBoxHistory();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].answer, IDNO);
    EXPECT_EQ(history[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL));
}

TEST_F(MessageBoxTest, EscapeAndTheCloseBoxAnswerAsEachButtonSetAllows)
{
    struct Case {
        UINT type;
        int escape; // 0: ignored
    };
    for (Case c : {Case{MB_OK, IDOK}, Case{MB_OKCANCEL, IDCANCEL}, Case{MB_YESNOCANCEL, IDCANCEL}, Case{MB_YESNO, 0}}) {
        SCOPED_TRACE(c.type);
        auto run = Show(u"Escape?", c.type);
        HWND box = automation::WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        automation::PressKey(box, VK_ESCAPE);
        if (c.escape) {
            EXPECT_EQ(Result(run), c.escape);
            run = Show(u"Close?", c.type);
            box = automation::WaitForMessageBox();
            automation::CloseWindow(box);
            EXPECT_EQ(Result(run), c.escape);
        } else {
            automation::CloseWindow(box);
            // Neither ended the box (they came first, on its thread): the answer is the click's.
            ASSERT_TRUE(automation::AnswerMessageBox(box, IDYES));
            EXPECT_EQ(Result(run), IDYES);
        }
    }
}

TEST_F(MessageBoxTest, EnterTakesTheDefaultButtonThatTheFlagsName)
{
    auto run = Show(u"Second is default", MB_YESNOCANCEL | MB_DEFBUTTON2);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    automation::PressKey(box, VK_RETURN);
    EXPECT_EQ(Result(run), IDNO);
}

TEST_F(MessageBoxTest, TheAnswererIsAskedWhileTheBoxIsUpAndItsAnswerClicksTheButton)
{
    bool sawWindow = false;
    user::SetMessageBoxAnswerer([&](const user::MessageBoxRecord& record) {
        sawWindow = record.window && IsWindowVisible(record.window);
        return IDNO;
    });
    // On this very thread: the box's own loop asks the answerer.
    EXPECT_EQ(MessageBoxW(nullptr, u"Clear the log?", u"Pellinor", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_TRUE(sawWindow);
    auto history = user::MessageBoxHistory();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].answer, IDNO);
    EXPECT_EQ(history[0].thread, std::this_thread::get_id());
    EXPECT_TRUE(user::OpenMessageBoxes().empty());
}

TEST_F(MessageBoxTest, ALongTextWrapsIntoABoxNarrowerThanTheScreen)
{
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"The folder could not be converted. ";
    text += u"\nLast line.";
    auto run = Show(text, MB_OK | MB_ICONEXCLAMATION);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    RECT window = automation::PositionOf(box);
    RECT label = automation::PositionOf(GetDlgItem(box, kMessageBoxTextId));
    EXPECT_LT(window.right - window.left, GetSystemMetrics(SM_CXSCREEN) * 3 / 4);
    EXPECT_GT(label.bottom - label.top, 13 * 5); // many lines
    // Centred on the screen.
    EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    ASSERT_TRUE(automation::AnswerMessageBox(box, IDOK));
    EXPECT_EQ(Result(run), IDOK);
}

INT_PTR PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
    return msg == WM_INITDIALOG;
}

TEST_F(MessageBoxTest, AWorkersBoxOverADialogThatRunsModallyOnTheGuiThread)
{
    user::DialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    tmpl.caption = u"Converting";
    tmpl.cx = 200;
    tmpl.cy = 100;
    auto gui = std::async(std::launch::async,
                          [&] { return DialogBoxIndirectParamW(nullptr, tmpl, nullptr, PlainDialogProc, 0); });
    HWND dialog = automation::WaitForWindow(u"Converting");
    ASSERT_NE(dialog, nullptr);

    std::thread::id workerId;
    auto worker = std::async(std::launch::async, [&] {
        workerId = std::this_thread::get_id();
        return MessageBoxW(dialog, u"Are you sure you want to stop?", u"Pellinor", MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
    });
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog)); // the owner waits for its box
    user::MessageBoxRecord record;
    ASSERT_TRUE(user::MessageBoxRecordOf(box, record));
    EXPECT_EQ(record.owner, dialog);
    EXPECT_NE(GetWindowThreadProcessId(box, nullptr), GetWindowThreadProcessId(dialog, nullptr));
    ASSERT_TRUE(automation::AnswerMessageBox(box, IDYES));
    EXPECT_EQ(Result(worker), IDYES);
    EXPECT_TRUE(automation::WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
    auto history = user::MessageBoxHistory();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].thread, workerId);
    EXPECT_EQ(history[0].answer, IDYES);
    EndDialog(dialog, IDCANCEL);
    EXPECT_EQ(gui.wait_for(std::chrono::seconds(60)), std::future_status::ready);
}

TEST_F(MessageBoxTest, AWorkerTerminatedWhileItsBoxWaitsUnwindsOutOfIt)
{
    struct Worker {
        static DWORD Run(LPVOID)
        {
            MessageBoxW(nullptr, u"Your Lotus Notes is not configured", u"Pellinor", MB_OK | MB_SYSTEMMODAL);
            return 7; // never reached: the box is not answered
        }
    };
    HANDLE worker = CreateThread(nullptr, 0, &Worker::Run, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    HWND box = automation::WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    // Painted and idle: nothing is left for its loop but to wait.
    ASSERT_TRUE(automation::WaitForPaint());
    ASSERT_TRUE(TerminateThread(worker, 3));
    ASSERT_EQ(WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(user::OpenMessageBoxes().empty());
    CloseHandle(worker);
}

} // namespace
