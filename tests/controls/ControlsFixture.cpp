#include "ControlsFixture.h"

BEGIN_MESSAGE_MAP(CControlsDlg, CSkinDialog)
ON_MESSAGE(kRunMessage, &CControlsDlg::OnRun)
END_MESSAGE_MAP()
