// The skin of the wizard's dialogs: a bitmap of the install folder painted
// as the dialog's background, with buttons and static texts drawn over it
// without a background of their own. Every skinned dialog holds a CDialogSkin
// and hands its erase-background and control-colour messages to it.
#pragma once

#include "afx/AfxWin.h"

// The key colour of the skin bitmaps: pixels close to pure green lie outside
// a dialog's skin region.
constexpr COLORREF kSkinKeyColor = 0x00FF00;

class CDialogSkin {
public:
    CDialogSkin() = default;
    ~CDialogSkin();
    CDialogSkin(const CDialogSkin&) = delete;
    CDialogSkin& operator=(const CDialogSkin&) = delete;

    // Loads the bitmap file (a Windows path) as the skin and derives the skin
    // region from it; a file that does not load leaves both empty.
    void Load(LPCWSTR path);
    HBITMAP GetBitmap() const { return m_hSkin; }
    // Kept for the dialog, never applied to its window.
    HRGN GetRegion() const { return m_hSkinRegion; }

    // The dialog's WM_ERASEBKGND: the skin unscaled at the top-left corner,
    // or the dialog's default erasing without a skin.
    BOOL OnEraseBkgnd(CWnd& dialog, CDC* pDC);
    // The dialog's WM_CTLCOLOR: buttons and statics get the transparent
    // mode and the hollow brush; every other control the default colours.
    HBRUSH OnCtlColor(CWnd& dialog, CDC* pDC, CWnd* pWnd, UINT nCtlColor);

private:
    HBITMAP m_hSkin = nullptr;
    HRGN m_hSkinRegion = nullptr;
};

// A new region of the bitmap's pixels whose colour lies outside the key
// colour's tolerance window (each channel within 17 of the key's, 16 for
// black and white keys); null for a null bitmap or when a working object
// cannot be made. bInverse collects the outside runs directly; both ways
// give the same region.
HRGN BitmapToRegion(HBITMAP hBitmap, COLORREF key, BOOL bInverse);
