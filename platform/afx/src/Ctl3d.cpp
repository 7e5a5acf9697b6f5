#include "afx/Ctl3d.h"

#include <atomic>

namespace {
std::atomic<bool> g_3dControls{false};
}

BOOL Enable3dControls()
{
    g_3dControls = true;
    return TRUE;
}

bool Afx3dControlsEnabled()
{
    return g_3dControls;
}
