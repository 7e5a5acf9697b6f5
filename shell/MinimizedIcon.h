// The picture of a minimised wizard dialog: the program icon in the middle
// of the client area on the button face.
#pragma once

#include "afx/AfxWin.h"

void PaintMinimizedIcon(CWnd& window, HICON icon);
