// How the standard controls paint: the colours they ask their parent for,
// owner-drawn buttons, and what their pixels show in each state.
#include "ScriptModule.h"
#include "user/Automation.h"
#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Icons.h"
#include "user/Input.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include "gdi/Gdi.h"
#include "win32/WideString.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace automation = user::automation;

namespace {

const char* kScript = R"rc(
800 DIALOGEX 0, 0, 260, 150
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Looks"
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT "Over the skin", 1030, 10, 10, 80, 10
    LTEXT "On red", 1031, 10, 24, 80, 10
    AUTOCHECKBOX "Backup", 1020, 10, 40, 60, 10
    EDITTEXT 1012, 100, 10, 60, 14, ES_AUTOHSCROLL
    EDITTEXT 1013, 100, 30, 60, 14, ES_READONLY
    CONTROL "", 1040, "Static", SS_ETCHEDHORZ, 10, 60, 200, 1
    CONTROL "", 1041, "Static", SS_BITMAP, 10, 70, 10, 10
    GROUPBOX "Group", 1042, 180, 60, 70, 40
    CONTROL "Drawn", 1050, "Button", BS_OWNERDRAW | WS_TABSTOP, 100, 110, 50, 14
    DEFPUSHBUTTON "Next", IDOK, 200, 130, 50, 14
    PUSHBUTTON "Cancel", IDCANCEL, 140, 130, 50, 14
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kScript, 0x7799);
    return module;
}

constexpr COLORREF kSkin = RGB(0, 128, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

struct Seen {
    std::mutex mutex;
    std::vector<std::pair<UINT, int>> colorRequests; // message, control id
    std::vector<DRAWITEMSTRUCT> drawn;
};
Seen* g_seen = nullptr;

// A skinned dialog: it paints its background green and lets statics and
// buttons draw over it, except 1031, which it gives a red brush.
INT_PTR SkinProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    static HBRUSH skin = CreateSolidBrush(kSkin);
    static HBRUSH red = CreateSolidBrush(kRed);
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(dialog, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, skin);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        {
            std::lock_guard lock(g_seen->mutex);
            g_seen->colorRequests.emplace_back(msg, id);
        }
        if (msg == WM_CTLCOLOREDIT)
            return FALSE; // the default colours
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (id == 1031) {
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(red);
        }
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        std::lock_guard lock(g_seen->mutex);
        g_seen->drawn.push_back(*item);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

class ControlPaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen = &m_seen;
        m_run = std::async(std::launch::async, [] { return DialogBoxParamW(Module(), 800, nullptr, SkinProc, 0); });
        m_dialog = automation::WaitForWindow(u"Looks");
        ASSERT_NE(m_dialog, nullptr);
        ASSERT_TRUE(automation::WaitForPaint());
    }
    void TearDown() override
    {
        if (m_dialog)
            EndDialog(m_dialog, IDCANCEL);
        m_run.wait();
        g_seen = nullptr;
    }

    HWND Control(int id) { return GetDlgItem(m_dialog, id); }

    // A client point of a control as the dialog's surface shows it.
    COLORREF At(int id, int x, int y)
    {
        automation::WaitForPaint();
        POINT p = {x, y};
        ClientToScreen(Control(id), &p);
        RECT window;
        GetWindowRect(m_dialog, &window);
        return gdi::ColorFromPixel(user::SurfaceOf(m_dialog)->At(p.x - window.left, p.y - window.top) & 0xFFFFFF);
    }

    bool Requested(UINT msg, int id)
    {
        std::lock_guard lock(m_seen.mutex);
        for (const auto& request : m_seen.colorRequests) {
            if (request == std::pair<UINT, int>{msg, id})
                return true;
        }
        return false;
    }

    std::vector<DRAWITEMSTRUCT> Drawn()
    {
        std::lock_guard lock(m_seen.mutex);
        return m_seen.drawn;
    }

    Seen m_seen;
    std::future<INT_PTR> m_run;
    HWND m_dialog = nullptr;
};

