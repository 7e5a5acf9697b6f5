// Speeds of what every frame of the screen costs: a full repaint of a
// dialog with its controls, and composing the screen of a few windows (the
// desktop display does it up to thirty times a second). Reported, never asserted.
#include "user/Dialog.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include "display/Display.h"

#include <benchmark/benchmark.h>

namespace {

const char* kScript = R"rc(
100 DIALOGEX 0, 0, 475, 300
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
CAPTION "Benchmark"
FONT 8, "MS Shell Dlg"
BEGIN
    AUTORADIOBUTTON "Mails", 1010, 208, 156, 31, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "Address Book", 1011, 208, 178, 59, 10
    AUTORADIOBUTTON "Calendar", 1048, 208, 198, 45, 10
    GROUPBOX "", -1, 113, 127, 255, 109
    DEFPUSHBUTTON "Next", IDOK, 414, 280, 57, 16
    PUSHBUTTON "Cancel", IDCANCEL, 4, 280, 57, 16
    LTEXT "Welcome to the conversion of a mail database into a personal folders file", 1031, 50, 96, 382, 28
    EDITTEXT 1012, 50, 60, 200, 14, ES_AUTOHSCROLL
    CONTROL "", -1, "Static", SS_ETCHEDHORZ, 0, 271, 475, 1
END
)rc";

HWND MakeDialog()
{
    static HINSTANCE module = [] {
        user::ResourceSet set;
        user::ParseResourceScript(kScript, nullptr, set, nullptr);
        auto instance = reinterpret_cast<HINSTANCE>(0x7BB0);
        user::RegisterResources(instance, set);
        return instance;
    }();
    auto proc = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
    HWND dialog = CreateDialogParamW(module, 100, nullptr, proc, 0);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void BM_RepaintDialogWithControls(benchmark::State& state)
{
    HWND dialog = MakeDialog();
    for (auto _ : state)
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DestroyWindow(dialog);
}
BENCHMARK(BM_RepaintDialogWithControls)->Unit(benchmark::kMicrosecond);

void BM_ComposeScreenOfThreeWindows(benchmark::State& state)
{
    HWND a = MakeDialog();
    HWND b = MakeDialog();
    HWND c = MakeDialog();
    SetWindowPos(b, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowRgn(c, CreateEllipticRgn(0, 0, 700, 500), FALSE);
    for (auto _ : state)
        benchmark::DoNotOptimize(display::ComposeScreen());
    DestroyWindow(a);
    DestroyWindow(b);
    DestroyWindow(c);
}
BENCHMARK(BM_ComposeScreenOfThreeWindows)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
