// Message maps: the one place where window messages, commands and control
// notifications become calls of OnXxx handlers.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and lists its
// entries between BEGIN_MESSAGE_MAP(class, base) and END_MESSAGE_MAP() in its
// source file. A message is looked up in the class's own entries first, then
// in those of its bases, in order; the first matching entry handles it. Each
// entry is a small function made where the map is written, so it may call
// the class's protected handlers; it unpacks the message's parameters into
// the handler's documented signature.
//
// Handlers are named as members: ON_COMMAND(IDOK, &CMyDlg::OnOK). The ON_WM_*
// entries call the handler of the fixed name (ON_WM_PAINT calls OnPaint()).
#pragma once

#include "afx/Object.h"
#include "gdi/GdiTypes.h"
#include "user/Messages.h"
#include "user/Notify.h"

class CCmdTarget;

// One message on its way through a map.
struct AFX_MSGCALL {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    void* extra; // the AFX_NOTIFY of a notification
    UINT id;     // the command or control id of a command or notification
};

// TRUE when the entry handled the message (an _EX handler may decline).
using AFX_PMSGHANDLER = BOOL (*)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // 0 ends the map
    UINT nCode;    // the notification code of WM_COMMAND and WM_NOTIFY entries
    UINT nID;      // the first and last control or command id they match
    UINT nLastID;
    AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// What a WM_NOTIFY handler gets.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// The old single control-colour message; ON_WM_CTLCOLOR answers all of the
// WM_CTLCOLOR* family, and the reflected form carries this record.
constexpr UINT WM_CTLCOLOR = 0x0019;
struct AFX_CTLCOLOR {
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

// Command notification code of menu items and accelerators.
constexpr int CN_COMMAND = 0;

// The base of every class with a message map.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Routes a command (nCode CN_COMMAND or a control notification code) or,
    // with MAKELONG(code, WM_NOTIFY) and pExtra an AFX_NOTIFY, a notification
    // to the map's entry for nID. TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // The first entry of the map chain that matches, or null.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);
};

#define DECLARE_MESSAGE_MAP()                                                                                      \
protected:                                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                              \
    {                                                                                                              \
        return GetThisMessageMap();                                                                                \
    }                                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                                \
    {                                                                                                              \
        [[maybe_unused]] typedef theClass ThisClass;                                                               \
        typedef baseClass TheBaseClass;                                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                          \
    {0, 0, 0, 0, nullptr}                                                                                          \
    }                                                                                                              \
    ;                                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]};                   \
    return &messageMap;                                                                                            \
    }

// An entry whose handler is the statement block given; afxThis is the
// object and afxCall the message.
#define AFX_MAP_ENTRY(message, code, id, lastId, ...)                                                              \
    {static_cast<UINT>(message), static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(lastId),        \
     [](CCmdTarget* afxTarget, AFX_MSGCALL& afxCall) -> BOOL {                                                     \
         [[maybe_unused]] ThisClass* afxThis = static_cast<ThisClass*>(afxTarget);                                 \
         (void)afxCall;                                                                                            \
         __VA_ARGS__                                                                                               \
     }},

// Raw messages and commands
#define ON_MESSAGE(message, memberFxn)                                                                             \
    AFX_MAP_ENTRY(message, 0, 0, 0, afxCall.result = (afxThis->*(memberFxn))(afxCall.wParam, afxCall.lParam);      \
                  return TRUE;)
#define ON_COMMAND(id, memberFxn) AFX_MAP_ENTRY(WM_COMMAND, CN_COMMAND, id, id, (afxThis->*(memberFxn))(); return TRUE;)
#define ON_COMMAND_RANGE(id, lastId, memberFxn)                                                                    \
    AFX_MAP_ENTRY(WM_COMMAND, CN_COMMAND, id, lastId, (afxThis->*(memberFxn))(afxCall.id); return TRUE;)
