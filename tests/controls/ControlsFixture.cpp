#include "ControlsFixture.h"

BEGIN_MESSAGE_MAP(CControlsDlg, CDialog)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_MESSAGE(kRunMessage, &CControlsDlg::OnRun)
END_MESSAGE_MAP()
