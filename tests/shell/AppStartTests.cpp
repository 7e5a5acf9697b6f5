#include "MarlwickApp.h"
#include "ShellFixture.h"
#include "afx/WinApp.h"
#include "user/CommCtrl.h"

namespace fs = std::filesystem;

class AppStartTest : public ShellFixture {};

TEST_F(AppStartTest, StartUpReadsTheSettingsWritesTheStartBlockAndMakesTheAttachmentFolder)
{
    MakeFolder(u"C:\\Program Files\\Pellinor");
    SetSetting(u"FilePath", u"C:\\Program Files\\Pellinor");
    CMarlwickApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(std::u16string(g_szInstallDir), u"C:\\Program Files\\Pellinor");
    EXPECT_EQ(std::u16string(app.GetRegistryKey()), u"Local AppWizard-Generated Applications");
    EXPECT_EQ(user::InitializedCommonControls(), 0xFFu);
    EXPECT_TRUE(AfxControlContainerEnabled());
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Program Files\\Pellinor\\Attachment")));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\Program Files\\Pellinor\\Activity Log.txt")),
              "\r\n\r\n\r\n-----------------------Start--------------------------\r\nVersion 4.0\r\n8-12-2026 9:5");
    // The splash pause runs on the machine's clock.
    EXPECT_EQ(m_clock->TotalSlept().count(), 2500);
}

TEST_F(AppStartTest, StartUpWithoutASettingsKeyStillRuns)
{
    CMarlwickApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(g_szInstallDir[0], 0);
    EXPECT_EQ(g_szLogDir[0], 0);
    EXPECT_TRUE(fs::exists(Host(u"C:\\Activity Log.txt")));
    EXPECT_TRUE(fs::is_directory(Host(u"C:\\Attachment")));
}
