// What a conversion's progress costs the window system: a worker sets three
// texts and a bar position on a dialog of another thread for every message,
// as step 6 does. The texts are transparent statics over a bitmap background
// that repaint their part of the dialog at once, so the worker waits for
// every repaint. Per message: the time, the CPU of every thread and of it the
// dialog thread's. Reported, never asserted.
#include "gdi/Gdi.h"
#include "user/Dialog.h"
#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "user/ProgressBar.h"
#include "user/Resources.h"
#include "user/Window.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <pthread.h>
#include <string>
#include <thread>

namespace {

const char* kScript = R"rc(
150 DIALOGEX 0, 0, 475, 300
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
CAPTION "Progress"
FONT 8, "MS Shell Dlg"
BEGIN
    GROUPBOX        "Inserting in PST", -1, 40, 94, 395, 168
    LTEXT           "No of Mail (s)       :", 1037, 56, 130, 90, 8
    LTEXT           "", 1034, 150, 130, 270, 8
    LTEXT           "From                    :", 1038, 56, 148, 90, 8
    LTEXT           "", 1035, 150, 148, 270, 8
    LTEXT           "Subject                :", 1039, 56, 166, 90, 8
    LTEXT           "", 1036, 150, 166, 270, 8
    CONTROL         "", 1019, "msctls_progress32", WS_BORDER, 150, 190, 270, 10
    CONTROL         "", -1, "Static", SS_ETCHEDHORZ, 0, 271, 475, 1
    PUSHBUTTON      "Pause", 1017, 176, 280, 57, 16
    DEFPUSHBUTTON   "Stop", IDOK, 242, 280, 57, 16
END
)rc";

HBITMAP g_background = nullptr;
WNDPROC g_staticProc = nullptr;

// A static that shows what lies beneath it: a new text repaints its part of
// the parent at once.
LRESULT TransparentStaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(g_staticProc, hwnd, msg, wParam, lParam);
    if (msg == WM_SETTEXT) {
        HWND parent = GetParent(hwnd);
        RECT rect;
        GetWindowRect(hwnd, &rect);
        POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        ScreenToClient(parent, &corners[0]);
        ScreenToClient(parent, &corners[1]);
        rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        InvalidateRect(parent, &rect, TRUE);
        UpdateWindow(parent);
    }
    return result;
}

INT_PTR SkinnedDialogProc(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, g_background);
        BitBlt(dc, 0, 0, 713, 488, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    default: return FALSE;
    }
}

HBITMAP MakeBackground()
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(713, 488, 1, 32, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    for (int band = 0; band < 488; band += 8) {
        HBRUSH brush = CreateSolidBrush(RGB(200 - band / 4, 210, 230 - band / 8));
        RECT row = {0, band, 713, band + 8};
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return bitmap;
}

HWND MakeProgressDialog()
{
    static HINSTANCE module = [] {
        user::ResourceSet set;
        user::ParseResourceScript(kScript, nullptr, set, nullptr);
        auto instance = reinterpret_cast<HINSTANCE>(0x7BC0);
        user::RegisterResources(instance, set);
        return instance;
    }();
    if (!g_background)
        g_background = MakeBackground();
    HWND dialog = CreateDialogParamW(module, 150, nullptr, SkinnedDialogProc, 0);
    for (int id : {1034, 1035, 1036}) {
        auto previous = SetWindowLongPtrW(GetDlgItem(dialog, id), GWLP_WNDPROC,
                                          reinterpret_cast<LONG_PTR>(TransparentStaticProc));
        g_staticProc = reinterpret_cast<WNDPROC>(previous);
    }
    SendDlgItemMessageW(dialog, 1019, PBM_SETRANGE32, 0, 1'000'000);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    return dialog;
}

std::u16string Decimal(int value)
{
    std::u16string digits;
    for (; value > 0; value /= 10)
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    return digits;
}

// What the worker shows of the n-th message, with work() before each call
// (a conversion reads and writes between them).
template <typename Work>
void ShowProgress(HWND dialog, int n, Work work)
{
    work();
    SetDlgItemTextW(dialog, 1034, (u"Processing " + Decimal(n) + u" of 10000").c_str());
    work();
    SetDlgItemTextW(dialog, 1035, (n & 1) ? u"Aino Virtanen/Helsinki/Tolvane" : u"björn.stål@example.se");
    work();
    SetDlgItemTextW(dialog, 1036, (n & 1) ? u"Quarterly figures for the northern region" : u"Ελληνικά 中文 العربية");
    work();
    SendDlgItemMessageW(dialog, 1019, PBM_SETPOS, static_cast<WPARAM>(n % 1'000'000), 0);
}

void ShowProgress(HWND dialog, int n)
{
    ShowProgress(dialog, n, [] {});
}

// The dialog on a thread of its own that pumps messages, as the wizard's.
class ProgressThread {
public:
    ProgressThread()
    {
        m_thread = std::thread([this] {
            pthread_getcpuclockid(pthread_self(), &m_clock);
            HWND dialog = MakeProgressDialog();
            m_dialog.store(dialog);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            DestroyWindow(dialog);
        });
        while (!m_dialog.load())
            std::this_thread::yield();
        m_threadId = GetWindowThreadProcessId(m_dialog.load(), nullptr);
    }
    ~ProgressThread()
    {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Dialog() const { return m_dialog.load(); }
    double CpuSeconds() const
    {
        timespec now{};
        clock_gettime(m_clock, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }

private:
    std::atomic<HWND> m_dialog{nullptr};
    clockid_t m_clock{};
    DWORD m_threadId = 0;
    std::thread m_thread;
};

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The worker's own work on a message between its progress calls, as
// processor time, so that the dialog's thread waits as long as it does in
// a conversion.
void WorkOnAMessage(double seconds)
{
    const double until = ThreadCpuSeconds() + seconds;
    while (ThreadCpuSeconds() < until)
        benchmark::ClobberMemory();
}

// Argument: the worker's own work per message in microseconds, in four
// equal parts before each call. The CPU figures leave that work out.
void BM_ProgressOfOneMessage(benchmark::State& state)
{
    ProgressThread gui;
    HWND dialog = gui.Dialog();
    const double work = static_cast<double>(state.range(0)) * 1e-6;
    int n = 0;
    const double processStart = ProcessCpuSeconds();
    const double guiStart = gui.CpuSeconds();
    for (auto _ : state)
        ShowProgress(dialog, ++n, [work] {
            if (work > 0)
                WorkOnAMessage(work / 4);
        });
    const double iterations = static_cast<double>(state.iterations());
    state.counters["cpu_ms_per_message"] = ((ProcessCpuSeconds() - processStart) / iterations - work) * 1e3;
    state.counters["gui_cpu_ms_per_message"] = (gui.CpuSeconds() - guiStart) * 1e3 / iterations;
}
BENCHMARK(BM_ProgressOfOneMessage)->Arg(0)->Arg(400)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// The same repaints without a thread between: what the painting alone costs.
void BM_ProgressOfOneMessageOnTheDialogsThread(benchmark::State& state)
{
    HWND dialog = MakeProgressDialog();
    int n = 0;
    for (auto _ : state)
        ShowProgress(dialog, ++n);
    DestroyWindow(dialog);
}
BENCHMARK(BM_ProgressOfOneMessageOnTheDialogsThread)->Unit(benchmark::kMicrosecond);

} // namespace
