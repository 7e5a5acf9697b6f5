// A machine root with a dialog of every skinned control, run modally on a GUI
// thread of its own and driven through the automation interface.
#pragma once

#include "afx/AfxWin.h"
#include "controls/Label.h"
#include "controls/ShadeButton.h"
#include "controls/SkinDialog.h"
#include "controls/TransparentStatic.h"
#include "controls/UrlLinkButton.h"
#include "gdi/BmpFormat.h"
#include "testsupport/MachineFixture.h"
#include "user/Automation.h"
#include "user/ControlAutomation.h"

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <vector>

namespace automation = user::automation;

constexpr int kControlsDialog = 200;
constexpr UINT kRunMessage = WM_APP + 77;

// The sum of a colour's three channels.
inline int Brightness(COLORREF c)
{
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

// The test dialog: the controls bound as the wizard binds them, the skin's
// handlers, and a record of the commands that reach it.
class CControlsDlg : public CSkinDialog {
public:
    CControlsDlg()
        : CSkinDialog(kControlsDialog)
    {
    }

    CxShadeButton m_viewLog;  // 1004
    CxShadeButton m_shaded;   // 1005
    CxShadeButton m_one;      // 1010
    CxShadeButton m_two;      // 1011
    CxShadeButton m_check;    // 1014
    CLabel m_welcome;         // 1031
    CTransparentStatic m_status; // 1033
    CURLLinkButton m_link;    // 1040

    // Run in OnInitDialog after the controls are bound, on the GUI thread.
    std::function<void(CControlsDlg&)> setUp;
    std::u16string skinPath;

    // Runs the call on the dialog's GUI thread and waits for it.
    void Run(const std::function<void()>& call)
    {
        ::SendMessageW(m_hWnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&call));
    }

    // Waits until the GUI thread has handled every message posted to it
    // before this call: a sent call would overtake them.
    bool HandlePostedMessages()
    {
        m_posted = false;
        ::PostMessageW(m_hWnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&m_markPosted));
        return automation::WaitUntil([&] { return m_posted.load(); });
    }

    std::vector<UINT> Commands()
    {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }
    // The low words of the notification codes that reached the map.
    std::vector<UINT> Notifications()
    {
        std::lock_guard lock(m_mutex);
        return m_notifications;
    }
    // Every WM_NOTIFY that reached the dialog, as it came.
    struct Notice {
        WPARAM wParam;
        NMHDR header;
    };
    std::vector<Notice> Notices()
    {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, 1004, m_viewLog);
        DDX_Control(pDX, 1005, m_shaded);
        DDX_Control(pDX, 1010, m_one);
        DDX_Control(pDX, 1011, m_two);
        DDX_Control(pDX, 1014, m_check);
        DDX_Control(pDX, 1031, m_welcome);
        DDX_Control(pDX, 1033, m_status);
        DDX_Control(pDX, 1040, m_link);
    }
    BOOL OnInitDialog() override
    {
        CSkinDialog::OnInitDialog();
        if (!skinPath.empty())
            m_skin.Load(skinPath.c_str());
        if (setUp)
            setUp(*this);
        return TRUE;
    }
    // Commands and clicks that reach the dialog's own map (after the
    // control had its word on a reflected notification).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (nCode == CN_COMMAND || HIWORD(static_cast<UINT>(nCode)) == WM_NOTIFY) {
            std::lock_guard lock(m_mutex);
            if (nCode == CN_COMMAND)
                m_commands.push_back(nID);
            else
                m_notifications.push_back(LOWORD(static_cast<UINT>(nCode)));
        }
        return CSkinDialog::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_notices.push_back({wParam, *reinterpret_cast<const NMHDR*>(lParam)});
        }
        return CSkinDialog::OnNotify(wParam, lParam, pResult);
    }
    afx_msg LRESULT OnRun(WPARAM, LPARAM lParam)
    {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }

    DECLARE_MESSAGE_MAP()

private:
    std::atomic<bool> m_posted{false};
    const std::function<void()> m_markPosted = [this] { m_posted = true; };
    std::mutex m_mutex;
    std::vector<UINT> m_commands;
    std::vector<UINT> m_notifications;
    std::vector<Notice> m_notices;
};

class ControlsTest : public testsupport::MachineFixture {
protected:
    void TearDown() override
    {
        if (m_run.valid()) {
            if (dialog.m_hWnd)
                ::PostMessageW(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
            m_run.wait();
        }
        MachineFixture::TearDown();
    }

    // Opens the dialog; null when it did not come.
    HWND Start()
    {
        m_run = std::async(std::launch::async, [this] { return dialog.DoModal(); });
        HWND window = automation::WaitForWindow(u"Controls");
        if (window)
            automation::WaitForPaint();
        return window;
    }

    // The mouse to a corner of the dialog clear of every control.
    void MoveMouseAway()
    {
        RECT client;
        ::GetClientRect(dialog.m_hWnd, &client);
        automation::MoveMouseTo(dialog.m_hWnd, {client.right - 5, client.bottom - 40});
    }

    // The control's pixel at the point with the mouse away, then with the
    // mouse over the control at that point (and left there): its normal and
    // its hover look, the same twice when the look did not change.
    std::pair<COLORREF, COLORREF> NormalAndHoverAt(HWND control, POINT at)
    {
        MoveMouseAway();
        automation::WaitForPaint();
        const COLORREF normal = PixelOf(control, at.x, at.y);
        automation::MoveMouseTo(control, at);
        automation::WaitUntil([&] { return PixelOf(control, at.x, at.y) != normal; });
        automation::WaitForPaint();
        return {normal, PixelOf(control, at.x, at.y)};
    }

    // A picture file in the machine root, filled by the painter.
    std::u16string WriteBitmap(std::u16string_view windowsPath, int width, int height,
                               const std::function<COLORREF(int x, int y)>& painter)
    {
        gdi::Surface image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.Set(x, y, gdi::PixelFromColor(painter(x, y)));
        auto bytes = gdi::EncodeBmp(image, 24);
        WriteHostFile(Host(windowsPath), std::string(bytes.begin(), bytes.end()));
        return std::u16string(windowsPath);
    }

    static COLORREF PixelOf(HWND window, int x, int y)
    {
        HDC dc = ::GetDC(window);
        COLORREF color = ::GetPixel(dc, x, y);
        ::ReleaseDC(window, dc);
        return color;
    }

    // Lives until the modal run has ended.
    CControlsDlg dialog;
    // Pixels of the control in exactly the colour.
    static int CountPixels(HWND control, COLORREF color)
    {
        RECT client;
        ::GetClientRect(control, &client);
        int n = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x)
                n += PixelOf(control, x, y) == color;
        return n;
    }

    std::future<INT_PTR> m_run;
};
