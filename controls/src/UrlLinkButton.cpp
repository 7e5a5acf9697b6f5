#include "controls/UrlLinkButton.h"

#include "user/Icons.h"
#include "user/MouseTracking.h"
#include "win32/FileApi.h"
#include "win32/Module.h"
#include "win32/Shell.h"

IMPLEMENT_DYNAMIC(CURLLinkButton, CButton)

BEGIN_MESSAGE_MAP(CURLLinkButton, CButton)
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_MOUSELEAVE, &CURLLinkButton::OnMouseLeave)
ON_MESSAGE(WM_MOUSEHOVER, &CURLLinkButton::OnMouseHover)
ON_CONTROL_REFLECT(BN_CLICKED, &CURLLinkButton::OnClicked)
ON_WM_SETCURSOR()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

HCURSOR CURLLinkButton::s_hLinkCursor = nullptr;

namespace {

constexpr int kHandCursorId = 106;
constexpr UINT_PTR kToolId = 1;

} // namespace

CURLLinkButton::CURLLinkButton()
    : m_clrLink(::GetSysColor(COLOR_HIGHLIGHT))
    , m_clrHover(::GetSysColor(COLOR_HOTLIGHT))
    , m_clrDisabled(::GetSysColor(COLOR_GRAYTEXT))
{
    if (!s_hLinkCursor) {
        // The help viewer of the Windows folder carries the hand cursor; the
        // library is kept for the cursor's sake.
        WCHAR path[MAX_PATH];
        ::GetWindowsDirectoryW(path, MAX_PATH);
        wcscat_s(path, MAX_PATH, u"\\Winhlp32.exe");
        if (HMODULE help = ::LoadLibraryW(path))
            s_hLinkCursor = ::LoadCursorW(help, MAKEINTRESOURCEW(kHandCursorId));
        // Without the help viewer, the system's own hand stands in.
        if (!s_hLinkCursor)
            s_hLinkCursor = ::LoadCursorW(nullptr, IDC_HAND);
    }
}

CURLLinkButton::~CURLLinkButton()
{
    if (m_pLinkFont) {
        m_pLinkFont->DeleteObject();
        delete m_pLinkFont;
    }
}

