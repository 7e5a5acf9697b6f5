#include "ExitPrompts.h"

#include "AppSettings.h"
#include "win32/Process.h"

namespace {

// System-modal, Yes and No, with the question or the exclamation icon.
constexpr UINT kQuestion = 0x1024;
constexpr UINT kExclamation = 0x1034;

} // namespace

void ConfirmExit(CWnd& owner, ExitPrompt prompt, const std::function<void()>& beforeExit)
{
    LPCWSTR text = prompt == ExitPrompt::A ? u"Are you sure you want to exit?" : u"Are you sure you want to exit.";
    UINT flags = prompt == ExitPrompt::B ? kExclamation : kQuestion;
    if (owner.MessageBox(text, g_szMsgCaption, flags) != IDYES)
        return;
    if (beforeExit)
        beforeExit();
    win32::RuntimeExit(0);
}
