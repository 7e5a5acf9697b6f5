// The machine's viewers: Notepad.exe and hh.exe show their file in a window
// of the window system, whose multi-line edit scrolls through it; both are
// checked as a person sees them, by a script driving the real program.
#include "ToolsFixture.h"
#include "gdi/PngFile.h"
#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Input.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "gdi/Gdi.h"
#include "user/ScrollBar.h"
#include "user/Window.h"
#include "viewer/HtmlText.h"
#include "viewer/TextViewer.h"
#include "win32/Shell.h"
#include "win32/WideString.h"

#include <fstream>
#include <future>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace automation = user::automation;

namespace {

// A text as a quoted script argument.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += {'\\', c};
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

// The viewer window on a thread of its own, as its program runs it.
class RunningViewer {
public:
    RunningViewer(const std::u16string& title, const std::u16string& text)
    {
        std::promise<HWND> opened;
        m_window = opened.get_future();
        m_thread = std::thread([&opened, title, text] {
            HWND window = viewer::OpenViewerWindow(title, text);
            opened.set_value(window);
            viewer::RunViewer(window, true);
        });
        m_hwnd = m_window.get();
    }
    ~RunningViewer()
    {
        if (IsWindow(m_hwnd))
            PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_hwnd; }
    HWND Edit() const { return GetDlgItem(m_hwnd, viewer::kTextControlId); }

private:
    std::future<HWND> m_window;
    std::thread m_thread;
    HWND m_hwnd = nullptr;
};

LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendMessageW(window, msg, wParam, lParam);
}

DWORD Caret(HWND edit)
{
    DWORD from = 0, to = 0;
    Send(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return to;
}

std::u16string Lines(int count)
{
    std::u16string text;
    for (int i = 1; i <= count; ++i)
        text += u"Line " + Utf8ToUtf16(std::to_string(i)) + (i < count ? u"\r\n" : u"");
    return text;
}

} // namespace

