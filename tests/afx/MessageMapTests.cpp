// Message maps on windows of the test thread: the chain of base maps, the
// handler signatures, reflection to controls and the binding of objects.
#include "AfxTestSupport.h"

#include <string>
#include <vector>

namespace {

using Seen = std::vector<std::string>;

// kCustomDraw, as the common controls send it.
constexpr UINT kCustomDraw = NM_CUSTOMDRAW;

class CBaseWnd : public CWnd {
public:
    Seen seen;
    BOOL Make() { return CreateEx(0, afxtest::TestWindowClass(), u"base", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr); }

    afx_msg void OnTimer(UINT_PTR id) { seen.push_back("base timer " + std::to_string(id)); }
    afx_msg void OnPaint()
    {
        seen.push_back("base paint");
        ValidateRect(nullptr);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_TIMER()
ON_WM_PAINT()
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    CPoint mousePoint;
    UINT mouseFlags = 0;
    std::vector<UINT> cursorArgs;
    std::vector<UINT> keyArgs;
    UINT sysCommand = 0;
    LPARAM sysCommandParam = 0;
    HDC eraseDC = nullptr;

protected:
    afx_msg void OnPaint()
    {
        seen.push_back("derived paint");
        ValidateRect(nullptr);
    }
    afx_msg void OnMouseMove(UINT flags, CPoint point)
    {
        mouseFlags = flags;
        mousePoint = point;
    }
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT hitTest, UINT message)
    {
        cursorArgs = {pWnd == this ? 1u : 0u, hitTest, message};
        return TRUE;
    }
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) { keyArgs = {ch, repeat, flags}; }
    afx_msg void OnSysCommand(UINT id, LPARAM lParam)
    {
        sysCommand = id;
        sysCommandParam = lParam;
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC)
    {
        eraseDC = pDC->GetSafeHdc();
        return TRUE;
    }
    afx_msg LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) * 100 + lParam; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_WM_PAINT()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
ON_WM_KEYDOWN()
ON_WM_SYSCOMMAND()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_APP + 1, &CDerivedWnd::OnPrivate)
END_MESSAGE_MAP()

TEST(MessageMap, ADerivedEntryWinsAndWhatItLacksFallsToTheBaseMapThenTheDefault)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.Make());
    wnd.SendMessage(WM_TIMER, 7);
    wnd.SendMessage(WM_PAINT);
    EXPECT_EQ(wnd.seen, (Seen{"base timer 7", "derived paint"}));

    // Handled nowhere: the window's default procedure stores the text.
    wnd.SetWindowText(u"changed");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(text, u"changed");
    wnd.DestroyWindow();
}

TEST(MessageMap, HandlersGetTheParametersInTheirDocumentedForms)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.Make());
    wnd.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-5), 300));
    EXPECT_EQ(wnd.mouseFlags, MK_LBUTTON);
    EXPECT_EQ(wnd.mousePoint, CPoint(-5, 300));

    EXPECT_EQ(wnd.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(wnd.cursorArgs, (std::vector<UINT>{1, HTCLIENT, WM_MOUSEMOVE}));

    wnd.SendMessage(WM_KEYDOWN, VK_ESCAPE, MAKELPARAM(3, 0x4001));
    EXPECT_EQ(wnd.keyArgs, (std::vector<UINT>{VK_ESCAPE, 3, 0x4001}));

    // The system command id comes whole: the handler masks it.
    wnd.SendMessage(WM_SYSCOMMAND, 0x13, 77);
    EXPECT_EQ(wnd.sysCommand, 0x13u);
    EXPECT_EQ(wnd.sysCommandParam, 77);

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), TRUE);
    EXPECT_EQ(wnd.eraseDC, dc);
    DeleteDC(dc);

    EXPECT_EQ(wnd.SendMessage(WM_APP + 1, 4, 2), 402);
    wnd.DestroyWindow();
}

