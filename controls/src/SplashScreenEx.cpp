#include "controls/SplashScreenEx.h"

#include "user/Icons.h"
#include "win32/Module.h"

#include <vector>

IMPLEMENT_DYNAMIC(CSplashScreenEx, CWnd)

BEGIN_MESSAGE_MAP(CSplashScreenEx, CWnd)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_MESSAGE(WM_PRINTCLIENT, &CSplashScreenEx::OnPrintClient)
ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR kDisplayTimer = 0;
constexpr DWORD kFadeInTime = 500;
constexpr DWORD kFadeOutTime = 200;

} // namespace

CSplashScreenEx::CSplashScreenEx()
{
    if (HMODULE user32 = ::GetModuleHandleA("USER32.DLL"))
        m_fnAnimateWindow = reinterpret_cast<AnimateWindowFunction>(::GetProcAddress(user32, "AnimateWindow"));
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    m_myFont.CreateFontIndirect(&lf);
}

CSplashScreenEx::~CSplashScreenEx() = default;

BOOL CSplashScreenEx::Create(CWnd* pWndParent, LPCWSTR szText, DWORD dwTimeout, DWORD dwStyle)
{
    m_pWndParent = pWndParent;
    m_strText = szText ? szText : u"";
    m_dwTimeout = dwTimeout;
    m_dwStyle = dwStyle;

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_SAVEBITS | ((dwStyle & SPLASH_DROP_SHADOW) ? CS_DROPSHADOW : 0);
    wc.lpfnWndProc = AfxGetAfxWndProc();
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kSplashClassName;
    if (!::RegisterClassExW(&wc)) {
        if (!(dwStyle & SPLASH_DROP_SHADOW))
            return FALSE;
        // The class of an earlier splash: only the shadowed form goes on.
        wc.style &= ~CS_DROPSHADOW;
        ::RegisterClassExW(&wc);
    }
    return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClassName, nullptr, WS_POPUP, 0, 0, 0, 0,
                    pWndParent ? pWndParent->m_hWnd : nullptr, nullptr);
}

BOOL CSplashScreenEx::SetBitmap(UINT nBitmapID, short red, short green, short blue)
{
    m_bitmap.DeleteObject();
    if (!m_bitmap.LoadBitmap(nBitmapID))
        return FALSE;
    return TakeBitmap(red, green, blue);
}