class ViewerTest : public ToolsFixture {
protected:
    // Runs an installed viewer of the machine with the command line and a
    // script; its exit code, or -1 when it did not exit by itself.
    int RunViewerProgram(const std::u16string& program, const std::u16string& commandLine,
                         const std::string& script, std::string* errors = nullptr)
    {
        fs::path file = m_root / "viewer.txt";
        fs::path err = m_root / "viewer-stderr.txt";
        if (!script.empty())
            WriteHostFile(file, script);
        const fs::path host = Host(program);
        const std::string line = Utf16ToUtf8(commandLine);
        pid_t child = fork();
        if (child == 0) {
            if (script.empty())
                unsetenv("MARLWICK_SCRIPT");
            else
                setenv("MARLWICK_SCRIPT", file.c_str(), 1);
            setenv("MARLWICK_CMDLINE", line.c_str(), 1);
            setenv("MARLWICK_DISPLAY", "headless", 1);
            FILE* out = freopen(err.c_str(), "w", stderr);
            (void)out;
            execl(host.c_str(), host.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (errors)
            *errors = ReadHostFile(err);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(ViewerTest, NotepadShowsTheActivityLogAsItsFileHolds)
{
    Install();
    const std::string log = "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n"
                            "\r\nStep 1 :\r\n-------\r\nMode : Migrating \"Mail\" Folder \\ Inbox\tdone";
    WriteHostFile(Host(u"C:\\Logs\\Activity Log.txt"), log);
    std::string errors;
    // As View Log starts it: the rest of the command line is one file name.
    int code = RunViewerProgram(u"C:\\Windows\\Notepad.exe",
                                u"\"C:\\Windows\\Notepad.exe\" C:\\LOGS\\Activity Log.txt",
                                "wait-window \"Activity Log.txt - Notepad\"\n"
                                "expect-text 15 "
                                    + Quoted(log)
                                    + "\n"
                                      "screenshot \"notepad.png\"\n"
                                      "close\n",
                                &errors);
    EXPECT_EQ(code, 0) << errors;
    EXPECT_TRUE(fs::exists(m_root / "notepad.png"));

    // A script that finds other text fails with what the window shows.
    code = RunViewerProgram(u"C:\\Windows\\Notepad.exe", u"Notepad.exe C:\\Logs\\Activity Log.txt",
                            "wait-window \"Activity Log.txt - Notepad\"\ntimeout 200\nexpect-text 15 \"Version 4.0\"\n", &errors);
    EXPECT_EQ(code, 3);
    EXPECT_NE(errors.find("Step 1 :"), std::string::npos) << errors;
}

TEST_F(ViewerTest, AViewerThatNobodyCanSeeOrDriveEndsAtOnce)
{
    Install();
    WriteHostFile(Host(u"C:\\a.txt"), "a");
    EXPECT_EQ(RunViewerProgram(u"C:\\Windows\\Notepad.exe", u"Notepad.exe C:\\a.txt", ""), 0);
    EXPECT_EQ(RunViewerProgram(u"C:\\Windows\\Notepad.exe", u"Notepad.exe C:\\missing.txt", ""), 1);
}

TEST_F(ViewerTest, HelpOpensTheHelpDocumentInItsOwnWindow)
{
    Install();
    std::string errors;
    int code = RunViewerProgram(
        u"C:\\Windows\\hh.exe",
        u"\"C:\\Windows\\hh.exe\" C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm",
        "wait-window \"Pellinor for Lotus Notes NSF - MS Outlook PST: Help\"\n"
        "wait-control 15\n"
        "key ctrl+END\n"
        "screenshot \"help.png\"\n"
        "close\n",
        &errors);
    EXPECT_EQ(code, 0) << errors;
    EXPECT_TRUE(fs::exists(m_root / "help.png"));
}

TEST_F(ViewerTest, TheMachineOpensHelpAndTextFilesWithItsOwnViewers)
{
    Install();
    // The viewers of this root record how they were started.
    fs::path seen = m_root / "started.txt";
    for (const char16_t* program : {u"C:\\Windows\\hh.exe", u"C:\\Windows\\Notepad.exe"}) {
        fs::remove(Host(program));
        WriteHostFile(Host(program), "#!/bin/sh\nprintf '%s' \"$MARLWICK_CMDLINE\" > '" + seen.string() + ".tmp'\nmv '"
                                         + seen.string() + ".tmp' '" + seen.string() + "'\n");
        fs::permissions(Host(program), fs::perms::owner_all);
    }
    fs::path opened = UseRecordingOpener();
    WriteHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt"), "\r\nx");
    auto open = [](LPCWSTR file) {
        return reinterpret_cast<std::intptr_t>(ShellExecuteW(nullptr, u"open", file, nullptr, nullptr, SW_SHOWNORMAL));
    };
    EXPECT_GT(open(u"C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm"), 32);
    ASSERT_TRUE(WaitFor(seen));
    EXPECT_EQ(ReadHostFile(seen),
              "\"C:\\Windows\\hh.exe\" C:\\Program Files\\Pellinor\\Pellinor for Lotes Notes NSF - MS Outlook PST.chm");
    fs::remove(seen);
    EXPECT_GT(open(u"c:\\program files\\pellinor\\activity log.txt"), 32);
    ASSERT_TRUE(WaitFor(seen));
    EXPECT_EQ(ReadHostFile(seen), "\"C:\\Windows\\Notepad.exe\" C:\\program files\\pellinor\\activity log.txt");
    EXPECT_FALSE(fs::exists(opened)) << "the host's opener is not needed for either";

    // A web address still goes to the host's opener.
    EXPECT_TRUE(win32::HasHostOpener());
    EXPECT_GT(open(u"http://www.example.org/support"), 32);
    ASSERT_TRUE(WaitFor(opened));
    EXPECT_EQ(ReadHostFile(opened), "http://www.example.org/support");
    unsetenv("MARLWICK_OPENER");
    unsetenv("DISPLAY");
    EXPECT_FALSE(win32::HasHostOpener());
}

TEST_F(ViewerTest, TheTextScrollsByLinesPagesAndTheScrollRequests)
{
    RunningViewer viewer(u"Lines - Notepad", Lines(200));
    HWND edit = viewer.Edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(automation::TextOf(edit), Lines(200));
    EXPECT_EQ(Send(edit, EM_GETLINECOUNT), 200);
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 0);
    const std::string shotTop = (m_root / "top.png").string();
    ASSERT_TRUE(automation::Screenshot(viewer.Window(), shotTop));

    // Page down moves the caret and the view by the lines that fit.
    automation::PressKey(edit, VK_NEXT);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) > 0; }));
    const LRESULT page = Send(edit, EM_GETFIRSTVISIBLELINE);
    const std::u16string text = Lines(200);
    // The caret stands at the start of the line a page further down.
    const std::u16string pageLine = u"Line " + Utf8ToUtf16(std::to_string(page + 1)) + u"\r\n";
    EXPECT_EQ(Caret(edit), text.find(pageLine));

    // Down at the last visible line scrolls by one; the caret keeps its column.
    automation::PressKey(edit, VK_END);
    ASSERT_TRUE(automation::WaitUntil([&] { return Caret(edit) == text.find(u"\r\n", text.find(pageLine)); }));
    for (LRESULT i = 0; i < page; ++i)
        automation::PressKey(edit, VK_DOWN);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) == page + 1; }));
    const std::u16string below = u"Line " + Utf8ToUtf16(std::to_string(2 * page + 1));
    EXPECT_EQ(Caret(edit), text.find(below) + below.size());

    // Ctrl+End: the last line shows at the bottom.
    user::input::Key(static_cast<UINT>(VK_CONTROL), true, edit);
    automation::PressKey(edit, VK_END);
    user::input::Key(static_cast<UINT>(VK_CONTROL), false, edit);
    ASSERT_TRUE(automation::WaitUntil([&] { return Caret(edit) == text.size(); }));
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 200 - page);

    // Scroll requests move the view and leave the caret where it is.
    Send(edit, WM_VSCROLL, SB_TOP);
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 0);
    Send(edit, WM_VSCROLL, SB_LINEDOWN);
    Send(edit, WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 1 + page);
    Send(edit, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 500));
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 200 - page) << "no further than the last page";
    EXPECT_TRUE(Send(edit, EM_LINESCROLL, 0, -3));
    EXPECT_EQ(Send(edit, EM_GETFIRSTVISIBLELINE), 197 - page);
    EXPECT_EQ(Caret(edit), text.size());

    // A click puts the caret on the line under it; the screen shows the
    // lines scrolled.
    Send(edit, WM_VSCROLL, SB_TOP);
    RECT client;
    GetClientRect(edit, &client);
    const int lineHeight = client.bottom / static_cast<int>(page);
    automation::ClickAt(edit, {2, lineHeight * 3 + lineHeight / 2});
    ASSERT_TRUE(automation::WaitUntil([&] { return Caret(edit) == text.find(u"Line 4\r\n"); }));
    Send(edit, WM_VSCROLL, SB_BOTTOM);
    const std::string shotBottom = (m_root / "bottom.png").string();
    ASSERT_TRUE(automation::Screenshot(viewer.Window(), shotBottom));
    EXPECT_NE(ReadHostFile(shotTop), ReadHostFile(shotBottom));
}

