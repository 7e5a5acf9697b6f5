#include "viewer/TextViewer.h"

#include "display/Display.h"
#include "gdi/Gdi.h"
#include "user/Controls.h"
#include "user/MessageQueue.h"
#include "user/Paint.h"
#include "user/Messages.h"
#include "user/Window.h"
#include "win32/CodePage.h"

#include <cstring>

namespace viewer {

namespace {

constexpr LPCWSTR kClassName = u"MarlwickTextViewer";
constexpr int kWidth = 720;
constexpr int kHeight = 520;

LRESULT ViewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE: {
        RECT client;
        GetClientRect(hwnd, &client);
        if (HWND edit = GetDlgItem(hwnd, kTextControlId))
            MoveWindow(edit, 0, 0, client.right, client.bottom, TRUE);
        return 0;
    }
    case WM_SETFOCUS:
        if (HWND edit = GetDlgItem(hwnd, kTextControlId))
            SetFocus(edit);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void RegisterViewerClass()
{
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(nullptr, kClassName, &wc))
        return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ViewerProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}

} // namespace

HWND OpenViewerWindow(const std::u16string& title, const std::u16string& text)
{
    RegisterViewerClass();
    HWND window = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return nullptr;
    RECT client;
    GetClientRect(window, &client);
    HWND edit = CreateWindowExW(0, WC_EDIT, u"",
                                // As Notepad without Word Wrap: long lines scroll across.
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY
                                    | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, client.right, client.bottom, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextControlId)), nullptr, nullptr);
    if (!edit) {
        DestroyWindow(window);
        return nullptr;
    }
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    SetWindowTextW(edit, text.c_str());
    ShowWindow(window, SW_SHOWNORMAL);
    SetFocus(edit);
    UpdateWindow(window);
    return window;
}

int RunViewer(HWND window, bool driven)
{
    if (!window)
        return 1;
    if (!driven && std::strcmp(display::Current().Name(), "headless") == 0) {
        // Nobody can see this screen and no script reads it.
        DestroyWindow(window);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

std::u16string DecodeAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    int size = static_cast<int>(bytes.size());
    int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(chars), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), chars);
    return text;
}

} // namespace viewer
