#include "controls/Label.h"

#include "user/Icons.h"
#include "win32/Shell.h"

#include <algorithm>
#include <climits>

IMPLEMENT_DYNAMIC(CLabel, CStatic)

BEGIN_MESSAGE_MAP(CLabel, CStatic)
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_SETCURSOR()
ON_WM_SYSCOLORCHANGE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR kFlashTimer = 1;
constexpr UINT kFlashPeriod = 500;

} // namespace

CLabel::CLabel()
    : m_crText(::GetSysColor(COLOR_WINDOWTEXT))
    , m_hSystemBrush(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)))
{
}

CLabel::~CLabel()
{
    m_font.DeleteObject();
    ::DeleteObject(m_hSystemBrush);
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
}

void CLabel::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    ::GetObjectW(font, sizeof m_lf, &m_lf);
    RebuildFont();
}

BOOL CLabel::PreCreateWindow(CREATESTRUCTW& cs)
{
    return CStatic::PreCreateWindow(cs);
}

void CLabel::RebuildFont()
{
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&m_lf);
}

void CLabel::RedrawWithParent()
{
    // A setter called before the label is bound only stores its value; the
    // first paint shows it.
    if (!::IsWindow(m_hWnd))
        return;
    CRect rect;
    GetWindowRect(&rect);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    CWnd* parent = GetParent();
    if (!parent)
        return;
    parent->ScreenToClient(&rect);
    parent->InvalidateRect(&rect, TRUE);
    parent->UpdateWindow();
}

