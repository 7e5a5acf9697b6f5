#include "controls/TransparentStatic.h"

IMPLEMENT_DYNAMIC(CTransparentStatic, CStatic)

BEGIN_MESSAGE_MAP(CTransparentStatic, CStatic)
ON_MESSAGE(WM_SETTEXT, &CTransparentStatic::OnSetText)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

LRESULT CTransparentStatic::OnSetText(WPARAM, LPARAM)
{
    LRESULT result = Default();
    CWnd* parent = GetParent();
    if (!parent)
        return result; // nothing beneath it to repaint
    CRect rect;
    GetWindowRect(&rect);
    parent->ScreenToClient(&rect);
    parent->InvalidateRect(&rect, TRUE);
    parent->UpdateWindow();
    return result;
}

HBRUSH CTransparentStatic::CtlColor(CDC* pDC, UINT)
{
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
