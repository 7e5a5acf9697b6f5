#include "ToolButtons.h"

#include "ActivityLog.h"

#include "win32/Shell.h"

#include <string>

namespace {

constexpr UINT kIconViewLog = 131;
constexpr UINT kIconSupport = 132;
constexpr UINT kIconExit = 133;
constexpr UINT kIconCentred = 0x300;
constexpr LPCWSTR kSupportAddress = u"http://www.example.org/support";

} // namespace

void SetUpToolButtons(CxShadeButton& viewLog, CxShadeButton& support, CxShadeButton& exit)
{
    const struct {
        CxShadeButton& button;
        UINT icon;
        LPCWSTR tip;
    } tools[] = {{viewLog, kIconViewLog, u"View Log"}, {support, kIconSupport, u"Support"}, {exit, kIconExit, u"Exit"}};
    for (const auto& tool : tools) {
        tool.button.SetShade(SHS_VSHADE, 8, 10, 0, 0);
        tool.button.SetIcon(tool.icon, kIconCentred, tool.icon, tool.icon);
        tool.button.SetToolTipText(tool.tip, u"");
    }
}

void OpenSupportPage()
{
    // Without a browser the click would do nothing visible: the log says why.
    if (!win32::HasHostOpener()) {
        std::u16string line = u"Support : no web browser on this machine to open ";
        WriteActivityLog((line + kSupportAddress).c_str());
    }
    ::ShellExecuteW(nullptr, u"open", kSupportAddress, nullptr, nullptr, SW_SHOWNORMAL);
}