TEST_F(ControlPaintTest, ControlsAskTheirParentForColoursAndAHollowBrushLetsTheSkinShow)
{
    EXPECT_TRUE(Requested(WM_CTLCOLORSTATIC, 1030));
    EXPECT_TRUE(Requested(WM_CTLCOLORSTATIC, 1020)); // check boxes ask as statics
    EXPECT_TRUE(Requested(WM_CTLCOLORBTN, IDOK));
    EXPECT_TRUE(Requested(WM_CTLCOLOREDIT, 1012));
    EXPECT_TRUE(Requested(WM_CTLCOLORSTATIC, 1013)); // a read-only edit asks as a static
    // The corners of the texts, clear of their glyphs.
    RECT box;
    GetClientRect(Control(1030), &box);
    EXPECT_EQ(At(1030, box.right - 1, box.bottom - 1), kSkin);
    GetClientRect(Control(1031), &box);
    EXPECT_EQ(At(1031, box.right - 1, box.bottom - 1), kRed);
    EXPECT_EQ(At(1020, 2, 0), kSkin); // above the box of the check box
    // An edit that takes input keeps the system's white; a read-only one
    // asks as a static and here lets the skin show.
    EXPECT_EQ(At(1012, 1, 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(At(1013, 1, 1), kSkin);
}

TEST_F(ControlPaintTest, TheDefaultButtonHasABlackFrameAndAPushShowsSunken)
{
    RECT client;
    GetClientRect(Control(IDOK), &client);
    int middle = client.bottom / 2;
    EXPECT_EQ(At(IDOK, 0, middle), GetSysColor(COLOR_WINDOWFRAME));
    COLORREF plainEdge = At(IDCANCEL, 0, middle);
    EXPECT_NE(plainEdge, GetSysColor(COLOR_WINDOWFRAME));
    COLORREF raisedTop = At(IDCANCEL, 5, 1);
    SendMessageW(Control(IDCANCEL), BM_SETSTATE, TRUE, 0);
    EXPECT_NE(At(IDCANCEL, 5, 1), raisedTop); // the light edge became a dark one
    SendMessageW(Control(IDCANCEL), BM_SETSTATE, FALSE, 0);
    EXPECT_EQ(At(IDCANCEL, 5, 1), raisedTop);
}

TEST_F(ControlPaintTest, ACheckBoxShowsItsCheckMark)
{
    RECT client;
    GetClientRect(Control(1020), &client);
    int top = (client.bottom - 13) / 2;
    auto markPixels = [&] {
        int dark = 0;
        for (int y = top + 2; y < top + 11; ++y)
            for (int x = 2; x < 11; ++x)
                dark += At(1020, x, y) == GetSysColor(COLOR_WINDOWTEXT) ? 1 : 0;
        return dark;
    };
    EXPECT_EQ(markPixels(), 0);
    EXPECT_EQ(At(1020, 6, top + 6), GetSysColor(COLOR_WINDOW)); // the box's white inside
    CheckDlgButton(m_dialog, 1020, BST_CHECKED);
    EXPECT_GT(markPixels(), 6);
}

TEST_F(ControlPaintTest, StaticsShowBitmapsAtTheirSizeAndEtchedLines)
{
    HBITMAP bitmap = CreateBitmap(24, 12, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 24, 12};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &all, blue);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(blue);
    SendMessageW(Control(1041), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    RECT client;
    GetClientRect(Control(1041), &client);
    EXPECT_EQ(client.right, 24); // the control took the bitmap's size
    EXPECT_EQ(client.bottom, 12);
    EXPECT_EQ(At(1041, 20, 10), RGB(0, 0, 255));
    // An etched line one unit high: its top edge is the shadow.
    EXPECT_EQ(At(1040, 50, 0), GetSysColor(COLOR_3DSHADOW));
    // A group box: its etched frame runs from half the text's height.
    EXPECT_EQ(At(1042, 0, 20), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(At(1042, 0, 2), kSkin);
    SendMessageW(Control(1041), STM_SETIMAGE, IMAGE_BITMAP, 0);
    DeleteObject(bitmap);
}

TEST(SystemIcons, AreSharedThirtyTwoPixelIconsThatOutliveDestroyIcon)
{
    HICON question = LoadIconW(nullptr, IDI_QUESTION);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(LoadIconW(nullptr, IDI_QUESTION), question);
    EXPECT_NE(LoadIconW(nullptr, IDI_HAND), question);
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(123)), nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(question, &info));
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(question);
    EXPECT_TRUE(GetIconInfo(question, &info)); // still there
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    // The stop icon is red in the middle of its left half.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateBitmap(32, 32, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    DrawIconEx(dc, 0, 0, LoadIconW(nullptr, IDI_HAND), 32, 32, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(GetPixel(dc, 6, 16), RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
}

TEST_F(ControlPaintTest, AnEditScrollsToItsCaretAndHighlightsItsSelectionWhileFocused)
{
    HWND edit = Control(1012);
    std::u16string text(40, u'A');
    text += std::u16string(40, u'Z');
    SetWindowTextW(edit, text.c_str());
    RECT client;
    GetClientRect(edit, &client);
    auto leftPart = [&] {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < 20; ++x)
                pixels.push_back(At(1012, x, y));
        return pixels;
    };
    automation::Click(edit);
    automation::PressKey(edit, VK_HOME);
    ASSERT_TRUE(automation::WaitUntil([&] { return LOWORD(SendMessageW(edit, EM_GETSEL, 0, 0)) == 0; }));
    auto atHome = leftPart();
    automation::PressKey(edit, VK_END);
    ASSERT_TRUE(automation::WaitUntil([&] { return LOWORD(SendMessageW(edit, EM_GETSEL, 0, 0)) == 80; }));
    EXPECT_NE(leftPart(), atHome); // the Z's scrolled into view
    // A selection shows highlighted while the edit has the focus.
    SendMessageW(edit, EM_SETSEL, 0, -1);
    int highlighted = 0;
    for (int x = 0; x < client.right; ++x)
        highlighted += At(1012, x, client.bottom / 2) == GetSysColor(COLOR_HIGHLIGHT) ? 1 : 0;
    EXPECT_GT(highlighted, client.right / 4);
}