TEST_F(ViewerTest, TheScrollBarFollowsTheViewAndTheWheelScrollsThreeLinesANotch)
{
    RunningViewer viewer(u"Lines - Notepad", Lines(200));
    HWND edit = viewer.Edit();
    ASSERT_NE(edit, nullptr);
    auto bar = [&] {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        EXPECT_TRUE(GetScrollInfo(edit, SB_VERT, &info));
        return info;
    };
    SCROLLINFO info = bar();
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 199);
    EXPECT_GT(info.nPage, 1u);
    EXPECT_EQ(info.nPos, 0);
    const int page = static_cast<int>(info.nPage);

    automation::ClickAt(edit, {2, 2}); // the wheel goes to the focus
    automation::TurnWheel(edit, {20, 20}, -1);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) == 3; }));
    EXPECT_EQ(bar().nPos, 3);
    automation::TurnWheel(edit, {20, 20}, -2);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) == 9; }));
    automation::TurnWheel(edit, {20, 20}, 1);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) == 6; }));
    EXPECT_EQ(bar().nPos, 6);

    Send(edit, WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(bar().nPos, 200 - page);
    automation::PressKey(edit, VK_HOME);
    user::input::Key(static_cast<UINT>(VK_CONTROL), true, edit);
    automation::PressKey(edit, VK_HOME);
    user::input::Key(static_cast<UINT>(VK_CONTROL), false, edit);
    ASSERT_TRUE(automation::WaitUntil([&] { return Send(edit, EM_GETFIRSTVISIBLELINE) == 0; }));
    EXPECT_EQ(bar().nPos, 0) << "the caret's keys move the bar too";
}