// A parent that records the notifications that reach it.
class CParentWnd : public CWnd {
public:
    Seen* seen = nullptr;
    BOOL Make() { return CreateEx(0, afxtest::TestWindowClass(), u"parent", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr); }
    HWND MakeButton(int id)
    {
        return ::CreateWindowExW(0, WC_BUTTON, u"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 50, 20, m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    }

protected:
    afx_msg void OnClicked() { seen->push_back("parent clicked"); }
    afx_msg void OnCustomDraw(NMHDR*, LRESULT* result)
    {
        seen->push_back("parent notify");
        *result = 7;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
ON_BN_CLICKED(50, &CParentWnd::OnClicked)
ON_NOTIFY(kCustomDraw, 50, &CParentWnd::OnCustomDraw)
END_MESSAGE_MAP()

// A parent that answers static controls' colours itself.
class CColouringParent : public CParentWnd {
public:
    HBRUSH own = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT ctlType)
    {
        if (ctlType == CTLCOLOR_STATIC)
            return own;
        return CWnd::OnCtlColor(pDC, pWnd, ctlType);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColouringParent, CParentWnd)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class CReflectingButton : public CButton {
public:
    Seen* seen = nullptr;
    BOOL passOn = FALSE; // what the _EX handlers answer
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    UINT colourType = 0xFFFF;
    LPDRAWITEMSTRUCT drawn = nullptr;

    void DrawItem(LPDRAWITEMSTRUCT item) override { drawn = item; }

protected:
    afx_msg BOOL OnReflectedClick()
    {
        seen->push_back("child clicked");
        return !passOn;
    }
    afx_msg BOOL OnReflectedDraw(NMHDR* header, LRESULT* result)
    {
        seen->push_back("child notify " + std::to_string(static_cast<int>(header->code)));
        *result = 5;
        return !passOn;
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT ctlType)
    {
        colourType = ctlType;
        return brush;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, &CReflectingButton::OnReflectedClick)
ON_NOTIFY_REFLECT_EX(kCustomDraw, &CReflectingButton::OnReflectedDraw)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CConsumingButton : public CButton {
public:
    Seen* seen = nullptr;

protected:
    afx_msg void OnReflectedClick() { seen->push_back("child took the click"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CConsumingButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, &CConsumingButton::OnReflectedClick)
END_MESSAGE_MAP()

class Reflection : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent.seen = &seen;
        ASSERT_TRUE(parent.Make());
        button = parent.MakeButton(50);
    }
    void TearDown() override { parent.DestroyWindow(); }

    Seen seen;
    CParentWnd parent;
    HWND button = nullptr;
};

TEST_F(Reflection, AControlNotificationReachesTheControlFirstThenTheParent)
{
    CReflectingButton child;
    child.seen = &seen;
    child.passOn = TRUE;
    ASSERT_TRUE(child.SubclassWindow(button));
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(seen, (Seen{"child clicked", "parent clicked"}));

    seen.clear();
    child.passOn = FALSE;
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(seen, (Seen{"child clicked"}));
}

TEST_F(Reflection, APlainReflectedHandlerTakesTheNotificationAwayFromTheParent)
{
    CConsumingButton child;
    child.seen = &seen;
    ASSERT_TRUE(child.SubclassWindow(button));
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(seen, (Seen{"child took the click"}));
    child.UnsubclassWindow();
    ::SendMessageW(button, BM_CLICK, 0, 0); // unbound: straight to the parent
    EXPECT_EQ(seen, (Seen{"child took the click", "parent clicked"}));
}

TEST_F(Reflection, ANotificationIsReflectedWithItsResult)
{
    CReflectingButton child;
    child.seen = &seen;
    ASSERT_TRUE(child.SubclassWindow(button));
    NMHDR header = {button, 50, kCustomDraw};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&header)), 5);
    EXPECT_EQ(seen, (Seen{"child notify -12"}));

    seen.clear();
    child.passOn = TRUE;
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&header)), 7);
    EXPECT_EQ(seen, (Seen{"child notify -12", "parent notify"}));
}

