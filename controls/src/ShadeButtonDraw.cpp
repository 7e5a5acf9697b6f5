// The shaded button's painting: the face of its state, its icon, its edge,
// the focus bands and the caption, composed off-screen and copied at once.
#include "controls/ShadeButton.h"

namespace {

void DrawIconAt(CDC& dc, const RECT& box, HICON icon, UINT flags)
{
    dc.DrawState(CPoint(box.left, box.top), CSize(box.right - box.left, box.bottom - box.top), icon, flags);
}

} // namespace

void CxShadeButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    // While pressed, the pushed look follows the cursor in and out of the button.
    if (m_button_down && ::GetCapture() == m_hWnd) {
        POINT cursor;
        if (::GetCursorPos(&cursor)) {
            const bool pushed = (SendMessage(BM_GETSTATE) & BST_PUSHED) != 0;
            const HWND under = ::WindowFromPoint(cursor);
            if (under == m_hWnd && !pushed) {
                SendMessage(BM_SETSTATE, TRUE);
                return;
            }
            if (under != m_hWnd && pushed) {
                SendMessage(BM_SETSTATE, FALSE);
                return;
            }
        }
    }

    CString caption;
    GetWindowText(caption);
    CRect r = lpDrawItemStruct->rcItem;
    const int cx = r.Width(), cy = r.Height();
    CRect text(r.left + m_FocusRectMargin + 2, r.top, r.right - m_FocusRectMargin - 2, r.bottom);
    const UINT state = lpDrawItemStruct->itemState;

    CDC* target = CDC::FromHandle(lpDrawItemStruct->hDC);
    CDC dc;
    dc.CreateCompatibleDC(target);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(target, cx, cy);
    CBitmap* previousCanvas = dc.SelectObject(&canvas);
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ previousFont =
        dc.SelectObject(m_Font.m_hObject ? m_Font.m_hObject : ::GetStockObject(DEFAULT_GUI_FONT));

    if (m_Icon) {
        const int iconWidth = m_IconBox.right - m_IconBox.left;
        switch (m_IconAlign) {
        case 256:
            text.left += iconWidth - 4;
            break;
        case 512:
            text.right -= iconWidth;
            break;
        case 768:
            text.top += m_IconBox.bottom;
            text.bottom -= m_FocusRectMargin + 1;
            break;
        default:
            break;
        }
    }

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (state & ODS_DISABLED) {
        if (m_dDisabled.IsValid())
            m_dDisabled.Draw(dc, 0, 0);
        else
            dc.FillSolidRect(&r, face);
        if (m_Icon)
            DrawIconAt(dc, m_IconBox, m_Icon, DST_ICON | DSS_DISABLED);
        if (m_Border && !m_flat)
            dc.DrawEdge(&r, EDGE_RAISED, BF_RECT);
        // Embossed: the highlight first, then grey one pixel up and left.
        dc.SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        dc.DrawText(caption, &text, m_TextAlign);
        dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
        text.OffsetRect(-1, -1);
    } else {
        if ((state & ODS_SELECTED) || m_Checked) {
            const int e = m_Border ? 1 : 0;
            if (m_dDown.IsValid())
                m_dDown.Draw(dc, e, e);
            else
                dc.FillSolidRect(&r, face);
            if (m_IconDown) {
                RECT box = m_IconBox;
                if (m_IsPushLike)
                    ::OffsetRect(&box, 1, 1);
                DrawIconAt(dc, box, m_IconDown, DST_ICON);
            }
            if (m_IsPushLike)
                text.OffsetRect(1, 1);
            if (m_Border) {
                if (m_flat)
                    dc.Draw3dRect(&r, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
                else
                    dc.DrawEdge(&r, EDGE_SUNKEN, BF_RECT);
            }
        } else {
            if (!m_dNormal.IsValid())
                dc.FillSolidRect(&r, face);
            else if (m_tracking && m_dOver.IsValid())
                m_dOver.Draw(dc, 0, 0);
            else
                m_dNormal.Draw(dc, 0, 0);
            if (HICON icon = m_tracking && m_IconHighLight ? m_IconHighLight : m_Icon)
                DrawIconAt(dc, m_IconBox, icon, DST_ICON);
            if (m_Border && (m_tracking || !m_flat)) {
                if (state & ODS_DEFAULT) {
                    dc.DrawEdge(&r, EDGE_SUNKEN, BF_RECT);
                    r.DeflateRect(1, 1);
                    dc.DrawEdge(&r, EDGE_RAISED, BF_RECT);
                } else if (m_flat) {
                    dc.Draw3dRect(&r, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
                } else {
                    dc.DrawEdge(&r, EDGE_RAISED, BF_RECT);
                }
            }
        }
        if ((state & ODS_FOCUS) && m_FocusRectMargin > 0) {
            r.DeflateRect(m_FocusRectMargin, m_FocusRectMargin);
            m_dh.Draw(dc, r.left + 1, r.top);
            m_dh.Draw(dc, r.left + 1, r.bottom);
            m_dv.Draw(dc, r.left, r.top + 1);
            m_dv.Draw(dc, r.right, r.top + 1);
        }
        dc.SetTextColor(m_TextColor);
    }

    dc.DrawText(caption, &text, m_TextAlign);
    dc.SelectObject(previousFont);
    target->BitBlt(0, 0, cx, cy, &dc, 0, 0, SRCCOPY);
    dc.SelectObject(previousCanvas);
}
