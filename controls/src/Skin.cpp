#include "controls/Skin.h"

CDialogSkin::~CDialogSkin()
{
    if (m_hSkinRegion)
        ::DeleteObject(m_hSkinRegion);
    if (m_hSkin)
        ::DeleteObject(m_hSkin);
}

void CDialogSkin::Load(LPCWSTR path)
{
    m_hSkin = static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    m_hSkinRegion = BitmapToRegion(m_hSkin, kSkinKeyColor, FALSE);
}

BOOL CDialogSkin::OnEraseBkgnd(CWnd& dialog, CDC* pDC)
{
    if (!m_hSkin)
        return dialog.CWnd::OnEraseBkgnd(pDC);
    BITMAP info = {};
    ::GetObjectW(m_hSkin, sizeof info, &info);
    CDC memory;
    if (!memory.CreateCompatibleDC(pDC))
        return dialog.CWnd::OnEraseBkgnd(pDC);
    HGDIOBJ previous = memory.SelectObject(static_cast<HGDIOBJ>(m_hSkin));
    if (!previous)
        return dialog.CWnd::OnEraseBkgnd(pDC);
    pDC->BitBlt(0, 0, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);
    return TRUE;
}

HBRUSH CDialogSkin::OnCtlColor(CWnd& dialog, CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor == CTLCOLOR_BTN || nCtlColor == CTLCOLOR_STATIC) {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return dialog.CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}