CLabel& CLabel::SetBkColor(COLORREF crBkgnd, COLORREF crBkgndHigh, BOOL bGradient)
{
    m_crBackground = crBkgnd;
    m_crGradientEnd = crBkgndHigh;
    m_bGradient = bGradient;
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
    m_hBackBrush = bGradient ? nullptr : ::CreateSolidBrush(crBkgnd);
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetTextColor(COLORREF crText)
{
    m_crText = crText;
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetText(const CString& strText)
{
    if (::IsWindow(m_hWnd)) {
        SetWindowText(strText);
        RedrawWithParent();
    }
    return *this;
}

CLabel& CLabel::SetFontBold(BOOL bBold)
{
    m_lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetFontName(const CString& strFont, BYTE byCharSet)
{
    m_lf.lfCharSet = byCharSet;
    // The face holds 31 characters and its terminator; a longer name is cut.
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(strFont.GetLength()), LF_FACESIZE - 1);
    std::copy_n(static_cast<LPCWSTR>(strFont), n, m_lf.lfFaceName);
    m_lf.lfFaceName[n] = 0;
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetFontUnderline(BOOL bSet)
{
    m_lf.lfUnderline = static_cast<BYTE>(bSet);
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetFontItalic(BOOL bSet)
{
    m_lf.lfItalic = static_cast<BYTE>(bSet);
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetFontSize(int nSize)
{
    // Tenths of a point; a size whose tenths leave the range of int is held
    // at its end.
    const long long tenths = std::clamp<long long>(nSize * 10LL, INT_MIN, INT_MAX);
    CFont sized;
    sized.CreatePointFont(static_cast<int>(tenths), m_lf.lfFaceName);
    LOGFONTW lf = {};
    sized.GetLogFont(&lf);
    m_lf.lfHeight = lf.lfHeight;
    m_lf.lfWidth = lf.lfWidth;
    sized.DeleteObject();
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetSunken(BOOL bSet)
{
    ModifyStyleEx(bSet ? 0 : WS_EX_STATICEDGE, bSet ? WS_EX_STATICEDGE : 0, SWP_FRAMECHANGED);
    return *this;
}

CLabel& CLabel::SetBorder(BOOL bSet)
{
    ModifyStyle(bSet ? 0 : WS_BORDER, bSet ? WS_BORDER : 0, SWP_FRAMECHANGED);
    return *this;
}

CLabel& CLabel::SetTransparent(BOOL bSet)
{
    m_bTransparent = bSet;
    ModifyStyleEx(0, WS_EX_TRANSPARENT);
    RedrawWithParent();
    return *this;
}

void CLabel::StartFlash(FlashType type)
{
    if (m_bFlashTimerStarted)
        KillTimer(kFlashTimer);
    m_bFlashPhase = FALSE;
    m_bFlashTimerStarted = TRUE;
    SetTimer(kFlashTimer, kFlashPeriod, nullptr);
    m_flash = type;
}

CLabel& CLabel::FlashText(BOOL bActivate)
{
    if (bActivate) {
        StartFlash(Text);
        return *this;
    }
    if (m_bFlashTimerStarted)
        KillTimer(kFlashTimer);
    m_flash = None;
    return *this;
}

CLabel& CLabel::FlashBackground(BOOL bActivate)
{
    if (bActivate) {
        StartFlash(Background);
        return *this;
    }
    // The flash kind stays as it was.
    if (m_bFlashTimerStarted)
        KillTimer(kFlashTimer);
    return *this;
}

CLabel& CLabel::SetLink(BOOL bLink, BOOL bNotifyParent)
{
    m_link = bLink ? HyperLink : LinkNone;
    m_bNotifyParent = bNotifyParent;
    ModifyStyle(m_link ? 0 : SS_NOTIFY, m_link ? SS_NOTIFY : 0);
    return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR hCursor)
{
    m_hLinkCursor = hCursor;
    return *this;
}

CLabel& CLabel::SetText3D(BOOL bSet, BOOL bDirection)
{
    m_bText3D = bSet;
    m_b3DDirection = bDirection;
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetRotationAngle(int nAngle, BOOL bRotation)
{
    m_lf.lfEscapement = m_lf.lfOrientation = nAngle * 10;
    m_bRotated = bRotation;
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetText3DColor(COLORREF cr3DColor)
{
    m_cr3DColor = cr3DColor;
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetFontIndirect(LOGFONTW lf)
{
    m_lf = lf;
    RebuildFont();
    RedrawWithParent();
    return *this;
}

CLabel& CLabel::SetMailLink(BOOL bEnable, BOOL bNotifyParent)
{
    m_link = bEnable ? MailLink : LinkNone;
    m_bNotifyParent = bNotifyParent;
    ModifyStyle(m_link ? 0 : SS_NOTIFY, m_link ? SS_NOTIFY : 0);
    return *this;
}

CLabel& CLabel::SetLinkURL(const CString& strURL)
{
    m_strLinkURL = strURL;
    return *this;
}

void CLabel::OnTimer(UINT_PTR)
{
    m_bFlashPhase = !m_bFlashPhase;
    RedrawWithParent();
    Default();
}

void CLabel::OnLButtonDown(UINT, CPoint)
{
    if (m_bNotifyParent) {
        NMHDR header = {m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), NM_LINKCLICK};
        ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()),
                       reinterpret_cast<LPARAM>(&header));
    } else {
        CString text;
        GetWindowText(text);
        if (m_link == HyperLink)
            ::ShellExecuteW(nullptr, u"open", m_strLinkURL.IsEmpty() ? text : m_strLinkURL, nullptr, nullptr,
                            SW_SHOWNORMAL);
        else if (m_link == MailLink)
            ::ShellExecuteW(nullptr, nullptr, CString(u"mailto:") + text, nullptr, nullptr, SW_SHOWNORMAL);
    }
    Default();
}

BOOL CLabel::OnSetCursor(CWnd*, UINT, UINT)
{
    if (!m_hLinkCursor)
        return static_cast<BOOL>(Default());
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

void CLabel::OnSysColorChange()
{
    ::DeleteObject(m_hSystemBrush);
    m_hSystemBrush = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    RedrawWithParent();
}

BOOL CLabel::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

UINT CLabel::TextFormat(const CString& text) const
{
    UINT format;
    switch (GetStyle() & SS_TYPEMASK) {
    case SS_CENTER:
        format = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format = 0;
        break;
    default:
        format = DT_WORDBREAK;
        break;
    }
    if (text.Find(u'\t') >= 0)
        format |= DT_EXPANDTABS;
    if (GetStyle() & SS_CENTERIMAGE)
        format = text.Find(u"\r\n") >= 0 ? DT_CENTER : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    return format;
}

void CLabel::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CString text;
    GetWindowText(text);

    CDC memory;
    CBitmap canvas;
    CBitmap* previousCanvas = nullptr;
    CDC* target = &paint;
    if (!m_bTransparent) {
        memory.CreateCompatibleDC(&paint);
        canvas.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
        previousCanvas = memory.SelectObject(&canvas);
        target = &memory;
    }

    int previousMode = target->SetBkMode(TRANSPARENT);
    COLORREF previousColor = target->SetTextColor(m_crText);
    HGDIOBJ previousFont = m_font.m_hObject ? target->SelectObject(m_font.m_hObject) : nullptr;

    if (!m_bTransparent) {
        if (m_bGradient)
            PaintGradient(target, client, m_crBackground, m_crGradientEnd, 100);
        else
            ::FillRect(*target, &client, m_hBackBrush ? m_hBackBrush : m_hSystemBrush);
    }

    if (m_flash == Text && !m_bFlashPhase) {
        // The off phase draws the text in the background brush's colour.
        LOGBRUSH brush = {};
        if (m_hBackBrush)
            ::GetObjectW(m_hBackBrush, sizeof brush, &brush);
        target->SetTextColor(brush.lbColor);
    }

    if (m_bRotated) {
        UINT previousAlign = target->SetTextAlign(TA_BASELINE);
        CPoint origin = target->GetViewportOrg();
        target->SetViewportOrg(client.Width() / 2, client.Height() / 2);
        target->TextOut(0, 0, text, text.GetLength());
        target->SetViewportOrg(origin);
        target->SetTextAlign(previousAlign);
    } else {
        UINT format = TextFormat(text);
        CRect box = client;
        target->DrawText(text, text.GetLength(), &box, format);
        if (m_bText3D) {
            target->SetTextColor(m_cr3DColor);
            box = client;
            box.OffsetRect(m_b3DDirection ? 1 : -1, m_b3DDirection ? 1 : -1);
            target->DrawText(text, text.GetLength(), &box, format);
        }
    }

    target->SetBkMode(previousMode);
    if (previousFont)
        target->SelectObject(previousFont);
    target->SetTextColor(previousColor);

    if (!m_bTransparent) {
        paint.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
        memory.SelectObject(previousCanvas);
    }
}

void PaintGradient(CDC* pDC, const CRect& rect, COLORREF crFrom, COLORREF crTo, int nBands)
{
    const int width = rect.right - rect.left;
    const int n = std::min(nBands, width);
    if (n <= 0)
        return;
    const int d = n > 1 ? n : 1;
    auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    int accumulator[3], increment[3];
    for (int i = 0; i < 3; ++i) {
        accumulator[i] = channel(crFrom, 8 * i) * 256;
        increment[i] = ((channel(crTo, 8 * i) - channel(crFrom, 8 * i)) * 256) / d;
    }
    const int step = width / d;
    pDC->SelectStockObject(NULL_PEN);
    int x = rect.left;
    for (int i = 0; i < n; ++i) {
        int right = i == n - 1 ? rect.right : x + step;
        CBrush band(RGB(static_cast<BYTE>(accumulator[0] / 256), static_cast<BYTE>(accumulator[1] / 256),
                        static_cast<BYTE>(accumulator[2] / 256)));
        CBrush* previous = pDC->SelectObject(&band);
        pDC->Rectangle(x, rect.top, right + 1, rect.bottom);
        pDC->SelectObject(previous);
        for (int c = 0; c < 3; ++c)
            accumulator[c] += increment[c];
        x = right;
    }
}
