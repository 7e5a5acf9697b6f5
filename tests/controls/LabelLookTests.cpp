// The rich label's other looks: the text flash on its timer, the 3-D copy,
// rotated text from the centre, frames, a new button-face colour, and the
// mail link.
#include "ControlsFixture.h"

#include "user/Icons.h"
#include "win32/Shell.h"

#include <chrono>
#include <cstdlib>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class LabelLook : public ControlsTest {
protected:
    HWND Label() const { return ::GetDlgItem(dialog.m_hWnd, 1031); }

    // Pixels of the label that are not the background colour.
    int Marked(COLORREF background) const
    {
        RECT client;
        ::GetClientRect(Label(), &client);
        return client.right * client.bottom - CountPixels(Label(), background);
    }

    // Where the label's pixels are not the background, row by row, and the
    // rectangle around them (right and bottom exclusive; left > right when
    // there are none).
    std::vector<bool> Ink(COLORREF background) const
    {
        RECT client;
        ::GetClientRect(Label(), &client);
        std::vector<bool> marks;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                marks.push_back(PixelOf(Label(), x, y) != background);
        return marks;
    }
    RECT InkBounds(COLORREF background) const
    {
        RECT client;
        ::GetClientRect(Label(), &client);
        const auto marks = Ink(background);
        RECT box = {client.right, client.bottom, 0, 0};
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                if (marks[static_cast<std::size_t>(y * client.right + x)])
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
        return box;
    }

    // The dialog with the label in black on white; w and h its client size.
    bool StartBlackOnWhite()
    {
        dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetBkColor(kWhite).SetTextColor(RGB(0, 0, 0)); };
        if (!Start())
            return false;
        RECT client;
        ::GetClientRect(Label(), &client);
        w = client.right;
        h = client.bottom;
        return true;
    }
    int w = 0, h = 0;

    // One flash period on the machine's clock, and the tick it brings.
    // One flash period, with the tick it brings handled before this returns.
    void TickHandled()
    {
        m_clock->Advance(std::chrono::milliseconds(500));
        dialog.Run([&] {
            MSG msg;
            while (::PeekMessageW(&msg, Label(), WM_TIMER, WM_TIMER, PM_REMOVE))
                ::DispatchMessageW(&msg);
        });
        automation::WaitForPaint();
    }

    // The mean position of the pixels where one channel leads the others.
    struct Centre {
        double x = -1, y = -1;
    };
    Centre Where(bool reddish) const
    {
        RECT client;
        ::GetClientRect(Label(), &client);
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) {
                const COLORREF c = PixelOf(Label(), x, y);
                const int lead = reddish ? GetRValue(c) - GetBValue(c) : GetBValue(c) - GetRValue(c);
                if (lead > 100) {
                    sx += x;
                    sy += y;
                    ++n;
                }
            }
        return n ? Centre{sx / n, sy / n} : Centre{};
    }
};

// The off phase draws the text in the background brush's colour, so on its
// own background the text vanishes; the first tick brings it back, the next
// hides it again. Stopping the background flash stops the timer and leaves
// the text as it was.
TEST_F(LabelLook, FlashingTextVanishesInItsOffPhaseOnTheTimersTicks)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetBkColor(kWhite).SetTextColor(RGB(200, 0, 0)).FlashText(TRUE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Marked(kWhite), 0) << "the first paint is in the off phase";
    TickHandled();
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) > 0; }));
    TickHandled();
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) == 0; }));
    TickHandled();
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) > 0; }));
    ASSERT_TRUE(automation::WaitForPaint());

    dialog.Run([&] { dialog.m_welcome.FlashBackground(FALSE); });
    const int shown = Marked(kWhite);
    TickHandled();
    TickHandled();
    EXPECT_EQ(Marked(kWhite), shown) << "no more ticks";

    // The 3-D copy keeps its colour in the off phase; a gradient leaves no
    // background brush, so the off phase draws the text in black.
    dialog.Run([&] { dialog.m_welcome.FlashText(TRUE).SetText3D(TRUE).SetText3DColor(RGB(0, 0, 220)); });
    ASSERT_TRUE(automation::WaitUntil([&] { return Where(false).x >= 0 && Where(true).x < 0; }));
    dialog.Run([&] { dialog.m_welcome.SetText3D(FALSE).SetBkColor(kWhite, kWhite, TRUE); });
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) > 0; }));
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_GT(CountPixels(Label(), RGB(0, 0, 0)), 0);
    EXPECT_EQ(Where(true).x, -1) << "no red";
}

