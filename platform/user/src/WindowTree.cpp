// The tree of windows: parents, owners, children in z-order, and searches.
#include "WindowData.h"

#include "win32/WideString.h"

using namespace user::detail;

HWND GetParent(HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return nullptr;
    // A child's parent, or a popup's owner, as GetParent answers.
    return window->parent ? window->parent : window->owner;
}

HWND SetParent(HWND child, HWND newParent)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(child);
    if (!window || (newParent && !manager.Find(newParent)))
        return nullptr;
    HWND old = window->parent;
    auto& from = old ? manager.Find(old)->children : manager.topLevel;
    std::erase(from, child);
    window->parent = newParent;
    if (newParent)
        manager.Find(newParent)->children.insert(manager.Find(newParent)->children.begin(), child);
    else
        manager.topLevel.insert(manager.topLevel.begin(), child);
    return old;
}

HWND GetWindow(HWND hwnd, UINT relation)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return nullptr;
    if (relation == GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front();
    if (relation == GW_OWNER)
        return window->owner;
    const auto& siblings = window->parent ? manager.Find(window->parent)->children : manager.topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it == siblings.end())
        return nullptr;
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return std::next(it) == siblings.end() ? nullptr : *std::next(it);
    case GW_HWNDPREV:
        return it == siblings.begin() ? nullptr : *std::prev(it);
    default:
        return nullptr;
    }
}

HWND GetDlgItem(HWND dialog, int id)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(dialog);
    if (!window)
        return nullptr;
    for (HWND child : window->children) {
        const WindowData* c = manager.Peek(child);
        if (c && c->id == id)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    auto window = WindowManager::Get().Find(hwnd);
    return window && window->parent ? static_cast<int>(window->id) : 0;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    while (window && window->parent) {
        if (window->parent == parent)
            return TRUE;
        window = manager.Peek(window->parent);
    }
    return FALSE;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto* window = manager.Peek(hwnd);
    if (!window)
        return nullptr;
    if (flags == GA_PARENT)
        return window->parent;
    while (window->parent)
        window = manager.Peek(window->parent);
    if (flags == GA_ROOTOWNER) {
        while (window->owner && manager.Peek(window->owner))
            window = manager.Peek(window->owner);
    }
    return window->handle;
}

namespace {

bool EnumDescendants(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> children;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto* window = manager.Peek(parent);
        if (!window)
            return true;
        children = window->children;
    }
    for (HWND child : children) {
        if (!IsWindow(child))
            continue;
        if (!proc(child, lParam) || !EnumDescendants(child, proc, lParam))
            return false;
    }
    return true;
}

} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    return EnumDescendants(parent, proc, lParam) ? TRUE : FALSE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> top;
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        top = manager.topLevel;
    }
    for (HWND hwnd : top) {
        if (IsWindow(hwnd) && !proc(hwnd, lParam))
            return FALSE;
    }
    return TRUE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    for (HWND top : manager.topLevel) {
        auto window = manager.Find(top);
        if (!window)
            continue;
        if (className && !EqualsNoCase(window->windowClass->name, className))
            continue;
        if (windowName && window->text != windowName)
            continue;
        return top;
    }
    return nullptr;
}