TEST_F(ControlPaintTest, AnOwnerDrawnButtonAsksItsParentWithItsStates)
{
    HWND button = Control(1050);
    auto drawn = Drawn();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back().CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(drawn.back().CtlID, 1050u);
    EXPECT_EQ(drawn.back().itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_EQ(drawn.back().hwndItem, button);
    RECT client;
    GetClientRect(button, &client);
    EXPECT_TRUE(EqualRect(&drawn.back().rcItem, &client));
    EXPECT_EQ(drawn.back().itemState, 0u);

    // A press: focus first, then the selection, each drawn at once.
    RECT rect = automation::PositionOf(button);
    POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    user::input::MouseButton(middle, user::input::kLeftButton, true);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto all = Drawn();
        return all.back().itemAction == ODA_SELECT;
    }));
    drawn = Drawn();
    EXPECT_EQ(drawn[drawn.size() - 2].itemAction, static_cast<UINT>(ODA_FOCUS));
    EXPECT_EQ(drawn[drawn.size() - 2].itemState, static_cast<UINT>(ODS_FOCUS));
    EXPECT_EQ(drawn.back().itemState, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS));
    user::input::MouseButton(middle, user::input::kLeftButton, false);
    ASSERT_TRUE(automation::WaitUntil([&] {
        auto all = Drawn();
        return all.back().itemAction == ODA_SELECT && all.back().itemState == ODS_FOCUS;
    }));

    // Disabled, and the dialog's default.
    EnableWindow(button, FALSE);
    SendMessageW(m_dialog, DM_SETDEFID, 1050, 0);
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    drawn = Drawn();
    EXPECT_EQ(drawn.back().itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_EQ(drawn.back().itemState, static_cast<UINT>(ODS_DISABLED | ODS_DEFAULT));
}

} // namespace