// Stopping a text flash repaints nothing: text left in its off phase stays
// hidden until the next paint. Starting a flash again begins in the off
// phase; a background flash draws the text alike in both phases.
TEST_F(LabelLook, AFlashStopsWithoutARepaintAndStartsAgainInItsOffPhase)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetBkColor(kWhite).SetTextColor(RGB(200, 0, 0)).FlashText(TRUE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(Marked(kWhite), 0);
    dialog.Run([&] { dialog.m_welcome.FlashText(FALSE); });
    automation::WaitForPaint();
    EXPECT_EQ(Marked(kWhite), 0) << "no repaint of its own";
    dialog.Run([&] { dialog.m_welcome.Invalidate(); });
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) > 0; }));

    dialog.Run([&] { dialog.m_welcome.FlashText(TRUE); });
    TickHandled();
    ASSERT_GT(Marked(kWhite), 0) << "the tick's repaint is done";
    dialog.Run([&] {
        dialog.m_welcome.FlashText(TRUE);
        dialog.m_welcome.Invalidate();
    });
    EXPECT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) == 0; })) << "a new flash starts off";

    dialog.Run([&] {
        dialog.m_welcome.FlashBackground(TRUE);
        dialog.m_welcome.Invalidate();
    });
    ASSERT_TRUE(automation::WaitUntil([&] { return Marked(kWhite) > 0; }));
    automation::WaitForPaint();
    const int shown = Marked(kWhite);
    TickHandled();
    EXPECT_EQ(Marked(kWhite), shown);
    TickHandled();
    EXPECT_EQ(Marked(kWhite), shown);
}

// The 3-D copy lies one pixel below and right of the text, or above and
// left of it, over the first copy.
TEST_F(LabelLook, TheThreeDCopyLiesOnePixelOffInItsDirection)
{
    dialog.setUp = [](CControlsDlg& d) {
        d.m_welcome.SetBkColor(kWhite).SetTextColor(RGB(255, 0, 0)).SetFontSize(16).SetFontBold(TRUE);
        d.m_welcome.SetText3D(TRUE, TRUE).SetText3DColor(RGB(0, 0, 255));
    };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    Centre red = Where(true), blue = Where(false);
    ASSERT_GE(red.x, 0);
    ASSERT_GE(blue.x, 0);
    EXPECT_GT(blue.x, red.x);
    EXPECT_GT(blue.y, red.y);

    dialog.Run([&] { dialog.m_welcome.SetText3D(TRUE, FALSE); });
    ASSERT_TRUE(automation::WaitUntil([&] { return Where(false).x < Where(true).x; }));
    ASSERT_TRUE(automation::WaitForPaint());
    red = Where(true);
    blue = Where(false);
    EXPECT_LT(blue.y, red.y);
}

// Rotated by 90 degrees the text runs upward from the centre of the label on
// its baseline; without rotation it starts at the top-left corner.
TEST_F(LabelLook, RotatedTextStartsAtTheCentreOnItsBaseline)
{
    ASSERT_TRUE(StartBlackOnWhite());
    auto bounds = [&] { return InkBounds(kWhite); };
    RECT box = bounds();
    ASSERT_GT(box.right, box.left);
    EXPECT_LT(box.left, 3);
    EXPECT_LT(box.top, 5);

    dialog.Run([&] { dialog.m_welcome.SetRotationAngle(90, TRUE); });
    ASSERT_TRUE(automation::WaitUntil([&] { return bounds().left > w / 4; }));
    ASSERT_TRUE(automation::WaitForPaint());
    box = bounds();
    EXPECT_LE(box.bottom, h / 2 + 2) << "the text rises from the centre";
    EXPECT_GT(box.left, w / 2 - 20) << "its glyphs stand left of the baseline";
    EXPECT_LT(box.right, w / 2 + 7);
    EXPECT_GT(box.bottom - box.top, box.right - box.left) << "it runs upward";
}

