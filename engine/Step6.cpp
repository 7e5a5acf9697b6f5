// Step 5's Convert: the progress dialog, run as every step runs the next.
#include "Step6.h"

#include "CProDlg.h"
#include "WizardChain.h"

void RunStep6(CWnd& step5)
{
    RunNextStep<CProDlg>(step5);
}