#define ON_CONTROL(code, id, memberFxn) AFX_MAP_ENTRY(WM_COMMAND, code, id, id, (afxThis->*(memberFxn))(); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// Notifications: handler(NMHDR*, LRESULT*); the _EX form returns whether it took the notification.
#define ON_NOTIFY(code, id, memberFxn)                                                                             \
    AFX_MAP_ENTRY(WM_NOTIFY, code, id, id, auto* afxNotify = static_cast<AFX_NOTIFY*>(afxCall.extra);             \
                  (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult); return TRUE;)
#define ON_NOTIFY_EX(code, id, memberFxn)                                                                          \
    AFX_MAP_ENTRY(WM_NOTIFY, code, id, id, auto* afxNotify = static_cast<AFX_NOTIFY*>(afxCall.extra);             \
                  return (afxThis->*(memberFxn))(afxCall.id, afxNotify->pNMHDR, afxNotify->pResult);)

// Reflected notifications, in the control's own map. The plain forms take the
// notification away from the parent; the _EX forms leave it to the parent
// as well when their handler returns FALSE.
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                                         \
    AFX_MAP_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, auto* afxNotify = static_cast<AFX_NOTIFY*>(afxCall.extra); \
                  (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult); return TRUE;)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                                      \
    AFX_MAP_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, auto* afxNotify = static_cast<AFX_NOTIFY*>(afxCall.extra); \
                  return (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult);)
#define ON_CONTROL_REFLECT(code, memberFxn)                                                                        \
    AFX_MAP_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, (afxThis->*(memberFxn))(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                                     \
    AFX_MAP_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, return (afxThis->*(memberFxn))();)
#define ON_BN_CLICKED_REFLECT(memberFxn) ON_CONTROL_REFLECT(BN_CLICKED, memberFxn)
// HBRUSH CtlColor(CDC*, UINT nCtlType); a null brush leaves the request to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                                   \
    AFX_MAP_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, auto* afxColor = reinterpret_cast<AFX_CTLCOLOR*>(afxCall.lParam); \
                  HBRUSH afxBrush = afxThis->CtlColor(CDC::FromHandle(afxColor->hDC), afxColor->nCtlType);         \
                  afxCall.result = reinterpret_cast<LRESULT>(afxBrush); return afxBrush != nullptr;)

// Window messages, with the framework's handler signatures.
#define AFX_ON_VOID(message, call) AFX_MAP_ENTRY(message, 0, 0, 0, afxThis->call; return TRUE;)
#define AFX_ON_RESULT(message, call)                                                                               \
    AFX_MAP_ENTRY(message, 0, 0, 0, afxCall.result = static_cast<LRESULT>(afxThis->call); return TRUE;)
#define AFX_WP afxCall.wParam
#define AFX_LP afxCall.lParam
#define AFX_POINT CPoint(afxCall.lParam)

#define ON_WM_CREATE() AFX_ON_RESULT(WM_CREATE, OnCreate(reinterpret_cast<CREATESTRUCTW*>(AFX_LP)))
#define ON_WM_DESTROY() AFX_ON_VOID(WM_DESTROY, OnDestroy())
#define ON_WM_NCDESTROY() AFX_ON_VOID(WM_NCDESTROY, OnNcDestroy())
#define ON_WM_CLOSE() AFX_ON_VOID(WM_CLOSE, OnClose())
#define ON_WM_PAINT() AFX_ON_VOID(WM_PAINT, OnPaint())
#define ON_WM_ERASEBKGND()                                                                                         \
    AFX_ON_RESULT(WM_ERASEBKGND, OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(AFX_WP))))
#define ON_WM_CTLCOLOR()                                                                                           \
    AFX_MAP_ENTRY(WM_CTLCOLOR, 0, 0, 0,                                                                            \
                  afxCall.result = reinterpret_cast<LRESULT>(afxThis->OnCtlColor(                                  \
                      CDC::FromHandle(reinterpret_cast<HDC>(AFX_WP)), CWnd::FromHandle(reinterpret_cast<HWND>(AFX_LP)), \
                      afxCall.message - WM_CTLCOLORMSGBOX));                                                       \
                  return TRUE;)
// An owner-draw request answers TRUE once handled.
#define ON_WM_DRAWITEM()                                                                                           \
    AFX_MAP_ENTRY(WM_DRAWITEM, 0, 0, 0,                                                                            \
                  afxThis->OnDrawItem(static_cast<int>(AFX_WP), reinterpret_cast<LPDRAWITEMSTRUCT>(AFX_LP));       \
                  afxCall.result = TRUE; return TRUE;)
