// The questions every wizard step asks before the program ends. Each is a
// message box owned by the step that asks, with the program's message
// caption; Yes ends the process at once with exit(0) (the exit handlers run,
// no dialog is closed first, nothing is logged), No leaves everything as it
// was.
//
//   A  "Are you sure you want to exit?"  question icon     Cancel, the Exit button, File / Exit of step 1
//   B  "Are you sure you want to exit."  exclamation icon  Escape in step 1
//   C  "Are you sure you want to exit."  question icon     File / Exit of steps 2 to 5
#pragma once

#include "afx/AfxWin.h"

#include <functional>

enum class ExitPrompt { A, B, C };

// Returns only when the answer is No. On Yes, beforeExit (when given) runs
// just before the process ends: a step raises its own stop flags there.
void ConfirmExit(CWnd& owner, ExitPrompt prompt, const std::function<void()>& beforeExit = {});
