// The one entry of Stavrel's message map: the framework's help command.
#include "afx/Wnd.h"
#include "closer/CStavrelApp.h"
#include "testsupport/MachineFixture.h"
#include "user/Help.h"
#include "user/Window.h"

#include <gtest/gtest.h>

namespace {

int g_helpRequests = 0;
HWND g_helpWindow = nullptr;

LRESULT RecordHelp(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP) {
        ++g_helpRequests;
        g_helpWindow = static_cast<HWND>(reinterpret_cast<HELPINFO*>(lParam)->hItemHandle);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

using StavrelHelpCommand = testsupport::MachineFixture;

TEST_F(StavrelHelpCommand, GoesToTheMainWindowAsHelpAndIsHarmlessWithoutOne)
{
    CStavrelApp app;
    g_helpRequests = 0;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr)) << "the map takes the command";
    EXPECT_EQ(g_helpRequests, 0);

    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = RecordHelp;
    cls.lpszClassName = u"StavrelHelpProbe";
    ASSERT_TRUE(RegisterClassExW(&cls));
    HWND window = CreateWindowExW(0, u"StavrelHelpProbe", u"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(window);
    CWnd main;
    main.Attach(window);
    app.m_pMainWnd = &main;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(g_helpRequests, 1);
    EXPECT_EQ(g_helpWindow, window);
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1, CN_COMMAND, nullptr, nullptr)) << "no other command is in the map";

    app.m_pMainWnd = nullptr;
    main.Detach();
    DestroyWindow(window);
    UnregisterClassW(u"StavrelHelpProbe", nullptr);
}

} // namespace
