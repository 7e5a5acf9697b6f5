// Step 6, the conversion run, lives in engine/, which builds on the shell.
// Step 5's Convert runs it through this one function, which the engine
// defines; so every program that links the shell links the engine too.
#pragma once

#include "afx/AfxWin.h"

// Runs the progress dialog by the wizard's chaining from step 5.
void RunStep6(CWnd& step5);