// A line of the activity log longer than the window: as Notepad without Word
// Wrap, the line is not wrapped but scrolls across by the horizontal bar's
// arrows, page area and thumb, and by Home and End, as the screen shows.
TEST_F(ViewerTest, ALongLineScrollsAcrossByTheBarAndHomeAndEnd)
{
    std::u16string longLine = u"Source : ";
    for (int i = 0; i < 12; ++i)
        longLine += u"C:\\Notes\\Data\\mail\\archive-" + Utf8ToUtf16(std::to_string(i)) + u".nsf; ";
    longLine += u"END";
    const std::u16string text = u"Step 1 :\r\n" + longLine + u"\r\nMode : Migrating Mail Folder";
    RunningViewer viewer(u"Activity Log.txt - Notepad", text);
    HWND edit = viewer.Edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Send(edit, EM_GETLINECOUNT), 3) << "no line is wrapped";
    ASSERT_NE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL, 0) << "the bar shows";
    auto bar = [&] {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(edit, SB_HORZ, &info);
        return info;
    };
    RECT client;
    GetClientRect(edit, &client);
    SCROLLINFO info = bar();
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(static_cast<int>(info.nPage), client.right);
    EXPECT_GT(info.nMax, 2 * client.right) << "the long line's width";
    EXPECT_EQ(info.nPos, 0);
    const int last = info.nMax + 1 - static_cast<int>(info.nPage);
    auto pos = [&] { return bar().nPos; };

    // Pixels of the edit's client area in a screenshot of the edit.
    auto shot = [&](const char* name) {
        const auto file = m_root / name;
        EXPECT_TRUE(automation::Screenshot(edit, file));
        return gdi::ReadPng(file);
    };
    POINT origin = {0, 0};
    ClientToScreen(edit, &origin);
    const RECT window = automation::PositionOf(edit);
    auto at = [&](const gdi::Surface& image, int x, int y) {
        return gdi::ColorFromPixel(image.At(x + origin.x - window.left, y + origin.y - window.top) & 0xFFFFFF);
    };
    auto count = [&](const gdi::Surface& image, RECT area, COLORREF color) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += at(image, x, y) == color;
        return n;
    };
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    const int barY = client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2;
    auto barPart = [&](int left, int right) {
        return RECT{left, client.bottom, right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    };
    auto start = shot("long-start.png");
    ASSERT_TRUE(start);
    const COLORREF glyph = GetSysColor(COLOR_BTNTEXT);
    EXPECT_GT(count(*start, barPart(0, arrow), glyph), 4) << "the left arrow";
    EXPECT_GT(count(*start, barPart(client.right - arrow, client.right), glyph), 4) << "the right arrow";

    // The right arrow moves a character, the track right of the thumb a page.
    automation::ClickAt(edit, {client.right - arrow / 2, barY});
    ASSERT_TRUE(automation::WaitUntil([&] { return pos() > 0; }));
    const int character = pos();
    EXPECT_LT(character, 20);
    automation::ClickAt(edit, {client.right - arrow - 2, barY});
    ASSERT_TRUE(automation::WaitUntil([&] { return pos() == std::min(last, character + client.right); }));

    // The thumb dragged to the right end: the end of the long line shows.
    SCROLLINFO now = bar();
    const int track = client.right - 2 * arrow;
    const int length = std::max(track * static_cast<int>(now.nPage) / (now.nMax + 1), 8);
    const int thumb = arrow + (track - length) * now.nPos / last + length / 2;
    automation::PressMouseAt(edit, {thumb, barY});
    automation::MoveMouseTo(edit, {thumb + 5, barY});
    automation::MoveMouseTo(edit, {client.right - 1, barY});
    automation::ReleaseMouseAt(edit, {client.right - 1, barY});
    ASSERT_TRUE(automation::WaitUntil([&] { return pos() == last; }));
    automation::WaitForPaint();
    auto end = shot("long-end.png");
    ASSERT_TRUE(end);
    EXPECT_NE(ReadHostFile(m_root / "long-start.png"), ReadHostFile(m_root / "long-end.png")) << "the text moved";
    // The long line ends with "END" just inside the right edge: the window's
    // background after it, the text's colour in its last characters.
    const COLORREF background = at(*end, client.right - 1, client.bottom - 1);
    TEXTMETRICW metrics = {};
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Send(edit, WM_GETFONT)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    const RECT lastChars = {client.right - 3 * metrics.tmAveCharWidth - 4, metrics.tmHeight, client.right,
                            2 * metrics.tmHeight};
    const int area = (lastChars.right - lastChars.left) * (lastChars.bottom - lastChars.top);
    EXPECT_LT(count(*end, lastChars, background), area - 10) << "END is drawn at the right edge";

    // Home and End on the long line bring its start and its end.
    automation::ClickAt(edit, {client.right / 2, metrics.tmHeight + metrics.tmHeight / 2});
    automation::PressKey(edit, VK_HOME);
    ASSERT_TRUE(automation::WaitUntil([&] { return pos() == 0; }));
    EXPECT_EQ(Caret(edit), text.find(longLine));
    automation::PressKey(edit, VK_END);
    ASSERT_TRUE(automation::WaitUntil([&] { return pos() == last; }));
    EXPECT_EQ(Caret(edit), text.find(longLine) + longLine.size());

    // Scroll requests move the text and leave the caret.
    Send(edit, WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(pos(), 0);
    Send(edit, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40));
    EXPECT_EQ(pos(), 40);
    Send(edit, WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(pos(), last);
    EXPECT_EQ(Caret(edit), text.find(longLine) + longLine.size());
}

// The bars go while the text fits and come back when a new text needs them.
TEST_F(ViewerTest, TheBarsGoWhileTheTextFitsAndComeBackWhenItDoesNot)
{
    RunningViewer viewer(u"Short - Notepad", u"One line");
    HWND edit = viewer.Edit();
    ASSERT_NE(edit, nullptr);
    auto bars = [&] { return GetWindowLongPtrW(edit, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL); };
    EXPECT_EQ(bars(), 0);
    const std::u16string wide = u"A line " + std::u16string(300, u'x');
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    EXPECT_EQ(bars(), WS_HSCROLL);
    const std::u16string both = wide + u"\r\n" + Lines(200);
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(both.c_str()));
    EXPECT_EQ(bars(), WS_VSCROLL | WS_HSCROLL);
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Short again"));
    EXPECT_EQ(bars(), 0);
}

