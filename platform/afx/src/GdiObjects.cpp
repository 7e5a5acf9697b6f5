#include "afx/GdiObjects.h"

#include "HandleMap.h"
#include "afx/Dc.h"
#include "afx/Wnd.h"
#include "user/Resources.h"
#include "win32/WideString.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

namespace {

// A temporary object: it lets go of its handle instead of deleting it.
template <typename Object>
class Temporary : public Object {
public:
    explicit Temporary(HGDIOBJ handle) { this->m_hObject = handle; }
    ~Temporary() override { this->m_hObject = nullptr; }
};

// One map per class, so that a handle always comes back as its own kind.
template <typename Object>
Object* TemporaryFor(HGDIOBJ handle)
{
    if (!handle)
        return nullptr;
    thread_local afx::detail::TemporaryMap<Object, HGDIOBJ> map;
    return map.Get(
        handle, [](HGDIOBJ h) { return std::make_unique<Temporary<Object>>(h); },
        [](HGDIOBJ h) { return ::GetObjectType(h) != 0; });
}

BOOL Take(CGdiObject& object, HGDIOBJ handle)
{
    return handle ? object.Attach(handle) : FALSE;
}

} // namespace

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    return TemporaryFor<CGdiObject>(hObject);
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (!hObject || m_hObject)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObject(m_hObject, nCount, lpObject) : 0;
}

UINT CGdiObject::GetObjectType() const
{
    return m_hObject ? ::GetObjectType(m_hObject) : 0;
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    return Take(*this, ::GetStockObject(nIndex));
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    CreatePen(nPenStyle, nWidth, crColor);
}

CPen* CPen::FromHandle(HPEN hPen)
{
    return TemporaryFor<CPen>(hPen);
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return Take(*this, ::CreatePen(nPenStyle, nWidth, crColor));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const
{
    return GetObject(sizeof(LOGPEN), pLogPen);
}

CBrush::CBrush(COLORREF crColor)
{
    CreateSolidBrush(crColor);
}

CBrush* CBrush::FromHandle(HBRUSH hBrush)
{
    return TemporaryFor<CBrush>(hBrush);
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Take(*this, ::CreateSolidBrush(crColor));
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return pBitmap ? Take(*this, ::CreatePatternBrush(*pBitmap)) : FALSE;
}

int CBrush::GetLogBrush(LOGBRUSH* pLogBrush) const
{
    return GetObject(sizeof(LOGBRUSH), pLogBrush);
}

CFont* CFont::FromHandle(HFONT hFont)
{
    return TemporaryFor<CFont>(hFont);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lpLogFont)
{
    return lpLogFont ? Take(*this, ::CreateFontIndirectW(lpLogFont)) : FALSE;
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename)
{
    return Take(*this, ::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                                     cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily,
                                     lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC)
{
    LOGFONTW font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = nPointSize;
    if (lpszFaceName)
        lstrcpynW(font.lfFaceName, lpszFaceName, LF_FACESIZE);
    return CreatePointFontIndirect(&font, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* lpLogFont, CDC* pDC)
{
    if (!lpLogFont)
        return FALSE;
    // The screen's resolution comes from a memory DC made for the screen.
    HDC dc = pDC ? pDC->m_hDC : ::CreateCompatibleDC(nullptr);
    int dotsPerInch = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (!pDC)
        ::DeleteDC(dc);
    LOGFONTW font = *lpLogFont;
    font.lfHeight = -MulDiv(dotsPerInch, lpLogFont->lfHeight, 720);
    font.lfWidth = 0;
    return CreateFontIndirect(&font);
}

int CFont::GetLogFont(LOGFONTW* pLogFont) const
{
    return GetObject(sizeof(LOGFONTW), pLogFont);
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap)
{
    return TemporaryFor<CBitmap>(hBitmap);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return LoadBitmap(MAKEINTRESOURCEW(static_cast<WORD>(nIDResource)));
}

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName)
{
    return Take(*this, ::LoadBitmap(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
{
    return Take(*this, ::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return pDC ? Take(*this, ::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight)) : FALSE;
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const
{
    return GetObject(sizeof(BITMAP), pBitMap);
}

CRgn* CRgn::FromHandle(HRGN hRgn)
{
    return TemporaryFor<CRgn>(hRgn);
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return Take(*this, ::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect)
{
    return Take(*this, ::CreateRectRgnIndirect(lpRect));
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return Take(*this, ::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateFromData(const void* lpXForm, int nCount, const RGNDATA* pRgnData)
{
    return Take(*this, ::ExtCreateRegion(lpXForm, static_cast<DWORD>(nCount), pRgnData));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode)
{
    return ::CombineRgn(*this, pRgn1 ? static_cast<HRGN>(*pRgn1) : nullptr,
                        pRgn2 ? static_cast<HRGN>(*pRgn2) : nullptr, nCombineMode);
}

int CRgn::CopyRgn(const CRgn* pRgnSrc)
{
    return ::CombineRgn(*this, *pRgnSrc, nullptr, RGN_COPY);
}

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2)
{
    ::SetRectRgn(*this, x1, y1, x2, y2);
}

int CRgn::OffsetRgn(int x, int y)
{
    return ::OffsetRgn(*this, x, y);
}

int CRgn::GetRgnBox(LPRECT lpRect) const
{
    return ::GetRgnBox(*this, lpRect);
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return ::PtInRegion(*this, x, y);
}

BOOL CRgn::EqualRgn(const CRgn* pRgn) const
{
    return pRgn ? ::EqualRgn(*this, *pRgn) : FALSE;
}

int CRgn::GetRegionData(RGNDATA* lpRgnData, int nCount) const
{
    return static_cast<int>(::GetRegionData(*this, static_cast<DWORD>(nCount), lpRgnData));
}
