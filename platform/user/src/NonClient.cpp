// Frames and captions in the classic look: the outer frame and the edges,
// the caption's gradient, icon, title and buttons, and hit testing over them.
#include "NonClient.h"

#include "Menus.h"
#include "Metrics.h"
#include "PaintCycle.h"
#include "ScrollBars.h"

#include "gdi/GdiObjects.h"
#include "user/Messages.h"
#include "user/Paint.h"
#include "user/ScrollBar.h"
#include "win32/WideString.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace user::detail {

namespace {

HFONT MakeFont(LONG weight)
{
    LOGFONTW font = {};
    font.lfHeight = -11;
    font.lfWeight = weight;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, u"MS Shell Dlg", LF_FACESIZE);
    HFONT handle = CreateFontIndirectW(&font);
    gdi::KeepForProcess(handle);
    return handle;
}

bool Inside(const RECT& rect, POINT point)
{
    return !IsRectEmpty(&rect) && PtInRect(&rect, point);
}

// The caption's horizontal gradient from the caption colour to its
// gradient colour, one column at a time.
void FillCaption(HDC dc, const RECT& caption, bool active)
{
    COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    int width = std::max<int>(caption.right - caption.left, 1);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    for (int x = 0; x < width; ++x) {
        auto mix = [&](BYTE a, BYTE b) { return static_cast<BYTE>(a + (b - a) * x / width); };
        SetDCBrushColor(dc, RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                                mix(GetBValue(from), GetBValue(to))));
        RECT column = {caption.left + x, caption.top, caption.left + x + 1, caption.bottom - 1};
        FillRect(dc, &column, brush);
    }
    RECT line = {caption.left, caption.bottom - 1, caption.right, caption.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DFACE));
}

void PaintOuterFrame(HDC dc, RECT rect, DWORD style, DWORD exStyle)
{
    if (style & WS_THICKFRAME) {
        DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int i = 0; i < kThickFrame - 2; ++i) {
            FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DFACE));
            InflateRect(&rect, -1, -1);
        }
    } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DFACE));
    } else if (style & WS_BORDER) {
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
}

bool CloseEnabled(HWND hwnd)
{
    return IsSystemCommandEnabled(hwnd, SC_CLOSE);
}

std::mutex g_pushedMutex;
std::unordered_map<HWND, LRESULT> g_pushed;

UINT Pushed(HWND hwnd, LRESULT hit)
{
    std::lock_guard lock(g_pushedMutex);
    auto it = g_pushed.find(hwnd);
    return it != g_pushed.end() && it->second == hit ? DFCS_PUSHED : 0;
}

} // namespace

void SetPushedCaptionButton(HWND hwnd, LRESULT hit)
{
    {
        std::lock_guard lock(g_pushedMutex);
        if (hit == HTNOWHERE)
            g_pushed.erase(hwnd);
        else
            g_pushed[hwnd] = hit;
    }
    RepaintFrame(hwnd);
}

HFONT CaptionFont()
{
    static const HFONT font = MakeFont(FW_BOLD);
    return font;
}

HFONT MenuFont()
{
    static const HFONT font = MakeFont(FW_NORMAL);
    return font;
}

HICON CaptionIcon(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return nullptr;
    if (window->smallIcon)
        return window->smallIcon;
    if (window->bigIcon)
        return window->bigIcon;
    return window->windowClass->smallIcon ? window->windowClass->smallIcon : window->windowClass->icon;
}

FrameLayout LayoutFrame(HWND hwnd)
{
    FrameLayout layout;
    HICON icon = CaptionIcon(hwnd);
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return layout;
    DWORD style = window->style;
    DWORD exStyle = window->exStyle;
    int width = window->rect.right - window->rect.left;
    int height = window->rect.bottom - window->rect.top;
    layout.window = {0, 0, width, height};
    RECT inset = InsetsOf(*window);
    layout.client = {inset.left, inset.top, std::max<int>(inset.left, width - inset.right),
                     std::max<int>(inset.top, height - inset.bottom)};
    int frame = FrameThickness(style, exStyle);
    int below = frame;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        layout.caption = {frame, frame, width - frame, frame + kCaption};
        below = layout.caption.bottom;
        int top = layout.caption.top + 2;
        int right = layout.caption.right - 2;
        bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
        if (style & WS_SYSMENU) {
            layout.closeBox = {right - kCaptionButtonWidth, top, right, top + kCaptionButtonHeight};
            right = layout.closeBox.left - 2;
            if ((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) && !tool) {
                layout.maxBox = {right - kCaptionButtonWidth, top, right, top + kCaptionButtonHeight};
                layout.minBox = {layout.maxBox.left - kCaptionButtonWidth, top, layout.maxBox.left,
                                 top + kCaptionButtonHeight};
                right = layout.minBox.left - 2;
            }
            if (icon && !tool)
                layout.icon = {layout.caption.left + 1, layout.caption.top,
                               layout.caption.left + 1 + kSmallIcon, layout.caption.top + kSmallIcon};
        }
        int left = IsRectEmpty(&layout.icon) ? layout.caption.left + 2 : layout.icon.right + 3;
        layout.title = {left, layout.caption.top, std::max(left, right), layout.caption.bottom - 1};
    }
    if (window->menu && !window->parent && !(style & WS_MINIMIZE))
        layout.menuBar = {frame, below, width - frame, below + kMenuBar};
    return layout;
}

