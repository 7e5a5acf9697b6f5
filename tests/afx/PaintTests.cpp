// Painting through the framework: CPaintDC and erasing in the map, owner
// drawing reflected to the button's DrawItem, control colours asked of the
// dialog, and the system menu's own command.
#include "AfxTestSupport.h"

#include <atomic>

using namespace afxtest;

namespace {

constexpr COLORREF kErased = RGB(0, 0, 200);
constexpr COLORREF kPainted = RGB(200, 0, 0);
constexpr COLORREF kDrawn = RGB(0, 150, 0);
constexpr UINT kAboutCommand = 0x10;

class COwnerDrawnButton : public CButton {
public:
    std::atomic<UINT> drawnId{0};
    std::atomic<HWND> drawnWindow{nullptr};

    void DrawItem(LPDRAWITEMSTRUCT item) override
    {
        CDC* dc = CDC::FromHandle(item->hDC);
        dc->FillSolidRect(&item->rcItem, kDrawn);
        drawnWindow = item->hwndItem;
        drawnId = item->CtlID;
    }
};

class CPaintDlg : public CDialog {
public:
    CPaintDlg()
        : CDialog(kPaintDialog)
    {
    }
    COwnerDrawnButton m_button;
    std::atomic<UINT> sysCommand{0};
    std::atomic<bool> askedForTheLabel{false};

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 1004, m_button); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        CString about;
        about.LoadString(kStringTitle);
        CMenu* system = GetSystemMenu(FALSE);
        system->AppendMenu(MF_SEPARATOR);
        system->AppendMenu(MF_STRING, kAboutCommand, about);
        return TRUE;
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC)
    {
        CRect client;
        GetClientRect(&client);
        pDC->FillSolidRect(&client, kErased);
        return TRUE;
    }
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        dc.FillSolidRect(0, 0, 10, 10, kPainted);
    }
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT ctlType)
    {
        if (ctlType == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == 1033)
            askedForTheLabel = true;
        return CDialog::OnCtlColor(pDC, pWnd, ctlType);
    }
    afx_msg void OnSysCommand(UINT id, LPARAM lParam)
    {
        if ((id & 0xFFF0) == kAboutCommand) {
            sysCommand = id;
            return;
        }
        CDialog::OnSysCommand(id, lParam);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintDlg, CDialog)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_CTLCOLOR()
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

COLORREF PixelOf(HWND window, int x, int y)
{
    CClientDC dc(CWnd::FromHandle(window));
    return dc.GetPixel(x, y);
}

TEST(Painting, TheMapPaintsErasesAndDrawsTheOwnerDrawnButton)
{
    CPaintDlg dialog;
    ModalRun run(dialog);
    HWND window = automation::WaitForWindow(u"Paint");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(automation::WaitForPaint());
    EXPECT_EQ(PixelOf(window, 2, 2), kPainted);
    EXPECT_EQ(PixelOf(window, 40, 120), kErased);
    HWND button = ::GetDlgItem(window, 1004);
    ASSERT_TRUE(Eventually([&] { return dialog.m_button.drawnWindow.load() == button; }));
    EXPECT_EQ(dialog.m_button.drawnId, 1004u);
    EXPECT_EQ(PixelOf(button, 3, 3), kDrawn);
    EXPECT_TRUE(dialog.askedForTheLabel);
    automation::Click(::GetDlgItem(window, IDOK));
    EXPECT_EQ(run.Result(), IDOK);
}

TEST(Painting, AnItemAddedToTheSystemMenuArrivesAsASystemCommand)
{
    CPaintDlg dialog;
    ModalRun run(dialog);
    HWND window = automation::WaitForWindow(u"Paint");
    ASSERT_NE(window, nullptr);
    auto entries = automation::SystemMenuEntries(window);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().text, u"&About the test program");
    ASSERT_TRUE(automation::ChooseMenuCommand(window, kAboutCommand));
    ASSERT_TRUE(Eventually([&] { return dialog.sysCommand != 0; }));
    EXPECT_EQ(dialog.sysCommand & 0xFFF0, kAboutCommand);
    // The standard items still reach the default handling: Close is Cancel.
    automation::CloseWindow(window);
    EXPECT_EQ(run.Result(), IDCANCEL);
}

} // namespace
