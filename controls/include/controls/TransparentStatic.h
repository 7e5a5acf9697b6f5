// A static text drawn straight over what its parent painted beneath it (the
// dialog's skin); every change of its text repaints the parent under it
// first, so no trace of the old text stays.
#pragma once

#include "afx/AfxWin.h"

class CTransparentStatic : public CStatic {
    DECLARE_DYNAMIC(CTransparentStatic)

protected:
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()
};
