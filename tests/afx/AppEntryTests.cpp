// The program entry: the application becomes its thread's framework object
// and a script named by MARLWICK_SCRIPT drives the run from its start.
#include "AfxTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace afxtest;

namespace {

class CScriptedApp : public CWinApp {
public:
    INT_PTR dialogResult = 0;
    CWinThread* threadDuringInit = nullptr;

    BOOL InitInstance() override
    {
        threadDuringInit = AfxGetThread();
        CDialog dialog(kWorkDialog);
        m_pMainWnd = &dialog;
        dialogResult = dialog.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

TEST(ProgramEntry, AScriptInTheEnvironmentDrivesTheRunFromItsStart)
{
    Module();
    auto script = std::filesystem::temp_directory_path() / ("afx-entry-" + std::to_string(::GetCurrentThreadId()));
    {
        std::ofstream out(script);
        out << "wait-window \"Work\"\n"
               "click 1\n";
    }
    ::setenv("MARLWICK_SCRIPT", script.c_str(), 1);
    CScriptedApp app;
    int code = AfxWinMain();
    ::unsetenv("MARLWICK_SCRIPT");
    AfxSetThread(nullptr);
    std::filesystem::remove(script);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(app.threadDuringInit, &app);
    EXPECT_EQ(app.dialogResult, IDOK);
}

} // namespace