#define ON_WM_SYSCOMMAND() AFX_ON_VOID(WM_SYSCOMMAND, OnSysCommand(static_cast<UINT>(AFX_WP), AFX_LP))
#define ON_WM_QUERYDRAGICON() AFX_MAP_ENTRY(WM_QUERYDRAGICON, 0, 0, 0, afxCall.result = reinterpret_cast<LRESULT>(afxThis->OnQueryDragIcon()); return TRUE;)
#define ON_WM_TIMER() AFX_ON_VOID(WM_TIMER, OnTimer(static_cast<UINT_PTR>(AFX_WP)))
#define ON_WM_LBUTTONDOWN() AFX_ON_VOID(WM_LBUTTONDOWN, OnLButtonDown(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_LBUTTONUP() AFX_ON_VOID(WM_LBUTTONUP, OnLButtonUp(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_LBUTTONDBLCLK() AFX_ON_VOID(WM_LBUTTONDBLCLK, OnLButtonDblClk(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_RBUTTONDOWN() AFX_ON_VOID(WM_RBUTTONDOWN, OnRButtonDown(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_RBUTTONUP() AFX_ON_VOID(WM_RBUTTONUP, OnRButtonUp(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_MOUSEMOVE() AFX_ON_VOID(WM_MOUSEMOVE, OnMouseMove(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_MOUSEHOVER() AFX_ON_VOID(WM_MOUSEHOVER, OnMouseHover(static_cast<UINT>(AFX_WP), AFX_POINT))
#define ON_WM_MOUSELEAVE() AFX_ON_VOID(WM_MOUSELEAVE, OnMouseLeave())
#define ON_WM_SETCURSOR()                                                                                          \
    AFX_ON_RESULT(WM_SETCURSOR, OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(AFX_WP)), LOWORD(AFX_LP),     \
                                            HIWORD(AFX_LP)))
#define ON_WM_SETFOCUS() AFX_ON_VOID(WM_SETFOCUS, OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(AFX_WP))))
#define ON_WM_KILLFOCUS() AFX_ON_VOID(WM_KILLFOCUS, OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(AFX_WP))))
#define ON_WM_KEYDOWN()                                                                                            \
    AFX_ON_VOID(WM_KEYDOWN, OnKeyDown(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_KEYUP() AFX_ON_VOID(WM_KEYUP, OnKeyUp(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_CHAR() AFX_ON_VOID(WM_CHAR, OnChar(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_HELPINFO() AFX_ON_RESULT(WM_HELP, OnHelpInfo(reinterpret_cast<HELPINFO*>(AFX_LP)))
#define ON_WM_SHOWWINDOW() AFX_ON_VOID(WM_SHOWWINDOW, OnShowWindow(static_cast<BOOL>(AFX_WP), static_cast<UINT>(AFX_LP)))
#define ON_WM_SIZE()                                                                                               \
    AFX_ON_VOID(WM_SIZE, OnSize(static_cast<UINT>(AFX_WP), static_cast<short>(LOWORD(AFX_LP)),                    \
                                static_cast<short>(HIWORD(AFX_LP))))
#define ON_WM_MOVE()                                                                                               \
    AFX_ON_VOID(WM_MOVE, OnMove(static_cast<short>(LOWORD(AFX_LP)), static_cast<short>(HIWORD(AFX_LP))))
#define ON_WM_ENABLE() AFX_ON_VOID(WM_ENABLE, OnEnable(static_cast<BOOL>(AFX_WP)))
#define ON_WM_SYSCOLORCHANGE() AFX_ON_VOID(WM_SYSCOLORCHANGE, OnSysColorChange())
#define ON_WM_GETDLGCODE() AFX_ON_RESULT(WM_GETDLGCODE, OnGetDlgCode())
#define ON_WM_CAPTURECHANGED()                                                                                     \
    AFX_ON_VOID(WM_CAPTURECHANGED, OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(AFX_LP))))
