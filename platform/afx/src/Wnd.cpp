// CWnd's binding to windows: the permanent and temporary maps, attaching,
// subclassing, creation, destruction and the window procedure.
#include "afx/Wnd.h"

#include "HandleMap.h"
#include "WndState.h"
#include "user/Subclassing.h"
#include "win32/Module.h"
#include "win32/Thread.h"

#include <mutex>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// Permanent objects of the whole process, so that a worker thread finds the
// dialog that the GUI thread runs.
std::mutex g_permanentMutex;
std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static auto* map = new std::unordered_map<HWND, CWnd*>;
    return *map;
}

HINSTANCE g_resourceHandle = nullptr;
bool g_resourceHandleSet = false;

// Reads what a window's object keeps for itself.
struct ObjectAccess : CWnd {
    static WNDPROC SuperOf(const CWnd& wnd) { return wnd.*(&ObjectAccess::m_pfnSuper); }
};

// The procedure a message reaches unchanged through the object's map (it has
// no entry for it), or null; what the window layer asks AfxWndProc.
WNDPROC AfxPassThroughOf(HWND hWnd, UINT message)
{
    // Under the map's lock the object stays bound while its map is read.
    std::lock_guard lock(g_permanentMutex);
    auto it = PermanentMap().find(hWnd);
    if (it == PermanentMap().end())
        return nullptr;
    const CWnd& wnd = *it->second;
    if (CCmdTarget::FindMessageEntry(static_cast<const CCmdTarget&>(wnd).GetMessageMap(), message, 0, 0))
        return nullptr;
    return ObjectAccess::SuperOf(wnd);
}

// Tells the window layer that AfxWndProc hands on what the map leaves.
void DeclarePassThrough()
{
    static const bool declared = [] {
        user::RegisterPassThroughSubclass(&AfxWndProc, &AfxPassThroughOf);
        return true;
    }();
    (void)declared;
}

// The object whose CreateEx is making a window on this thread.
thread_local CWnd* t_creating = nullptr;

} // namespace

// A temporary object: it never owns its window.
class CTempWnd : public CWnd {
public:
    explicit CTempWnd(HWND hWnd)
    {
        m_hWnd = hWnd;
        m_temporary = true;
    }
    ~CTempWnd() override { m_hWnd = nullptr; }
};

namespace {

thread_local afx::detail::TemporaryMap<CWnd, HWND> t_temporaries;

} // namespace

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (!m_hWnd || m_temporary)
        return;
    // Nothing may be thrown out of here, not even a thread's termination.
    win32::DeferSafePoints destroying;
    HWND hWnd = m_hWnd;
    if (FromHandlePermanent(hWnd) == this && ::IsWindow(hWnd))
        ::DestroyWindow(hWnd); // the window's procedure unbinds this object
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    std::lock_guard lock(g_permanentMutex);
    auto it = PermanentMap().find(hWnd);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd))
        return permanent;
    return t_temporaries.Get(
        hWnd, [](HWND h) { return std::make_unique<CTempWnd>(h); }, [](HWND h) { return ::IsWindow(h) != FALSE; });
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    {
        std::lock_guard lock(g_permanentMutex);
        if (!PermanentMap().emplace(hWnd, this).second)
            return FALSE; // a window has one permanent object
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        std::lock_guard lock(g_permanentMutex);
        auto it = PermanentMap().find(hWnd);
        if (it != PermanentMap().end() && it->second == this)
            PermanentMap().erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!::IsWindow(hWnd))
        return FALSE;
    WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (current == AfxWndProc || !Attach(hWnd))
        return FALSE; // already some object's window
    PreSubclassWindow();
    DeclarePassThrough();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent)
        return FALSE;
    HWND control = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    return Detach();
}

void CWnd::BindCreated(HWND hWnd)
{
    if (!Attach(hWnd))
        return;
    PreSubclassWindow();
    WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (current != AfxWndProc) {
        DeclarePassThrough();
        m_pfnSuper = current;
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    }
}

void CWnd::PreSubclassWindow()
{
}

void CWnd::PostNcDestroy()
{
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    HWND parent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    HMENU idOrMenu = reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(nID));
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, idOrMenu, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs = {lpParam,  AfxGetInstanceHandle(),  nIDorHMenu,     hWndParent,
                        nHeight,  nWidth,                  y,              x,
                        static_cast<LONG>(dwStyle), lpszWindowName, lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs))
        return FALSE;
    afx::detail::ScopedValue<CWnd*> creating(t_creating, this);
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (!hWnd)
        return FALSE;
    // A window of another class's procedure did not come through AfxWndProc:
    // it is subclassed now, after its creation messages.
    if (!m_hWnd)
        BindCreated(hWnd);
    return m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (!hWnd)
        return FALSE;
    // A window whose messages reach this object unbinds it as it goes (and
    // PostNcDestroy may delete the object): this object is not touched after.
    bool routed = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == AfxWndProc;
    BOOL destroyed = ::DestroyWindow(hWnd);
    if (destroyed && !routed && !m_temporary)
        Detach();
    return destroyed;
}

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd && t_creating) {
        wnd = t_creating;
        t_creating = nullptr;
        wnd->BindCreated(hWnd);
    }
    if (!wnd)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    afx::detail::CurrentMessage current(hWnd, message, wParam, lParam);
    return wnd->WindowProc(message, wParam, lParam);
}

WNDPROC AfxGetAfxWndProc()
{
    return &AfxWndProc;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& current = afx::detail::CurrentMessage::Get();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resourceHandleSet ? g_resourceHandle : ::GetModuleHandleA(nullptr);
}

void AfxSetResourceHandle(HINSTANCE instance)
{
    g_resourceHandle = instance;
    g_resourceHandleSet = true;
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxGetResourceHandle();
}