void CURLLinkButton::PreSubclassWindow()
{
    ModifyStyle(BS_DEFPUSHBUTTON, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

void CURLLinkButton::SetLinkColor(COLORREF clrLink)
{
    m_clrLink = clrLink;
}

void CURLLinkButton::SetHoverColor(COLORREF clrHover)
{
    m_clrHover = clrHover;
}

void CURLLinkButton::SetVisitedColor(COLORREF clrVisited)
{
    m_clrVisited = clrVisited;
}

void CURLLinkButton::SetColors(COLORREF clrLink, COLORREF clrHover, COLORREF clrVisited)
{
    m_clrLink = clrLink;
    m_clrHover = clrHover;
    m_clrVisited = clrVisited;
}

void CURLLinkButton::SetURL(LPCWSTR lpszURL)
{
    m_strURL = lpszURL ? lpszURL : u"";
}

void CURLLinkButton::SetURLPrefix(LPCWSTR lpszPrefix)
{
    m_strPrefix = lpszPrefix ? lpszPrefix : u"";
}

CString CURLLinkButton::GetURL() const
{
    CString target = m_strURL;
    if (target.IsEmpty())
        GetWindowText(target);
    return m_strPrefix + target;
}

void CURLLinkButton::SetText(LPCWSTR lpszText)
{
    SetWindowText(lpszText);
    SizeToContent();
    Invalidate(TRUE);
}

void CURLLinkButton::SizeToContent()
{
    CString text;
    GetWindowText(text);
    CClientDC dc(this);
    CSize extent = dc.GetTextExtent(text);
    SetWindowPos(nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CURLLinkButton::SetToolTipText(const CString& strText)
{
    CString text = strText.IsEmpty() ? GetURL() : strText;
    if (!m_ToolTip.m_hWnd) {
        m_ToolTip.Create(this, 0);
        m_ToolTip.Activate(FALSE);
    }
    if (m_ToolTip.GetToolCount() == 0) {
        CRect client;
        GetClientRect(&client);
        m_ToolTip.AddTool(this, text, &client, kToolId);
    }
    m_ToolTip.UpdateTipText(text, this, kToolId);
}

void CURLLinkButton::SetToolTipTextColor(COLORREF clrText)
{
    m_ToolTip.SendMessage(TTM_SETTIPTEXTCOLOR, clrText);
}

void CURLLinkButton::SetToolTipBkColor(COLORREF clrBk)
{
    m_ToolTip.SendMessage(TTM_SETTIPBKCOLOR, clrBk);
}

void CURLLinkButton::SetToolTipColors(COLORREF clrText, COLORREF clrBk)
{
    SetToolTipTextColor(clrText);
    SetToolTipBkColor(clrBk);
}

void CURLLinkButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect rect = lpDrawItemStruct->rcItem;
    if (!m_pLinkFont || !m_pLinkFont->m_hObject) {
        LOGFONTW lf = {};
        ::GetObjectW(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)), sizeof lf, &lf);
        lf.lfHeight = 14;
        lf.lfWeight = 800;
        lf.lfUnderline = 1;
        if (!m_pLinkFont)
            m_pLinkFont = new CFont;
        m_pLinkFont->CreateFontIndirect(&lf);
    }
    CFont* previousFont = nullptr;
    if (IsWindowEnabled()) {
        previousFont = dc->SelectObject(m_pLinkFont);
        dc->SetTextColor(m_bHover ? m_clrHover : m_bVisited ? m_clrVisited : m_clrLink);
    } else {
        dc->SetTextColor(m_clrDisabled);
    }
    dc->SetBkMode(TRANSPARENT);
    CString text;
    GetWindowText(text);
    dc->DrawText(text, &rect, DT_SINGLELINE);
    if (previousFont)
        dc->SelectObject(previousFont);
}

void CURLLinkButton::OnMouseMove(UINT, CPoint)
{
    if (!m_bTracking) {
        TRACKMOUSEEVENT request = {sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bTracking = ::_TrackMouseEvent(&request);
    }
    Default();
}

LRESULT CURLLinkButton::OnMouseHover(WPARAM, LPARAM)
{
    m_bHover = TRUE;
    Invalidate(TRUE);
    if (m_ToolTip.m_hWnd && m_ToolTip.GetToolCount() != 0)
        m_ToolTip.Activate(TRUE);
    return 1;
}

LRESULT CURLLinkButton::OnMouseLeave(WPARAM, LPARAM)
{
    m_bTracking = FALSE;
    m_bHover = FALSE;
    Invalidate(TRUE);
    if (m_ToolTip.m_hWnd && m_ToolTip.GetToolCount() != 0)
        m_ToolTip.Activate(FALSE);
    return 0;
}

BOOL CURLLinkButton::OnSetCursor(CWnd*, UINT nHitTest, UINT)
{
    if (nHitTest == HTCLIENT && s_hLinkCursor) {
        ::SetCursor(s_hLinkCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CURLLinkButton::OnKillFocus(CWnd*)
{
    Default();
    Invalidate(TRUE);
}

void CURLLinkButton::OnClicked()
{
    if (!IsWindowEnabled())
        return;
    HCURSOR previousCursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    CString target = m_strURL;
    if (target.IsEmpty())
        GetWindowText(target);
    ::ShellExecuteW(nullptr, u"open", m_strPrefix + target, nullptr, nullptr, SW_HIDE);
    m_bVisited = TRUE;
    m_bHover = FALSE;
    Invalidate(TRUE);
    ::SetCursor(previousCursor);
}

// The keys are the button's and the dialog's as for any owner-drawn button:
// space clicks it; Enter goes to the dialog's default button.
BOOL CURLLinkButton::PreTranslateMessage(MSG* pMsg)
{
    if (m_ToolTip.m_hWnd)
        m_ToolTip.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}
