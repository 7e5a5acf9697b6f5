// Wizard step 3 (dialog 139): the folders of the chosen Notes database in a
// check tree that a worker thread fills while the dialog is open. Next turns
// the ticked items into the selected-folder list (SelectedFolders.h), logs
// them and runs step 4; Back frees the list and returns to step 2.
//
// The worker writes the tree, the Back and Next buttons, the label and the
// progress bar directly; those calls are messages to the windows of the
// thread that runs the dialog. Mail mode reads the database's views and
// folders; the address-book and calendar modes show the database itself.
#pragma once

#include "FolderTreeCtrl.h"
#include "controls/ShadeButton.h"
#include "controls/SkinDialog.h"

#include <atomic>

// The request to the mail folder walk to stop: raised by Esc and the close
// box just before the program ends; the walk resets it when it obeys.
extern std::atomic<int> g_bTreeStop;

class Ctreedlg : public CSkinDialog {
public:
    enum { IDD = 139 };
    explicit Ctreedlg(CWnd* pParent = nullptr);
    ~Ctreedlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Esc and the close box.
    void OnCancel() override;

    afx_msg void OnNext();
    afx_msg void OnBack();
    afx_msg void OnExit();
    afx_msg void OnQuitCommand();
    afx_msg void OnViewLog();
    afx_msg void OnSupport();
    afx_msg void OnTreeKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnNothingToDo(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    friend UINT EnumNsfFoldersThread(LPVOID pParam);
    friend UINT SingleFileTreeThread(LPVOID pParam);

    // For the enumeration thread.
    void EnableStepButtons(BOOL bEnable);
    void HideEnumerationProgress();

    void StartEnumeration();
    // Ends a walk that still runs (at its next call into the platform) and
    // waits for it, serving its calls to this thread's windows meanwhile.
    void EndEnumeration();
    // Appends the path of every ticked item below the top level to the
    // selected-folder list, in tree order.
    void CollectSelectedFolders();
    void CollectBelow(HTREEITEM item);

    CxShadeButton m_btnViewLog;   // 1024
    CxShadeButton m_btnSupport;   // 1025
    CxShadeButton m_btnExit;      // 1026
    CFolderTreeCtrl m_tree;       // 1023
    CStatic m_stcStep;            // 1007
    CButton m_btnBack;            // 1015
    CButton m_btnNext;            // 1
    CProgressCtrl m_progress;     // 1019
    CStatic m_lblEnumerating;     // 1032
    // The skin, "\main.bmp", is the base's m_skin.
    HBITMAP m_hStepPicture = nullptr;
    CWinThread* m_pEnumThread = nullptr;
};

// The enumeration threads; the parameter is the dialog.
UINT EnumNsfFoldersThread(LPVOID pParam);
UINT SingleFileTreeThread(LPVOID pParam);
