// The wizard walked as a user walks it: a machine with the program's
// artwork and a Notes installation whose data folder the test fills, step 1
// started on its own thread, and helpers that reach each later step.
#pragma once

#include "WizardFixture.h"
#include "WizardSelections.h"
#include "user/CommonDialogAutomation.h"
#include "user/ControlAutomation.h"

#include <string>

class StepFixture : public WizardFixture {
protected:
    // The data folder as Notes registers it, with its closing backslash.
    static constexpr const char16_t* kNotesData = u"C:\\Notes\\Data\\";

    // Controls that only one step has, to find the step that shows.
    static constexpr int kStep2Control = 1049; // the plain-text format button
    static constexpr int kStep3Tree = 1023;    // the folder tree
    static constexpr int kStep4Control = 1028; // the new PST's path
    static constexpr int kStep5Control = 1043; // the note under the name
    static constexpr int kStep6Control = 1047; // the progress dialog's status

    void SetUp() override
    {
        WizardFixture::SetUp();
        Install();
        MakeFolder(u"C:\\Notes\\Data\\mail");
        SetNotesDataFolder(kNotesData);
    }

    void TearDown() override
    {
        // A test that ends inside a later step leaves through that step's Exit.
        if (m_run.valid() && m_run.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            // The boxes left open are answered and gone before the exit
            // prompt is looked for, so that it is not taken for one of them.
            for (HWND box : user::OpenMessageBoxes()) {
                automation::AnswerMessageBox(box, AnswerFor(box));
                automation::WaitUntil([box] { return !::IsWindow(box); });
            }
            // The Exit button: 1006, or 1026 in step 3.
            int exitId = 0;
            HWND step = nullptr;
            automation::WaitUntil([&] {
                for (int id : {1006, 1026}) {
                    if ((step = automation::WaitForWindowWithControl(id, std::chrono::milliseconds(0)))) {
                        exitId = id;
                        return true;
                    }
                }
                return false;
            });
            if (step)
                automation::Click(::GetDlgItem(step, exitId));
            if (HWND box = automation::WaitForMessageBox())
                automation::AnswerMessageBox(box, IDYES);
            EXPECT_EQ(ExitCode(), 0);
        }
        WizardFixture::TearDown();
        FreeStringList(&g_pSelFolderList);
        g_nSelFolderCount = 0;
        g_szPstPath[0] = 0;
        g_bUpdateExistingPst = 0;
        g_strNsfPath.Empty();
        g_strPstFolderName.Empty();
    }

    // A question is answered No, a notice OK.
    static int AnswerFor(HWND box)
    {
        user::MessageBoxRecord record;
        return user::MessageBoxRecordOf(box, record) && (record.type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }

    // One step's dialog alone, on a thread of its own as the wizard runs it.
    template <class TStep>
    HWND RunAlone(int control)
    {
        m_run = std::async(std::launch::async, [] {
            TStep step;
            step.DoModal();
            return TRUE;
        });
        return WaitForStep(control);
    }

    // Whether the step's run has ended (by Back, or by the end of the process).
    bool RunEnded() { return m_run.wait_for(std::chrono::seconds(20)) == std::future_status::ready; }

    static void SetNotesDataFolder(const std::u16string& folder)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, u"DirectoryValue", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(char16_t)));
        RegCloseKey(key);
    }

    void PutFile(std::u16string_view path, const std::string& bytes)
    {
        std::filesystem::create_directories(Host(path).parent_path());
        WriteHostFile(Host(path), bytes);
    }

    // Step 1 with the mode's radio button chosen, then Next: step 2.
    HWND StartAtStep2(int modeRadio = 1010)
    {
        m_main = Start();
        if (!m_main)
            return nullptr;
        automation::Click(::GetDlgItem(m_main, modeRadio));
        automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(m_main, modeRadio)) == 1; });
        automation::Click(::GetDlgItem(m_main, IDOK));
        return WaitForStep(kStep2Control);
    }

    // The step that shows the control, painted and ready for input.
    static HWND WaitForStep(int control)
    {
        HWND step = automation::WaitForWindowWithControl(control);
        if (step)
            automation::WaitForPaint();
        return step;
    }

    // Step 3, which step 2's Next runs: the folder tree, or the page that
    // stands in for it.
    static HWND WaitForStep3()
    {
        HWND found = nullptr;
        automation::WaitUntil([&] {
            for (HWND window : automation::TopLevelWindows()) {
                bool standIn = ::GetDlgItem(window, 1017) && ::GetDlgItem(window, IDOK)
                    && !::GetDlgItem(window, kStep2Control) && !::GetDlgItem(window, kStep4Control)
                    && !::GetDlgItem(window, kStep5Control);
                if (::GetDlgItem(window, kStep3Tree) || standIn) {
                    found = window;
                    return true;
                }
            }
            return false;
        });
        // In the address-book and calendar modes the tree's walk disables
        // Back and Next, puts the database under the top item, and enables
        // them again: the step is ready once both items are in and Back is.
        if (HWND tree = found ? ::GetDlgItem(found, kStep3Tree) : nullptr) {
            automation::WaitUntil([&] {
                return ::SendMessageW(tree, TVM_GETCOUNT, 0, 0) >= 2 && automation::IsEnabled(::GetDlgItem(found, 1015));
            });
        }
        return found;
    }

    // Step 3's Back (1015 in the tree's step), and step 2 shows again.
    static void BackFromStep3(HWND step3, HWND step2)
    {
        HWND back = ::GetDlgItem(step3, ::GetDlgItem(step3, kStep3Tree) ? 1015 : 1017);
        automation::Click(back);
        EXPECT_TRUE(automation::WaitUntil([&] { return ::IsWindowVisible(step2) != FALSE; }));
        EXPECT_FALSE(::IsWindow(step3)) << "Back ends the step";
    }

    static void SetText(HWND step, int control, const std::u16string& text)
    {
        automation::ReplaceEditText(::GetDlgItem(step, control), text);
        automation::WaitUntil([&] { return automation::TextOf(::GetDlgItem(step, control)) == text; });
    }

    static void Tick(HWND step, int box)
    {
        automation::Click(::GetDlgItem(step, box));
        automation::WaitUntil([&] { return automation::CheckStateOf(::GetDlgItem(step, box)) == 1; });
    }

    // The step's Next (or Convert) refused with the message: the box came,
    // owned by the step, and after OK the step still shows.
    void ExpectRefusal(HWND step, int next, const std::u16string& text, UINT type)
    {
        automation::Click(::GetDlgItem(step, next));
        HWND box = ExpectBox(text, type, step);
        ASSERT_NE(box, nullptr);
        Answer(box, IDOK);
        EXPECT_TRUE(::IsWindowVisible(step));
    }

    // Back, and the step before shows again.
    static void Back(HWND step, HWND before)
    {
        automation::Click(::GetDlgItem(step, 1017));
        EXPECT_TRUE(automation::WaitUntil([&] { return ::IsWindowVisible(before) != FALSE; }));
        EXPECT_FALSE(::IsWindow(step)) << "Back ends the step";
    }

    HWND m_main = nullptr;
};