TEST_F(Reflection, ControlColoursAndDrawingGoToTheControlUnlessTheParentAnswers)
{
    CReflectingButton child;
    ASSERT_TRUE(child.SubclassWindow(button));
    HDC dc = CreateCompatibleDC(nullptr);
    auto asked = [&](CWnd& to, UINT message) {
        return reinterpret_cast<HBRUSH>(to.SendMessage(message, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(button)));
    };
    // A parent without a colour handler of its own: the base reflects.
    EXPECT_EQ(asked(parent, WM_CTLCOLORBTN), child.brush);
    EXPECT_EQ(child.colourType, CTLCOLOR_BTN);

    CColouringParent colouring;
    colouring.seen = &seen;
    ASSERT_TRUE(colouring.Make());
    HWND second = colouring.MakeButton(51);
    CReflectingButton other;
    ASSERT_TRUE(other.SubclassWindow(second));
    button = second;
    EXPECT_EQ(asked(colouring, WM_CTLCOLORSTATIC), colouring.own);
    EXPECT_EQ(other.colourType, 0xFFFFu); // never asked
    EXPECT_EQ(asked(colouring, WM_CTLCOLOREDIT), other.brush);
    EXPECT_EQ(other.colourType, CTLCOLOR_EDIT);
    colouring.DestroyWindow();
    DeleteDC(dc);

    // Owner drawing reaches the control's DrawItem with the parent's record.
    char record[64] = {};
    auto* item = reinterpret_cast<LPDRAWITEMSTRUCT>(record);
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 50, reinterpret_cast<LPARAM>(item)), TRUE);
    EXPECT_EQ(child.drawn, item);
}

// An object that lives on the heap and goes with its window.
class CSelfDeleting : public CWnd {
public:
    explicit CSelfDeleting(bool* deleted)
        : m_deleted(deleted)
    {
    }
    ~CSelfDeleting() override { *m_deleted = true; }
    void PostNcDestroy() override { delete this; }

private:
    bool* m_deleted;
};

TEST(WindowObjects, ObjectsAreBoundOncePerWindowAndUnboundWhenTheWindowGoes)
{
    CParentWnd parent;
    Seen seen;
    parent.seen = &seen;
    ASSERT_TRUE(parent.Make());
    HWND control = parent.MakeButton(60);

    CWnd* temporary = CWnd::FromHandle(control);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(control), nullptr);
    EXPECT_EQ(CWnd::FromHandle(control), temporary);

    CButton bound;
    ASSERT_TRUE(bound.SubclassWindow(control));
    EXPECT_EQ(CWnd::FromHandle(control), &bound);
    CButton second;
    EXPECT_FALSE(second.SubclassWindow(control));
    EXPECT_EQ(parent.GetDlgItem(60), &bound);

    bool deleted = false;
    auto* self = new CSelfDeleting(&deleted);
    ASSERT_TRUE(self->CreateEx(0, afxtest::TestWindowClass(), u"self", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
    self->DestroyWindow();
    EXPECT_TRUE(deleted);

    parent.DestroyWindow();
    EXPECT_EQ(bound.m_hWnd, nullptr);
    EXPECT_EQ(parent.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(control), nullptr);
}

TEST(WindowObjects, AControlMadeByItsObjectKeepsItsOwnBehaviourBehindTheMap)
{
    CParentWnd parent;
    Seen seen;
    parent.seen = &seen;
    ASSERT_TRUE(parent.Make());
    CStatic picture;
    ASSERT_TRUE(picture.Create(u"", WS_CHILD | SS_BITMAP, CRect(0, 0, 20, 20), &parent, 70));
    EXPECT_EQ(CWnd::FromHandlePermanent(picture.m_hWnd), &picture);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    EXPECT_EQ(picture.SetBitmap(bitmap), nullptr);
    EXPECT_EQ(picture.GetBitmap(), bitmap);
    EXPECT_EQ(picture.GetDlgCtrlID(), 70);
    EXPECT_EQ(picture.GetParent(), &parent);
    parent.DestroyWindow();
    EXPECT_EQ(picture.m_hWnd, nullptr);
    DeleteObject(bitmap);
}

} // namespace
