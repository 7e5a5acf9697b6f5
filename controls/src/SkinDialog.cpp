#include "controls/SkinDialog.h"

BEGIN_MESSAGE_MAP(CSkinDialog, CDialog)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CSkinDialog::CSkinDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd)
{
}

BOOL CSkinDialog::OnEraseBkgnd(CDC* pDC)
{
    return m_skin.OnEraseBkgnd(*this, pDC);
}

HBRUSH CSkinDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return m_skin.OnCtlColor(*this, pDC, pWnd, nCtlColor);
}
