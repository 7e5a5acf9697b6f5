// CSplashScreenEx: a borderless, top-most popup that shows a picture, with
// an optional text over it, while the program opens. The picture's key
// colour is cut out of the window's shape; the window can fade in and out,
// throw a drop shadow, centre itself on the screen or on its parent, end
// after a display time or on a key press or click. The object lives on the
// heap and deletes itself when its window is destroyed.
#pragma once

#include "afx/AfxWin.h"

constexpr DWORD SPLASH_FADE_IN = 0x0001;       // Show blends the window in (500 ms)
constexpr DWORD SPLASH_FADE_OUT = 0x0002;      // Hide blends it out (200 ms)
constexpr DWORD SPLASH_DROP_SHADOW = 0x0004;   // the window class throws a shadow
constexpr DWORD SPLASH_CENTER_SCREEN = 0x0008; // SetBitmap centres it on the screen
constexpr DWORD SPLASH_CENTER_PARENT = 0x0010; // ... or on the parent, without the flag above
constexpr DWORD SPLASH_HIDE_ON_INPUT = 0x0020; // a key or mouse press aimed at it ends it

// The flags under the names the dialogs first used, kept so that their
// calls stay as they are.
constexpr DWORD CSS_FADEIN = SPLASH_FADE_IN;
constexpr DWORD CSS_FADEOUT = SPLASH_FADE_OUT;
constexpr DWORD CSS_SHADOW = SPLASH_DROP_SHADOW;
constexpr DWORD CSS_CENTERSCREEN = SPLASH_CENTER_SCREEN;
constexpr DWORD CSS_CENTERAPP = SPLASH_CENTER_PARENT;
constexpr DWORD CSS_HIDEONCLICK = SPLASH_HIDE_ON_INPUT;

// The window class of every splash window.
constexpr const WCHAR* kSplashClassName = u"SplashScreenExClass";

class CSplashScreenEx : public CWnd {
    DECLARE_DYNAMIC(CSplashScreenEx)

public:
    CSplashScreenEx();
    ~CSplashScreenEx() override;

    // The hidden popup, owned by the parent; szText may be null; a display
    // time of 0 keeps the splash until Hide.
    BOOL Create(CWnd* pWndParent, LPCWSTR szText = nullptr, DWORD dwTimeout = 2000,
                DWORD dwStyle = CSS_FADE_DEFAULT);
    // The picture from a bitmap resource or a .bmp file; red, green and blue
    // name the key colour cut out of the window, none when any of them is -1.
    BOOL SetBitmap(UINT nBitmapID, short red = -1, short green = -1, short blue = -1);
    BOOL SetBitmap(LPCWSTR szFileName, short red = -1, short green = -1, short blue = -1);
    BOOL SetTextFont(LPCWSTR szFont, int nSize, int nStyle);
    void SetText(LPCWSTR szText);
    void SetTextColor(COLORREF crTextColor);
    void SetTextRect(const CRect& rcText);
    void SetTextFormat(UINT uTextFormat);

    void Show();
    // Hides the splash, destroys its window and so the object (also the
    // object of a splash whose Create failed).
    void Hide();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    static constexpr DWORD CSS_FADE_DEFAULT =
        SPLASH_FADE_IN | SPLASH_FADE_OUT | SPLASH_DROP_SHADOW | SPLASH_CENTER_SCREEN;

protected:
    void PostNcDestroy() override;

    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    afx_msg LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()

private:
    using AnimateWindowFunction = BOOL (*)(HWND, DWORD, DWORD);

    BOOL TakeBitmap(short red, short green, short blue);
    HRGN BuildKeyRegion(HBITMAP hBitmap, COLORREF key);
    void DrawWindow(CDC* pDC);

    AnimateWindowFunction m_fnAnimateWindow = nullptr;
    CWnd* m_pWndParent = nullptr;
    CBitmap m_bitmap;
    CFont m_myFont;
    HRGN m_hRegion = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_dwTimeout = 2000;
    CString m_strText;
    CRect m_rcText;
    UINT m_uTextFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    COLORREF m_crTextColor = 0;
    int m_nBitmapWidth = 0;
    int m_nBitmapHeight = 0;
    int m_nxPos = 0;
    int m_nyPos = 0;
};
