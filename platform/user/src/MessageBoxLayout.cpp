#include "MessageBoxLayout.h"
#include "TemplateControl.h"

#include "user/Controls.h"
#include "user/Dialog.h"
#include "user/MessageBox.h"
#include "user/Window.h"
#include "win32/WideString.h"

#include <algorithm>

namespace user::detail {

namespace {

// Dialog units.
constexpr int kMargin = 7;
constexpr int kIconSize = 21;      // 32 pixels
constexpr int kIconGap = 8;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 4;
constexpr int kMaxTextPixels = 600;

int ToUnitsX(int pixels)
{
    return (pixels * 4 + kDialogBaseUnitX - 1) / kDialogBaseUnitX;
}

int ToUnitsY(int pixels)
{
    return (pixels * 8 + kDialogBaseUnitY - 1) / kDialogBaseUnitY;
}

// The text's size in pixels with the dialog font, wrapped at the widest a box may be.
SIZE MeasureText(const std::u16string& text)
{
    LOGFONTW font = {};
    font.lfHeight = -11;
    lstrcpynW(font.lfFaceName, u"MS Shell Dlg", LF_FACESIZE);
    HFONT handle = CreateFontIndirectW(&font);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle);
    RECT rect = {0, 0, std::min(kMaxTextPixels, GetSystemMetrics(SM_CXSCREEN) * 5 / 8), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(handle);
    return {rect.right - rect.left + 2, rect.bottom - rect.top};
}

} // namespace

std::vector<MessageBoxButton> MessageBoxButtons(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNOCANCEL:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO:
        return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    default:
        return {{IDOK, u"OK"}};
    }
}

int MessageBoxEscapeAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return 0;
    default:
        return IDOK;
    }
}

DialogTemplate MessageBoxTemplate(const std::u16string& text, const std::u16string& caption, UINT type)
{
    DialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    tmpl.exStyle = (type & MB_SYSTEMMODAL) ? WS_EX_TOPMOST : 0;
    tmpl.caption = caption;
    bool icon = (type & MB_ICONMASK) != 0;
    SIZE measured = MeasureText(text);
    int textWidth = ToUnitsX(measured.cx);
    int textHeight = std::max(ToUnitsY(measured.cy), 8);
    int textLeft = kMargin + (icon ? kIconSize + kIconGap : 0);
    int top = kMargin;
    int bodyHeight = std::max(textHeight, icon ? kIconSize : 0);
    auto buttons = MessageBoxButtons(type);
    int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    int width = std::max(textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
    int buttonsTop = top + bodyHeight + kMargin;
    tmpl.cx = static_cast<short>(width);
    tmpl.cy = static_cast<short>(buttonsTop + kButtonHeight + kMargin);
    if (icon)
        tmpl.controls.push_back(TemplateControl(-1, u"Static", u"", SS_ICON, kMargin, top, kIconSize, kIconSize));
    // A one-line text sits beside the middle of the icon.
    int textTop = top + (icon && textHeight < kIconSize ? (kIconSize - textHeight) / 2 : 0);
    tmpl.controls.push_back(TemplateControl(kMessageBoxTextId, u"Static", text, SS_LEFT | SS_NOPREFIX | WS_GROUP, textLeft,
                                    textTop, textWidth, textHeight));
    int defaultIndex = std::min(static_cast<int>((type & MB_DEFMASK) >> 8), static_cast<int>(buttons.size()) - 1);
    int x = (width - buttonsWidth) / 2;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        DWORD style = (static_cast<int>(i) == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP
            | (i == 0 ? WS_GROUP : 0);
        tmpl.controls.push_back(
            TemplateControl(buttons[i].id, u"Button", buttons[i].text, style, x, buttonsTop, kButtonWidth, kButtonHeight));
        x += kButtonWidth + kButtonGap;
    }
    return tmpl;
}

} // namespace user::detail