TEST_F(ControlPaintTest, AGroupBoxRepaintedInPartShowsWhatAWholeRepaintShows)
{
    // A control inside the group changing repaints the dialog there, and the
    // box under it; a repaint across the box's frame or label redraws them.
    auto snapshot = [&] {
        automation::WaitForPaint();
        const auto surface = user::SurfaceOf(m_dialog);
        std::vector<gdi::Pixel> pixels;
        for (int y = 0; y < surface->Height(); ++y)
            for (int x = 0; x < surface->Width(); ++x)
                pixels.push_back(surface->At(x, y) & 0xFFFFFF);
        return pixels;
    };
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const auto whole = snapshot();
    RECT box;
    GetWindowRect(Control(1042), &box);
    POINT corner = {box.left, box.top};
    ScreenToClient(m_dialog, &corner);
    const int w = box.right - box.left, h = box.bottom - box.top;
    const RECT areas[] = {
        {corner.x + 6, corner.y + 20, corner.x + w - 6, corner.y + h - 6}, // inside only
        {corner.x - 3, corner.y + 20, corner.x + 4, corner.y + h - 6},     // across the left edge
        {corner.x + 6, corner.y + h - 4, corner.x + w - 6, corner.y + h + 3}, // across the bottom edge
        {corner.x + 2, corner.y, corner.x + 30, corner.y + 6},             // the label's row
    };
    for (const RECT& area : areas) {
        InvalidateRect(m_dialog, &area, TRUE);
        UpdateWindow(m_dialog);
        EXPECT_EQ(snapshot(), whole) << "after repainting " << area.left << "," << area.top << " to " << area.right
                                     << "," << area.bottom;
        // The frame shows over the skin: the box did draw.
        EXPECT_NE(At(1042, 0, h / 2), kSkin);
        EXPECT_NE(At(1042, w / 2, h - 1), kSkin);
    }
}

namespace {

WNDPROC g_staticProc = nullptr;
std::atomic<int> g_paintsSeen{0};

// Answers for the text with another, as a subclass may; passes the rest on.
LRESULT OtherTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    static const std::u16string other = u"Something else";
    if (msg == WM_GETTEXTLENGTH)
        return static_cast<LRESULT>(other.size());
    if (msg == WM_GETTEXT) {
        lstrcpynW(reinterpret_cast<LPWSTR>(lParam), other.c_str(), static_cast<int>(wParam));
        return lstrlenW(reinterpret_cast<LPCWSTR>(lParam));
    }
    if (msg == WM_PAINT)
        ++g_paintsSeen;
    return CallWindowProcW(g_staticProc, hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(ControlPaintTest, AStaticShowsTheTextItWasGivenWhateverItsSubclassAnswersForIt)
{
    HWND label = Control(1030);
    // The label's own pixels: the focused edit's caret blinks elsewhere in
    // the dialog.
    auto snapshot = [&] {
        RECT box;
        GetClientRect(label, &box);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < box.bottom; ++y)
            for (int x = 0; x < box.right; ++x)
                pixels.push_back(At(1030, x, y));
        return pixels;
    };
    SetWindowTextW(label, u"Shown");
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const auto shown = snapshot();

    g_paintsSeen = 0;
    g_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherTextProc)));
    SetWindowTextW(label, u"Over");
    SetWindowTextW(label, u"Shown");
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(snapshot(), shown);
    EXPECT_GT(g_paintsSeen.load(), 0) << "the subclass no longer sees the control's paint";
    WCHAR text[32] = {};
    SendMessageW(label, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::u16string(text), u"Something else"); // a caller that asks still gets the subclass's answer
    SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_staticProc));
}
