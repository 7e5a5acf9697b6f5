// Wizard step 3 run modally on a GUI thread of its own, over databases built
// for the test, with the install folder's pictures; message boxes wait for
// the test's answer. The program's end (an exit prompt's Yes) ends the run.
#pragma once

#include "Ctreedlg.h"
#include "CCopyProg.h"
#include "FolderTreeFixture.h"
#include "MarlwickDlg.h"
#include "WizardSelections.h"
#include "ShellFixture.h"
#include "notes/Notes.h"
#include "nsfbuild/Description.h"
#include "win32/Shell.h"

class TreeStepFixture : public ShellFixture {
protected:
    static constexpr const char16_t* kInstallDir = u"C:\\Program Files\\Pellinor";
    static constexpr const char16_t* kMailNsf = u"C:\\Notes\\Data\\mail\\ann.nsf";

    void SetUp() override
    {
        ShellFixture::SetUp();
        user::SetMessageBoxAnswerer(nullptr);
        InstallArtwork(kInstallDir, {"main.bmp", "step3_mail.bmp", "step3_add.bmp", "step3_cal.bmp"});
        ReadRegString(HKEY_CLASSES_ROOT, u"Corvenna", u"FilePath", g_szInstallDir);
        ResetGlobals();
    }

    void TearDown() override
    {
        if (m_run.valid() && m_run.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            EndTheProgram();
        ResetGlobals();
        ShellFixture::TearDown();
    }

    void ResetGlobals()
    {
        FreeStringList(&g_pSelFolderList);
        g_nSelFolderCount = 0;
        g_bTreeStop = 0;
        g_bCopyStop = 0;
        g_nConvMode = 0;
        g_strNsfPath.Empty();
        notes::ClearFaults();
        LNSetThrowAllErrorsGlobal(FALSE);
    }

    void Build(const std::u16string& windowsPath, const std::string& description)
    {
        MakeFolder(windowsPath.substr(0, windowsPath.rfind(u'\\')));
        nsfbuild::Result built = nsfbuild::BuildFromDescription(description, Host(windowsPath));
        ASSERT_TRUE(built.ok) << built.message;
    }

    // Opens step 3 in the mode on the database, as step 2's Next does.
    HWND Open(int mode, const std::u16string& nsfPath)
    {
        g_nConvMode = mode;
        g_strNsfPath = nsfPath.c_str();
        m_run = std::async(std::launch::async, [] {
            Ctreedlg step;
            return step.DoModal();
        });
        m_step = automation::WaitForWindowWithControl(1023);
        m_tree = m_step ? ::GetDlgItem(m_step, 1023) : nullptr;
        return m_step;
    }

    HWND Control(int id) const { return ::GetDlgItem(m_step, id); }
    bool NextEnabled() const { return automation::IsEnabled(Control(IDOK)); }
    bool BackEnabled() const { return automation::IsEnabled(Control(1015)); }
    bool ProgressShown() const { return automation::IsVisible(Control(1032)) && automation::IsVisible(Control(1019)); }

    // The walk ended and gave the step free: the buttons are enabled and the
    // label and the bar hidden, which at the start of a walk they are not all.
    // A loaded machine may take long over the whole walk: it waits longer
    // than for a single window.
    bool WaitForFolders()
    {
        return automation::WaitUntil(
            [&] {
                return NextEnabled() && !automation::IsVisible(Control(1032)) && !automation::IsVisible(Control(1019));
            },
            std::chrono::seconds(60));
    }
    // The mail walk ended its Notes session: every way it ends past the
    // session's set-up does so last.
    static bool WaitForSessionEnd()
    {
        return automation::WaitUntil([] { return notes::CallCount("LNNotesSession::Term") > 0; });
    }

    HTREEITEM Item(const std::vector<std::u16string>& path) const { return automation::FindTreeItem(m_tree, path); }

    void ClickBox(HTREEITEM item, char expected) { ClickTreeBox(m_tree, item, expected); }
    // Expands a collapsed item by a click on its label.
    void Expand(HTREEITEM item) { ClickTreeLabel(m_tree, item); }

    // Step 4, shown by step 3's Next.
    static HWND WaitForStep4() { return automation::WaitForWindowWithControl(1028); }

    // The selected-folder list as it stands.
    static std::vector<std::u16string> SelectedFolders()
    {
        std::vector<std::u16string> texts;
        for (const StringNode* node = g_pSelFolderList; node; node = node->next)
            texts.emplace_back(node->text);
        return texts;
    }

    std::string Log() { return ReadHostFile(Host(std::u16string(kInstallDir) + u"\\Activity Log.txt")); }

    // The result of the modal run, or -1 when it ended otherwise.
    INT_PTR Result()
    {
        if (m_run.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            return -1;
        try {
            return m_run.get();
        } catch (const testsupport::ProcessExit&) {
            return -1;
        }
    }

    int ExitCode() { return ExitCodeOf(m_run); }

    // Exit and Yes in whichever step shows, after any box left open.
    void EndTheProgram()
    {
        for (HWND box : user::OpenMessageBoxes()) {
            user::MessageBoxRecord record;
            // Gone before the exit prompt is looked for, so that it is not
            // taken for the prompt.
            if (user::MessageBoxRecordOf(box, record) && (record.type & MB_TYPEMASK) == MB_OK) {
                automation::AnswerMessageBox(box, IDOK);
                automation::WaitUntil([box] { return !::IsWindow(box); });
            }
        }
        HWND step4 = automation::WaitForWindowWithControl(1028, std::chrono::milliseconds(0));
        automation::Click(step4 ? ::GetDlgItem(step4, 1006) : Control(1026));
        if (HWND box = automation::WaitForMessageBox())
            automation::AnswerMessageBox(box, IDYES);
        EXPECT_EQ(ExitCode(), 0);
    }

    std::future<INT_PTR> m_run;
    HWND m_step = nullptr;
    HWND m_tree = nullptr;
};
