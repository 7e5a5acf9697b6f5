#include "MarlwickDlg.h"

#include "AboutDlg.h"
#include "ActivityLog.h"
#include "AppSettings.h"
#include "ExitPrompts.h"
#include "Help.h"
#include "CSourceDld.h"
#include "MinimizedIcon.h"
#include "StepPicture.h"
#include "ToolButtons.h"
#include "WizardChain.h"
#include "WizardIds.h"
#include "controls/SplashScreenEx.h"
#include "user/Icons.h"
#include "win32/FileApi.h"

int g_nConvMode = 0;

namespace {

constexpr UINT kIconProgram = 128;
constexpr UINT kStringAboutItem = 101;
constexpr UINT kAboutCommand = 0x10;

constexpr int kMails = 1010;
constexpr int kAddressBook = 1011;
constexpr int kWelcome = 1031;
constexpr int kCalendar = 1048;

// The splash: shown 2000 ms by its own timer, faded in and out, shadowed,
// centred on the screen; the key colour RGB(255, 0, 240) is cut away. The
// dialog waits 2500 ms without taking messages before it hides it.
constexpr DWORD kSplashTime = 2000;
constexpr DWORD kSplashFlags = CSS_FADEIN | CSS_FADEOUT | CSS_SHADOW | CSS_CENTERSCREEN;
constexpr DWORD kSplashWait = 2500;

struct ModeChoice {
    int radio;
    int mode;
    LPCWSTR line;
};
constexpr ModeChoice kModes[] = {
    {kMails, 1, u"Mode : Migrating Mail Folder"},
    {kAddressBook, 2, u"Mode : Migrating Address Folder"},
    {kCalendar, 3, u"Mode : Migrating Calendar Folder"},
};

} // namespace

BEGIN_MESSAGE_MAP(CMarlwickDlg, CSkinDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDCANCEL, &CMarlwickDlg::OnCancel)
ON_BN_CLICKED(IDOK, &CMarlwickDlg::OnNext)
ON_BN_CLICKED(IDC_VIEWLOG, &CMarlwickDlg::OnViewLog)
ON_BN_CLICKED(IDC_SUPPORT, &CMarlwickDlg::OnSupport)
ON_BN_CLICKED(IDC_EXIT, &CMarlwickDlg::OnExit)
ON_COMMAND(ID_FILE_EXIT, &CMarlwickDlg::OnFileExit)
ON_COMMAND(ID_LOG_VIEW, &CMarlwickDlg::OnLogView)
ON_COMMAND(ID_LOG_CLEAR, &CMarlwickDlg::OnLogClear)
ON_COMMAND(ID_LOG_CHANGEPATH, &CMarlwickDlg::OnLogChangePath)
ON_COMMAND(ID_HELP_CONTENTS, &CMarlwickDlg::OnHelpContents)
ON_COMMAND(ID_HELP_ABOUTUS, &CMarlwickDlg::OnHelpAbout)
ON_WM_HELPINFO()
END_MESSAGE_MAP()

CMarlwickDlg::CMarlwickDlg()
    : CSkinDialog(IDD)
    , m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kIconProgram)))
{
}

CMarlwickDlg::~CMarlwickDlg()
{
    if (m_hStepPicture)
        ::DeleteObject(m_hStepPicture);
}

void CMarlwickDlg::DoDataExchange(CDataExchange* pDX)
{
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STEPPICTURE, m_stcStep);
    DDX_Control(pDX, IDC_VIEWLOG, m_btnViewLog);
    DDX_Control(pDX, IDC_SUPPORT, m_btnSupport);
    DDX_Control(pDX, IDC_EXIT, m_btnExit);
    DDX_Control(pDX, kMails, m_radMails);
    DDX_Control(pDX, kAddressBook, m_radAddressBook);
    DDX_Control(pDX, kWelcome, m_lblWelcome);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, kCalendar, m_radCalendar);
}

BOOL CMarlwickDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();

    CString aboutItem;
    aboutItem.LoadString(kStringAboutItem);
    if (!aboutItem.IsEmpty()) {
        if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, kAboutCommand, aboutItem);
        }
    }

    m_radMails.SetCheck(BST_CHECKED);
    SetWindowText(g_szAppTitle);

    SetUpToolButtons(m_btnViewLog, m_btnSupport, m_btnExit);

    const CString installDir(g_szInstallDir);
    m_hStepPicture = LoadStepPicture(m_stcStep, u"\\step1.bmp");
    m_skin.Load(installDir + u"\\main.bmp");

    ShowSplash();
    WriteLogStartBlock();

    m_lblWelcome.SetFontSize(12);
    m_lblWelcome.SetFontBold(TRUE);
    m_lblWelcome.SetTextColor(0x0000FF);
    m_lblWelcome.SetTransparent(TRUE);

    m_btnCancel.ShowWindow(SW_HIDE);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // The converters' temporary attachment folder; a failure shows later.
    ::CreateDirectoryW(installDir + u"\\Attachment", nullptr);
    return TRUE;
}

void CMarlwickDlg::ShowSplash()
{
    auto* splash = new CSplashScreenEx;
    if (!splash->Create(this, nullptr, kSplashTime, kSplashFlags)) {
        // Without a window the object would never free itself.
        delete splash;
        ::Sleep(kSplashWait);
        return;
    }
    splash->SetBitmap(CString(g_szInstallDir) + u"\\Flash.bmp", 255, 0, 240);
    splash->Show();
    ::Sleep(kSplashWait); // on the machine's clock; no messages meanwhile
    splash->Hide();       // destroys the window, and the object with it
}

BOOL CMarlwickDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        ConfirmExit(*this, ExitPrompt::B);
        return TRUE; // No: the key does nothing more
    }
    return CSkinDialog::PreTranslateMessage(pMsg);
}

void CMarlwickDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == kAboutCommand) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CSkinDialog::OnSysCommand(nID, lParam);
}

void CMarlwickDlg::OnPaint()
{
    if (!IsIconic()) {
        CSkinDialog::OnPaint();
        return;
    }
    PaintMinimizedIcon(*this, m_hIcon);
}

HCURSOR CMarlwickDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CMarlwickDlg::OnCancel()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CMarlwickDlg::OnNext()
{
    for (const ModeChoice& choice : kModes) {
        if (IsDlgButtonChecked(choice.radio) != BST_CHECKED)
            continue;
        g_nConvMode = choice.mode;
        WriteActivityLog(u"\r\n");
        WriteActivityLog(u"Step 1 :");
        WriteActivityLog(u"-------");
        WriteActivityLog(choice.line);
    }
    RunNextStep<CSourceDld>(*this);
}

void CMarlwickDlg::OnViewLog()
{
    ViewActivityLog();
}

void CMarlwickDlg::OnSupport()
{
    OpenSupportPage();
}

void CMarlwickDlg::OnExit()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CMarlwickDlg::OnFileExit()
{
    ConfirmExit(*this, ExitPrompt::A);
}

void CMarlwickDlg::OnLogView()
{
    ViewActivityLog();
}

void CMarlwickDlg::OnLogClear()
{
    ClearActivityLog(m_hWnd);
}

void CMarlwickDlg::OnLogChangePath()
{
    m_dlgLog.DoModal();
}

void CMarlwickDlg::OnHelpContents()
{
    OpenHelpFile();
}

void CMarlwickDlg::OnHelpAbout()
{
    CAboutDlg about;
    about.DoModal();
}

BOOL CMarlwickDlg::OnHelpInfo(HELPINFO*)
{
    OpenHelpFile();
    return FALSE;
}
