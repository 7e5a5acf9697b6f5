// The state of one tooltip window: its tools, its delays and colours, and
// where the mouse stands with it (waiting out the initial delay, showing a
// tip, or kept quiet after a click until the mouse leaves the tool).
#pragma once

#include "gdi/GdiTypes.h"
#include "user/MessageQueue.h"
#include "user/ToolTip.h"

#include <optional>
#include <string>
#include <vector>

namespace user::detail {

struct ToolKey {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    bool operator==(const ToolKey&) const = default;
};

struct Tool {
    ToolKey key;
    UINT flags = 0;
    RECT rect = {};
    std::u16string text;
    LPARAM param = 0;
};

struct ToolTipState {
    HWND hwnd = nullptr;
    std::vector<Tool> tools;
    bool active = true;
    std::optional<ToolKey> pending;    // waiting for the initial (or reshow) delay
    std::optional<ToolKey> current;    // showing
    std::optional<ToolKey> suppressed; // clicked or timed out: quiet until the mouse leaves it
    int initialDelay = 500;
    int autopopDelay = 5000;
    int reshowDelay = 100;
    int maxWidth = -1;
    COLORREF background = 0;
    COLORREF textColor = 0;
    HFONT font = nullptr;
};

// Timers of the tooltip window.
constexpr UINT_PTR kShowTimer = 1;  // the initial or reshow delay
constexpr UINT_PTR kPopTimer = 2;   // the automatic pop
constexpr UINT_PTR kLeaveTimer = 3; // watches the cursor while a tool is pending, showing or quiet
constexpr UINT kLeaveCheckInterval = 100;

Tool* FindTool(ToolTipState& state, const ToolKey& key);
// The tool under a point of a window's client area.
std::optional<ToolKey> ToolAt(ToolTipState& state, HWND hwnd, POINT point);

// The mouse side: relayed messages and the timers.
void RelayMouse(ToolTipState& state, const MSG& msg);
void OnToolTipTimer(ToolTipState& state, UINT_PTR timer);
void HideTip(ToolTipState& state);
// Cancels the wait and hides the tip.
void QuietTip(ToolTipState& state);
// Re-measures a showing tip after its text changed.
void ResizeTip(ToolTipState& state);

} // namespace user::detail
