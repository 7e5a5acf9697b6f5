// How one wizard step runs the next. The handler of Next (or Convert) checks
// its inputs and logs its block, then runs the next step here: the step's
// dialog is made on this stack without a parent (so the main window owns
// it), the current step hides while it runs and shows again, every control
// as the user left it, once that step ends. The modal result is not used.
//
// Back in a step ends the step's own modal run with the framework's plain
// cancel, CDialog::OnCancel(), never through an exit prompt; the step before
// then reappears here.
#pragma once

#include "afx/AfxWin.h"

#include <utility>

template <class TNextStep, class... Args>
void RunNextStep(CWnd& current, Args&&... args)
{
    TNextStep next(std::forward<Args>(args)...);
    current.ShowWindow(SW_HIDE);
    current.Invalidate();
    next.DoModal();
    current.ShowWindow(SW_SHOWNORMAL);
}
