#include "MinimizedIcon.h"

void PaintMinimizedIcon(CWnd& window, HICON icon)
{
    CPaintDC dc(&window);
    CRect client;
    window.GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, icon);
}
