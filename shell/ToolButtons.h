// The three shaded tool buttons at the top of every wizard step and of the
// progress dialog: View Log, Support and Exit, each with its icon and tip.
#pragma once

#include "controls/ShadeButton.h"

void SetUpToolButtons(CxShadeButton& viewLog, CxShadeButton& support, CxShadeButton& exit);

// Support: the maker's support page, opened through the shell.
void OpenSupportPage();
