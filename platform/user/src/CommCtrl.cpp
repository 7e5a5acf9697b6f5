#include "user/CommCtrl.h"

#include <atomic>

namespace {
std::atomic<DWORD> g_initialized{0};
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    g_initialized |= init->dwICC;
    return TRUE;
}

namespace user {

DWORD InitializedCommonControls()
{
    return g_initialized;
}

} // namespace user
