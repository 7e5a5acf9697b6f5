// Buttons in the classic look: push buttons with the default button's
// black frame, check boxes and radio buttons with their boxes, group boxes
// with their text cut into the frame; owner-drawn buttons ask their parent.
#include "ButtonPaint.h"

#include "ControlPaint.h"

#include "user/Controls.h"
#include "user/Dialog.h"

namespace user::detail {

namespace {

constexpr int kBoxSize = 13;
constexpr int kBoxGap = 4;
constexpr int kGroupTextLeft = 8;

DWORD StyleOf(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
}

UINT TextFormat(DWORD style, UINT horizontal)
{
    UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (style & BS_CENTER) {
    case BS_LEFT:
        format |= DT_LEFT;
        break;
    case BS_RIGHT:
        format |= DT_RIGHT;
        break;
    case BS_CENTER:
        format |= DT_CENTER;
        break;
    default:
        format |= horizontal;
    }
    switch (style & BS_VCENTER) {
    case BS_TOP:
        format |= DT_TOP;
        break;
    case BS_BOTTOM:
        format |= DT_BOTTOM;
        break;
    default:
        format |= DT_VCENTER;
    }
    return format;
}

// The caption (or image) in the rectangle, as the button's state shows it.
void DrawContent(HWND hwnd, HDC dc, const ButtonLook& look, RECT rect, UINT format, bool enabled)
{
    if (look.image && (StyleOf(hwnd) & (BS_ICON | BS_BITMAP))) {
        int width = 32;
        int height = 32;
        if (look.imageType == IMAGE_BITMAP) {
            BITMAP info = {};
            GetObjectW(look.image, sizeof info, &info);
            width = info.bmWidth;
            height = info.bmHeight;
        }
        int x = (rect.left + rect.right - width) / 2;
        int y = (rect.top + rect.bottom - height) / 2;
        UINT kind = look.imageType == IMAGE_BITMAP ? DST_BITMAP : DST_ICON;
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(look.image), 0, x, y, width, height,
                   kind | (enabled ? DSS_NORMAL : DSS_DISABLED));
        return;
    }
    std::u16string text = WindowText(hwnd);
    if (enabled)
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    else
        DrawDisabledText(dc, text, rect, format);
}

// Where the caption of a box or a push button ends up, for the focus rectangle.
RECT TextBounds(HWND hwnd, HDC dc, RECT rect, UINT format)
{
    std::u16string text = WindowText(hwnd);
    RECT measured = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
    int width = measured.right - measured.left;
    int height = measured.bottom - measured.top;
    RECT out = rect;
    if (format & DT_CENTER)
        out.left = (rect.left + rect.right - width) / 2;
    else if (format & DT_RIGHT)
        out.left = rect.right - width;
    out.right = out.left + width;
    if (format & DT_VCENTER)
        out.top = (rect.top + rect.bottom - height) / 2;
    else if (format & DT_BOTTOM)
        out.top = rect.bottom - height;
    out.bottom = out.top + height;
    return out;
}

void PaintPushButton(HWND hwnd, HDC dc, const ButtonLook& look, bool isDefault)
{
    // The parent hears of it, but push buttons keep the system's colours.
    ControlBrush(hwnd, dc, WM_CTLCOLORBTN);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT frame = client;
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    if (isDefault) {
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&frame, -1, -1);
    }
    bool pushed = look.pushed || look.check == BST_CHECKED; // a push-like box shows its check as pushed
    RECT face = frame;
    if (pushed && isDefault) {
        // The default button pushed: a flat shadow frame.
        FillRect(dc, &face, GetSysColorBrush(COLOR_3DFACE));
        FrameRect(dc, &face, GetSysColorBrush(COLOR_3DSHADOW));
    } else {
        DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    }
    RECT content = frame;
    InflateRect(&content, -3, -3);
    if (pushed)
        OffsetRect(&content, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawContent(hwnd, dc, look, content, TextFormat(StyleOf(hwnd), DT_CENTER), enabled);
    if (look.focused && enabled) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void PaintBox(HWND hwnd, HDC dc, const ButtonLook& look, DWORD type)
{
    DWORD style = StyleOf(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &client, brush);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    bool leftText = (style & BS_LEFTTEXT) != 0;
    int top = (client.bottom - kBoxSize) / 2;
    RECT box = {leftText ? client.right - kBoxSize : 0, top, leftText ? client.right : kBoxSize, top + kBoxSize};
    UINT state = radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (look.check == BST_CHECKED)
        state |= DFCS_CHECKED;
    else if (look.check == BST_INDETERMINATE)
        state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (look.pushed)
        state |= DFCS_PUSHED;
    if (!enabled)
        state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &box, DFC_BUTTON, state);
    RECT text = leftText ? RECT{0, 0, box.left - kBoxGap, client.bottom} : RECT{box.right + kBoxGap, 0, client.right, client.bottom};
    UINT format = TextFormat(style, DT_LEFT);
    DrawContent(hwnd, dc, look, text, format, enabled);
    if (look.focused && enabled && !WindowText(hwnd).empty()) {
        RECT focus = TextBounds(hwnd, dc, text, format);
        InflateRect(&focus, 1, 1);
        DrawFocusRect(dc, &focus);
    }
}

void PaintGroupBox(HWND hwnd, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    RECT frame = {client.left, client.top + metrics.tmHeight / 2, client.right, client.bottom};
    // The box's pixels lie in its label's row and along its etched frame
    // (two pixels wide); a repaint of its inside alone (a control in the
    // group changed) draws nothing and is left out.
    RECT clipBox = {};
    if (GetClipBox(dc, &clipBox) == NULLREGION)
        return;
    constexpr LONG kWide = 1 << 28;
    const RECT parts[] = {{-kWide, client.top, kWide, std::max<LONG>(metrics.tmHeight, frame.top + 2)},
                          {frame.left, frame.top, frame.left + 2, frame.bottom},
                          {frame.right - 2, frame.top, frame.right, frame.bottom},
                          {frame.left, frame.bottom - 2, frame.right, frame.bottom}};
    bool touched = false;
    for (const RECT& part : parts) {
        RECT common;
        touched = touched || IntersectRect(&common, &part, &clipBox);
    }
    if (!touched)
        return;
    std::u16string text = WindowText(hwnd);
    RECT label = {};
    if (!text.empty()) {
        label = TextBounds(hwnd, dc, {kGroupTextLeft, 0, client.right - kGroupTextLeft, metrics.tmHeight},
                           DT_SINGLELINE | DT_LEFT | DT_TOP);
        InflateRect(&label, 2, 0);
        FillRect(dc, &label, brush);
    }
    // The frame runs around the text, not through it.
    int saved = SaveDC(dc);
    if (!text.empty())
        ExcludeClipRect(dc, label.left, label.top, label.right, label.bottom);
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    RestoreDC(dc, saved);
    if (!text.empty()) {
        RECT r = label;
        InflateRect(&r, -2, 0);
        if (IsWindowEnabled(hwnd))
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_LEFT | DT_TOP);
        else
            DrawDisabledText(dc, text, r, DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
}

} // namespace

void DrawOwnerButton(HWND hwnd, HDC dc, const ButtonLook& look, UINT action)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    ControlBrush(hwnd, dc, WM_CTLCOLORBTN);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    item.itemAction = action;
    item.itemState = (look.pushed ? ODS_SELECTED : 0) | (look.focused ? ODS_FOCUS : 0)
        | (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
    LRESULT def = SendMessageW(parent, DM_GETDEFID, 0, 0);
    if (HIWORD(static_cast<UINT_PTR>(def)) == DC_HASDEFID && LOWORD(static_cast<UINT_PTR>(def)) == item.CtlID)
        item.itemState |= ODS_DEFAULT;
    item.hwndItem = hwnd;
    item.hDC = dc;
    GetClientRect(hwnd, &item.rcItem);
    SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void PaintButton(HWND hwnd, HDC dc, const ButtonLook& look)
{
    DWORD style = StyleOf(hwnd);
    DWORD type = style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW) {
        DrawOwnerButton(hwnd, dc, look, ODA_DRAWENTIRE);
        return;
    }
    HGDIOBJ oldFont = SelectControlFont(dc, look.font);
    switch (type) {
    case BS_GROUPBOX:
        PaintGroupBox(hwnd, dc);
        break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        if (style & BS_PUSHLIKE)
            PaintPushButton(hwnd, dc, look, false);
        else
            PaintBox(hwnd, dc, look, type);
        break;
    default:
        PaintPushButton(hwnd, dc, look, type == BS_DEFPUSHBUTTON);
        break;
    }
    SelectObject(dc, oldFont);
}

} // namespace user::detail