BOOL CSplashScreenEx::SetBitmap(LPCWSTR szFileName, short red, short green, short blue)
{
    auto loaded = static_cast<HBITMAP>(::LoadImageW(nullptr, szFileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!loaded)
        return FALSE; // the previous picture stays
    m_bitmap.DeleteObject();
    m_bitmap.Attach(loaded);
    return TakeBitmap(red, green, blue);
}

BOOL CSplashScreenEx::TakeBitmap(short red, short green, short blue)
{
    BITMAP info = {};
    m_bitmap.GetBitmap(&info);
    m_nBitmapWidth = info.bmWidth;
    m_nBitmapHeight = info.bmHeight;
    m_rcText.SetRect(0, 0, info.bmWidth, info.bmHeight);

    if (m_dwStyle & SPLASH_CENTER_SCREEN) {
        m_nxPos = (::GetSystemMetrics(SM_CXFULLSCREEN) - m_nBitmapWidth) / 2;
        m_nyPos = (::GetSystemMetrics(SM_CYFULLSCREEN) - m_nBitmapHeight) / 2;
    } else if ((m_dwStyle & SPLASH_CENTER_PARENT) && m_pWndParent) {
        CRect parent;
        m_pWndParent->GetWindowRect(&parent);
        m_nxPos = parent.left + (parent.Width() - m_nBitmapWidth) / 2;
        m_nyPos = parent.top + (parent.Height() - m_nBitmapHeight) / 2;
    }

    if (red != -1 && green != -1 && blue != -1) {
        m_hRegion = BuildKeyRegion(m_bitmap, RGB(static_cast<BYTE>(red), static_cast<BYTE>(green),
                                                 static_cast<BYTE>(blue)));
        // The window owns the region now; without a window it is ours to free.
        if (!SetWindowRgn(m_hRegion, TRUE)) {
            ::DeleteObject(m_hRegion);
            m_hRegion = nullptr;
        }
    }
    return TRUE;
}

HRGN CSplashScreenEx::BuildKeyRegion(HBITMAP hBitmap, COLORREF key)
{
    if (!hBitmap)
        return nullptr;
    BITMAP info = {};
    ::GetObjectW(hBitmap, sizeof info, &info);
    const int w = info.bmWidth, h = info.bmHeight;

    CDC memory;
    {
        CClientDC window(this);
        memory.CreateCompatibleDC(&window);
    }
    HGDIOBJ previous = memory.SelectObject(static_cast<HGDIOBJ>(hBitmap));
    std::vector<RECT> runs;
    runs.reserve(40);
    // Rows from the bottom up; a run of opaque pixels ends before the first
    // pixel of the exact key colour, or at the row's end.
    for (int y = h - 1; y >= 0; --y) {
        int x = 0;
        while (x < w) {
            while (x < w && memory.GetPixel(x, y) == key)
                ++x;
            const int start = x;
            while (x < w && memory.GetPixel(x, y) != key)
                ++x;
            if (x > start)
                runs.push_back({start, y, x, y + 1});
        }
    }
    memory.SelectObject(previous);

    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (const RECT& run : runs) {
        HRGN piece = ::CreateRectRgnIndirect(&run);
        ::CombineRgn(region, region, piece, RGN_OR);
        ::DeleteObject(piece);
    }
    return region;
}

BOOL CSplashScreenEx::SetTextFont(LPCWSTR szFont, int nSize, int nStyle)
{
    m_myFont.DeleteObject();
    CFont sized;
    if (!sized.CreatePointFont(nSize, szFont))
        return FALSE;
    LOGFONTW lf = {};
    sized.GetLogFont(&lf);
    lf.lfWeight = (nStyle & 0x01) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (nStyle & 0x02) ? 1 : 0;
    lf.lfUnderline = (nStyle & 0x04) ? 1 : 0;
    sized.DeleteObject();
    return m_myFont.CreateFontIndirect(&lf);
}

void CSplashScreenEx::SetText(LPCWSTR szText)
{
    m_strText = szText ? szText : u"";
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSplashScreenEx::SetTextColor(COLORREF crTextColor)
{
    m_crTextColor = crTextColor;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSplashScreenEx::SetTextRect(const CRect& rcText)
{
    m_rcText = rcText;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSplashScreenEx::SetTextFormat(UINT uTextFormat)
{
    m_uTextFormat = uTextFormat;
}

void CSplashScreenEx::Show()
{
    SetWindowPos(nullptr, m_nxPos, m_nyPos, m_nBitmapWidth, m_nBitmapHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if ((m_dwStyle & SPLASH_FADE_IN) && m_fnAnimateWindow)
        m_fnAnimateWindow(m_hWnd, kFadeInTime, AW_BLEND);
    else
        ShowWindow(SW_SHOW);
    if (m_dwTimeout)
        SetTimer(kDisplayTimer, m_dwTimeout, nullptr);
}

void CSplashScreenEx::Hide()
{
    if (!m_hWnd) {
        // Create failed: no window will end the object, so Hide does.
        delete this;
        return;
    }
    if ((m_dwStyle & SPLASH_FADE_OUT) && m_fnAnimateWindow)
        m_fnAnimateWindow(m_hWnd, kFadeOutTime, AW_BLEND | AW_HIDE);
    else
        ShowWindow(SW_HIDE);
    DestroyWindow();
}

void CSplashScreenEx::PostNcDestroy()
{
    CWnd::PostNcDestroy();
    delete this;
}

BOOL CSplashScreenEx::PreTranslateMessage(MSG* pMsg)
{
    if (m_dwStyle & SPLASH_HIDE_ON_INPUT) {
        switch (pMsg->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
            Hide();
            return TRUE;
        default:
            break;
        }
    }
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CSplashScreenEx::OnEraseBkgnd(CDC*)
{
    return TRUE; // the picture covers the whole window
}

void CSplashScreenEx::OnPaint()
{
    CPaintDC dc(this);
    DrawWindow(&dc);
}

LRESULT CSplashScreenEx::OnPrintClient(WPARAM wParam, LPARAM)
{
    DrawWindow(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
    return 1;
}

void CSplashScreenEx::OnTimer(UINT_PTR)
{
    KillTimer(kDisplayTimer);
    Hide();
}

void CSplashScreenEx::DrawWindow(CDC* pDC)
{
    CDC memory;
    memory.CreateCompatibleDC(pDC);
    CBitmap* previous = memory.SelectObject(&m_bitmap);
    pDC->BitBlt(0, 0, m_nBitmapWidth, m_nBitmapHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);

    CFont* previousFont = pDC->SelectObject(&m_myFont);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(m_crTextColor);
    pDC->DrawText(m_strText, -1, &m_rcText, m_uTextFormat);
    pDC->SelectObject(previousFont);
}
