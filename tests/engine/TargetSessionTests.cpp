// Opening the target: an existing PST through Outlook, the components
// registered on demand, and every failure of the set-up reported and ending
// the run as aborted.
#include "RunFixture.h"

#include "AppSettings.h"
#include "components/ComponentClasses.h"
#include "mapi/Store.h"
#include "RunFlags.h"
#include "WizardSelections.h"
#include "user/Automation.h"
#include "win32/Registry.h"

namespace enginetest {
namespace {

namespace automation = user::automation;
using components::kBrenmoorClass;
using components::kRdoSessionClass;

constexpr const char16_t* kOutlookMissing =
    u"Microsoft Outlook not found installed or corrupted. Please install Microsoft Outlook & re-run conversion "
    u"Application";
constexpr const char16_t* kRdoMissing = u"Redemption.dll is not properly configured. Please Re-Install the software.";
constexpr const char16_t* kBrenmoorMissing =
    u"Brenmoor.dll is not properly configured. Please Re-Install the software.";
constexpr const char16_t* kOutlookNotInstalled = u"Microsoft Outlook is not Installed Properly";
constexpr const char16_t* kOutlookNotConfigured =
    u"Outlook is not properly configured. Please Re-Install the software.";
constexpr const char16_t* kExistingPst = u"C:\\Data\\Archive.pst";

class TargetSessions : public RunFixture {
protected:
    void RemoveInstalledFile(const char16_t* fileName)
    {
        ASSERT_TRUE(std::filesystem::remove(Host(m_installDir + u"\\" + fileName)));
    }

    void UpdateExistingPst(const char16_t* path)
    {
        wcscpy_s(g_szPstPath, MAX_PATH, path);
        g_bUpdateExistingPst = 1;
    }

    // Opens step 6 on an existing PST: Outlook's failure is reported as the
    // dialog opens, before the worker starts.
    void StartRunOnExistingPstAnsweringOutlook()
    {
        UpdateExistingPst(kExistingPst);
        BeginRun();
        auto box = Answer(kOutlookMissing, IDOK);
        EXPECT_EQ(box.type, 0u);
        // Raised once the message has been answered.
        EXPECT_TRUE(automation::WaitUntil([] { return g_bStopRequested == 1 && g_bAbortRequested == 1; }));
        EXPECT_NE(WaitForProgressDialog(), nullptr);
    }

    // The run goes to its completion dialog, which reports the result.
    void ExpectRunEnds(const std::u16string& result)
    {
        HWND completion = WaitForCompletionDialog();
        ASSERT_NE(completion, nullptr);
        EXPECT_EQ(TextOf(completion, 1040), result);
        automation::Click(GetDlgItem(completion, IDOK));
        EXPECT_EQ(WaitForProcessEnd(), 0);
    }

    static std::u16string ServerPathOf(const ole::ServerClass& serverClass)
    {
        WCHAR clsid[64];
        StringFromGUID2(serverClass.clsid, clsid, 64);
        std::u16string key = std::u16string(u"CLSID\\") + clsid + u"\\InprocServer32";
        WCHAR path[MAX_PATH];
        ReadRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, path);
        return path;
    }
};

TEST_F(TargetSessions, AMissingRdoFileIsReportedAndBrenmoorIsStillPrepared)
{
    RemoveInstalledFile(components::kRdoFileName);
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kRdoMissing, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    EXPECT_EQ(box.caption, kCaption);
    ExpectRunEnds(u"Conversion Aborted");
    EXPECT_FALSE(Registered(kRdoSessionClass));
    EXPECT_TRUE(Registered(kBrenmoorClass));
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(LogLines().back(), "Conversion aborted");
}

TEST_F(TargetSessions, AMissingBrenmoorFileIsReportedWithoutRunningRegsvr32)
{
    RemoveInstalledFile(components::kBrenmoorFileName);
    ASSERT_NE(StartRun(), nullptr);
    auto box = Answer(kBrenmoorMissing, IDOK);
    EXPECT_EQ(box.type, 0x1010u);
    ExpectRunEnds(u"Conversion Aborted");
    EXPECT_FALSE(Registered(kBrenmoorClass));
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(TargetSessions, BothFilesMissingGiveOneMessageEach)
{
    RemoveInstalledFile(components::kRdoFileName);
    RemoveInstalledFile(components::kBrenmoorFileName);
    ASSERT_NE(StartRun(), nullptr);
    Answer(kRdoMissing, IDOK);
    Answer(kBrenmoorMissing, IDOK);
    ExpectRunEnds(u"Conversion Aborted");
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(TargetSessions, AnInstallFolderWithBlanksIsRegisteredByItsPath)
{
    const std::u16string folder = u"C:\\Program Files\\Pellinor  Suite";
    std::filesystem::create_directories(Host(folder));
    for (const char16_t* file : {components::kRdoFileName, components::kBrenmoorFileName, u"Stavrel.exe"})
        std::filesystem::copy_file(Host(m_installDir + u"\\" + file), Host(folder + u"\\" + file));
    UseInstallFolder(folder);
    ASSERT_NE(StartRun(), nullptr);
    ExpectRunEnds(u"Conversion Completed Successfully");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ServerPathOf(kRdoSessionClass), folder + u"\\TolvaneRedmp.dll");
    EXPECT_EQ(ServerPathOf(kBrenmoorClass), folder + u"\\Brenmoor.dll");
}

TEST_F(TargetSessions, AnExistingPstLendsItsRootFolderNameToTheRun)
{
    {
        auto made = mapi::CStore::Create(Host(kExistingPst), u"Archive 2024");
        ASSERT_TRUE(made.Ok()) << made.Message();
        (*made)->Close();
    }
    UpdateExistingPst(kExistingPst);
    ASSERT_NE(StartRun(), nullptr);
    EXPECT_EQ(Dialog().m_strTargetFolder.Str(), u"Archive 2024");
    ExpectRunEnds(u"Conversion Completed Successfully");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(TargetSessions, OutlookMissingForAnExistingPstIsReportedTwice)
{
    UnregisterOutlook();
    StartRunOnExistingPstAnsweringOutlook();
    // The worker starts all the same and its own check reports again.
    auto again = Answer(kOutlookMissing, IDOK);
    EXPECT_EQ(again.type, 0x1010u);
    ExpectRunEnds(u"Conversion Aborted");
    EXPECT_TRUE(LogHas("Step 6 :"));
}

TEST_F(TargetSessions, AFailedLogonEndsTheRunAbortedInsteadOfConvertingIntoNoTarget)
{
    RemoveDefaultProfile();
    StartRunOnExistingPstAnsweringOutlook();
    EXPECT_EQ(Dialog().m_strTargetFolder.Str(), u"");
    // Brenmoor's own check of Outlook fails on the logon too.
    auto brenmoor = Answer(kOutlookNotInstalled, IDOK);
    EXPECT_EQ(brenmoor.type, 0x1040u);
    ExpectRunEnds(u"Conversion Aborted");
}

TEST_F(TargetSessions, AnExistingPstThatOutlookCannotAddEndsTheRunAborted)
{
    WriteHostFile(Host(kExistingPst), "this is no personal folders file");
    StartRunOnExistingPstAnsweringOutlook();
    auto brenmoor = Answer(kOutlookNotConfigured, IDOK);
    EXPECT_EQ(brenmoor.type, 0x1010u);
    ExpectRunEnds(u"Conversion Aborted");
}

} // namespace
} // namespace enginetest
