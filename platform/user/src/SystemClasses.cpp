// The window classes that every program has: dialogs and the standard controls.
#include "CommonControls.h"
#include "MenuWindow.h"
#include "WindowData.h"

#include "user/Controls.h"
#include "user/Dialog.h"

#include <mutex>

namespace user::detail {

LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ButtonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

void Register(LPCWSTR name, WNDPROC proc, UINT style, int extraBytes)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extraBytes;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

} // namespace

void EnsureSystemClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Register(WC_DIALOG, DialogWindowProc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA);
        Register(WC_BUTTON, ButtonWindowProc, CS_DBLCLKS, sizeof(void*));
        Register(WC_STATIC, StaticWindowProc, CS_DBLCLKS, sizeof(void*));
        Register(WC_EDIT, EditWindowProc, CS_DBLCLKS, sizeof(void*));
        Register(kMenuClass, MenuWindowProc, CS_SAVEBITS, 0);
    });
    // Templates name the common controls too, with or without InitCommonControlsEx.
    RegisterCommonControlClasses();
}


} // namespace user::detail