TEST(HtmlText, TheHelpDocumentReadsAsHeadingsAndParagraphs)
{
    std::ifstream in(MARLWICK_RESOURCES_DIR "/help/Help.html", std::ios::binary);
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(html.empty());
    viewer::HtmlText page = viewer::HtmlToText(html);
    EXPECT_EQ(page.title, u"Pellinor for Lotus Notes NSF - MS Outlook PST: Help");
    const std::string text = Utf16ToUtf8(page.text);
    EXPECT_EQ(text.rfind("Pellinor for Lotus Notes NSF - MS Outlook PST\r\n\r\nThe wizard moves the contents of a "
                         "Lotus Notes database (an NSF file) into an Outlook personal folders file (a PST file).",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("\r\n\r\nStep 1: what to convert\r\n\r\nChoose Mails to move mail folders, Address Book "),
              std::string::npos);
    EXPECT_EQ(text.find("font-family"), std::string::npos) << "style sheets are not text";
    EXPECT_EQ(text.find('<'), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(HtmlText, EntitiesBreaksAndCommentsAsABrowserShowsThem)
{
    viewer::HtmlText page = viewer::HtmlToText("<TITLE> A  &amp; B </TITLE><!-- <p>hidden</p> -->"
                                               "<P>x &lt;y&gt; &#233;&#x41;&#0; &bogus; & z</P>"
                                               "one<br>two<BR/>  three<script>var a = '<p>';</script>");
    EXPECT_EQ(page.title, u"A & B");
    EXPECT_EQ(page.text, u"x <y> \u00e9A\ufffd &bogus; & z\r\n\r\none\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(viewer::HtmlToText("").text, u"");
    EXPECT_EQ(viewer::HtmlToText("<p>unclosed &amp").text, u"unclosed &amp\r\n");
}