// Frames change the client area at once; a new button-face colour repaints
// a label without a background brush, and the text colour stays.
TEST_F(LabelLook, FramesAndANewButtonFaceColour)
{
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    RECT plain, framed;
    ::GetClientRect(Label(), &plain);
    dialog.Run([&] { dialog.m_welcome.SetBorder(TRUE).SetSunken(TRUE); });
    ::GetClientRect(Label(), &framed);
    EXPECT_LT(framed.right, plain.right);
    EXPECT_NE(::GetWindowLongPtrW(Label(), GWL_STYLE) & WS_BORDER, 0);
    EXPECT_NE(::GetWindowLongPtrW(Label(), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    dialog.Run([&] { dialog.m_welcome.SetBorder(FALSE).SetSunken(FALSE); });
    ::GetClientRect(Label(), &framed);
    EXPECT_EQ(framed.right, plain.right);

    ASSERT_EQ(::GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    const int indices[] = {COLOR_BTNFACE, COLOR_WINDOWTEXT};
    const COLORREF saved[] = {::GetSysColor(COLOR_BTNFACE), RGB(0, 0, 0)}, changed[] = {RGB(10, 120, 90), RGB(0, 0, 200)};
    ::SetSysColors(2, indices, changed);
    ::SendMessageW(Label(), WM_SYSCOLORCHANGE, 0, 0);
    const bool repainted = automation::WaitUntil([&] { return PixelOf(Label(), plain.right - 2, 2) == changed[0]; })
                           && automation::WaitForPaint();
    // Black text over the new face, and nothing of the new blue text colour.
    int dark = 0, blue = 0;
    for (int y = 0; y < plain.bottom; ++y)
        for (int x = 0; x < plain.right; ++x) {
            const COLORREF c = PixelOf(Label(), x, y);
            dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 60;
            blue += GetBValue(c) > GetGValue(c) + 60;
        }
    ::SetSysColors(2, indices, saved);
    EXPECT_TRUE(repainted);
    EXPECT_GT(dark, 0) << "the text keeps the colour it was made with";
    EXPECT_EQ(blue, 0);
}

// A mail link hands "mailto:" and the text to the shell with no verb; a URL
// link opens its URL when one is set.
TEST_F(LabelLook, AMailLinkAndALinkWithItsOwnAddress)
{
    dialog.setUp = [](CControlsDlg& d) { d.m_welcome.SetMailLink(TRUE, FALSE); };
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    automation::Click(Label());
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal()[0].verb, u"");
    EXPECT_EQ(win32::ReadShellJournal()[0].file, u"mailto:Welcome");

    dialog.Run([&] { dialog.m_welcome.SetLink(TRUE, FALSE).SetLinkURL(u"http://www.example.org/a"); });
    automation::Click(Label());
    ASSERT_TRUE(automation::WaitUntil([] { return win32::ReadShellJournal().size() == 2; }));
    EXPECT_EQ(win32::ReadShellJournal()[1].verb, u"open");
    EXPECT_EQ(win32::ReadShellJournal()[1].file, u"http://www.example.org/a");

    // A mail link that notifies its parent opens nothing.
    dialog.Run([&] { dialog.m_welcome.SetMailLink(TRUE, TRUE); });
    automation::Click(Label());
    ASSERT_TRUE(automation::WaitUntil([&] { return dialog.Notifications().size() == 1; }));
    EXPECT_EQ(win32::ReadShellJournal().size(), 2u);

    // The link cursor shows over the label; the label never destroys it.
    HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    dialog.Run([&] { dialog.m_welcome.SetLinkCursor(hand); });
    ::SetCursor(nullptr);
    ::SendMessageW(Label(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Label()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), hand);
}

// The layout follows the static's style: SS_CENTERIMAGE centres a single
// line both ways whatever the alignment, and only horizontally a text with a
// line break; SS_LEFTNOWORDWRAP keeps a long text on one line. An ampersand
// always underlines the next character, and disabling changes nothing.
TEST_F(LabelLook, TheLayoutFollowsTheStaticsStyle)
{
    ASSERT_TRUE(StartBlackOnWhite());
    auto ink = [&] { return Ink(kWhite); };
    auto bounds = [&] { return InkBounds(kWhite); };
    auto restyle = [&](DWORD remove, DWORD add, const CString& text) {
        dialog.Run([&] {
            dialog.m_welcome.ModifyStyle(remove, add);
            dialog.m_welcome.SetText(text);
        });
        automation::WaitForPaint();
    };

    restyle(0, SS_CENTERIMAGE, u"Centred");
    RECT box = bounds();
    EXPECT_LE(std::abs(box.left - (w - box.right)), 2);
    EXPECT_LE(std::abs(box.top - (h - box.bottom)), 3);
    restyle(0, SS_RIGHT, u"Centred");
    const RECT again = bounds();
    EXPECT_TRUE(::EqualRect(&box, &again)) << "the alignment gives way to the centring";

    restyle(0, 0, u"Two\r\nlines");
    box = bounds();
    EXPECT_LT(box.top, 3) << "no vertical centring with a line break";
    EXPECT_GT(box.left, w / 3);

    const CString longText(u"A text far too long for one line of this label, so it wraps or it does not");
    restyle(SS_TYPEMASK | SS_CENTERIMAGE, SS_LEFT, longText);
    const LONG wrapped = bounds().bottom;
    restyle(SS_TYPEMASK, SS_LEFTNOWORDWRAP, longText);
    EXPECT_LT(bounds().bottom, wrapped) << "one line";

    restyle(SS_TYPEMASK, SS_LEFT | SS_NOPREFIX, u"AB");
    const auto plain = ink();
    const LONG baseline = bounds().bottom;
    restyle(0, 0, u"A&B");
    const auto prefixed = ink();
    int extra = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto i = static_cast<std::size_t>(y * w + x);
            EXPECT_EQ(plain[i] && !prefixed[i], false) << x << ", " << y;
            if (prefixed[i] && !plain[i]) {
                ++extra;
                EXPECT_GE(y, baseline - 2) << "only the underline is added";
            }
        }
    EXPECT_GT(extra, 0);

    dialog.Run([&] { dialog.m_welcome.EnableWindow(FALSE); });
    automation::WaitForPaint();
    EXPECT_EQ(ink(), prefixed) << "a disabled label paints alike";
}

// A tab in the text of a left-aligned label is expanded to the next tab
// stop, eight average characters on.
TEST_F(LabelLook, ATabReachesTheNextTabStop)
{
    ASSERT_TRUE(StartBlackOnWhite());
    int average = 0;
    dialog.Run([&] {
        dialog.m_welcome.SetText(u"A\tB");
        CClientDC dc(&dialog.m_welcome);
        CFont font;
        font.CreateFontIndirect(&dialog.m_welcome.GetLogFont());
        CFont* previous = dc.SelectObject(&font);
        TEXTMETRICW metrics = {};
        dc.GetTextMetrics(&metrics);
        average = metrics.tmAveCharWidth;
        dc.SelectObject(previous);
    });
    ASSERT_GT(average, 0);
    automation::WaitForPaint();
    const RECT tabbed = InkBounds(kWhite);
    dialog.Run([&] { dialog.m_welcome.SetText(u"AB"); });
    automation::WaitForPaint();
    const RECT plain = InkBounds(kWhite);
    EXPECT_LT(plain.right, 3 * average);
    EXPECT_GE(tabbed.right, 8 * average);
    EXPECT_LT(tabbed.right, 10 * average);
}

} // namespace
