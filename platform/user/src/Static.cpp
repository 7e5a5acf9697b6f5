// The Static class: texts, frames, rectangles, etched lines, icons and
// bitmaps; mouse clicks reach the parent only with SS_NOTIFY.
#include "ControlPaint.h"
#include "ControlState.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/Icons.h"
#include "win32/WideString.h"

namespace user::detail {

namespace {

struct StaticState {
    HANDLE image = nullptr;
    WPARAM imageType = IMAGE_BITMAP;
    HFONT font = nullptr;
};

DWORD TypeOf(DWORD style)
{
    return style & SS_TYPEMASK;
}

UINT TextFormat(DWORD style)
{
    UINT format = DT_EXPANDTABS;
    switch (TypeOf(style)) {
    case SS_CENTER:
        format |= DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        format |= DT_LEFT | DT_SINGLELINE;
        break;
    default:
        format |= DT_LEFT | DT_WORDBREAK;
        break;
    }
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE)
        format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    return format;
}

SIZE ImageSize(HANDLE image, WPARAM type)
{
    if (type == IMAGE_BITMAP) {
        BITMAP info = {};
        if (GetObjectW(image, sizeof info, &info))
            return {info.bmWidth, info.bmHeight};
        return {0, 0};
    }
    ICONINFO info = {};
    if (!GetIconInfo(static_cast<HICON>(image), &info))
        return {0, 0};
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return {mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
}

// A bitmap or icon static takes the size of its image, unless it centres it.
void FitToImage(HWND hwnd, const StaticState& state)
{
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    if (!state.image || (style & (SS_CENTERIMAGE | SS_REALSIZEIMAGE)))
        return;
    SIZE size = ImageSize(state.image, state.imageType);
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintImage(HDC dc, const RECT& client, const StaticState& state, bool centre)
{
    if (!state.image)
        return;
    SIZE size = ImageSize(state.image, state.imageType);
    int x = centre ? (client.right - size.cx) / 2 : 0;
    int y = centre ? (client.bottom - size.cy) / 2 : 0;
    if (state.imageType == IMAGE_BITMAP) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, state.image);
        BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else {
        DrawIconEx(dc, x, y, static_cast<HICON>(state.image), 0, 0, 0, nullptr, DI_NORMAL);
    }
}

void Paint(HWND hwnd, HDC dc, const StaticState& state)
{
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD type = TypeOf(style);
    switch (type) {
    case SS_BLACKRECT:
    case SS_GRAYRECT:
    case SS_WHITERECT:
    case SS_BLACKFRAME:
    case SS_GRAYFRAME:
    case SS_WHITEFRAME: {
        // Black is the window frame's colour, grey the shadow's, white the window's.
        int color = (type == SS_BLACKRECT || type == SS_BLACKFRAME)  ? COLOR_WINDOWFRAME
                    : (type == SS_GRAYRECT || type == SS_GRAYFRAME) ? COLOR_3DSHADOW
                                                                     : COLOR_WINDOW;
        if (type <= SS_WHITERECT)
            FillRect(dc, &client, GetSysColorBrush(color));
        else
            FrameRect(dc, &client, GetSysColorBrush(color));
        return;
    }
    case SS_ETCHEDHORZ:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_TOP);
        return;
    case SS_ETCHEDVERT:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_LEFT);
        return;
    case SS_ETCHEDFRAME:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        return;
    case SS_OWNERDRAW: {
        DRAWITEMSTRUCT item = {ODT_STATIC, static_cast<UINT>(GetDlgCtrlID(hwnd)), 0, ODA_DRAWENTIRE,
                               IsWindowEnabled(hwnd) ? 0u : ODS_DISABLED, hwnd, dc, client, 0};
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
        return;
    }
    default:
        break;
    }
    HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &client, brush);
    if (type == SS_BITMAP || type == SS_ICON) {
        PaintImage(dc, client, state, (style & SS_CENTERIMAGE) != 0);
        return;
    }
    HGDIOBJ oldFont = SelectControlFont(dc, state.font);
    // The control draws the text it holds, as it was set: a subclass sees
    // no WM_GETTEXT for it.
    std::u16string text = StoredText(hwnd);
    if (IsWindowEnabled(hwnd))
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, TextFormat(style));
    else
        DrawDisabledText(dc, text, client, TextFormat(style));
    SelectObject(dc, oldFont);
}

// An icon static made from a template names its icon in its text ("#128").
void LoadTemplateIcon(HWND hwnd, StaticState* state, const CREATESTRUCTW* create)
{
    if (!create || !create->lpszName || create->lpszName[0] != u'#')
        return;
    int id = 0;
    for (const char16_t* c = create->lpszName + 1; *c >= u'0' && *c <= u'9'; ++c)
        id = id * 10 + (*c - u'0');
    if (HICON icon = LoadIconW(create->hInstance, MAKEINTRESOURCEW(id))) {
        state->image = icon;
        state->imageType = IMAGE_ICON;
        FitToImage(hwnd, *state);
    }
}

} // namespace

LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = TrackState<StaticState>(hwnd, msg);
    if (!state)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT common;
    if (CommonControlMessage(hwnd, msg, wParam, lParam, state->font, [&](HDC dc) { Paint(hwnd, dc, *state); }, &common))
        return common;
    // Read by the few messages that depend on it, not by the paint and text
    // messages that a repaint sends.
    const auto style = [hwnd] { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); };
    switch (msg) {
    case WM_CREATE:
        if (TypeOf(style()) == SS_ICON)
            LoadTemplateIcon(hwnd, state, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETIMAGE:
    case STM_SETICON: {
        HANDLE old = state->image;
        state->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : lParam);
        state->imageType = msg == STM_SETICON ? IMAGE_ICON : wParam;
        FitToImage(hwnd, *state);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
        return wParam == state->imageType ? reinterpret_cast<LRESULT>(state->image) : 0;
    case STM_GETICON:
        return state->imageType == IMAGE_ICON ? reinterpret_cast<LRESULT>(state->image) : 0;
    case WM_NCHITTEST:
        return (style() & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        if (style() & SS_NOTIFY)
            NotifyParent(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (style() & SS_NOTIFY)
            NotifyParent(hwnd, STN_DBLCLK);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace user::detail