void PaintFrame(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window)
        return;
    FrameLayout layout = LayoutFrame(hwnd);
    if (EqualRect(&layout.client, &layout.window))
        return; // no border, caption, menu or scroll bar: the frame has no pixel
    DWORD style;
    DWORD exStyle;
    bool active;
    bool minimized;
    {
        std::lock_guard lock(WindowManager::Get().mutex);
        style = window->style;
        exStyle = window->exStyle;
        active = window->activeLook;
        minimized = (style & WS_MINIMIZE) != 0;
    }
    HDC dc = MakeWindowDC(hwnd, true, ClipFlagsOf(hwnd), nullptr);
    // The client area is the window's own to paint.
    ExcludeClipRect(dc, layout.client.left, layout.client.top, layout.client.right, layout.client.bottom);
    PaintOuterFrame(dc, layout.window, style, exStyle);

    int frame = FrameThickness(style, exStyle);
    RECT edge = {frame, frame, layout.window.right - frame, layout.window.bottom - frame};
    if (!IsRectEmpty(&layout.caption))
        edge.top = layout.caption.bottom;
    if (!IsRectEmpty(&layout.menuBar))
        edge.top = layout.menuBar.bottom;
    if (exStyle & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    else if (exStyle & WS_EX_STATICEDGE)
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);

    if (!IsRectEmpty(&layout.caption)) {
        FillCaption(dc, layout.caption, active);
        if (HICON icon = CaptionIcon(hwnd); icon && !IsRectEmpty(&layout.icon))
            DrawIconEx(dc, layout.icon.left, layout.icon.top, icon, kSmallIcon, kSmallIcon, 0, nullptr, DI_NORMAL);
        std::u16string title;
        {
            std::lock_guard lock(WindowManager::Get().mutex);
            title = window->text;
        }
        HGDIOBJ oldFont = SelectObject(dc, CaptionFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        RECT titleRect = layout.title;
        DrawTextW(dc, title.c_str(), -1, &titleRect,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        RECT box = layout.closeBox;
        if (!IsRectEmpty(&box))
            DrawFrameControl(dc, &box, DFC_CAPTION,
                             DFCS_CAPTIONCLOSE | (CloseEnabled(hwnd) ? Pushed(hwnd, HTCLOSE) : DFCS_INACTIVE));
        box = layout.maxBox;
        if (!IsRectEmpty(&box))
            DrawFrameControl(dc, &box, DFC_CAPTION,
                             DFCS_CAPTIONMAX | ((style & WS_MAXIMIZEBOX) ? Pushed(hwnd, HTMAXBUTTON) : DFCS_INACTIVE));
        box = layout.minBox;
        if (!IsRectEmpty(&box))
            DrawFrameControl(dc, &box, DFC_CAPTION,
                             (minimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN)
                                 | ((style & WS_MINIMIZEBOX) ? Pushed(hwnd, HTMINBUTTON) : DFCS_INACTIVE));
    }
    if (!IsRectEmpty(&layout.menuBar))
        PaintMenuBar(hwnd, dc, layout.menuBar);
    PaintScrollBars(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

void RepaintFrame(HWND hwnd)
{
    // Drawn directly, as Windows redraws a caption, not through WM_NCPAINT.
    if (IsWindowVisible(hwnd))
        RunOnOwner(hwnd, [hwnd]() -> LRESULT {
            PaintFrame(hwnd);
            ScreenChanged();
            return 0;
        });
}

LRESULT HitTestFrame(HWND hwnd, POINT screen)
{
    RECT rect;
    if (!GetWindowRect(hwnd, &rect) || !PtInRect(&rect, screen))
        return HTNOWHERE;
    POINT at = {screen.x - rect.left, screen.y - rect.top};
    FrameLayout layout = LayoutFrame(hwnd);
    if (Inside(layout.client, at))
        return HTCLIENT;
    if (Inside(layout.closeBox, at))
        return HTCLOSE;
    if (Inside(layout.maxBox, at))
        return HTMAXBUTTON;
    if (Inside(layout.minBox, at))
        return HTMINBUTTON;
    if (Inside(layout.icon, at))
        return HTSYSMENU;
    if (Inside(layout.caption, at))
        return HTCAPTION;
    if (Inside(layout.menuBar, at))
        return HTMENU;
    if (Inside(LayoutScrollBar(hwnd, SB_VERT).bar, at))
        return HTVSCROLL;
    if (Inside(LayoutScrollBar(hwnd, SB_HORZ).bar, at))
        return HTHSCROLL;
    return HTBORDER;
}

} // namespace user::detail
