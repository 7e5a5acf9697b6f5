// What the class library's tests share: the dialog templates of a test
// module, a GUI thread that runs a modal dialog, and a patient wait.
#pragma once

#include "afx/AfxWin.h"
#include "user/Automation.h"

#include <future>
#include <gtest/gtest.h>

namespace afxtest {

namespace automation = user::automation;

constexpr int kMainDialog = 200;
constexpr int kStepDialog = 201;
constexpr int kWorkDialog = 202;
constexpr int kPaintDialog = 203;
constexpr int kTreeDialog = 204;
constexpr int kStringTitle = 301;

inline const char* kScript = R"rc(
130 MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", 32771
    END
    POPUP "&Log"
    BEGIN
        MENUITEM "&View", 32772
        MENUITEM "&Nowhere", 32790
        MENUITEM "&Button", 1004
    END
END

200 DIALOGEX 0, 0, 240, 120
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Main"
MENU 130
BEGIN
    AUTORADIOBUTTON "Mails", 1010, 10, 10, 60, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "Calendar", 1011, 10, 24, 60, 10
    PUSHBUTTON "View Log", 1004, 10, 40, 50, 14, WS_GROUP | WS_TABSTOP
    EDITTEXT 1012, 10, 60, 100, 14, ES_AUTOHSCROLL
    LTEXT "Status", 1033, 120, 60, 100, 10
    DEFPUSHBUTTON "Next", IDOK, 180, 100, 50, 14, WS_TABSTOP
    PUSHBUTTON "Cancel", IDCANCEL, 10, 100, 50, 14, WS_TABSTOP
END

201 DIALOGEX 0, 0, 200, 80
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Step"
MENU 130
BEGIN
    PUSHBUTTON "Exit", 1006, 10, 10, 40, 14, WS_TABSTOP
    PUSHBUTTON "Back", 1017, 10, 60, 40, 14, WS_TABSTOP
    DEFPUSHBUTTON "Next", 3, 150, 60, 40, 14, WS_TABSTOP
END

202 DIALOGEX 0, 0, 200, 80
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Work"
BEGIN
    LTEXT "", 1033, 10, 10, 180, 10
    LTEXT "", 1034, 10, 24, 180, 10
    CONTROL "", 1019, "msctls_progress32", PBS_SMOOTH, 10, 40, 180, 10
    DEFPUSHBUTTON "Stop", IDOK, 75, 60, 50, 14
END

203 DIALOGEX 0, 0, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Paint"
BEGIN
    PUSHBUTTON "Draw", 1004, 100, 10, 40, 20, BS_OWNERDRAW
    LTEXT "Label", 1033, 100, 40, 60, 10
    DEFPUSHBUTTON "OK", IDOK, 140, 80, 50, 14
END

204 DIALOGEX 0, 0, 200, 160
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
CAPTION "Folders"
BEGIN
    CONTROL "", 1023, "SysTreeView32", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES | WS_BORDER | WS_TABSTOP, 10, 10, 180, 120
    DEFPUSHBUTTON "OK", IDOK, 140, 140, 50, 14
END

STRINGTABLE
BEGIN
    301 "&About the test program"
END
)rc";

// The test module: its resources are the framework's resources.
inline HINSTANCE Module()
{
    static HINSTANCE module = [] {
        user::ResourceSet set;
        user::ScriptError error;
        EXPECT_TRUE(user::ParseResourceScript(kScript, nullptr, set, &error)) << error.message;
        auto instance = reinterpret_cast<HINSTANCE>(0xAF00);
        user::RegisterResources(instance, set);
        return instance;
    }();
    AfxSetResourceHandle(module);
    return module;
}

// Runs dialog.DoModal() on a thread of its own, the GUI thread of the test.
class ModalRun {
public:
    explicit ModalRun(CDialog& dialog)
    {
        Module();
        m_result = std::async(std::launch::async, [&dialog] { return dialog.DoModal(); });
    }
    ~ModalRun()
    {
        if (m_result.valid())
            m_result.wait();
    }
    INT_PTR Result()
    {
        EXPECT_EQ(m_result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        return m_result.get();
    }

private:
    std::future<INT_PTR> m_result;
};

// A window class whose windows are bound to the CWnd that creates them.
inline LPCWSTR TestWindowClass()
{
    static LPCWSTR name = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = AfxGetAfxWndProc();
        wc.lpszClassName = u"AfxTestWindow";
        RegisterClassExW(&wc);
        return u"AfxTestWindow";
    }();
    return name;
}

inline bool Eventually(const std::function<bool()>& condition)
{
    return automation::WaitUntil(condition, std::chrono::seconds(20));
}

} // namespace afxtest
